// The support log: bounded, owner-only, one line per event, and patients only by a salted tag.

#include "platform/SupportLog.h"
#include "RecordingPlatform.h"
#include "TempDirs.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(SupportLog, RotatesWithinItsBoundOwnerOnlyOneLinePerEvent)
{
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("InvCiv/log"));
    EXPECT_EQ(platform::logFolderBeside(root.filePath(QStringLiteral("InvCiv/temp"))),
              QDir::toNativeSeparators(folder));
    const qint64 bound = 2000;
    const platform::SupportLog log(folder, bound);
    for (int i = 0; i < 200; ++i)
        log.write(QStringLiteral("evento %1\r\n  riga\tdue\x1b[2J").arg(i));
    const QString current = folder + QStringLiteral("/invciv.log");
    const QString previous = current + QStringLiteral(".1");
    for (const QString& file : {current, previous}) {
        EXPECT_LE(QFileInfo(file).size(), bound) << file.toStdString();
        EXPECT_TRUE(testing_support::ownerOnly(file));
    }
    EXPECT_TRUE(testing_support::ownerOnly(folder));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 2);
    const QStringList lines =
        QString::fromUtf8(testing_support::readAll(current)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral(" evento 199 riga due [2J")))
        << lines.last().toStdString();
    for (const QString& line : lines)
        EXPECT_FALSE(line.contains(QLatin1Char('\r')) || line.contains(QChar(27)) ||
                     line.contains(QLatin1Char('\t')));
}

// A log that cannot be written loses its lines, and nothing else happens.
TEST(SupportLog, AFolderThatCannotBeMadeIsNoFailure)
{
    QTemporaryDir root;
    ASSERT_TRUE(testing_support::writeFile(root.filePath(QStringLiteral("InvCiv")), "a file, not a folder"));
    const platform::SupportLog log(root.filePath(QStringLiteral("InvCiv/log")));
    log.write(QStringLiteral("avvio"));
    EXPECT_FALSE(QFileInfo::exists(log.filePath()));
}

TEST(SupportLog, PatientTagIsSaltedPerUserAndStableForOne)
{
    testing_support::RecordingPlatform user;
    testing_support::RecordingPlatform other;
    const QString tag = platform::patientTag(user, QStringLiteral("1042"));
    EXPECT_TRUE(tag.startsWith(QStringLiteral("paziente ")) && tag.size() == 9 + 16) << tag.toStdString();
    EXPECT_FALSE(tag.contains(QStringLiteral("1042")));
    EXPECT_EQ(platform::patientTag(user, QStringLiteral("1042")), tag);
    EXPECT_NE(platform::patientTag(user, QStringLiteral("1043")), tag);
    EXPECT_NE(platform::patientTag(other, QStringLiteral("1042")), tag);
    EXPECT_NE(user.settings.value(QStringLiteral("sale_registro")),
              other.settings.value(QStringLiteral("sale_registro")));
}

} // namespace
