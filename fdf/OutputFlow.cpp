#include "OutputFlow.h"

#include "Ap42Ss3Map.h"
#include "Ap68Map.h"
#include "OutputFiles.h"
#include "platform/Platform.h"

#include <QFile>

namespace fdf {

namespace {

using Writer = void (*)(const clinical::PatientRow&, Tzantopat&, const QString&, const QString&,
                        const QString&);

void processEvents(FlowContext& context)
{
    if (context.processEvents)
        context.processEvents();
}

// A fresh copy of the blank form each time. A copy that fails is not fatal: the FDF is still written.
// A plain copy, not QFile::copy, which syncs the copy to disk: a few milliseconds more on a busy disk
// for a file that the next run replaces anyway.
void copyBlankForm(const QString& blankForm, const QString& desktopCopy)
{
    QFile source(blankForm);
    if (!source.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = source.readAll();
    QFile copy(desktopCopy);
    if (copy.open(QIODevice::WriteOnly | QIODevice::Truncate))
        copy.write(bytes);
}

QString runFlow(Certificate certificate, Writer writer, const clinical::PatientRow& row, FlowContext& context)
{
    const OutputFileSet files = outputFileSet(certificate, context.platform.programFolder(),
                                              GetDesktopFolder(context.platform), row.cognome, row.nome);
    if (context.showStatus)
        context.showStatus(files.statusText);
    processEvents(context);

    QFile::remove(files.desktopCopyPath); // an earlier copy, if there is one
    copyBlankForm(files.blankFormPath, files.desktopCopyPath);

    processEvents(context);
    writer(row, context.session, files.fdfPath, files.desktopCopyPath, files.exportPath);
    processEvents(context);
    return files.fdfPath;
}

} // namespace

QString CreateAp68Pdf(const clinical::PatientRow& row, FlowContext& context)
{
    return runFlow(Certificate::Ap68, &WriteAp68Fdf, row, context);
}

QString CreateAp42Ss3Pdf(const clinical::PatientRow& row, FlowContext& context)
{
    return runFlow(Certificate::Ap42Ss3, &WriteAp42Ss3Fdf, row, context);
}

} // namespace fdf
