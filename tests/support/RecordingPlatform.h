#pragma once
// The platform double: records message boxes, questions (answered as scripted) and opened files, answers
// settings from a map, keeps a clock that tests move by hand, and gives a work folder of its own.

#include "platform/Platform.h"

#include <QList>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

namespace testing_support {

class RecordingPlatform : public platform::Platform
{
public:
    struct Message
    {
        platform::MessageKind kind;
        QString text;
    };

    QString desktop;
    QString program;
    QTemporaryDir workRoot;
    QString work = workRoot.filePath(QStringLiteral("temp")); // made by the flows, as the real one
    QStringList opened;
    bool opens = true;               // false: no application takes the files opened
    QMap<QString, QString> settings; // machine settings by "keyPath|name", user settings by name
    QList<Message> messages;
    QDateTime clock = QDateTime(QDate(2026, 12, 7), QTime(9, 0));
    QStringList questions;      // every yes/no question asked, in order
    mutable QStringList logged; // every support-log event, in order
    bool answer = false;        // the answer to every question: true for "Sì"
    // Runs while a message is "shown", as a modal box would run the event loop.
    std::function<void(const Message&)> onMessage;

    QString desktopFolder() const override { return desktop; }
    QString programFolder() const override { return program; }
    QString workFolder() const override { return work; }
    bool openFile(const QString& path) override
    {
        opened << path;
        return opens;
    }
    QString machineSetting(const QString& keyPath, const QString& name) const override
    {
        return settings.value(keyPath + QLatin1Char('|') + name);
    }
    QString userSetting(const QString& name) const override { return settings.value(name); }
    void setUserSetting(const QString& name, const QString& value) override { settings[name] = value; }
    QString userSettingsLocation() const override { return QStringLiteral("invciv.conf"); }
    void showMessage(platform::MessageKind kind, const QString& text) override
    {
        messages.append({kind, text});
        if (onMessage)
            onMessage(messages.last());
    }
    bool askYesNo(const QString& text) override
    {
        questions << text;
        return answer;
    }
    QDateTime now() const override { return clock; }
    void log(const QString& event) const override { logged << event; }

    void advance(qint64 milliseconds) { clock = clock.addMSecs(milliseconds); }
    QStringList messageTexts() const
    {
        QStringList texts;
        for (const auto& m : messages)
            texts << m.text;
        return texts;
    }
};

} // namespace testing_support
