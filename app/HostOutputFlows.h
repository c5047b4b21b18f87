#pragma once
// The real output flows: the AP68 and AP42 SS3 pre-fills and the certificate editor, on the host
// session.

#include "OutputFlows.h"

#include <functional>

class QWidget;
class Tzantopat;

namespace platform {
class Platform;
}

namespace app {

class HostOutputFlows : public OutputFlows
{
public:
    // `showStatus` puts a status text in the window's status line; `parent` owns the editor window.
    HostOutputFlows(Tzantopat& session, platform::Platform& platform, QWidget* parent,
                    std::function<void(const QString&)> showStatus);

    FlowOutput CreateAp68Pdf(const clinical::PatientRow& row) override;
    FlowOutput CreateAp42Ss3Pdf(const clinical::PatientRow& row) override;
    FlowOutput OpenCertificateEditor(const clinical::PatientRow& row) override;

private:
    Tzantopat& m_session;
    platform::Platform& m_platform;
    QWidget* m_parent;
    std::function<void(const QString&)> m_showStatus;
};

} // namespace app
