#pragma once
// The program's output files on the doctor's desktop: written whole or not at all, an earlier file kept
// under a dated name instead of being replaced, and why a file could not be read or written, in the
// doctor's words.

#include <QByteArray>
#include <QFile>
#include <QFileDevice>
#include <QString>

#include <optional>

namespace platform {

class Platform;

enum class FileAccess { Read, Write };

// The system's code of the last failure: errno, or GetLastError() on Windows. Read it right after the
// failing call, before anything else touches the file system.
int lastSystemError();

// What went wrong with the file at `path`, in Italian and in lower case, fit to follow a colon: the
// folder is missing or cannot be written, the disk is full, the file is in use by another program,
// missing or write-protected. `systemError` is lastSystemError() taken right after the failure;
// `error` is Qt's own kind of failure. The file system is looked at as well, since neither code alone
// tells every case on every system.
QString fileErrorText(const QString& path, FileAccess access, QFileDevice::FileError error, int systemError);

// The same for a file device that has just failed.
inline QString fileErrorText(const QFileDevice& file, FileAccess access, int systemError = lastSystemError())
{
    return fileErrorText(file.fileName(), access, file.error(), systemError);
}

// The files the program writes hold patient data: outside Windows each is readable and writable by
// its owner only, whatever the umask. On Windows the folders' permissions apply.
inline constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Why no output may be written at `path`, fit to follow a colon: a symbolic link stands there (whatever
// it points to, or nothing), or something that is not a regular file (a folder, a device, a pipe).
// "" when nothing is there or a regular file is. Every writer below asks first, since Qt follows a
// link (QSaveFile too) and would write the patient's data wherever it points.
QString unsafeOutputReason(const QString& path);

// Opens `file` as QFile::open does, a file it creates or truncates being made owner-only before
// anything is written to it. False, without opening, where unsafeOutputReason finds a reason.
bool openOwnerOnly(QFile& file, QIODevice::OpenMode mode);

// Replaces the file at `path` whole with `bytes`, or leaves any earlier file as it was. The new file is
// owner-only, also where it replaces a file others could read. "" on success, otherwise why not
// (fileErrorText, which tells of a link or a file that is not a regular one before anything is done).
QString writeFileWhole(const QString& path, const QByteArray& bytes);

// The bytes of a file that something outside the program wrote: only a regular file (never through a
// link, never a device or a pipe) of at most `limit` bytes. nullopt when there is no file at `path`;
// `problem` gets why it was not read otherwise ("" when it was).
std::optional<QByteArray> readRegularFile(const QString& path, qint64 limit, QString& problem);

// The user's work folder (Platform::workFolder) with a trailing separator, made when missing; outside
// Windows only its owner may enter it (700). A folder that cannot be made raises std::runtime_error
// with the user's message in UTF-8.
QString preparedWorkFolder(const Platform& platform);

struct KeptFile
{
    QString path;    // where the file now is; "" when it could not be renamed
    QString failure; // why not (fileErrorText); "" when renamed
};

// Renames the file at `path` to "<baseName> (yyyy-mm-dd hh.mm.ss)<extension>" in the same folder, the
// time being the file's last modification and the extension that of `path` ("" when it has none). A
// name already taken is never overwritten: " (2)", " (3)"... follow the date until one is free.
KeptFile keepUnderDatedName(const QString& path, const QString& baseName);

} // namespace platform
