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

QString runFlow(Certificate certificate, Writer writer, const clinical::PatientRow& row, FlowContext& context)
{
    const OutputFileSet files = outputFileSet(certificate, context.platform.programFolder(),
                                              GetDesktopFolder(context.platform), row.cognome, row.nome);
    if (context.showStatus)
        context.showStatus(files.statusText);
    processEvents(context);

    // A fresh copy of the blank form each time; a copy that fails is not fatal, the FDF is still written.
    if (QFile::exists(files.desktopCopyPath))
        QFile::remove(files.desktopCopyPath);
    QFile::copy(files.blankFormPath, files.desktopCopyPath);

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
