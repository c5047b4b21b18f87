#include "OpenSetting.h"

#include <QDir>
#include <QSettings>

namespace fdf {

OpenTarget defaultOpenTarget()
{
#ifdef Q_OS_WIN
    return OpenTarget::Fdf;
#else
    return OpenTarget::FilledPdf;
#endif
}

OpenTarget openTarget(const QSettings& settings)
{
    // A registry DWORD reads as a number, an .ini value as text; anything unclear keeps the default.
    const QString value = settings.value(kOpenFilledPdfKey).toString().trimmed().toLower();
    if (value == QLatin1String("true") || value == QLatin1String("1") || value == QLatin1String("si") ||
        value == QStringLiteral("sì"))
        return OpenTarget::FilledPdf;
    if (value == QLatin1String("false") || value == QLatin1String("0") || value == QLatin1String("no"))
        return OpenTarget::Fdf;
    return defaultOpenTarget();
}

OpenTarget openTargetSetting()
{
    const QSettings settings(QSettings::UserScope, kSettingsOrganisation, kSettingsApplication);
    return openTarget(settings);
}

QString openSettingLocation()
{
    const QSettings settings(QSettings::UserScope, kSettingsOrganisation, kSettingsApplication);
    QString location = QDir::toNativeSeparators(settings.fileName());
    if (location.startsWith(QStringLiteral("\\HKEY_"))) // Qt names a registry key "\HKEY_CURRENT_USER\..."
        location.remove(0, 1);
    return location;
}

QString pathToOpen(const PdfFlowResult& result, OpenTarget target)
{
    if (target == OpenTarget::FilledPdf && !result.filledPdfPath.isEmpty())
        return result.filledPdfPath;
    return result.fdfPath;
}

} // namespace fdf
