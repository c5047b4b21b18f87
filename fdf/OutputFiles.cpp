#include "OutputFiles.h"

#include "clinical/EssentialData.h"
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

// Cyrillic letters as passports write them in Latin ones (ICAO 9303: Russian, Ukrainian, Belarusian,
// Macedonian; Serbian Ђ and Ћ as their Latin Đ and Ć reduce to Windows-1252), Greek ones as Greek
// passports do (ELOT 743); by upper-case letter.
const QHash<char32_t, const char*>& latinLetters()
{
    static const QHash<char32_t, const char*> table = {
        {U'А', "A"},  {U'Б', "B"},  {U'В', "V"},  {U'Г', "G"},  {U'Ґ', "G"},  {U'Д', "D"},    {U'Ђ', "D"},
        {U'Ѓ', "G"},  {U'Е', "E"},  {U'Ё', "E"},  {U'Є', "IE"}, {U'Ж', "ZH"}, {U'З', "Z"},    {U'Ѕ', "DZ"},
        {U'И', "I"},  {U'І', "I"},  {U'Ї', "I"},  {U'Й', "I"},  {U'Ј', "J"},  {U'К', "K"},    {U'Л', "L"},
        {U'Љ', "LJ"}, {U'М', "M"},  {U'Н', "N"},  {U'Њ', "NJ"}, {U'О', "O"},  {U'П', "P"},    {U'Р', "R"},
        {U'С', "S"},  {U'Т', "T"},  {U'Ћ', "C"},  {U'Ќ', "K"},  {U'У', "U"},  {U'Ў', "U"},    {U'Ф', "F"},
        {U'Х', "KH"}, {U'Ц', "TS"}, {U'Ч', "CH"}, {U'Џ', "DZ"}, {U'Ш', "SH"}, {U'Щ', "SHCH"}, {U'Ъ', "IE"},
        {U'Ы', "Y"},  {U'Ь', ""},   {U'Э', "E"},  {U'Ю', "IU"}, {U'Я', "IA"}, {U'Α', "A"},    {U'Β', "V"},
        {U'Γ', "G"},  {U'Δ', "D"},  {U'Ε', "E"},  {U'Ζ', "Z"},  {U'Η', "I"},  {U'Θ', "TH"},   {U'Ι', "I"},
        {U'Κ', "K"},  {U'Λ', "L"},  {U'Μ', "M"},  {U'Ν', "N"},  {U'Ξ', "X"},  {U'Ο', "O"},    {U'Π', "P"},
        {U'Ρ', "R"},  {U'Σ', "S"},  {U'Τ', "T"},  {U'Υ', "Y"},  {U'Φ', "F"},  {U'Χ', "CH"},   {U'Ψ', "PS"},
        {U'Ω', "O"}};
    return table;
}

// Greek pairs written as one sound.
const QHash<QPair<char32_t, char32_t>, const char*>& latinPairs()
{
    static const QHash<QPair<char32_t, char32_t>, const char*> pairs = {
        {{U'Ο', U'Υ'}, "OU"}, {{U'Α', U'Υ'}, "AV"}, {{U'Ε', U'Υ'}, "EV"}, {{U'Γ', U'Γ'}, "NG"}};
    return pairs;
}

// The key of a Cyrillic or Greek letter in those tables, accents off (ά is Α, ς is Σ); 0 for any other.
char32_t latinKey(char32_t c)
{
    if (c == 0)
        return 0;
    if (const char32_t upper = QChar::toUpper(c); latinLetters().contains(upper))
        return upper;
    const QList<uint> decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_D).toUcs4();
    const char32_t base = decomposed.isEmpty() ? 0 : QChar::toUpper(decomposed.first());
    return latinLetters().contains(base) ? base : 0;
}

// The Latin letters in the case of the letter written: "Zh" for Ж before a small letter, "ZH" before a
// capital, "zh" for ж.
QString inCaseOf(char32_t letter, char32_t next, const char* latin)
{
    const QString text = QString::fromLatin1(latin);
    if (!QChar::isUpper(letter))
        return text.toLower();
    return QChar::isLower(next) ? text.left(1) + text.mid(1).toLower() : text;
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
    const QList<uint> letters = name.toUcs4();
    const auto at = [&letters](qsizetype i) { return i < letters.size() ? char32_t(letters[i]) : 0; };
    QString cleaned;
    cleaned.reserve(name.size());
    for (qsizetype i = 0; i < letters.size(); ++i) {
        const char32_t c = letters[i];
        if (!text::inWindows1252(c)) {
            if (const char32_t key = latinKey(c)) {
                const char* const* pair = nullptr;
                if (const auto found = latinPairs().constFind({key, latinKey(at(i + 1))});
                    found != latinPairs().cend())
                    pair = &found.value();
                const qsizetype next = pair ? i + 2 : i + 1;
                cleaned += inCaseOf(c, at(next), pair ? *pair : latinLetters().value(key));
                i = next - 1;
                continue;
            }
        }
        const char32_t kept = text::inWindows1252(c) ? c : baseLetter(c);
        if (kept != 0 && !unfitForFileName(kept))
            cleaned += QString::fromUcs4(&kept, 1);
    }
    return cleaned.left(kMaxFileNamePart);
}

QString GetDesktopFolder(const platform::Platform& platform)
{
    return platform.desktopFolder();
}

QString statusText(Certificate certificate, const QString& cognome, const QString& nome)
{
    return (certificate == Certificate::Ap68 ? QStringLiteral("Creazione Certificato per ")
                                             : QStringLiteral("Creazione Certificato AP42 SS3  per ")) +
           CleanFileNamePart(cognome) + QStringLiteral(" - ") + CleanFileNamePart(nome);
}

OutputFileSet outputFileSet(Certificate certificate, const QString& programFolder, const QString& workFolder,
                            const QString& desktopFolder, const PatientNames& names)
{
    QString s = CleanFileNamePart(names.cognome);
    const QString n = CleanFileNamePart(names.nome);
    // Two patients whose names clean to nothing must not share one file.
    for (qsizetype i = 0; s.isEmpty() && n.isEmpty() && i < names.alternatives.size(); ++i)
        s = CleanFileNamePart(names.alternatives[i]);
    const QString program = withSeparator(programFolder);
    const QString work = withSeparator(workFolder);
    const QString desktop = withSeparator(desktopFolder);
    const bool ap68 = certificate == Certificate::Ap68;
    const QString suffix = ap68 ? kAp68Suffix : kAp42Ss3Suffix;

    OutputFileSet files;
    files.statusText = statusText(certificate, names.cognome, names.nome);
    files.fdfPath = work + s + n + suffix + QStringLiteral(".fdf");
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
    if (platform.workFolder().isEmpty())
        return;
    const QDir work(platform.workFolder());
    // Hidden as well: a surname that starts with "." makes a hidden name.
    for (const QFileInfo& file : work.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
        const QString name = file.fileName();
        const bool old = (name.endsWith(kAp68Suffix + QStringLiteral(".fdf")) ||
                          name.endsWith(kAp42Ss3Suffix + QStringLiteral(".fdf"))) &&
                         file.lastModified() < fdfBefore;
        const bool left = clinical::isExportFileName(name) && file.lastModified() < exportBefore;
        if (old || left)
            QFile::remove(file.filePath());
    }
}

} // namespace fdf
