// The InvCiv2010 document read back with XPath, its file name, and saving whole or not at all.
#include "certificate/InvCiv2010Writer.h"
#include "support/QtPrinters.h"
#include "support/SampleData.h"
#include "support/TempDirs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cerrno>
#include <functional>
#ifdef _WIN32
#include <thread>
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace certificate;

namespace {

// The complete certificate with texts that test the writer: an apostrophe, letters beyond ASCII, markup
// characters, line breaks.
CertificateFields sample()
{
    CertificateFields f = testing_support::completeCertificate();
    f.cognome = QStringLiteral("D'Annunzio");
    f.nome = QStringLiteral("Niccolò");
    f.sesso = Sesso::F;
    f.codiceFiscale = QStringLiteral("DNNNCL50C47F205X");
    f.provDiNascita = QStringLiteral("MI");
    f.anamnesi = QStringLiteral("Prima riga\r\nSeconda riga");
    f.obiettivita = QStringLiteral("Pressione < 140 & > 90");
    f.diagnosi = QStringLiteral("\r\n");
    f.terapia = QStringLiteral("A\r\nB\r\n");
    f.codiciIcd9 = {QStringLiteral("25000"), QStringLiteral("V4581"), QStringLiteral("4019")};
    f.descrizioniIcd9 = {QStringLiteral("Diabete\r\n")};
    f.luogo = QStringLiteral("Città di Castello");
    f.domanda = {};
    f.domanda[clinical::Purpose::Cecita] = f.domanda[clinical::Purpose::Handicap] = true;
    return f;
}

struct Parsed
{
    pugi::xml_document document;
    pugi::xml_parse_result result;
    explicit Parsed(const QByteArray& xml) { result = document.load_buffer(xml.constData(), xml.size()); }

    QString text(const char* xpath) const
    {
        return QString::fromUtf8(document.select_node(xpath).node().child_value());
    }
    QStringList texts(const char* xpath) const
    {
        QStringList out;
        for (const auto& node : document.select_nodes(xpath))
            out << QString::fromUtf8(node.node().child_value());
        return out;
    }
};

void collectNames(const pugi::xml_node& node, QStringList& names)
{
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() == pugi::node_element) {
            names << QString::fromUtf8(child.name());
            collectNames(child, names);
        }
    }
}

TEST(InvCiv2010Document, ElementsInDocumentOrder)
{
    Parsed xml(invCiv2010Document(sample(), QStringLiteral("F205")));
    ASSERT_TRUE(xml.result);
    QStringList names;
    collectNames(xml.document, names);
    EXPECT_EQ(names.join(QLatin1Char(' ')),
              QStringLiteral(
                  "InvCiv2010 Anagrafica Cognome Nome CodiceFiscale Sesso DataNascita ComuneNascita "
                  "NumeroTesseraSanitaria AnagraficaMedico Cognome Nome NumeroIscrizioneAlbo "
                  "ProvinciaAlbo CertificatoMedico CodiceAsl Anamnesi Obiettivita Diagnosi Terapia Altro "
                  "IsIntrasportabilita IsNonDeambulante IsNeoplastica IsGravita DataAcquisizione Luogo "
                  "ICD9 Item Codice Item Codice Item Codice TipoDomanda Item Sigla Item Sigla"));
    // No attributes anywhere.
    EXPECT_TRUE(xml.document.select_nodes("//@*").empty());
}

TEST(InvCiv2010Document, ValuesReadBack)
{
    Parsed xml(invCiv2010Document(sample(), QStringLiteral("F205")));
    EXPECT_EQ(xml.text("/InvCiv2010/Anagrafica/Cognome"), QStringLiteral("D'Annunzio"));
    EXPECT_EQ(xml.text("/InvCiv2010/Anagrafica/Nome"), QStringLiteral("Niccolò"));
    EXPECT_EQ(xml.text("/InvCiv2010/Anagrafica/Sesso"), QStringLiteral("F"));
    EXPECT_EQ(xml.text("/InvCiv2010/Anagrafica/DataNascita"), QStringLiteral("1950-03-07"));
    EXPECT_EQ(xml.text("/InvCiv2010/Anagrafica/ComuneNascita"), QStringLiteral("F205"));
    EXPECT_EQ(xml.text("/InvCiv2010/AnagraficaMedico/Cognome"), QStringLiteral("Bianchi"));
    EXPECT_EQ(xml.text("/InvCiv2010/AnagraficaMedico/ProvinciaAlbo"), QStringLiteral("MI"));
    EXPECT_EQ(xml.text("/InvCiv2010/CertificatoMedico/CodiceAsl"), QStringLiteral("000123"));
    EXPECT_EQ(xml.text("/InvCiv2010/CertificatoMedico/DataAcquisizione"), QStringLiteral("2010-05-05"));
    EXPECT_EQ(xml.text("/InvCiv2010/CertificatoMedico/Luogo"), QStringLiteral("Città di Castello"));
    EXPECT_EQ(xml.text("/InvCiv2010/CertificatoMedico/Altro"), QString());
    EXPECT_EQ(xml.texts("/InvCiv2010/ICD9/Item/Codice"),
              (QStringList{QStringLiteral("25000"), QStringLiteral("V4581"), QStringLiteral("4019")}));
    EXPECT_EQ(xml.texts("/InvCiv2010/TipoDomanda/Item/Sigla"),
              (QStringList{QStringLiteral("CECITA"), QStringLiteral("HANDICAP")}));
    // The province of birth and the ICD-9 descriptions are not part of the certificate.
    EXPECT_FALSE(xml.document.select_node("//*[text()='Diabete']"));
}

TEST(InvCiv2010Document, Booleans)
{
    CertificateFields f = sample();
    Parsed none(invCiv2010Document(f, {}));
    for (const char* path : {"IsIntrasportabilita", "IsNonDeambulante", "IsNeoplastica", "IsGravita"})
        EXPECT_EQ(none.text((std::string("/InvCiv2010/CertificatoMedico/") + path).c_str()),
                  QStringLiteral("false"));
    f.dichiarazioni = {true, false, true};
    Parsed some(invCiv2010Document(f, {}));
    EXPECT_EQ(some.texts("/InvCiv2010/CertificatoMedico/*[starts-with(name(), 'Is')]"),
              (QStringList{QStringLiteral("false"), QStringLiteral("true"), QStringLiteral("false"),
                           QStringLiteral("true")}));
}

TEST(InvCiv2010Document, TextsSurviveParsingExactly)
{
    CertificateFields f = sample();
    f.anamnesi = QString::fromUtf8(
        "Riferisce dolore all’anca; è già stato visitato\r\n\r\nperché <acuto> & \"forte\"");
    f.obiettivita = QStringLiteral("tab\there\x01\x1f end");
    Parsed xml(invCiv2010Document(f, QStringLiteral("F205")));
    ASSERT_TRUE(xml.result);
    EXPECT_EQ(xml.text("/InvCiv2010/CertificatoMedico/Anamnesi"), f.anamnesi);
    // Controls that XML cannot carry are dropped; the tab stays.
    EXPECT_EQ(xml.text("/InvCiv2010/CertificatoMedico/Obiettivita"), QStringLiteral("tab\there end"));
    EXPECT_EQ(xml.text("/InvCiv2010/CertificatoMedico/Diagnosi"), QStringLiteral("\r\n"));
    EXPECT_EQ(xml.text("/InvCiv2010/CertificatoMedico/Terapia"), QStringLiteral("A\r\nB\r\n"));
}

TEST(InvCiv2010Document, Utf8WithDeclarationIndentedTwoSpaces)
{
    const QByteArray xml = invCiv2010Document(sample(), QStringLiteral("F205"));
    EXPECT_TRUE(xml.startsWith(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<InvCiv2010>\n  <Anagrafica>\n    <Cognome>"));
    EXPECT_TRUE(xml.contains("<Anamnesi>Prima riga&#13;\nSeconda riga</Anamnesi>"));
    EXPECT_TRUE(xml.contains("&lt; 140 &amp; &gt; 90"));
    EXPECT_TRUE(xml.contains("Niccol\xC3\xB2"));
}

TEST(InvCiv2010Document, XmlCharactersOnly)
{
    const QChar controls[] = {QLatin1Char('a'),  QChar(0),          QLatin1Char('b'),
                              QChar(0x0b),       QChar(0x0c),       QChar(0x7f),
                              QLatin1Char('\t'), QLatin1Char('\r'), QLatin1Char('\n')};
    EXPECT_EQ(xmlCharactersOnly(QString(controls, 9)), QStringLiteral("ab\x7f\t\r\n"));
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_EQ(xmlCharactersOnly(emoji), emoji);
    EXPECT_EQ(xmlCharactersOnly(QString(QChar(0xD800)) + QChar(0xFFFE) + QLatin1Char('x')),
              QStringLiteral("x"));
}

TEST(InvCiv2010Path, DesktopWithSeparator)
{
    const QString sep = QDir::separator();
    EXPECT_EQ(invCiv2010Path(QStringLiteral("/home/u/Desktop")),
              QStringLiteral("/home/u/Desktop") + sep + "certmedinps.xml");
    EXPECT_EQ(invCiv2010Path(QStringLiteral("/home/u/Desktop/")),
              QStringLiteral("/home/u/Desktop/certmedinps.xml"));
    EXPECT_EQ(invCiv2010Path(QString()), sep + QStringLiteral("certmedinps.xml"));
}

// Writing whole or not at all, and why not in the doctor's words.
class SaveCertificateFile : public testing::Test
{
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("certmedinps.xml")); }
    void writeEarlier(const QByteArray& content)
    {
        QFile earlier(path());
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write(content);
    }
    QByteArray current() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

TEST_F(SaveCertificateFile, ReplacesTheEarlierFileWhole)
{
    writeEarlier(QByteArray(5000, 'x'));
    EXPECT_EQ(platform::writeFileWhole(path(), "<InvCiv2010 />"), QString());
    EXPECT_EQ(current(), QByteArray("<InvCiv2010 />"));
}

// Patient data: only its owner may read and write the file, whatever the umask and whatever an earlier
// file of the same name allowed; the same for a file opened with openOwnerOnly.
TEST_F(SaveCertificateFile, OnlyItsOwnerMayReadItWhateverTheUmaskOrTheEarlierFile)
{
#ifdef _WIN32
    GTEST_SKIP()
        << "owner-only permissions and the umask are POSIX; on Windows the folders' permissions apply";
#else
    const auto everyone = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                          QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther;
    const QString copy = dir.filePath(QStringLiteral("copia.pdf"));
    const mode_t previous = umask(0);
    EXPECT_EQ(platform::writeFileWhole(path(), "<InvCiv2010 />"), QString());
    EXPECT_EQ(testing_support::permissionsOf(path()), "rw-------");
    QFile::setPermissions(path(), everyone);
    EXPECT_EQ(platform::writeFileWhole(path(), "<InvCiv2010 />"), QString());
    EXPECT_EQ(testing_support::permissionsOf(path()), "rw-------");
    for (const bool existing : {false, true}) {
        if (existing)
            QFile::setPermissions(copy, everyone);
        QFile file(copy);
        EXPECT_TRUE(platform::openOwnerOnly(file, QIODevice::WriteOnly | QIODevice::Truncate));
        EXPECT_EQ(testing_support::permissionsOf(copy), "rw-------") << existing;
    }
    umask(previous);
#endif
}

TEST_F(SaveCertificateFile, FolderThatIsAFile)
{
    const QString notAFolder = dir.filePath(QStringLiteral("Desktop"));
    QFile file(notAFolder);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(platform::writeFileWhole(invCiv2010Path(notAFolder), "<InvCiv2010 />"),
              QStringLiteral("la cartella non esiste"));
}

TEST_F(SaveCertificateFile, AFailedWriteLeavesTheEarlierCertificateAsItWas)
{
#ifdef _WIN32
    GTEST_SKIP() << "a full disk is made with a file size limit (setrlimit, SIGXFSZ), which Windows lacks";
#else
    const QByteArray earlier = invCiv2010Document(sample(), QStringLiteral("F205"));
    writeEarlier(earlier);
    // The disk fills up while writing: files may grow to 100 bytes only.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit small = previous;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString failure = platform::writeFileWhole(path(), QByteArray(4096, 'y'));
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(failure, QStringLiteral("il disco è pieno"));
    EXPECT_EQ(current(), earlier);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("certmedinps.xml")});
#endif
}

TEST_F(SaveCertificateFile, ReadOnlyFolder)
{
#ifdef _WIN32
    GTEST_SKIP() << "a folder's read-only permission does not stop writing into it on Windows";
#else
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
#endif
    writeEarlier("earlier");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const QString failure = platform::writeFileWhole(path(), "<InvCiv2010 />");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(failure, QStringLiteral("la cartella non è scrivibile"));
    EXPECT_EQ(current(), QByteArray("earlier"));
}

// Only a regular file is written over: a folder, a link (to a file or to nothing) or a pipe in its place
// is refused by every writer, and what it points to stays as it was.
TEST_F(SaveCertificateFile, NothingButARegularFileIsWrittenOver)
{
    const QString target = dir.filePath(QStringLiteral("altrove.pdf"));
    const QString link = QStringLiteral("al suo posto c'è un collegamento simbolico, attraverso il quale il "
                                        "programma non scrive");
    const struct
    {
        const char* what;
        std::function<bool()> plant;
        QString reason;
    } cases[] = {
        {"folder", [this] { return QDir(dir.path()).mkdir(QStringLiteral("certmedinps.xml")); },
         QStringLiteral("al suo posto c'è una cartella con lo stesso nome")},
#ifndef _WIN32
        {"link to a file",
         [&] { return testing_support::writeFile(target, "altrui") && QFile::link(target, path()); }, link},
        {"link to nothing", [&] { return QFile::link(target, path()); }, link},
        {"pipe", [this] { return mkfifo(QFile::encodeName(path()).constData(), 0600) == 0; },
         QStringLiteral("al suo posto c'è qualcosa che non è un file normale")},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.plant());
        const QByteArray before = testing_support::readAll(target);
        EXPECT_EQ(platform::unsafeOutputReason(path()), c.reason);
        EXPECT_EQ(platform::writeFileWhole(path(), "<InvCiv2010 />"), c.reason);
        QFile copy(path());
        EXPECT_FALSE(platform::openOwnerOnly(copy, QIODevice::WriteOnly | QIODevice::Truncate));
        EXPECT_EQ(platform::fileErrorText(copy, platform::FileAccess::Write), c.reason);
        EXPECT_EQ(testing_support::readAll(target), before);
        EXPECT_EQ(QFileInfo::exists(target), !before.isEmpty());
        QFile::remove(path());
        QDir(dir.path()).rmdir(QStringLiteral("certmedinps.xml"));
        QFile::remove(target);
    }
#ifndef _WIN32
    // A kept copy takes the next free name: a link at a dated name counts as taken.
    writeEarlier("del medico");
    const QString stamp = QFileInfo(path()).lastModified().toString(QStringLiteral("yyyy-MM-dd HH.mm.ss"));
    ASSERT_TRUE(QFile::link(target, dir.filePath(QStringLiteral("copia (%1).xml").arg(stamp))));
    const platform::KeptFile kept = platform::keepUnderDatedName(path(), QStringLiteral("copia"));
    EXPECT_EQ(kept.path,
              QDir::toNativeSeparators(dir.filePath(QStringLiteral("copia (%1) (2).xml").arg(stamp))));
    EXPECT_FALSE(QFileInfo::exists(target));
#endif
}

// A name longer than the system takes is said so, naming that name: the file written, or the dated name
// an earlier file would take, which then stays as it was.
#ifdef _WIN32
// A file another program holds a moment without sharing its deletion (a scanner, Explorer taking its
// icon) is replaced once it is let go; one held throughout is said to be in use, and stays as it was.
TEST_F(SaveCertificateFile, AFileHeldAMomentIsReplacedOnceLetGo)
{
    for (const bool letGo : {true, false}) {
        SCOPED_TRACE(letGo);
        writeEarlier("earlier");
        const HANDLE held = CreateFileW(
            reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path()).utf16()), GENERIC_READ,
            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        // Held throughout: let go only once the write has given up, however slow the machine.
        std::thread holder;
        if (letGo)
            holder = std::thread([held] {
                Sleep(600);
                CloseHandle(held);
            });
        const QString failure = platform::writeFileWhole(path(), "<InvCiv2010 />");
        const QByteArray after = current();
        if (holder.joinable())
            holder.join();
        else
            CloseHandle(held);
        EXPECT_EQ(failure, letGo ? QString() : QStringLiteral("il file è in uso da un altro programma"));
        EXPECT_EQ(after, letGo ? QByteArray("<InvCiv2010 />") : QByteArray("earlier"));
    }
}
#endif

TEST_F(SaveCertificateFile, ANameTooLongIsSaidSoNamingIt)
{
    const QString longName = QString(260, QLatin1Char('A')) + QStringLiteral(".xml");
    EXPECT_EQ(platform::writeFileWhole(dir.filePath(longName), "<InvCiv2010 />"),
              QStringLiteral("nome del file troppo lungo: ") + longName);
    writeEarlier("earlier");
    const QString base = QStringLiteral("certmedinps ") + QString(240, QLatin1Char('A'));
    const platform::KeptFile kept = platform::keepUnderDatedName(path(), base);
    EXPECT_EQ(kept.path, QString());
    EXPECT_TRUE(kept.failure.startsWith(QStringLiteral("nome del file troppo lungo: ") + base + " ("))
        << kept.failure.toStdString();
    EXPECT_EQ(current(), QByteArray("earlier"));
}

// What the system's own code says, where no test can make the situation itself.
TEST(FileErrorText, SystemCodes)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("certmedinps.xml"));
    using platform::FileAccess;
#ifdef _WIN32
    const int diskFull = ERROR_DISK_FULL, inUse = ERROR_SHARING_VIOLATION, other = ERROR_CRC,
              tooLong = ERROR_FILENAME_EXCED_RANGE;
#else
    const int diskFull = ENOSPC, inUse = EBUSY, other = EIO, tooLong = ENAMETOOLONG;
#endif
    EXPECT_EQ(platform::fileErrorText(file, FileAccess::Write, QFileDevice::WriteError, diskFull),
              QStringLiteral("il disco è pieno"));
    EXPECT_EQ(platform::fileErrorText(file, FileAccess::Write, QFileDevice::OpenError, inUse),
              QStringLiteral("il file è in uso da un altro programma"));
    EXPECT_EQ(platform::fileErrorText(file, FileAccess::Read, QFileDevice::OpenError, ENOENT),
              QStringLiteral("il file non esiste"));
    EXPECT_EQ(platform::fileErrorText(file, FileAccess::Write, QFileDevice::OpenError, tooLong),
              QStringLiteral("nome del file troppo lungo: certmedinps.xml"));
    EXPECT_EQ(platform::fileErrorText(file, FileAccess::Write, QFileDevice::WriteError, other),
              QStringLiteral("errore di scrittura (codice di sistema %1)").arg(other));
}

} // namespace
