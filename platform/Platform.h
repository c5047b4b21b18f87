#pragma once
// Everything the program asks of the desktop it runs on. The program uses QtPlatform; tests use a
// recording double, so that no test ever blocks on a modal box or depends on the real clock.

#include <QDateTime>
#include <QString>

#include <stdexcept>

namespace platform {

enum class MessageKind { Plain, Error, Information };

class Platform
{
public:
    virtual ~Platform() = default;

    // The user's desktop folder, "" when there is none.
    virtual QString desktopFolder() const = 0;
    // The folder of the program file, ending with a separator. Only read: the blank forms are there.
    virtual QString programFolder() const = 0;
    // The user's own folder for the host's exports and the FDF files, without a trailing separator:
    // nothing is written beside the program. It may not exist yet: platform/Files.h makes it, owner-only.
    virtual QString workFolder() const = 0;
    // Opens a file with the application associated with it. False when no application took it.
    virtual bool openFile(const QString& path) = 0;
    // A machine-wide string value: on Windows the registry value `name` of the key `keyPath` below
    // HKEY_LOCAL_MACHINE, in the program's own registry view first and then in the other (a 32-bit
    // installer writes the 32-bit view); elsewhere the system-scope settings of the key's last component.
    // "" when the key or the value is missing.
    virtual QString machineSetting(const QString& keyPath, const QString& name) const = 0;
    // A value of the user's own settings ("apri_pdf_compilato", "font_pdf_compilato"...), as text; ""
    // when it is not set. Qt-based platforms keep them in the user-scope settings of
    // "Brevalon-Ostrena"/"invciv" (platform/Settings.h).
    virtual QString userSetting(const QString& name) const = 0;
    virtual void setUserSetting(const QString& name, const QString& value) = 0;
    // Where the user's settings are kept, as a person would look for it, for messages that name one.
    virtual QString userSettingsLocation() const = 0;
    // A modal message box with one OK button and the application's title.
    virtual void showMessage(MessageKind kind, const QString& text) = 0;
    // A modal question with the application's title and the buttons "Sì" and "No", "No" being the
    // default. True when the answer is "Sì".
    virtual bool askYesNo(const QString& text) = 0;
    virtual QDateTime now() const = 0;
    // Around every host call: the host may bring its own window to the front.
    virtual void rememberForegroundWindow() {}
    virtual void restoreForegroundWindow() {}
    // One event of the user's support log (platform/SupportLog.h): never a password or a patient's data.
    // Nothing where no log is kept.
    virtual void log(const QString& event) const { (void)event; }
};

// Remembers the foreground window for the length of a scope and restores it however the scope ends.
class ForegroundGuard
{
public:
    explicit ForegroundGuard(Platform& platform) : m_platform(platform)
    {
        m_platform.rememberForegroundWindow();
    }
    ~ForegroundGuard() { m_platform.restoreForegroundWindow(); }
    ForegroundGuard(const ForegroundGuard&) = delete;
    ForegroundGuard& operator=(const ForegroundGuard&) = delete;

private:
    Platform& m_platform;
};

// Raised to stop an operation whose failure has been shown already (the host session shows its own):
// the error boundaries show nothing more.
class FailureShown : public std::runtime_error
{
public:
    FailureShown() : std::runtime_error(std::string()) {}
};

// The application's title, shown on every message box.
inline const QString kApplicationTitle = QStringLiteral("Estrazione dati Invalidità INPS");

} // namespace platform
