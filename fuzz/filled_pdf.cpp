// The filled PDF: any bytes as the blank form (the two forms, mutated), filled with a fixed field list.
// Either the form is filled and reads back with the values, or the fill is refused with the file left
// byte for byte as it was: never a crash, never a half-written file.

#include "FuzzInput.h"
#include "fdf/FdfDocument.h"
#include "pdf/FilledPdf.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Fields both forms have: a check box, a field left alone, a text of several lines with letters
    // beyond the standard font.
    static const std::vector<fdf::FdfEntry> entries = {
        fdf::checkBoxOff(QStringLiteral("hand")), fdf::noValue(QStringLiteral("obiettività")),
        fdf::textEntry(QStringLiteral("nomefile"), QStringLiteral("Rossi (Bianchi) \\ è\r\nȘtefan Łukasz"))};
    static const QString path =
        QDir::temp().filePath(QStringLiteral("invciv-fuzz-%1.pdf").arg(QCoreApplication::applicationPid()));

    const QByteArray form(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile file(path);
        fuzz::require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                          file.write(form) == form.size(),
                      "cannot write the form to fill");
    }
    try {
        pdf::fillPdfForm(path, entries, {});
        const std::optional<pdf::FormValues> values = pdf::readFormValues(path);
        fuzz::require(values.has_value(), "the filled form does not read back");
        for (const fdf::FdfEntry& entry : entries) {
            fuzz::require(values->contains(entry.name), "a filled field is missing");
        }
        fuzz::require(values->at(QStringLiteral("nomefile")) == pdf::filledValues({}, entries).at("nomefile"),
                      "the filled text reads back as another");
    } catch (const pdf::FormFillError&) {
        fuzz::require(fileBytes(path) == form, "a refused fill changed the file");
    }
    return 0;
}
