#pragma once
// A platform that passes everything to another one and counts the message and question boxes being
// shown, so that the search window knows when a modal box (which runs the event loop) is open.

#include "platform/ForwardingPlatform.h"

namespace app {

class ModalTrackingPlatform : public platform::ForwardingPlatform
{
public:
    ModalTrackingPlatform(platform::Platform& inner, int& openCount)
        : ForwardingPlatform(inner), m_openCount(openCount)
    {
    }

    void showMessage(platform::MessageKind kind, const QString& text) override
    {
        const Open open(m_openCount);
        ForwardingPlatform::showMessage(kind, text);
    }
    bool askYesNo(const QString& text) override
    {
        const Open open(m_openCount);
        return ForwardingPlatform::askYesNo(text);
    }

private:
    // Counts one open box for its lifetime.
    struct Open
    {
        int& n;
        explicit Open(int& counter) : n(counter) { ++n; }
        ~Open() { --n; }
    };

    int& m_openCount;
};

} // namespace app
