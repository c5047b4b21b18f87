#include "OutputFlow.h"

#include "Ap42Ss3Map.h"
#include "Ap68Map.h"
#include "FilledPdf.h"
#include "FontSetting.h"
#include "OutputFiles.h"
#include "platform/Files.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace fdf {

namespace {

using Writer = std::vector<FdfEntry> (*)(const clinical::PatientRow&, Tzantopat&, const QString&,
                                         const QString&, const QString&, clinical::FiscalCodeParts*);

void processEvents(FlowContext& context)
{
    if (context.processEvents)
        context.processEvents();
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// A fresh copy of the blank form each time; "" when it was made, otherwise why not. A copy that fails
// is not fatal: the FDF is still written. A plain copy, not QFile::copy, which syncs the copy to disk:
// a few milliseconds more on a busy disk for a file that the next run replaces anyway.
QString copyBlankForm(const QString& blankForm, const QString& desktopCopy)
{
    using platform::FileAccess;
    QFile source(blankForm);
    if (!source.exists())
        return QStringLiteral("il modulo vuoto %1 non esiste").arg(native(blankForm));
    if (!source.open(QIODevice::ReadOnly))
        return QStringLiteral("il modulo vuoto non si può leggere: %1 (%2)")
            .arg(platform::fileErrorText(source, FileAccess::Read), native(blankForm));
    const QByteArray bytes = source.readAll();
    QFile copy(desktopCopy);
    if (!platform::openOwnerOnly(copy, QIODevice::WriteOnly | QIODevice::Truncate) ||
        copy.write(bytes) != bytes.size() || !copy.flush()) {
        const QString reason = platform::fileErrorText(copy, FileAccess::Write);
        if (copy.isOpen()) {
            copy.close();
            copy.remove(); // no half copy left behind
        }
        return QStringLiteral("impossibile copiare il modulo vuoto sul desktop: %1 (%2)")
            .arg(reason, native(desktopCopy));
    }
    return {};
}

// True when the earlier copy holds nothing but what the program puts in a copy: the blank form's
// values, or those of this very fill. Anything else (a value the doctor typed or ticked in a viewer,
// a copy that is not a readable form) means it holds the doctor's work.
bool holdsOnlyTheProgramsValues(const QString& earlierCopy, const QString& blankForm,
                                const std::vector<FdfEntry>& entries)
{
    const std::optional<FormValues> earlier = readFormValues(earlierCopy);
    if (!earlier)
        return false;
    const FormValues blank = readFormValues(blankForm).value_or(FormValues{});
    return *earlier == blank || *earlier == filledValues(blank, entries);
}

// Makes the desktop copy's name free for the fresh copy: an earlier copy that holds only the
// program's values goes, any other is kept under a dated name (`kept`). "" when the name is free,
// otherwise why not; the earlier copy then stays as it is and no fresh copy may be made.
QString makeRoomForCopy(const OutputFileSet& files, const std::vector<FdfEntry>& entries, QString& kept)
{
    if (!QFileInfo::exists(files.desktopCopyPath))
        return {};
    if (holdsOnlyTheProgramsValues(files.desktopCopyPath, files.blankFormPath, entries)) {
        QFile::remove(files.desktopCopyPath);
        return {};
    }
    const platform::KeptFile moved = platform::keepUnderDatedName(
        files.desktopCopyPath, QFileInfo(files.desktopCopyPath).completeBaseName());
    kept = moved.path;
    if (!moved.failure.isEmpty())
        return QStringLiteral("la copia precedente, che contiene dati inseriti, non si può rinominare: ") +
               moved.failure;
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
                                        fillPdfForm(desktopCopy, entries, unicodeFontPath(platform)),
                                        platform.userSettingsLocation());
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

    // The field list first: an earlier desktop copy is judged against it, and a writer that stops
    // leaves that copy untouched.
    clinical::FiscalCodeParts disagreements;
    const std::vector<FdfEntry> entries =
        writer(row, context.session, files.fdfPath, files.desktopCopyPath, files.exportPath, &disagreements);
    processEvents(context);

    PdfFlowResult result{files.fdfPath, {}, {}, clinical::fiscalCodeWarning(disagreements)};
    QString copyFailure = makeRoomForCopy(files, entries, result.keptPath);
    if (copyFailure.isEmpty())
        copyFailure = copyBlankForm(files.blankFormPath, files.desktopCopyPath);
    result.filledPdfPath = fillDesktopCopy(files.desktopCopyPath, copyFailure, entries, context.platform);
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
