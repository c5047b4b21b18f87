#pragma once
// The default error handling: every window event handler that can fail runs inside runHandler, so that
// an error shows its message in an error box and the program carries on. No exception ever reaches the
// event loop.

#include <functional>

namespace platform {
class Platform;
}

namespace app {

// Runs `handler`. A std::exception shows its (UTF-8) message in an error box through the platform, but
// for platform::FailureShown, whose message has been shown; anything else shows a generic message. True
// when the handler ended normally.
bool runHandler(platform::Platform& platform, const std::function<void()>& handler) noexcept;

} // namespace app
