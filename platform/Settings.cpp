#include "Settings.h"

#include <QDir>
#include <QSettings>

namespace platform {

namespace {

QSettings userStore()
{
    return QSettings(QSettings::UserScope, kSettingsOrganisation, kSettingsApplication);
}

} // namespace

QString readUserSetting(const QString& name)
{
    // A registry DWORD reads as a number, an .ini value as text: both come back as text.
    return userStore().value(name).toString();
}

void writeUserSetting(const QString& name, const QString& value)
{
    userStore().setValue(name, value);
}

QString userSettingsPath()
{
    QString location = QDir::toNativeSeparators(userStore().fileName());
    if (location.startsWith(QStringLiteral("\\HKEY_"))) // Qt names a registry key "\HKEY_CURRENT_USER\..."
        location.remove(0, 1);
    return location;
}

QString readSystemSetting(const QString& keyPath, const QString& name)
{
    const QString organisation = keyPath.section(QLatin1Char('\\'), -1);
    const QSettings settings(QSettings::IniFormat, QSettings::SystemScope, organisation);
    return settings.value(name).toString();
}

} // namespace platform
