// The PDF engine on its own: a form filled in place with a list of field entries, the appearances it
// draws, and the entries and forms it refuses without touching the file.

#include "pdf/FieldEntry.h"
#include "pdf/FilledPdf.h"
#include "pdf/FontSetting.h"

#include "support/PdfAppearance.h"
#include "support/RecordingPlatform.h"
#include "support/TempDirs.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace testing_support;

pdf::FieldEntry text(const char* name, const QString& value)
{
    return {QString::fromUtf8(name), pdf::FieldValueKind::Text, value};
}
pdf::FieldEntry state(const char* name, const char* state)
{
    return {QString::fromUtf8(name), pdf::FieldValueKind::NamedState, QString::fromUtf8(state)};
}
pdf::FieldEntry off(const char* name)
{
    return {QString::fromUtf8(name), pdf::FieldValueKind::CheckBoxOff, {}};
}
pdf::FieldEntry noValue(const char* name)
{
    return {QString::fromUtf8(name), pdf::FieldValueKind::NoValue, {}};
}

// A copy of the blank AP68 form to fill, and the platform that names the Unicode font.
class FillPdfForm : public testing::Test
{
protected:
    TempFolders folders;
    RecordingPlatform platform;
    const QString kAp68 = folders.program + QStringLiteral("cert med INPS.pdf");

    QString copyPath() const { return folders.desktop + QDir::separator() + QStringLiteral("copy.pdf"); }
};

// A value's line breaks make lines only in a multi-line box, whichever font draws it.
TEST_F(FillPdfForm, LineBreaksMakeLinesOnlyInAMultiLineBox)
{
    struct Case
    {
        const char* field;
        QString value;
        qsizetype lines;
    };
    const Case cases[] = {
        {"cognome", "ROSSI\nBIANCHI", 1}, {"nome", "IOANA\nȚARĂ", 1}, {"descr_1", "Ș\nŁ", 2}};
    std::vector<pdf::FieldEntry> entries;
    for (const Case& c : cases)
        entries.push_back(text(c.field, c.value));
    const QString copy = copyPath();
    ASSERT_TRUE(QFile::copy(kAp68, copy));
    EXPECT_TRUE(pdf::fillPdfForm(copy, entries, pdf::unicodeFontPath(platform)).empty());
    QPDF pdf;
    pdf.processFile(copy.toStdString().c_str());
    for (const Case& c : cases)
        EXPECT_EQ(contentOf(appearanceOf(pdf, c.field)).count(" Tj"), c.lines) << c.field;
}

// Every field checked before anything changes: the copy stays byte for byte.
TEST_F(FillPdfForm, EntryThatDoesNotFitItsFieldChangesNothing)
{
    const QString copy = copyPath();
    ASSERT_TRUE(QFile::copy(kAp68, copy));
    const QByteArray before = readAll(copy);
    struct Case
    {
        pdf::FieldEntry entry;
        QString reason;
    };
    for (const Case& c : {Case{state("sesso", "3"), R"(il campo "sesso" non ha la scelta "3")"},
                          Case{text("sesso", "M"), R"(il campo "sesso" non è un campo di testo)"},
                          Case{off("cognome"), R"(il campo "cognome" non è una casella da spuntare)"},
                          Case{noValue("sesso/2"), R"(il modulo non ha il campo "sesso/2")"}}) {
        try {
            pdf::fillPdfForm(copy, {text("nome", "MARIO"), c.entry}, {});
            ADD_FAILURE() << "filled with " << c.entry.name.toStdString();
        } catch (const pdf::FormFillError& error) {
            EXPECT_EQ(QString::fromUtf8(error.what()), c.reason);
        }
        EXPECT_EQ(readAll(copy), before);
    }
}

// qpdf repairs this damaged form as it reads it, but the form it writes from the repair does not read
// again: the fill is refused instead.
TEST_F(FillPdfForm, FormThatWouldNotReadBackIsRefused)
{
    const QString copy = copyPath();
    ASSERT_TRUE(QFile::copy(
        INVCIV_FUZZ_CRASHES_DIR "/filled_pdf-crash-e9ef2e72383dec5cb372451d292feb83ea4e56b9", copy));
    const QByteArray before = readAll(copy);
    try {
        pdf::fillPdfForm(copy, {off("hand"), text("nomefile", "AP68")}, {});
        ADD_FAILURE() << "filled";
    } catch (const pdf::FormFillError& error) {
        EXPECT_EQ(QString::fromUtf8(error.what()), "il file PDF è danneggiato");
    }
    EXPECT_EQ(readAll(copy), before);
}

} // namespace
