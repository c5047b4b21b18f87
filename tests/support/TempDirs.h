#pragma once
// A throwaway program folder (with the blank forms), desktop and work folder for one test.

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace testing_support {

// Puts a file where an earlier run or the doctor left one; with a time, dated as last changed then.
inline bool writeFile(const QString& path, const QByteArray& bytes, const QDateTime& modified = {})
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() &&
           file.flush() &&
           (modified.isNull() || file.setFileTime(modified, QFileDevice::FileModificationTime));
}

// The file's bytes; empty when it cannot be read.
inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Who may do what with the file, as `ls -l` shows it: "rw-------" when only its owner may read and write
// it; "" when there is no such file.
inline std::string permissionsOf(const QString& path)
{
    if (!QFileInfo::exists(path))
        return {};
    const QFileDevice::Permissions permissions = QFile::permissions(path);
    const std::pair<QFileDevice::Permission, char> bits[] = {
        {QFileDevice::ReadOwner, 'r'}, {QFileDevice::WriteOwner, 'w'}, {QFileDevice::ExeOwner, 'x'},
        {QFileDevice::ReadGroup, 'r'}, {QFileDevice::WriteGroup, 'w'}, {QFileDevice::ExeGroup, 'x'},
        {QFileDevice::ReadOther, 'r'}, {QFileDevice::WriteOther, 'w'}, {QFileDevice::ExeOther, 'x'}};
    std::string text;
    for (const auto& [bit, letter] : bits)
        text += permissions.testFlag(bit) ? letter : '-';
    return text;
}

// Only its owner may use it: "rw-------" for a file, "rwx------" for a folder. Windows has no such
// modes (there the user's own folders keep others out by their access lists), so there it only has
// to exist.
inline ::testing::AssertionResult ownerOnly(const QString& path)
{
#ifdef _WIN32
    if (QFileInfo::exists(path))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no such file: " << path.toStdString();
#else
    const std::string expected = QFileInfo(path).isDir() ? "rwx------" : "rw-------";
    const std::string actual = permissionsOf(path);
    if (actual == expected)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << path.toStdString() << ": " << (actual.empty() ? "no such file" : actual) << ", not "
           << expected;
#endif
}

struct TempFolders
{
    QTemporaryDir root;
    QString program; // with trailing separator, holds the forms
    QString desktop;
    QString work; // the user's work folder

    // A file on the desktop, named as the program names it (with "\\" on Windows).
    QString onDesktop(const QString& name) const { return desktop + QDir::separator() + name; }

    TempFolders()
    {
        QDir dir(root.path());
        dir.mkpath(QStringLiteral("program"));
        dir.mkpath(QStringLiteral("desktop"));
        dir.mkpath(QStringLiteral("work"));
        program = QDir::toNativeSeparators(root.path() + QStringLiteral("/program/"));
        desktop = QDir::toNativeSeparators(root.path() + QStringLiteral("/desktop"));
        work = QDir::toNativeSeparators(root.path() + QStringLiteral("/work"));
#ifdef INVCIV_FORMS_DIR
        for (const char* form : {"cert med INPS.pdf", "AP42_SS3.pdf"})
            QFile::copy(QStringLiteral(INVCIV_FORMS_DIR "/") + QLatin1String(form),
                        program + QLatin1String(form));
#endif
    }
};

} // namespace testing_support
