// The FDF serializer and file writing: envelope, entry forms, closings, form reference, failures.

#include "fdf/FdfDocument.h"

#include "Patients.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace fdf;

TEST(SerializeFdf, WritesTheFourEntryFormsInTheEnvelope)
{
    const std::vector<FdfEntry> entries = {checkBoxOff("hand"),      noValue(QStringLiteral("obiettività")),
                                           textEntry("a", ""),       textOrEmpty("b", ""),
                                           textOrEmpty("c", "x (y"), namedState("sesso", "2")};
    const QByteArray body = "<</T(hand)/V/Off>>\r\n<</T(obiettivit\xE0)>>\r\n<</T(a)/V()>>\r\n<</T(b)>>\r\n"
                            "<</T(c)/V(x \\(y)>>\r\n<</T(sesso)/V/2>>";
    const QByteArray head = "%FDF-1.2\r\n1 0 obj\r\n<</FDF\r\n<</F(/C/x.pdf)/Fields[\r\n";
    const QByteArray tail = ">>endobj\r\n\r\ntrailer\r\n<</Root 1 0 R>>\r\n%%EOF\r\n";
    EXPECT_EQ(serializeFdf("/C/x.pdf", entries, FdfClosing::AfterLastEntry),
              head + body + "]\r\n>>\r\n" + tail);
    EXPECT_EQ(serializeFdf("/C/x.pdf", entries, FdfClosing::OwnLine), head + body + "\r\n]>>\r\n" + tail);
}

TEST(SerializeFdf, FormReferenceIsWindows1252AndCannotEndEarly)
{
    const QByteArray windows =
        serializeFdf(fileSpecification(QStringLiteral("C:\\Documents and Settings\\medico\\Desktop\\"
                                                      "DANGELOMARIAROSAcertmedinps.pdf"),
                                       PathStyle::Windows),
                     {}, FdfClosing::AfterLastEntry);
    EXPECT_EQ(testing_support::fdfLines(windows).at(3),
              "<</F(/C/Documents and Settings/medico/Desktop/DANGELOMARIAROSAcertmedinps.pdf)/Fields[");
    const QByteArray odd =
        serializeFdf(QStringLiteral("/home/Nicolò/a\\b/ROSSI(MARIO ł.pdf"), {}, FdfClosing::OwnLine);
    EXPECT_EQ(testing_support::fdfLines(odd).at(3),
              "<</F(/home/Nicol\xF2/a\\\\b/ROSSI\\(MARIO ?.pdf)/Fields[");
}

TEST(WriteFdfFile, ReplacesTheFileWholeOrSaysWhyNot)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.fdf"));
    writeFdfFile(path, "first version, longer than the second\r\n");
    writeFdfFile(path, "second\r\n");
    EXPECT_EQ(testing_support::readAll(path), QByteArray("second\r\n"));

    const QString missingFolder = dir.filePath(QStringLiteral("temp/x.fdf"));
    try {
        writeFdfFile(missingFolder, "x");
        ADD_FAILURE() << "no error for a missing folder";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(QString::fromUtf8(error.what()),
                  QStringLiteral("Impossibile scrivere il file FDF: la cartella "
                                 "non esiste (") +
                      QDir::toNativeSeparators(missingFolder) + QLatin1Char(')'));
    }
    EXPECT_FALSE(QFile::exists(missingFolder));

    // A folder in the way: the error is raised and the folder stays as it was.
    const QString folder = dir.filePath(QStringLiteral("busy.fdf"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("busy.fdf")));
    EXPECT_THROW(writeFdfFile(folder, "x"), FdfWriteError);
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

} // namespace
