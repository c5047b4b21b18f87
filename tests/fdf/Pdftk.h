#pragma once
// pdftk as an independent FDF reader: fills an FDF into a form and reads the field values back.
// Each call starts a JVM (about a second), so tests fill a few representative files, not dozens.

#include "support/QtPrinters.h"
#include "support/TempDirs.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <ostream>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace testing_support {

struct PdftkResult
{
    QString error;                 // empty on success
    QMap<QString, QString> values; // field name -> value ("" for a field without one)
};

#ifdef _WIN32
// The readers these tests call (pdftk, pdftoppm) are Linux programs: under wine the suite runs the
// machine's own. Wine starts a Unix program without a handle to wait on, so a shell runs it and leaves
// its exit status in a file, which this side waits for. Paths go over as wine maps them.
namespace wine {

inline FARPROC kernel32(const char* name)
{
    return GetProcAddress(GetModuleHandleW(L"kernel32"), name);
}

inline QString unixPath(const QString& path)
{
    using ToUnix = char*(__cdecl*)(const wchar_t*);
    const auto toUnix =
        reinterpret_cast<ToUnix>(reinterpret_cast<void*>(kernel32("wine_get_unix_file_name")));
    if (!toUnix || path.size() < 3 || path.at(1) != QLatin1Char(':'))
        return path;
    char* unixName = toUnix(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()));
    if (!unixName)
        return path;
    const QString mapped = QString::fromUtf8(unixName);
    HeapFree(GetProcessHeap(), 0, unixName);
    return mapped;
}

inline QString dosPath(const char* unixName)
{
    using ToDos = wchar_t*(__cdecl*)(const char*);
    const auto toDos = reinterpret_cast<ToDos>(reinterpret_cast<void*>(kernel32("wine_get_dos_file_name")));
    wchar_t* dos = toDos ? toDos(unixName) : nullptr;
    if (!dos)
        return {};
    const QString mapped = QString::fromWCharArray(dos);
    HeapFree(GetProcessHeap(), 0, dos);
    return mapped;
}

} // namespace wine

// Runs the Linux program: "" on success, otherwise why not; what it prints into *out and *err.
inline QString runLinuxProgram(const QString& program, const QStringList& arguments, QByteArray* out,
                               QByteArray* err = nullptr)
{
    const QString shell = wine::dosPath("/bin/sh");
    if (shell.isEmpty())
        return program + QStringLiteral(" is a Linux program: this suite reaches it only under wine");
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("run.sh"));
    const QString status = dir.filePath(QStringLiteral("status"));
    const QString output = dir.filePath(QStringLiteral("out"));
    const QString errors = dir.filePath(QStringLiteral("err"));
    if (!writeFile(script, "PATH=/usr/local/bin:/usr/bin:/bin; out=$1 err=$2 status=$3; shift 3\n"
                           "\"$@\" >\"$out\" 2>\"$err\"; echo $? >\"$status.part\" && mv \"$status.part\" "
                           "\"$status\"\n"))
        return QStringLiteral("cannot write ") + script;
    QStringList words = {wine::unixPath(script), wine::unixPath(output), wine::unixPath(errors),
                         wine::unixPath(status), program};
    for (const QString& argument : arguments)
        words << wine::unixPath(argument);
    QProcess::startDetached(shell, words);
    for (int waited = 0; !QFile::exists(status); waited += 50) {
        if (waited > 60000)
            return program + QStringLiteral(" did not finish");
        QThread::msleep(50);
    }
    if (err)
        *err = readAll(errors);
    if (readAll(status).trimmed() != "0")
        return program + QStringLiteral(" failed: ") + QString::fromUtf8(readAll(errors));
    if (out)
        *out = readAll(output);
    return {};
}
#else
inline QString runLinuxProgram(const QString& program, const QStringList& arguments, QByteArray* out,
                               QByteArray* err = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return program + QStringLiteral(" did not finish: ") + process.errorString();
    const QByteArray errors = process.readAllStandardError(); // read once: reading takes it away
    if (err)
        *err = errors;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return program + QStringLiteral(" failed: ") + QString::fromUtf8(errors);
    if (out)
        *out = process.readAllStandardOutput();
    return {};
}
#endif

inline QString runPdftk(const QStringList& arguments, QByteArray* out)
{
    return runLinuxProgram(QStringLiteral("pdftk"), arguments, out);
}

// The fields of `dump_data_fields_utf8` output. A value runs from "FieldValue: " up to the line that
// starts the next key, so values that hold line breaks come back whole.
inline QMap<QString, QString> parseFieldDump(const QString& dump)
{
    QMap<QString, QString> values;
    for (const QString& block : dump.split(QStringLiteral("---\n"), Qt::SkipEmptyParts)) {
        static const QString kName = QStringLiteral("FieldName: ");
        static const QString kValue = QStringLiteral("\nFieldValue: ");
        const qsizetype nameAt = block.indexOf(kName);
        if (nameAt < 0)
            continue;
        const qsizetype nameEnd = block.indexOf(QLatin1Char('\n'), nameAt);
        const QString name = block.mid(nameAt + kName.size(), nameEnd - nameAt - kName.size());
        QString value;
        if (const qsizetype valueAt = block.indexOf(kValue); valueAt >= 0) {
            const qsizetype start = valueAt + kValue.size();
            qsizetype end = block.indexOf(QStringLiteral("\nFieldJustification: "), start);
            if (end < 0)
                end = block.endsWith(QLatin1Char('\n')) ? block.size() - 1 : block.size();
            value = block.mid(start, end - start);
        }
        values.insert(name, value);
    }
    return values;
}

// Fills `fdf` into `form` and writes the filled form to `output`, as a viewer saving it would. "" on
// success, otherwise pdftk's complaint.
inline QString fillForm(const QString& form, const QString& fdf, const QString& output)
{
    return runPdftk({form, QStringLiteral("fill_form"), fdf, QStringLiteral("output"), output}, nullptr);
}

// The fields of a PDF form.
inline PdftkResult readFields(const QString& pdf)
{
    PdftkResult result;
    QByteArray dump;
    result.error = runPdftk({pdf, QStringLiteral("dump_data_fields_utf8")}, &dump);
    if (result.error.isEmpty())
        result.values = parseFieldDump(QString::fromUtf8(dump));
    return result;
}

// Fills `fdf` into `form` and dumps the filled form's fields.
inline PdftkResult fillAndRead(const QString& form, const QString& fdf)
{
    QTemporaryDir dir;
    const QString filled = dir.filePath(QStringLiteral("filled.pdf"));
    if (const QString error = fillForm(form, fdf, filled); !error.isEmpty())
        return {error, {}};
    return readFields(filled);
}

} // namespace testing_support
