#pragma once
// A platform that passes everything to another one and counts the message and question boxes being
// shown, so that the search window knows when a modal box (which runs the event loop) is open.

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
        const Open open(m_openCount);
        m_inner.showMessage(kind, text);
    }
    bool askYesNo(const QString& text) override
    {
        const Open open(m_openCount);
        return m_inner.askYesNo(text);
    }
    QDateTime now() const override { return m_inner.now(); }
    void rememberForegroundWindow() override { m_inner.rememberForegroundWindow(); }
    void restoreForegroundWindow() override { m_inner.restoreForegroundWindow(); }

private:
    // Counts one open box for its lifetime.
    struct Open
    {
        int& n;
        explicit Open(int& counter) : n(counter) { ++n; }
        ~Open() { --n; }
    };

    platform::Platform& m_inner;
    int& m_openCount;
};

} // namespace app
