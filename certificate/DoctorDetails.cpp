#include "DoctorDetails.h"

#include "platform/Platform.h"

#include <array>
#include <utility>

namespace certificate {

namespace {

using Text = QString CertificateFields::*;

const std::array<std::pair<const char*, Text>, 3> kDetails = {{
    {"num_iscrizione", &CertificateFields::numIscrizione},
    {"prov_albo", &CertificateFields::provAlbo},
    {"luogo", &CertificateFields::luogo},
}};

} // namespace

QString doctorSettingName(const QString& login, const QString& value)
{
    return QStringLiteral("medici/") + QString::fromLatin1(login.toUtf8().toHex().toUpper()) +
           QLatin1Char('/') + value;
}

void fillDoctorDetails(CertificateFields& fields, const platform::Platform& platform, const QString& login)
{
    if (login.isEmpty())
        return;
    for (const auto& [name, value] : kDetails) {
        const QString stored = platform.userSetting(doctorSettingName(login, QLatin1String(name)));
        if (!stored.isEmpty())
            fields.*value = stored;
    }
}

void rememberDoctorDetails(const CertificateFields& fields, platform::Platform& platform,
                           const QString& login)
{
    if (login.isEmpty())
        return;
    for (const auto& [name, value] : kDetails)
        platform.setUserSetting(doctorSettingName(login, QLatin1String(name)), fields.*value);
}

} // namespace certificate
