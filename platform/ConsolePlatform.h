#pragma once

#include "Platform.h"

#include <QStringList>

namespace platform {

// The platform of the windowless front end: message boxes become lines on standard error, nothing is
// opened, and the desktop is whatever folder the caller names.
class ConsolePlatform : public Platform
{
public:
    ConsolePlatform(QString desktopFolder, QString programFolder);

    QString desktopFolder() const override { return m_desktop; }
    QString programFolder() const override { return m_program; }
    bool openFile(const QString& path) override;
    QString machineSetting(const QString& keyPath, const QString& name) const override;
    QString userSetting(const QString& name) const override;
    void setUserSetting(const QString& name, const QString& value) override;
    QString userSettingsLocation() const override;
    void showMessage(MessageKind kind, const QString& text) override;
    // No one is there to answer: "No", which leaves everything as it is.
    bool askYesNo(const QString&) override { return false; }
    QDateTime now() const override;

    // Every message shown so far, in order.
    const QStringList& messages() const { return m_messages; }
    // Whether one of them told of a failure: an error or plain message that is not a warning
    // (kWarningPrefix).
    bool failureShown() const { return m_failureShown; }

private:
    QString m_desktop;
    QString m_program;
    QStringList m_messages;
    bool m_failureShown = false;
};

} // namespace platform
