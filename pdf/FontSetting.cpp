#include "FontSetting.h"

#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace pdf {

QString unicodeFontPath(const platform::Platform& platform)
{
    if (const QString named = platform.userSetting(kPdfFontKey).trimmed(); !named.isEmpty())
        return named;
#ifdef Q_OS_WIN
    // Every Windows has Arial; a system without it (wine) may have DejaVu Sans in its fonts folder.
    const QStringList files = {QStringLiteral("arial.ttf"), QStringLiteral("segoeui.ttf"),
                               QStringLiteral("DejaVuSans.ttf")};
#else
    const QStringList files = {QStringLiteral("truetype/dejavu/DejaVuSans.ttf"),
                               QStringLiteral("dejavu/DejaVuSans.ttf"), QStringLiteral("DejaVuSans.ttf")};
#endif
    for (const QString& file : files) {
        for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::FontsLocation)) {
            const QString path = QDir(folder).filePath(file);
            if (QFileInfo(path).isFile())
                return QDir::toNativeSeparators(path);
        }
    }
    return {};
}

} // namespace pdf
