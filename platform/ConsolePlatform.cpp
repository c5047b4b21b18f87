#include "ConsolePlatform.h"

#include "Settings.h"

#include <cstdio>

namespace platform {

ConsolePlatform::ConsolePlatform(QString desktopFolder, QString programFolder)
    : m_desktop(std::move(desktopFolder)), m_program(std::move(programFolder))
{
}

bool ConsolePlatform::openFile(const QString&)
{
    return false; // the windowless front end prints its paths instead
}

QString ConsolePlatform::machineSetting(const QString& keyPath, const QString& name) const
{
    return readSystemSetting(keyPath, name);
}

QString ConsolePlatform::userSetting(const QString& name) const
{
    return readUserSetting(name);
}

void ConsolePlatform::setUserSetting(const QString& name, const QString& value)
{
    writeUserSetting(name, value);
}

QString ConsolePlatform::userSettingsLocation() const
{
    return userSettingsPath();
}

void ConsolePlatform::showMessage(MessageKind kind, const QString& text)
{
    m_messages << text;
    if (kind != MessageKind::Information && !text.startsWith(kWarningPrefix))
        m_failureShown = true;
    const QByteArray line = text.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
    std::fflush(stderr);
}

QDateTime ConsolePlatform::now() const
{
    return QDateTime::currentDateTime();
}

} // namespace platform
