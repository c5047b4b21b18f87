#include "ErrorHandling.h"

#include "platform/Platform.h"

#include <exception>

namespace app {

namespace {

const QString kUnknownError = QStringLiteral("Errore imprevisto durante l'operazione.");

void showError(platform::Platform& platform, const QString& text) noexcept
{
    try {
        platform.showMessage(platform::MessageKind::Error, text.isEmpty() ? kUnknownError : text);
    } catch (...) {
        // Nothing more can be told when even the message box fails.
    }
}

} // namespace

bool runHandler(platform::Platform& platform, const std::function<void()>& handler) noexcept
{
    try {
        handler();
        return true;
    } catch (const platform::FailureShown&) {
        // Its message has been shown where it happened.
    } catch (const std::exception& error) {
        showError(platform, QString::fromUtf8(error.what()));
    } catch (...) {
        showError(platform, kUnknownError);
    }
    return false;
}

} // namespace app
