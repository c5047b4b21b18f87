#include "HostOutputFlows.h"

#include "certificate/TFormGestCertMedINPS.h"
#include "fdf/OpenSetting.h"
#include "fdf/OutputFlow.h"
#include "host/Tzantopat.h"
#include "platform/Platform.h"

#include <QCoreApplication>

HostOutputFlows::HostOutputFlows(Tzantopat& session, platform::Platform& platform, QWidget* parent,
                                 std::function<void(const QString&)> showStatus)
    : m_session(session), m_platform(platform), m_parent(parent), m_showStatus(std::move(showStatus))
{
}

QString HostOutputFlows::CreateAp68Pdf(const clinical::PatientRow& row)
{
    fdf::FlowContext context{m_session, m_platform, m_showStatus, [] { QCoreApplication::processEvents(); }};
    return fdf::pathToOpen(fdf::runAp68Flow(row, context), fdf::openTargetSetting());
}

QString HostOutputFlows::CreateAp42Ss3Pdf(const clinical::PatientRow& row)
{
    fdf::FlowContext context{m_session, m_platform, m_showStatus, [] { QCoreApplication::processEvents(); }};
    return fdf::pathToOpen(fdf::runAp42Ss3Flow(row, context), fdf::openTargetSetting());
}

QString HostOutputFlows::OpenCertificateEditor(const clinical::PatientRow& row)
{
    certificate::TFormGestCertMedINPS editor(m_session, m_platform, m_parent);
    editor.SetPatientId(row.id);
    editor.exec();
    return editor.ResultText();
}
