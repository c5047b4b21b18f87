#pragma once
// A platform that passes everything to another one and counts the message boxes being shown, so that
// the search window knows when a modal box (which runs the event loop) is open.

#include "platform/Platform.h"

namespace app {

class ModalTrackingPlatform : public platform::Platform
{
public:
    ModalTrackingPlatform(platform::Platform& inner, int& openCount) : m_inner(inner), m_openCount(openCount)
    {
    }

    QString desktopFolder() const override { return m_inner.desktopFolder(); }
    QString programFolder() const override { return m_inner.programFolder(); }
    bool openFile(const QString& path) override { return m_inner.openFile(path); }
    QString machineSetting(const QString& keyPath, const QString& name) const override
    {
        return m_inner.machineSetting(keyPath, name);
    }
    void showMessage(platform::MessageKind kind, const QString& text) override
    {
        struct Count
        {
            int& n;
            explicit Count(int& counter) : n(counter) { ++n; }
            ~Count() { --n; }
        } open(m_openCount);
        m_inner.showMessage(kind, text);
    }
    QDateTime now() const override { return m_inner.now(); }
    void rememberForegroundWindow() override { m_inner.rememberForegroundWindow(); }
    void restoreForegroundWindow() override { m_inner.restoreForegroundWindow(); }

private:
    platform::Platform& m_inner;
    int& m_openCount;
};

} // namespace app
