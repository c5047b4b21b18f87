#pragma once
// A platform that hands every operation to another one. A platform that changes one or two operations
// of the one it wraps derives from it and overrides only those.

#include "Platform.h"

namespace platform {

class ForwardingPlatform : public Platform
{
public:
    explicit ForwardingPlatform(Platform& inner) : m_inner(inner) {}

    QString desktopFolder() const override { return m_inner.desktopFolder(); }
    QString programFolder() const override { return m_inner.programFolder(); }
    QString workFolder() const override { return m_inner.workFolder(); }
    bool openFile(const QString& path) override { return m_inner.openFile(path); }
    QString machineSetting(const QString& keyPath, const QString& name) const override
    {
        return m_inner.machineSetting(keyPath, name);
    }
    QString userSetting(const QString& name) const override { return m_inner.userSetting(name); }
    void setUserSetting(const QString& name, const QString& value) override
    {
        m_inner.setUserSetting(name, value);
    }
    QString userSettingsLocation() const override { return m_inner.userSettingsLocation(); }
    void showMessage(MessageKind kind, const QString& text) override { m_inner.showMessage(kind, text); }
    bool askYesNo(const QString& text) override { return m_inner.askYesNo(text); }
    QDateTime now() const override { return m_inner.now(); }
    void rememberForegroundWindow() override { m_inner.rememberForegroundWindow(); }
    void restoreForegroundWindow() override { m_inner.restoreForegroundWindow(); }
    void log(const QString& event) const override { m_inner.log(event); }

private:
    Platform& m_inner;
};

} // namespace platform
