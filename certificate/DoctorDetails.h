#pragma once
// The doctor's own details on a certificate, which the host does not hold: the registration number with
// the provincial medical board, its province, and the place the certificates are written in. They are
// remembered in the user's own settings, one set per host login, after each successful save, and fill
// the next certificate of that login.

#include "CertificateFields.h"

#include <QString>

namespace platform {
class Platform;
}

namespace certificate {

// The settings name of one remembered value of a login: "medici/<login>/<value>", the login written as
// the hexadecimal digits of its UTF-8 bytes, so that any login text makes one key of its own (the
// settings stores give "/" and "\" a meaning, and the Windows registry ignores letter case).
QString doctorSettingName(const QString& login, const QString& value);

// Sets numIscrizione, provAlbo and luogo to the values remembered for the login; a value not remembered
// leaves its field as it is. Nothing for an empty login.
void fillDoctorDetails(CertificateFields& fields, const platform::Platform& platform, const QString& login);

// Remembers the three values of a saved certificate for the login. Nothing for an empty login.
void rememberDoctorDetails(const CertificateFields& fields, platform::Platform& platform,
                           const QString& login);

} // namespace certificate
