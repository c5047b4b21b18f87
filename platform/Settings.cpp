#include "Settings.h"

#include "Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

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
    QSettings store = userStore();
#ifndef Q_OS_WIN
    // QSettings replaces its file keeping the earlier file's permissions: a first file is made
    // owner-only empty before anything is written, an earlier one made so.
    const QString file = store.fileName();
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile settingsFile(file);
    if (openOwnerOnly(settingsFile, QIODevice::Append))
        settingsFile.close();
#endif
    store.setValue(name, value);
}

QString userSettingsPath()
{
    QString location = QDir::toNativeSeparators(userStore().fileName());
    if (location.startsWith(QStringLiteral("\\HKEY_"))) // Qt names a registry key "\HKEY_CURRENT_USER\..."
        location.remove(0, 1);
    return location;
}

QString standardWorkFolder()
{
#ifdef Q_OS_WIN
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir::toNativeSeparators(base + QStringLiteral("/InvCiv/temp"));
#else
    const QString base = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return QDir::toNativeSeparators(base + QStringLiteral("/temp"));
#endif
}

QString readSystemSetting(const QString& keyPath, const QString& name)
{
    const QString organisation = keyPath.section(QLatin1Char('\\'), -1);
    const QSettings settings(QSettings::IniFormat, QSettings::SystemScope, organisation);
    return settings.value(name).toString();
}

} // namespace platform
