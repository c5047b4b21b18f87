#include "HostOutputFlows.h"

#include "certificate/TFormGestCertMedINPS.h"
#include "fdf/OpenSetting.h"
#include "fdf/OutputFlow.h"
#include "host/Tzantopat.h"
#include "platform/Platform.h"

#include <QCoreApplication>

namespace app {

HostOutputFlows::HostOutputFlows(Tzantopat& session, platform::Platform& platform, QWidget* parent,
                                 std::function<void(const QString&)> showStatus)
    : m_session(session), m_platform(platform), m_parent(parent), m_showStatus(std::move(showStatus))
{
}

namespace {

FlowOutput pdfOutput(const fdf::PdfFlowResult& result, const platform::Platform& platform)
{
    return {fdf::pathToOpen(result, fdf::openTarget(platform)), result.keptPath, result.fiscalCodeWarning};
}

} // namespace

FlowOutput HostOutputFlows::CreateAp68Pdf(const clinical::PatientRow& row)
{
    fdf::FlowContext context{m_session, m_platform, m_showStatus, [] { QCoreApplication::processEvents(); }};
    return pdfOutput(fdf::runAp68Flow(row, context), m_platform);
}

FlowOutput HostOutputFlows::CreateAp42Ss3Pdf(const clinical::PatientRow& row)
{
    fdf::FlowContext context{m_session, m_platform, m_showStatus, [] { QCoreApplication::processEvents(); }};
    return pdfOutput(fdf::runAp42Ss3Flow(row, context), m_platform);
}

FlowOutput HostOutputFlows::OpenCertificateEditor(const clinical::PatientRow& row)
{
    certificate::TFormGestCertMedINPS editor(m_session, m_platform, m_parent);
    editor.SetPatientId(row.id);
    editor.exec();
    using Ending = certificate::TFormGestCertMedINPS::Ending;
    const bool cancelled = editor.ending() == Ending::Cancelled;
    FlowOutput output{cancelled ? QString() : editor.ResultText(),
                      editor.KeptCertificate(),
                      {},
                      editor.PrintableFormMessage()};
    output.cancelled = cancelled;
    return output;
}

} // namespace app
