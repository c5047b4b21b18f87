#pragma once
// pdftk as an independent FDF reader: fills an FDF into a form and reads the field values back.
// Each call starts a JVM (about a second), so tests fill a few representative files, not dozens.

#include "support/QtPrinters.h"

#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>

namespace testing_support {

struct PdftkResult
{
    QString error;                 // empty on success
    QMap<QString, QString> values; // field name -> value ("" for a field without one)
};

inline QString runPdftk(const QStringList& arguments, QByteArray* out)
{
    QProcess process;
    process.start(QStringLiteral("pdftk"), arguments);
    if (!process.waitForFinished(60000))
        return QStringLiteral("pdftk did not finish: ") + process.errorString();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("pdftk failed: ") + QString::fromUtf8(process.readAllStandardError());
    if (out)
        *out = process.readAllStandardOutput();
    return {};
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
