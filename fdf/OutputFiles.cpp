#include "OutputFiles.h"

#include "platform/Platform.h"
#include "text/Windows1252.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace fdf {

namespace {

bool unfitForFileName(char32_t c)
{
    static const QString kForbidden = QStringLiteral(" '\\/:*?\"<>|");
    return (c <= 0xFFFF && kForbidden.contains(QChar(char16_t(c)))) ||
           QChar::category(c) == QChar::Other_Control;
}

// A letter Windows-1252 lacks, as the base letter it is written from when the code page has that one;
// 0 when there is none. Canonical decomposition gives most (Ș is S and a comma below, Ễ is E and two
// accents); the few letters with a stroke or without a dot are written from no other letter.
char32_t baseLetter(char32_t c)
{
    if (!QChar::isLetter(c))
        return 0;
    static const QHash<char32_t, char32_t> kUndecomposable = {{U'Ł', U'L'}, {U'ł', U'l'}, {U'Đ', U'D'},
                                                              {U'đ', U'd'}, {U'Ħ', U'H'}, {U'ħ', U'h'},
                                                              {U'Ŧ', U'T'}, {U'ŧ', U't'}, {U'ı', U'I'}};
    if (const auto it = kUndecomposable.constFind(c); it != kUndecomposable.cend())
        return *it;
    const QList<uint> decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_D).toUcs4();
    const char32_t base = decomposed.isEmpty() ? 0 : decomposed.first();
    return base != c && QChar::isLetter(base) && text::inWindows1252(base) ? base : 0;
}

const QString kAp68Suffix = QStringLiteral("certmedinps");
const QString kAp42Ss3Suffix = QStringLiteral("certAP42_SS3");

QString withSeparator(const QString& folder)
{
    if (folder.endsWith(QDir::separator()) || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QDir::separator();
}

} // namespace

QString CleanFileNamePart(const QString& name)
{
    QString cleaned;
    cleaned.reserve(name.size());
    for (const char32_t c : name.toUcs4()) {
        const char32_t kept = text::inWindows1252(c) ? c : baseLetter(c);
        if (kept != 0 && !unfitForFileName(kept))
            cleaned += QString::fromUcs4(&kept, 1);
    }
    return cleaned;
}

QString GetDesktopFolder(const platform::Platform& platform)
{
    return platform.desktopFolder();
}

OutputFileSet outputFileSet(Certificate certificate, const QString& programFolder,
                            const QString& desktopFolder, const QString& cognome, const QString& nome)
{
    const QString s = CleanFileNamePart(cognome);
    const QString n = CleanFileNamePart(nome);
    const QString program = withSeparator(programFolder);
    const QString temp = program + QStringLiteral("temp") + QDir::separator();
    const QString desktop = withSeparator(desktopFolder);
    const bool ap68 = certificate == Certificate::Ap68;
    const QString suffix = ap68 ? kAp68Suffix : kAp42Ss3Suffix;

    OutputFileSet files;
    files.statusText = (ap68 ? QStringLiteral("Creazione Certificato per ")
                             : QStringLiteral("Creazione Certificato AP42 SS3  per ")) +
                       s + QStringLiteral(" - ") + n;
    files.fdfPath = temp + s + n + suffix + QStringLiteral(".fdf");
    files.exportPath = temp + s + n + suffix + QStringLiteral(".xml");
    files.blankFormPath =
        program + (ap68 ? QStringLiteral("cert med INPS.pdf") : QStringLiteral("AP42_SS3.pdf"));
    files.desktopCopyPath = desktop + s + n + suffix + QStringLiteral(".pdf");
    files.completedCopyPath = desktop + s + n + suffix + QStringLiteral("_compilato.pdf");
    return files;
}

void clearTempFolder(const platform::Platform& platform)
{
    const QDateTime now = platform.now();
    const QDateTime fdfBefore = now.addDays(-7);
    const QDateTime exportBefore = now.addSecs(-10 * 60);
    const QDir temp(withSeparator(platform.programFolder()) + QStringLiteral("temp"));
    // Hidden as well: a surname that starts with "." makes a hidden name.
    for (const QFileInfo& file : temp.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
        const QString name = file.fileName();
        for (const QString& suffix : {kAp68Suffix, kAp42Ss3Suffix}) {
            const bool old =
                name.endsWith(suffix + QStringLiteral(".fdf")) && file.lastModified() < fdfBefore;
            const bool left =
                name.endsWith(suffix + QStringLiteral(".xml")) && file.lastModified() < exportBefore;
            if (old || left)
                QFile::remove(file.filePath());
        }
    }
}

} // namespace fdf
