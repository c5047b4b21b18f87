#include "OpenSetting.h"

#include "platform/Platform.h"

namespace fdf {

OpenTarget defaultOpenTarget()
{
#ifdef Q_OS_WIN
    return OpenTarget::Fdf;
#else
    return OpenTarget::FilledPdf;
#endif
}

OpenTarget openTarget(const platform::Platform& platform)
{
    // A registry DWORD reads as a number, an .ini value as text; anything unclear keeps the default.
    const QString value = platform.userSetting(kOpenFilledPdfKey).trimmed().toLower();
    if (value == QLatin1String("true") || value == QLatin1String("1") || value == QLatin1String("si") ||
        value == QStringLiteral("sì"))
        return OpenTarget::FilledPdf;
    if (value == QLatin1String("false") || value == QLatin1String("0") || value == QLatin1String("no"))
        return OpenTarget::Fdf;
    return defaultOpenTarget();
}

QString pathToOpen(const PdfFlowResult& result, OpenTarget target)
{
    if (target == OpenTarget::FilledPdf && !result.filledPdfPath.isEmpty())
        return result.filledPdfPath;
    return result.fdfPath;
}

} // namespace fdf
