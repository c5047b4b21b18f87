#pragma once
// The settings stores both Qt-based platforms read: the system-scope store of the machine settings
// off Windows, and the user's own store.

#include <QString>

namespace platform {

// The user's store: user-scope settings of organisation "Brevalon-Ostrena", application "invciv"; on
// Windows HKEY_CURRENT_USER\Software\Brevalon-Ostrena\invciv, elsewhere
// ~/.config/Brevalon-Ostrena/invciv.conf.
inline const QString kSettingsOrganisation = QStringLiteral("Brevalon-Ostrena");
inline const QString kSettingsApplication = QStringLiteral("invciv");

QString readUserSetting(const QString& name);
// Outside Windows the store's file is its owner's only (it keeps the doctor's details): made so before
// a value goes in, also when an earlier version left it readable by others.
void writeUserSetting(const QString& name, const QString& value);
// Where the user's store is, as a person would look for it: the registry key on Windows, the file
// elsewhere.
QString userSettingsPath();

// The user's own work folder (host exports, FDF files), without a trailing separator: on Windows
// %LOCALAPPDATA%\InvCiv\temp, elsewhere the application's local data folder + "/temp"
// (~/.local/share/invciv/temp). Not created here (platform/Files.h: preparedWorkFolder).
QString standardWorkFolder();

// The system-scope settings named after the key path's last component ("\SOFTWARE\Brevalon-Ostrena"
// reads /etc/xdg/Brevalon-Ostrena.conf).
QString readSystemSetting(const QString& keyPath, const QString& name);

} // namespace platform
