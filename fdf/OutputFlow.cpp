#include "OutputFlow.h"

#include "Ap42Ss3Map.h"
#include "Ap68Map.h"
#include "FilledPdf.h"
#include "FontSetting.h"
#include "OutputFiles.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace fdf {

namespace {

using Writer = std::vector<FdfEntry> (*)(const clinical::PatientRow&, Tzantopat&, const QString&,
                                         const QString&, const QString&);

void processEvents(FlowContext& context)
{
    if (context.processEvents)
        context.processEvents();
}

// A fresh copy of the blank form each time; "" when it was made, otherwise why not. A copy that fails
// is not fatal: the FDF is still written. A plain copy, not QFile::copy, which syncs the copy to disk:
// a few milliseconds more on a busy disk for a file that the next run replaces anyway.
QString copyBlankForm(const QString& blankForm, const QString& desktopCopy)
{
    QFile source(blankForm);
    if (!source.exists())
        return QStringLiteral("il modulo vuoto %1 non esiste").arg(QDir::toNativeSeparators(blankForm));
    if (!source.open(QIODevice::ReadOnly))
        return QStringLiteral("il modulo vuoto %1 non si può leggere (%2)")
            .arg(QDir::toNativeSeparators(blankForm), source.errorString());
    const QByteArray bytes = source.readAll();
    QFile copy(desktopCopy);
    if (!copy.open(QIODevice::WriteOnly | QIODevice::Truncate) || copy.write(bytes) != bytes.size())
        return QStringLiteral("impossibile copiare il modulo vuoto sul desktop (%1)").arg(copy.errorString());
    return {};
}

// The desktop copy filled with the field list the FDF was written from; "" and one message when it
// cannot be. Either way the copy is whole: the blank copy, or the filled form.
QString fillDesktopCopy(const QString& desktopCopy, QString reason, const std::vector<FdfEntry>& entries,
                        platform::Platform& platform)
{
    if (reason.isEmpty()) {
        try {
            const QString warning =
                unprintedLettersWarning(QFileInfo(desktopCopy).fileName(),
                                        fillPdfForm(desktopCopy, entries, unicodeFontPathSetting()));
            if (!warning.isEmpty())
                platform.showMessage(platform::MessageKind::Information, warning);
            return desktopCopy;
        } catch (const FormFillError& error) {
            reason = QString::fromUtf8(error.what());
        }
    }
    // A warning: the FDF, the flow's own result, stands.
    platform.showMessage(platform::MessageKind::Error,
                         platform::kWarningPrefix +
                             QStringLiteral("impossibile compilare il modulo PDF %1: %2. Il file FDF è stato "
                                            "comunque creato.")
                                 .arg(QFileInfo(desktopCopy).fileName(), reason));
    return {};
}

PdfFlowResult runFlow(Certificate certificate, Writer writer, const clinical::PatientRow& row,
                      FlowContext& context)
{
    const OutputFileSet files = outputFileSet(certificate, context.platform.programFolder(),
                                              GetDesktopFolder(context.platform), row.cognome, row.nome);
    if (context.showStatus)
        context.showStatus(files.statusText);
    processEvents(context);

    QFile::remove(files.desktopCopyPath); // an earlier copy, if there is one
    const QString copyFailure = copyBlankForm(files.blankFormPath, files.desktopCopyPath);

    processEvents(context);
    const std::vector<FdfEntry> entries =
        writer(row, context.session, files.fdfPath, files.desktopCopyPath, files.exportPath);
    PdfFlowResult result{files.fdfPath,
                         fillDesktopCopy(files.desktopCopyPath, copyFailure, entries, context.platform)};
    processEvents(context);
    return result;
}

} // namespace

PdfFlowResult runAp68Flow(const clinical::PatientRow& row, FlowContext& context)
{
    return runFlow(Certificate::Ap68, &WriteAp68Fdf, row, context);
}

PdfFlowResult runAp42Ss3Flow(const clinical::PatientRow& row, FlowContext& context)
{
    return runFlow(Certificate::Ap42Ss3, &WriteAp42Ss3Fdf, row, context);
}

QString CreateAp68Pdf(const clinical::PatientRow& row, FlowContext& context)
{
    return runAp68Flow(row, context).fdfPath;
}

QString CreateAp42Ss3Pdf(const clinical::PatientRow& row, FlowContext& context)
{
    return runAp42Ss3Flow(row, context).fdfPath;
}

} // namespace fdf
