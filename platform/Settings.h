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
void writeUserSetting(const QString& name, const QString& value);
// Where the user's store is, as a person would look for it: the registry key on Windows, the file
// elsewhere.
QString userSettingsPath();

// The system-scope settings named after the key path's last component ("\SOFTWARE\Brevalon-Ostrena"
// reads /etc/xdg/Brevalon-Ostrena.conf).
QString readSystemSetting(const QString& keyPath, const QString& name);

} // namespace platform
