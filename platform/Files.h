#pragma once
// The program's output files on the doctor's desktop: written whole or not at all, an earlier file kept
// under a dated name instead of being replaced, and why a file could not be read or written, in the
// doctor's words.

#include <QFile>
#include <QFileDevice>
#include <QString>

#include <functional>

namespace platform {

enum class FileAccess { Read, Write };

// The system's code of the last failure: errno, or GetLastError() on Windows. Read it right after the
// failing call, before anything else touches the file system.
int lastSystemError();

// What went wrong with the file at `path`, in Italian and in lower case, fit to follow a colon: the
// folder is missing or cannot be written, the disk is full, the file is in use by another program,
// missing or write-protected, or its name too long for the system (naming it). `systemError` is
// lastSystemError() taken right after the failure; `error` is Qt's own kind of failure. The file system is
// looked at as well, since neither code alone tells every case on every system.
QString fileErrorText(const QString& path, FileAccess access, QFileDevice::FileError error, int systemError);

// The same for a file device that has just failed.
inline QString fileErrorText(const QFileDevice& file, FileAccess access, int systemError = lastSystemError())
{
    return fileErrorText(file.fileName(), access, file.error(), systemError);
}

// The files the program writes hold patient data: outside Windows each is readable and writable by
// its owner only, whatever the umask. On Windows the folders' permissions apply.
inline constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Opens `file` as QFile::open does, a file it creates or truncates being made owner-only before
// anything is written to it.
bool openOwnerOnly(QFile& file, QIODevice::OpenMode mode);

// Replaces the file at `path` whole with `bytes`, or leaves any earlier file as it was. The new file is
// owner-only, also where it replaces a file others could read. "" on success, otherwise why not
// (fileErrorText). `beforeReplacing`, when given, runs once the bytes are written whole beside the
// file and before they take its place (to move the earlier file aside, say); the failure it returns
// ("" for none) stops the write and is handed back.
QString writeFileWhole(const QString& path, const QByteArray& bytes,
                       const std::function<QString()>& beforeReplacing = {});

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
