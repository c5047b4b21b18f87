#include "Files.h"

#include "Platform.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>

#include <cerrno>
#include <stdexcept>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace platform {

namespace {

enum class Cause { Other, DiskFull, InUse, Denied, NameTooLong };

// The longest file name the system takes: 255 UTF-16 units on Windows, 255 bytes elsewhere.
bool nameTooLong(const QString& fileName)
{
#ifdef Q_OS_WIN
    return fileName.size() > 255;
#else
    return QFile::encodeName(fileName).size() > 255;
#endif
}

Cause causeOf(int systemError, QFileDevice::FileError error)
{
#ifdef Q_OS_WIN
    switch (systemError) {
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW: // "The file name is too long."
        return Cause::NameTooLong;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return Cause::DiskFull;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return Cause::InUse;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return Cause::Denied;
    default:
        break;
    }
#else
    switch (systemError) {
    case ENAMETOOLONG:
        return Cause::NameTooLong;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return Cause::DiskFull;
    case EBUSY:
    case ETXTBSY:
        return Cause::InUse;
    case EACCES:
    case EPERM:
    case EROFS:
        return Cause::Denied;
    default:
        break;
    }
#endif
    // Qt reports a full disk as a resource error.
    return error == QFileDevice::ResourceError ? Cause::DiskFull : Cause::Other;
}

// An existing file that the system lets no one open for writing, or replace, although nothing forbids
// it: on Windows, another program holds it open (a PDF viewer showing it, above all, or a scanner
// reading it), and replacing needs the right to delete it, which such a program need not share.
bool heldByAnotherProgram(const QFileInfo& file)
{
#ifdef Q_OS_WIN
    if (!file.isFile() || !file.isWritable())
        return false;
    QFile probe(file.filePath());
    if (!probe.open(QIODevice::ReadWrite))
        return true;
    probe.close();
    const HANDLE handle = CreateFileW(
        reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(file.absoluteFilePath()).utf16()), DELETE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
        nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(handle);
    return false;
#else
    Q_UNUSED(file);
    return false;
#endif
}

const QString kInUse = QStringLiteral("il file è in uso da un altro programma");
const QString kFolderInTheWay = QStringLiteral("al suo posto c'è una cartella con lo stesso nome");

// A name taken, also by a link that points nowhere (QFileInfo::exists follows links).
bool taken(const QString& path)
{
    const QFileInfo file(path);
    return file.exists() || file.isSymLink();
}

QString systemCode(const char* what, int systemError)
{
    return systemError == 0
               ? QString::fromUtf8(what)
               : QStringLiteral("%1 (codice di sistema %2)").arg(QString::fromUtf8(what)).arg(systemError);
}

} // namespace

int lastSystemError()
{
#ifdef Q_OS_WIN
    return static_cast<int>(GetLastError());
#else
    return errno;
#endif
}

QString fileErrorText(const QString& path, FileAccess access, QFileDevice::FileError error, int systemError)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("la cartella non esiste");
    if (access == FileAccess::Write) {
        if (const QString unsafe = unsafeOutputReason(path); !unsafe.isEmpty())
            return unsafe;
    }
    const Cause cause = causeOf(systemError, error);
    // Not every system says so by its code (Windows may call a long name invalid): the name tells.
    if (cause == Cause::NameTooLong || nameTooLong(file.fileName()))
        return QStringLiteral("nome del file troppo lungo: ") + file.fileName();
    if (cause == Cause::DiskFull && access == FileAccess::Write)
        return QStringLiteral("il disco è pieno");
    if (cause == Cause::InUse || heldByAnotherProgram(file))
        return kInUse;
    if (file.isDir())
        return kFolderInTheWay;
    if (access == FileAccess::Read) {
        if (!file.exists())
            return QStringLiteral("il file non esiste");
        if (!file.isReadable() || cause == Cause::Denied)
            return QStringLiteral("non si hanno i permessi per leggere il file");
        return systemCode("errore di lettura", systemError);
    }
    if (file.exists() && !file.isWritable())
        return QStringLiteral("il file è protetto da scrittura");
    if (!folder.isWritable() || cause == Cause::Denied)
        return QStringLiteral("la cartella non è scrivibile");
    return systemCode("errore di scrittura", systemError);
}

QString unsafeOutputReason(const QString& path)
{
    const QFileInfo file(path);
    if (file.isSymLink())
        return QStringLiteral("al suo posto c'è un collegamento simbolico, attraverso il quale il programma "
                              "non scrive");
    if (file.isDir())
        return kFolderInTheWay;
    if (file.exists() && !file.isFile())
        return QStringLiteral("al suo posto c'è qualcosa che non è un file normale");
    return {};
}

bool openOwnerOnly(QFile& file, QIODevice::OpenMode mode)
{
    if (!unsafeOutputReason(file.fileName()).isEmpty())
        return false;
#ifdef Q_OS_WIN
    return file.open(mode);
#else
    // Created owner-only, and an existing file made so before it is written; a file system that keeps
    // no permissions (a FAT stick) refuses the change, which must not stop the doctor's work.
    if (!file.open(mode, kOwnerOnly))
        return false;
    file.setPermissions(kOwnerOnly);
    return true;
#endif
}

namespace {

QString writeWholeOnce(const QString& path, const QByteArray& bytes,
                       const std::function<QString()>& beforeReplacing)
{
    if (const QString unsafe = unsafeOutputReason(path); !unsafe.isEmpty())
        return unsafe;
    // Unbuffered, so that a short write shows in write()'s count: Qt 6.4's QSaveFile::commit() renames
    // the temporary file even when the flush at its close fails, which would put a cut file in place
    // of the earlier one when the disk fills up.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fileErrorText(file, FileAccess::Write);
#ifndef Q_OS_WIN
    // QSaveFile gives the new file the earlier file's permissions, or the umask's; set on the open
    // temporary file, before the first byte, so that the file is never readable by others. Where the
    // file system keeps no permissions the change fails, and the file is written all the same.
    file.setPermissions(kOwnerOnly);
#endif
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = fileErrorText(file, FileAccess::Write);
        file.cancelWriting();
        return reason;
    }
    if (beforeReplacing) {
        if (const QString failure = beforeReplacing(); !failure.isEmpty()) {
            file.cancelWriting();
            return failure;
        }
    }
    if (!file.commit())
        return fileErrorText(file, FileAccess::Write);
    return {};
}

} // namespace

QString writeFileWhole(const QString& path, const QByteArray& bytes,
                       const std::function<QString()>& beforeReplacing)
{
#ifdef Q_OS_WIN
    // A scanner or the shell reading a file just written (an antivirus, Explorer taking its icon) holds
    // it a moment without sharing its deletion, and putting the new file in place fails as "in use":
    // the write is tried again for three seconds before the doctor is told.
    constexpr int kAttempts = 12;
    for (int attempt = 1;; ++attempt) {
        const QString failure = writeWholeOnce(path, bytes, beforeReplacing);
        if (failure != kInUse || attempt == kAttempts)
            return failure;
        QThread::msleep(250);
    }
#else
    return writeWholeOnce(path, bytes, beforeReplacing);
#endif
}

KeptFile keepUnderDatedName(const QString& path, const QString& baseName)
{
    const QFileInfo info(path);
    const QString stamp = info.lastModified().toString(QStringLiteral("yyyy-MM-dd HH.mm.ss"));
    const QString extension = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString stem = info.dir().filePath(baseName + QStringLiteral(" (") + stamp + QLatin1Char(')'));

    QFile file(path);
    for (int n = 1;; ++n) {
        const QString target = n == 1 ? stem + extension : stem + QStringLiteral(" (%1)").arg(n) + extension;
        if (taken(target))
            continue;
        // rename() never replaces an existing file, so a name taken meanwhile is not lost either.
        if (file.rename(target))
            return {QDir::toNativeSeparators(target), {}};
        const int systemError = lastSystemError();
        if (!taken(target)) {
            // A dated name too long for the system is the one to name; any other failure is the file's.
            const bool tooLong = causeOf(systemError, file.error()) == Cause::NameTooLong ||
                                 nameTooLong(QFileInfo(target).fileName());
            return {{}, fileErrorText(tooLong ? target : path, FileAccess::Write, file.error(), systemError)};
        }
    }
}

std::optional<QByteArray> readRegularFile(const QString& path, qint64 limit, QString& problem)
{
    problem.clear();
    const QFileInfo info(path);
    if (!taken(path))
        return std::nullopt;
    if (info.isSymLink())
        problem = QStringLiteral("al suo posto c'è un collegamento simbolico, che il programma non segue");
    else if (!info.isFile())
        problem = QStringLiteral("non è un file normale");
    if (!problem.isEmpty())
        return QByteArray();
    const QString tooLarge = QStringLiteral("supera i %1 MB").arg(limit / (1024 * 1024));
    if (info.size() > limit) {
        problem = tooLarge;
        return QByteArray();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problem = fileErrorText(file, FileAccess::Read);
        return QByteArray();
    }
    // It may have grown since it was looked at: never more than the limit is read.
    QByteArray bytes = file.read(limit + 1);
    if (bytes.size() > limit) {
        problem = tooLarge;
        bytes.clear();
    }
    return bytes;
}

QString preparedWorkFolder(const Platform& platform)
{
    const QString folder = platform.workFolder();
    if (folder.isEmpty() || !QDir().mkpath(folder))
        throw std::runtime_error(QStringLiteral("Impossibile creare la cartella di lavoro dell'utente (%1)")
                                     .arg(QDir::toNativeSeparators(folder))
                                     .toStdString());
#ifndef Q_OS_WIN
    // The host's exports and the FDF files hold patient data: no other user may even list them.
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
#endif
    const QString native = QDir::toNativeSeparators(folder);
    return native.endsWith(QDir::separator()) ? native : native + QDir::separator();
}

} // namespace platform
