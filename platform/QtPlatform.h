#pragma once

#include "Platform.h"
#include "Settings.h"
#include "SupportLog.h"

#include <QPointer>

class QWidget;

namespace platform {

// The desktop as Qt sees it: message boxes, the shell, the settings store and the real clock.
class QtPlatform : public Platform
{
public:
    QString desktopFolder() const override;
    QString programFolder() const override;
    QString workFolder() const override;
    bool openFile(const QString& path) override;
    QString machineSetting(const QString& keyPath, const QString& name) const override;
    QString userSetting(const QString& name) const override;
    void setUserSetting(const QString& name, const QString& value) override;
    QString userSettingsLocation() const override;
    void showMessage(MessageKind kind, const QString& text) override;
    bool askYesNo(const QString& text) override;
    QDateTime now() const override;
    void rememberForegroundWindow() override;
    void restoreForegroundWindow() override;
    // Into the support log beside the work folder.
    void log(const QString& event) const override { m_log.write(event); }

private:
    quintptr m_foreground = 0;
    SupportLog m_log{logFolderBeside(standardWorkFolder())};
};

} // namespace platform
