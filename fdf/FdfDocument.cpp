#include "FdfDocument.h"

#include "platform/Files.h"
#include "text/PdfText.h"
#include "text/Windows1252.h"

#include <QDir>

namespace fdf {

namespace {

constexpr char kLineEnd[] = "\r\n";

// The file specification is a literal string too: a parenthesis or backslash in a folder or patient
// name must not end it early.
QByteArray literalBytes(const QString& text)
{
    QByteArray bytes = text::encodeWindows1252(text);
    bytes.replace('\\', "\\\\");
    bytes.replace('(', "\\(");
    bytes.replace(')', "\\)");
    return bytes;
}

void appendEntry(QByteArray& out, const FdfEntry& entry)
{
    out += "<</T(";
    out += text::encodeWindows1252(entry.name);
    out += ')';
    switch (entry.kind) {
    case FdfValueKind::Text:
        out += "/V";
        out += text::pdfTextString(entry.value);
        break;
    case FdfValueKind::NoValue:
        break;
    case FdfValueKind::CheckBoxOff:
        out += "/V/Off";
        break;
    case FdfValueKind::NamedState:
        out += "/V/";
        out += entry.value.toLatin1();
        break;
    }
    out += ">>";
}

} // namespace

FdfEntry textEntry(const QString& name, const QString& value)
{
    return {name, FdfValueKind::Text, value};
}

FdfEntry textOrEmpty(const QString& name, const QString& value)
{
    return value.isEmpty() ? noValue(name) : textEntry(name, value);
}

FdfEntry noValue(const QString& name)
{
    return {name, FdfValueKind::NoValue, {}};
}

FdfEntry checkBoxOff(const QString& name)
{
    return {name, FdfValueKind::CheckBoxOff, {}};
}

FdfEntry namedState(const QString& name, const QString& state)
{
    return {name, FdfValueKind::NamedState, state};
}

PathStyle nativePathStyle()
{
    return QDir::separator() == QLatin1Char('\\') ? PathStyle::Windows : PathStyle::Unix;
}

QString fileSpecification(const QString& path, PathStyle style)
{
    if (style == PathStyle::Unix)
        return path;
    QString converted = path;
    converted.remove(QLatin1Char(':'));
    converted.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QLatin1Char('/') + converted;
}

QByteArray serializeFdf(const QString& fileSpecification, const std::vector<FdfEntry>& entries,
                        FdfClosing closing)
{
    QByteArray out;
    out.reserve(256 + qsizetype(entries.size()) * 48);
    out += "%FDF-1.2\r\n1 0 obj\r\n<</FDF\r\n<</F(";
    out += literalBytes(fileSpecification);
    out += ")/Fields[\r\n";
    for (const FdfEntry& entry : entries) {
        appendEntry(out, entry);
        if (closing == FdfClosing::AfterLastEntry && &entry == &entries.back())
            out += ']';
        out += kLineEnd;
    }
    if (entries.empty() && closing == FdfClosing::AfterLastEntry)
        out += "]\r\n";
    out += closing == FdfClosing::AfterLastEntry ? ">>\r\n" : "]>>\r\n";
    out += ">>endobj\r\n\r\ntrailer\r\n<</Root 1 0 R>>\r\n%%EOF\r\n";
    return out;
}

void writeFdfFile(const QString& path, const QByteArray& bytes)
{
    if (const QString failure = platform::writeFileWhole(path, bytes); !failure.isEmpty()) {
        throw FdfWriteError(QStringLiteral("Impossibile scrivere il file FDF: %1 (%2)")
                                .arg(failure, QDir::toNativeSeparators(path))
                                .toStdString());
    }
}

void writeFormFdf(const QString& fdfPath, const QString& formPath, const std::vector<FdfEntry>& entries,
                  FdfClosing closing)
{
    writeFdfFile(fdfPath, serializeFdf(fileSpecification(formPath, nativePathStyle()), entries, closing));
}

} // namespace fdf
