// Value escaping, text encodings, file names, form references and dates.

#include "text/FdfText.h"
#include "fdf/FdfDocument.h"
#include "fdf/FormDates.h"
#include "fdf/OutputFiles.h"
#include "text/PdfText.h"
#include "text/Windows1252.h"

#include <QDir>

#include "Pdftk.h"

#include <gtest/gtest.h>

namespace {

struct TextCase
{
    QString input;
    QString expected;
};

TEST(EscapeFdfText, EscapesBackslashParenthesesAndCrLf)
{
    const TextCase cases[] = {
        {"Rossi (Bianchi)", "Rossi \\(Bianchi\\)"},
        {"C:\\dati", "C:\\\\dati"},
        {"fine\\", "fine\\\\"},
        {"\\)", "\\\\\\)"},
        {"uno\r\ndue", "uno\\ndue"},
        {"lone\nLF and lone\rCR", "lone\nLF and lone\rCR"},
        {"\r\r\n\n", "\r\\n\n"},
        {"àèìòù ’€ 😀", "àèìòù ’€ 😀"},
        {"", ""},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(text::EscapeFdfText(c.input), c.expected) << c.input.toStdString();
}

TEST(Windows1252, EncodesTheCodePageAndSubstitutesTheRest)
{
    EXPECT_EQ(text::encodeWindows1252(QStringLiteral("obiettività ’€Š")),
              QByteArray("obiettivit\xE0 \x92\x80\x8A"));
    EXPECT_EQ(text::encodeWindows1252(QStringLiteral("ł😀x")), QByteArray("??x"));
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    EXPECT_EQ(text::encodeWindows1252(text::decodeWindows1252(all)), all);
}

TEST(PdfTextString, UsesPdfDocEncodingWhenItCanElseUtf16)
{
    const struct
    {
        QString raw;
        QByteArray written;
    } cases[] = {
        {"Diabete (tipo 2)", "(Diabete \\(tipo 2\\))"},
        {"", "()"},
        {"obiettività", "(obiettivit\xE0)"},
        {"Dell’Acqua €", "(Dell\x90"
                         "Acqua \xA0)"},
        {"Œuvre – ˜", "(\x96uvre \x85 \x1F)"},
        {"a\r\nb\nc\td", "(a\\nb\nc\td)"},
        {"ł", "(\x9B)"},
        // Windows-1252 bytes that PDFDocEncoding lacks, and characters outside both.
        {"\u00AD", "<FEFF00AD>"},
        {"\u00A0", "<FEFF00A0>"},
        {"\u0001", "<FEFF0001>"},
        {"Ω (x)\r\ny\rz\\", "<FEFF03A90020002800780029000A0079000A007A005C>"},
        {"😀", "<FEFFD83DDE00>"},
        // Bytes that would open as a byte-order mark.
        {"þÿ)", "<FEFF00FE00FF0029>"},
        {"ï»¿x", "<FEFF00EF00BB00BF0078>"},
        {"xþÿ", "(x\xFE\xFF)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(text::pdfTextString(c.raw), c.written) << c.raw.toStdString();
}

TEST(CleanFileNamePart, KeepsWhatAFileNameAndTheFormReferenceCanHold)
{
    const TextCase cases[] = {
        {"D'ANGELO", "DANGELO"},
        {"MARIA ROSA", "MARIAROSA"},
        {"De Luca-Nicolò", "DeLuca-Nicolò"},
        {"..\\..\\Windows", "....Windows"},
        {"a/b:c*d?e\"f<g>h|i", "abcdefghi"},
        {QStringLiteral("tab\there\r\nnul") + QChar(0) + QStringLiteral("x\u007F\u0085"), "tabherenulx"},
        {"Rossi (Bianchi)", "Rossi(Bianchi)"},
        // Only what the FDF's Windows-1252 form reference can name: letters it lacks become their base
        // letter, anything else it lacks goes.
        {"ȘTEFAN ION", "STEFANION"},
        {"Țurcanu Ştefănescu", "TurcanuStefanescu"},
        {"ŁUKASZ Nguyễn", "LUKASZNguyen"},
        {"Đorđević Yılmaz Ħabib", "DordevicYIlmazHabib"},
        {"Œdipe Žák Ÿves", "ŒdipeŽákŸves"},
        {"’ł😀", "’l"},
        {"E\u0301Ω≮x", "EOx"},
        // Cyrillic and Greek as passports write them in Latin letters, in the case written.
        {"ЗЗИВАНОВ ИВАН", "ZZIVANOVIVAN"},
        {"ЗЗПЕТРОВ ОЛЬГА", "ZZPETROVOLGA"},
        {"Жанна Щербакова", "ZhannaShcherbakova"},
        {"ЖУКОВ Юлия", "ZHUKOVIuliia"},
        {"Ђорђевић Їжак", "DordevicIzhak"},
        {"ΠΑΠΑΔΟΠΟΥΛΟΣ ΕΥΑΓΓΕΛΟΣ", "PAPADOPOULOSEVANGELOS"},
        {"Γιώργος Θεοδωρίδης", "GiorgosTheodoridis"},
        // What has no Latin letters goes, as before.
        {"王秀英", ""},
        {"محمد", ""},
        // At most 60 characters.
        {QString(70, QLatin1Char('A')), QString(60, QLatin1Char('A'))},
        {QString(40, QChar(0x0429)), QStringLiteral("SHCH").repeated(15)},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(fdf::CleanFileNamePart(c.input), c.expected) << c.input.toStdString();
}

TEST(FileSpecification, WindowsPathsFollowTheFdfRuleUnixPathsStay)
{
    using fdf::PathStyle;
    EXPECT_EQ(
        fdf::fileSpecification(
            QStringLiteral("C:\\Documents and Settings\\medico\\Desktop\\DANGELOMARIAROSAcertmedinps.pdf"),
            PathStyle::Windows),
        QStringLiteral("/C/Documents and Settings/medico/Desktop/DANGELOMARIAROSAcertmedinps.pdf"));
    EXPECT_EQ(fdf::fileSpecification(QStringLiteral("\\DANGELOMARIAROSAcertmedinps.pdf"), PathStyle::Windows),
              QStringLiteral("//DANGELOMARIAROSAcertmedinps.pdf"));
    EXPECT_EQ(fdf::fileSpecification(QStringLiteral("\\\\server\\share\\x.pdf"), PathStyle::Windows),
              QStringLiteral("///server/share/x.pdf"));
    EXPECT_EQ(fdf::fileSpecification(QStringLiteral("/home/medico/Scrivania/ROSSIMARIOcertmedinps.pdf"),
                                     PathStyle::Unix),
              QStringLiteral("/home/medico/Scrivania/ROSSIMARIOcertmedinps.pdf"));
    EXPECT_EQ(fdf::fileSpecification(QStringLiteral("/DANGELOMARIAROSAcertmedinps.pdf"), PathStyle::Unix),
              QStringLiteral("/DANGELOMARIAROSAcertmedinps.pdf"));
}

TEST(FormDates, FormatsAndParses)
{
    EXPECT_EQ(fdf::formDate(QDate(1950, 3, 5)), QStringLiteral("05/03/1950"));
    EXPECT_EQ(fdf::formDate(QDate(987, 12, 31)), QStringLiteral("31/12/0987"));
    const QString label = QStringLiteral("Data di rilascio del documento");
    EXPECT_EQ(fdf::parseHostDate(QStringLiteral("2005-3-7"), label), QDate(2005, 3, 7));
    try {
        fdf::parseHostDate(QStringLiteral("2005-02-30"), label);
        ADD_FAILURE() << "parsed";
    } catch (const fdf::InvalidDateError& error) {
        EXPECT_STREQ(error.what(), "Data di rilascio del documento non valida: 2005-02-30");
    }
}

TEST(OutputFileSet, NamesEveryFileFromTheCleanedNames)
{
    const QString sep = QDir::separator();
    const QString program = sep + QStringLiteral("prog") + sep;
    const QString work = sep + QStringLiteral("work");
    const fdf::OutputFileSet ap68 =
        fdf::outputFileSet(fdf::Certificate::Ap68, program, work, sep + QStringLiteral("desk"),
                           {QStringLiteral("D'ANGELO"), QStringLiteral("MARIA ROSA")});
    EXPECT_EQ(ap68.statusText, QStringLiteral("Creazione Certificato per DANGELO - MARIAROSA"));
    EXPECT_EQ(ap68.fdfPath, work + sep + "DANGELOMARIAROSAcertmedinps.fdf");
    EXPECT_EQ(ap68.blankFormPath, program + "cert med INPS.pdf");
    EXPECT_EQ(ap68.desktopCopyPath, sep + "desk" + sep + "DANGELOMARIAROSAcertmedinps.pdf");

    const fdf::OutputFileSet ap42 =
        fdf::outputFileSet(fdf::Certificate::Ap42Ss3, program, work + sep, sep + QStringLiteral("desk") + sep,
                           {QStringLiteral("ROSSI"), QStringLiteral("MARIO")});
    EXPECT_EQ(ap42.statusText, QStringLiteral("Creazione Certificato AP42 SS3  per ROSSI - MARIO"));
    EXPECT_EQ(ap42.fdfPath, work + sep + "ROSSIMARIOcertAP42_SS3.fdf");
    EXPECT_EQ(ap42.blankFormPath, program + "AP42_SS3.pdf");
    EXPECT_EQ(ap42.desktopCopyPath, sep + "desk" + sep + "ROSSIMARIOcertAP42_SS3.pdf");

    // No desktop: the copy goes to the root, and its name still cannot leave it.
    const fdf::OutputFileSet rootCopy = fdf::outputFileSet(fdf::Certificate::Ap68, program, work, QString(),
                                                           {QStringLiteral("../.."), QStringLiteral("X")});
    EXPECT_EQ(rootCopy.desktopCopyPath, sep + "....Xcertmedinps.pdf");

    // A name that cleans to nothing takes the first alternative that does not: the fiscal code, then
    // the host's code; the status line keeps the names as they clean.
    const struct
    {
        QStringList alternatives;
        const char* copy;
    } fallbacks[] = {{{"WNGXYN80A41Z210K", "1001", "31303031"}, "WNGXYN80A41Z210Kcertmedinps.pdf"},
                     {{"", "1001", "31303031"}, "1001certmedinps.pdf"},
                     {{"", "页", "E9A1B5"}, "E9A1B5certmedinps.pdf"},
                     {{}, "certmedinps.pdf"}};
    for (const auto& f : fallbacks) {
        const fdf::OutputFileSet files =
            fdf::outputFileSet(fdf::Certificate::Ap68, program, work, sep + QStringLiteral("desk"),
                               {QStringLiteral("王"), QStringLiteral("秀英"), f.alternatives});
        EXPECT_EQ(files.desktopCopyPath, sep + "desk" + sep + QLatin1String(f.copy)) << f.copy;
        EXPECT_EQ(files.statusText, QStringLiteral("Creazione Certificato per  - "));
    }
    // Only when both parts clean to nothing.
    EXPECT_EQ(fdf::outputFileSet(fdf::Certificate::Ap68, program, work, sep + QStringLiteral("desk"),
                                 {QStringLiteral("王"), QStringLiteral("MARIA"), {QStringLiteral("X")}})
                  .desktopCopyPath,
              sep + "desk" + sep + "MARIAcertmedinps.pdf");
}

} // namespace
