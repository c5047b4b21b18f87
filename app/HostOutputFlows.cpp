#include "HostOutputFlows.h"

#include "host/Tzantopat.h"
#include "platform/Platform.h"

#include <QCoreApplication>

#if INVCIV_HAVE_FDF
#include "fdf/OpenSetting.h"
#include "fdf/OutputFlow.h"
#endif
#if INVCIV_HAVE_CERTIFICATE
#include "certificate/TFormGestCertMedINPS.h"
#endif

namespace {

[[maybe_unused]] void reportMissing(platform::Platform& platform, const QString& what)
{
    platform.showMessage(platform::MessageKind::Error,
                         what + QStringLiteral(" non è disponibile in questa versione del programma."));
}

} // namespace

HostOutputFlows::HostOutputFlows(Tzantopat& session, platform::Platform& platform, QWidget* parent,
                                 std::function<void(const QString&)> showStatus)
    : m_session(session), m_platform(platform), m_parent(parent), m_showStatus(std::move(showStatus))
{
}

#if INVCIV_HAVE_FDF

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

#else

QString HostOutputFlows::CreateAp68Pdf(const clinical::PatientRow&)
{
    reportMissing(m_platform, QStringLiteral("La compilazione del modulo AP68"));
    return {};
}

QString HostOutputFlows::CreateAp42Ss3Pdf(const clinical::PatientRow&)
{
    reportMissing(m_platform, QStringLiteral("La compilazione del modulo AP42 SS3"));
    return {};
}

#endif

#if INVCIV_HAVE_CERTIFICATE

QString HostOutputFlows::OpenCertificateEditor(const clinical::PatientRow& row)
{
    certificate::TFormGestCertMedINPS editor(m_session, m_platform, m_parent);
    editor.SetPatientId(row.id);
    editor.exec();
    return editor.ResultText();
}

#else

QString HostOutputFlows::OpenCertificateEditor(const clinical::PatientRow&)
{
    reportMissing(m_platform, QStringLiteral("Il certificato in formato XML"));
    return QStringLiteral("cancel");
}

#endif
