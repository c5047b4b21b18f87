#pragma once

#include "Platform.h"
#include "Settings.h"
#include "SupportLog.h"

#include <QStringList>

namespace platform {

// Text fit for a terminal: every control character (C0 and C1 codes, DEL, format characters such as
// the bidirectional overrides, line and paragraph separators) becomes a blank, but for those in `keep`
// (a carriage return only before a line feed). A host's text can then neither send escape sequences to
// the terminal nor break or overwrite a line.
QString printableText(const QString& text, QStringView keep = {});

// The platform of the windowless front end: message boxes become lines on standard error, nothing is
// opened, and the desktop is whatever folder the caller names. The work folder is the user's own, as
// the window's, unless the caller names another.
class ConsolePlatform : public Platform
{
public:
    ConsolePlatform(QString desktopFolder, QString programFolder, QString workFolder = standardWorkFolder());

    QString desktopFolder() const override { return m_desktop; }
    QString programFolder() const override { return m_program; }
    QString workFolder() const override { return m_work; }
    bool openFile(const QString& path) override;
    QString machineSetting(const QString& keyPath, const QString& name) const override;
    QString userSetting(const QString& name) const override;
    void setUserSetting(const QString& name, const QString& value) override;
    QString userSettingsLocation() const override;
    // On standard error, printable but for its line breaks and tabs (printableText).
    void showMessage(MessageKind kind, const QString& text) override;
    // No one is there to answer: "No", which leaves everything as it is.
    bool askYesNo(const QString&) override { return false; }
    QDateTime now() const override;
    // Into the support log beside the work folder.
    void log(const QString& event) const override { m_log.write(event); }

    // Every message shown so far, in order.
    const QStringList& messages() const { return m_messages; }
    // Whether one of them told of a failure: an error or plain message that is not a warning
    // (text::kWarningPrefix).
    bool failureShown() const { return m_failureShown; }

private:
    QString m_desktop;
    QString m_program;
    QString m_work;
    SupportLog m_log;
    QStringList m_messages;
    bool m_failureShown = false;
};

} // namespace platform
