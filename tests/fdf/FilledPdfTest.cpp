// The filled desktop copy: it reads as pdftk's own fill of the FDF, shows the values when rendered,
// and a form that does not fit leaves the plain copy and the FDF with one message.

#include "pdf/FilledPdf.h"
#include "fdf/OpenSetting.h"
#include "fdf/OutputFlow.h"
#include "pdf/FontSetting.h"

#include "Patients.h"
#include "support/PdfAppearance.h"
#include "support/TempDirs.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <gtest/gtest.h>
#include <hb.h>

#include <memory>

namespace {

using namespace testing_support;

const QString kAp68 = QStringLiteral("cert med INPS.pdf");
const QString kAp42 = QStringLiteral("AP42_SS3.pdf");

class FilledPdf : public testing::Test
{
protected:
    TempFolders folders;
    FakeHostSession host;
    fdf::FlowContext context{host.session, host.platform, {}, {}};

    FilledPdf()
    {
        host.platform.program = folders.program;
        host.platform.desktop = folders.desktop;
        host.patients = {rossiPatient(), hostilePatient()};
    }

    QString blank(const QString& form) const { return folders.program + form; }
    QString desktop(const char* name) const
    {
        return folders.desktop + QDir::separator() + QLatin1String(name);
    }
    void replaceBlank(const QString& form, const QByteArray& bytes) const
    {
        QFile file(blank(form));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
};

QMap<QString, QString> dumpFields(const QString& pdf)
{
    const PdftkResult read = readFields(pdf);
    EXPECT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    return read.values;
}

TEST_F(FilledPdf, ReadsAsPdftkFillingTheFdf)
{
    using Flow = fdf::PdfFlowResult (*)(const clinical::PatientRow&, fdf::FlowContext&);
    struct Case
    {
        const char* name;
        Flow flow;
        clinical::PatientRow row;
        QString form;
    };
    const clinical::PatientRow sparse{"44", "D'ANGELO", "MARIA ROSA", QDate()};
    for (const Case& c : {Case{"ap68 ordinary", &fdf::runAp68Flow, rossiRow(), kAp68},
                          Case{"ap68 hostile", &fdf::runAp68Flow, hostileRow(), kAp68},
                          Case{"ap68 no sex, export or birth date", &fdf::runAp68Flow, sparse, kAp68},
                          Case{"ap42 ordinary", &fdf::runAp42Ss3Flow, rossiRow(), kAp42},
                          Case{"ap42 hostile", &fdf::runAp42Ss3Flow, hostileRow(), kAp42}}) {
        SCOPED_TRACE(c.name);
        const fdf::PdfFlowResult result = c.flow(c.row, context);
        ASSERT_FALSE(result.filledPdfPath.isEmpty()) << host.platform.messageTexts().join('\n').toStdString();
        EXPECT_TRUE(result.filledPdfPath.startsWith(folders.desktop + QDir::separator()));
        EXPECT_TRUE(result.filledPdfPath.endsWith(QFileInfo(result.fdfPath).completeBaseName() + ".pdf"));

        const PdftkResult byPdftk = fillAndRead(blank(c.form), result.fdfPath);
        ASSERT_TRUE(byPdftk.error.isEmpty()) << byPdftk.error.toStdString();
        const QMap<QString, QString> ours = dumpFields(result.filledPdfPath);
        EXPECT_EQ(ours.keys(), byPdftk.values.keys());
        for (auto it = byPdftk.values.begin(); it != byPdftk.values.end(); ++it)
            EXPECT_EQ(ours.value(it.key()), it.value()) << "field " << it.key().toStdString();
    }
    EXPECT_TRUE(host.platform.messages.isEmpty()) << host.platform.messageTexts().join('\n').toStdString();
}

// ---- rendering ----

struct Box
{
    double left, top, width, height; // points from the page's top left corner
};

// The first widget of `field` on the first page, shrunk by `inset` points so that its border stays out.
Box widgetBox(const QString& pdfPath, const std::string& field, double inset)
{
    QPDF pdf;
    pdf.processFile(pdfPath.toStdString().c_str());
    QPDFAcroFormDocumentHelper acroForm(pdf);
    QPDFPageObjectHelper page = QPDFPageDocumentHelper(pdf).getAllPages().at(0);
    const double pageTop = page.getObjectHandle().getKey("/MediaBox").getArrayItem(3).getNumericValue();
    for (QPDFAnnotationObjectHelper& widget : acroForm.getWidgetAnnotationsForPage(page)) {
        if (acroForm.getFieldForAnnotation(widget).getFullyQualifiedName() == field) {
            const QPDFObjectHandle::Rectangle r = widget.getRect();
            return {r.llx + inset, pageTop - r.ury + inset, r.urx - r.llx - 2 * inset,
                    r.ury - r.lly - 2 * inset};
        }
    }
    ADD_FAILURE() << "no widget " << field;
    return {};
}

// Pixels darker than mid grey in `box` of the first page, rendered at `dpi` by poppler.
int darkPixels(const QString& pdfPath, const Box& box, int dpi)
{
    QTemporaryDir dir;
    const double scale = dpi / 72.0;
    const QString out = dir.filePath(QStringLiteral("crop"));
    const QString error = runLinuxProgram(QStringLiteral("pdftoppm"),
                                          {"-gray", "-r", QString::number(dpi), "-f", "1", "-l", "1",
                                           "-singlefile", "-x", QString::number(qRound(box.left * scale)),
                                           "-y", QString::number(qRound(box.top * scale)), "-W",
                                           QString::number(qRound(box.width * scale)), "-H",
                                           QString::number(qRound(box.height * scale)), pdfPath, out},
                                          nullptr);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    const QByteArray pgm = readAll(out + QStringLiteral(".pgm"));
    // "P5\n<width> <height>\n255\n" then one byte a pixel.
    const QList<QByteArray> header = pgm.left(64).split('\n');
    EXPECT_TRUE(header.size() > 3 && header[0] == "P5") << pgm.left(16).toStdString();
    const qsizetype start = header.value(0).size() + header.value(1).size() + header.value(2).size() + 3;
    int dark = 0;
    for (qsizetype i = start; i < pgm.size(); ++i)
        dark += static_cast<unsigned char>(pgm[i]) < 128 ? 1 : 0;
    return dark;
}

// The copy as viewers that draw the stored appearances show it: /NeedAppearances off. Flattened, the
// appearances become page content, as `qpdf --flatten-annotations=all` makes them.
QString withOwnAppearances(const QString& pdfPath, const QTemporaryDir& dir, bool flatten = false)
{
    const QString out = dir.filePath((flatten ? "flat-" : "") + QFileInfo(pdfPath).fileName());
    QPDF pdf;
    pdf.processFile(pdfPath.toStdString().c_str());
    QPDFAcroFormDocumentHelper acroForm(pdf);
    EXPECT_TRUE(acroForm.getNeedAppearances());
    acroForm.setNeedAppearances(false);
    if (flatten)
        QPDFPageDocumentHelper(pdf).flattenAnnotations();
    QPDFWriter(pdf, out.toStdString().c_str()).write();
    return out;
}

// What a poppler tool prints on standard output and error.
std::pair<QString, QString> poppler(const QString& tool, const QStringList& arguments)
{
    QByteArray out, err;
    const QString error = runLinuxProgram(tool, arguments, &out, &err);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    return {QString::fromUtf8(out), QString::fromUtf8(err)};
}

TEST_F(FilledPdf, RenderedValuesSitInTheirBoxes)
{
    QTemporaryDir dir;
    const fdf::PdfFlowResult rossi = fdf::runAp68Flow(rossiRow(), context);
    ASSERT_FALSE(rossi.filledPdfPath.isEmpty());
    const Box cognome = widgetBox(rossi.filledPdfPath, "cognome", 1.5);
    const Box nome = widgetBox(rossi.filledPdfPath, "nome", 1.5);
    EXPECT_EQ(darkPixels(blank(kAp68), cognome, 144), 0);
    // Poppler building its own appearance, and drawing ours.
    for (const QString& pdf : {rossi.filledPdfPath, withOwnAppearances(rossi.filledPdfPath, dir)}) {
        SCOPED_TRACE(pdf.toStdString());
        // "ROSSI" is shorter than "MARIO": both boxes hold text, and not the same amount of it.
        const int surname = darkPixels(pdf, cognome, 144);
        EXPECT_GT(surname, 40);
        EXPECT_NE(surname, darkPixels(pdf, nome, 144));
    }

    // Our appearances hold the Windows-1252 letters and the line breaks.
    host.doctorSurname = hostile::kDoctorSurname;
    const fdf::PdfFlowResult hostile = fdf::runAp68Flow(hostileRow(), context);
    const QString shown =
        poppler(QStringLiteral("pdftotext"), {withOwnAppearances(hostile.filledPdfPath, dir), "-"}).first;
    for (const QString& value :
         {hostile::kComune, hostile::kDoctorSurname, QStringLiteral("riga uno\nriga (due)\nriga tre \\")})
        EXPECT_TRUE(shown.contains(value)) << value.toStdString();
}

// ---- letters beyond the standard font ----

// Romanian, Polish and Vietnamese letters in the names, a description and the therapy.
clinical::PatientRow foreignRow()
{
    return {QStringLiteral("4E"), QStringLiteral("ȘTEFĂNESCU-ŁĘCKA"), QStringLiteral("IOANA ȚARĂ"),
            QDate(1961, 4, 2)};
}

const QString kForeignDescription = QStringLiteral("Ipertensione (dott. NGUYỄN)");
const QString kForeignTherapy = QStringLiteral("Cardioaspirina — Łódź");

FakePatient foreignPatient()
{
    PatientExport e = rossiExport();
    e.sections = {{QStringLiteral("problemi_attivi"), {{"401.9", kForeignDescription}}},
                  {QStringLiteral("continuativi"), {{"C10", "Ramipril 5 mg"}, {"B01", kForeignTherapy}}}};
    FakePatient p = rossiPatient();
    p.codice = QStringLiteral("N"); // id 4E
    p.exportXml = e.toXml();
    return p;
}

// A glyph's outline as HarfBuzz draws it: the points of its contours in order (TrueType outlines are
// lines and quadratic curves).
std::vector<float> outlineOf(hb_font_t* font, hb_codepoint_t glyph)
{
    using Points = std::vector<float>;
    hb_draw_funcs_t* funcs = hb_draw_funcs_create();
    const auto point = [](hb_draw_funcs_t*, void* points, hb_draw_state_t*, float x, float y, void*) {
        static_cast<Points*>(points)->insert(static_cast<Points*>(points)->end(), {x, y});
    };
    hb_draw_funcs_set_move_to_func(funcs, point, nullptr, nullptr);
    hb_draw_funcs_set_line_to_func(funcs, point, nullptr, nullptr);
    hb_draw_funcs_set_quadratic_to_func(
        funcs,
        [](hb_draw_funcs_t*, void* points, hb_draw_state_t*, float cx, float cy, float x, float y, void*) {
            static_cast<Points*>(points)->insert(static_cast<Points*>(points)->end(), {cx, cy, x, y});
        },
        nullptr, nullptr);
    Points points;
#if HB_VERSION_ATLEAST(7, 0, 0)
    hb_font_draw_glyph(font, glyph, funcs, &points);
#else
    hb_font_get_glyph_shape(font, glyph, funcs, &points);
#endif
    hb_draw_funcs_destroy(funcs);
    return points;
}

// The appearances draw every letter with one small embedded subset: flattened into the page, they
// give back the text; poppler draws them and its own appearances without missing a font; the values
// read back exactly.
TEST_F(FilledPdf, LettersBeyondTheStandardFontShowWithAnEmbeddedSubset)
{
    host.patients.push_back(foreignPatient());
    const fdf::PdfFlowResult foreign = fdf::runAp68Flow(foreignRow(), context);
    ASSERT_FALSE(foreign.filledPdfPath.isEmpty());
    EXPECT_TRUE(host.platform.messages.isEmpty()) << host.platform.messageTexts().join('\n').toStdString();
    const QMap<QString, QString> values = {{"cognome", foreignRow().cognome},
                                           {"nome", foreignRow().nome},
                                           {"descr_1", kForeignDescription},
                                           {"terapia", "Ramipril 5 mg\n" + kForeignTherapy}};
    const QMap<QString, QString> read = dumpFields(foreign.filledPdfPath);
    for (auto it = values.begin(); it != values.end(); ++it)
        EXPECT_EQ(read.value(it.key()), it.value()) << "field " << it.key().toStdString();

    QTemporaryDir dir;
    const QString flat = withOwnAppearances(foreign.filledPdfPath, dir, true);
    const QString text = poppler(QStringLiteral("pdftotext"), {flat, "-"}).first;
    for (const QString& value : values)
        for (const QString& line : value.split('\n'))
            EXPECT_TRUE(text.contains(line)) << line.toStdString();
    const Box cognome = widgetBox(foreign.filledPdfPath, "cognome", 1.5);
    for (const QString& pdf : {foreign.filledPdfPath, flat}) {
        SCOPED_TRACE(pdf.toStdString());
        // Not a font missing; the check boxes' ZapfDingbats is left out of the stand-in form's resources.
        const QString complaints =
            poppler(QStringLiteral("pdftoppm"), {"-r", "36", "-f", "1", "-l", "1", pdf, dir.filePath("page")})
                .second;
        for (const QString& line : complaints.split('\n'))
            EXPECT_FALSE(line.contains(QStringLiteral("font")) && !line.contains(QStringLiteral("'ZaDb'")))
                << line.toStdString();
        EXPECT_GT(darkPixels(pdf, cognome, 144), 100);
    }

    // Each glyph a line draws is its letter: its outline in the embedded subset is the letter's in the
    // font the subset was made from.
    using Font = std::unique_ptr<hb_font_t, decltype(&hb_font_destroy)>;
    // The bytes stay with the caller, who keeps them while the font lives.
    const auto fontOf = [](const QByteArray& bytes) {
        hb_blob_t* blob =
            hb_blob_create(bytes.constData(), unsigned(bytes.size()), HB_MEMORY_MODE_READONLY, {}, {});
        hb_face_t* face = hb_face_create(blob, 0);
        Font font(hb_font_create(face), &hb_font_destroy);
        hb_face_destroy(face);
        hb_blob_destroy(blob);
        return font;
    };
    const QByteArray sourceFile = readAll(pdf::unicodeFontPath(host.platform));
    const Font source = fontOf(sourceFile);
    QPDF pdf;
    pdf.processFile(foreign.filledPdfPath.toStdString().c_str());
    for (auto it = values.begin(); it != values.end(); ++it) {
        QPDFObjectHandle appearance = appearanceOf(pdf, it.key().toStdString());
        QPDFObjectHandle type0;
        for (auto font : appearance.getDict().getKey("/Resources").getKey("/Font").ditems())
            type0 = font.second.getKey("/Subtype").isNameAndEquals("/Type0") ? font.second : type0;
        ASSERT_TRUE(type0.isDictionary()) << it.key().toStdString();
        const QByteArray program = contentOf(
            type0.getKey("/DescendantFonts").getArrayItem(0).getKey("/FontDescriptor").getKey("/FontFile2"));
        const Font subset = fontOf(program);
        QStringList drawn;
        for (const auto& hex : QRegularExpression(QStringLiteral("<([0-9A-F]*)> Tj"))
                                   .globalMatch(QString::fromLatin1(contentOf(appearance))))
            drawn << hex.captured(1);
        const QStringList lines = it.value().split('\n');
        ASSERT_EQ(drawn.size(), lines.size()) << it.key().toStdString();
        for (qsizetype line = 0; line < lines.size(); ++line) {
            const QList<uint> letters = lines[line].toUcs4();
            ASSERT_EQ(drawn[line].size(), 4 * letters.size()) << drawn[line].toStdString();
            for (qsizetype i = 0; i < letters.size(); ++i) {
                hb_codepoint_t glyph = 0;
                ASSERT_TRUE(hb_font_get_nominal_glyph(source.get(), letters[i], &glyph));
                EXPECT_EQ(outlineOf(subset.get(), drawn[line].mid(4 * i, 4).toUInt(nullptr, 16)),
                          outlineOf(source.get(), glyph))
                    << "letter " << i << " of " << lines[line].toStdString();
            }
        }
    }

    // Once for the whole copy, and small beside the copy of an Italian name.
    const QByteArray bytes = readAll(foreign.filledPdfPath);
    EXPECT_EQ(bytes.count("/FontFile2"), 1);
    const QByteArray rossi = readAll(fdf::runAp68Flow(rossiRow(), context).filledPdfPath);
    EXPECT_FALSE(rossi.contains("/FontFile2"));
    EXPECT_LT(bytes.size() - rossi.size(), 60 * 1024);
}

// A font that cannot be read keeps the standard appearance, and the flow names the letters.
TEST_F(FilledPdf, WithoutAUsableFontTheFlowNamesTheLettersThatMayNotPrint)
{
    host.platform.settings[pdf::kPdfFontKey] = blank(kAp68);
    host.patients.push_back(foreignPatient());
    const fdf::PdfFlowResult foreign = fdf::runAp68Flow(foreignRow(), context);
    ASSERT_FALSE(foreign.filledPdfPath.isEmpty());
    EXPECT_FALSE(readAll(foreign.filledPdfPath).contains("/FontFile2"));
    ASSERT_EQ(host.platform.messages.size(), 1);
    EXPECT_EQ(host.platform.messages[0].kind, platform::MessageKind::Information);
    EXPECT_EQ(
        host.platform.messages[0].text,
        "Attenzione: nel modulo PDF STEFANESCU-LECKAIOANATARAcertmedinps.pdf queste lettere potrebbero "
        "non essere visualizzate né stampate: Ș Ă Ł Ę nel campo \"cognome\"; Ț Ă nel campo \"nome\"; "
        "Ễ nel campo \"descr_1\"; Ł ź nel campo \"terapia\". Manca un carattere che le contenga: se ne può "
        "indicare uno (file TrueType .ttf) nell'impostazione font_pdf_compilato (" +
            host.platform.userSettingsLocation() + ").");
}

// ---- forms that do not fit ----

// A blank form that cannot be read, or is no PDF form, stops the flow before the FDF: the copies made
// from the good form stay byte for byte. One that reads but lacks fields gives the plain copy and the
// FDF with a warning; a missing one, the FDF alone.
TEST_F(FilledPdf, UnfitFormLeavesThePlainCopyAndTheFdf)
{
    QByteArray formless;
    {
        QPDF pdf;
        pdf.emptyPDF();
        QPDFWriter writer(pdf);
        writer.setOutputMemory();
        writer.write();
        const auto buffer = writer.getBufferSharedPointer();
        formless =
            QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()), qsizetype(buffer->getSize()));
    }
    const QByteArray good = readAll(blank(kAp68));
    const QString prefix =
        QStringLiteral("Attenzione: impossibile compilare il modulo PDF ROSSIMARIOcertmedinps.pdf: ");
    const QString suffix = QStringLiteral(". Il file FDF è stato comunque creato.");
    struct Case
    {
        const char* name;
        std::optional<QByteArray> blankForm; // none: no blank form at all
        QString reason;
        bool damaged;
    };
    for (
        const Case& c :
        {Case{"missing", std::nullopt, "il modulo vuoto " + blank(kAp68) + " non esiste", false},
         Case{"not a pdf", QByteArray("%PDF-1.4 ma non davvero\n"), "il file non è un PDF leggibile", true},
         Case{"cut short", good.left(20000), "il file non è un PDF leggibile", true},
         Case{"no form", formless, "il file non contiene un modulo compilabile", true},
         Case{
             "another form", readAll(QStringLiteral(INVCIV_FORMS_DIR "/") + kAp42),
             R"(il modulo non ha i campi "sesso", "comune_nasc", "datanascita", "cieco", "cod_1" e altri 29)",
             false}}) {
        SCOPED_TRACE(c.name);
        replaceBlank(kAp68, good);
        const fdf::PdfFlowResult made = fdf::runAp68Flow(rossiRow(), context);
        const QString copy = made.filledPdfPath;
        const QString fdfPath = made.fdfPath;
        const QByteArray earlier = readAll(copy);
        ASSERT_TRUE(QFile::remove(fdfPath));
        host.platform.messages.clear();
        if (c.blankForm)
            replaceBlank(kAp68, *c.blankForm);
        else
            QFile::remove(blank(kAp68));

        if (c.damaged) {
            try {
                fdf::runAp68Flow(rossiRow(), context);
                ADD_FAILURE() << "no error";
            } catch (const std::runtime_error& error) {
                EXPECT_EQ(
                    QString::fromUtf8(error.what()),
                    "Il modulo vuoto " + blank(kAp68) + " è danneggiato o illeggibile (" + c.reason +
                        "): il file FDF non è stato creato e la copia sul desktop non è stata toccata.");
            }
            EXPECT_FALSE(QFile::exists(fdfPath));
            EXPECT_EQ(readAll(copy), earlier);
            EXPECT_EQ(QDir(folders.desktop).entryList(QDir::Files).size(), 1);
            continue;
        }
        const fdf::PdfFlowResult result = fdf::runAp68Flow(rossiRow(), context);
        EXPECT_TRUE(result.filledPdfPath.isEmpty());
        EXPECT_EQ(fdf::pathToOpen(result, fdf::OpenTarget::FilledPdf), result.fdfPath);
        EXPECT_TRUE(readAll(result.fdfPath).startsWith("%FDF-1.2\r\n"));
        // The program's own earlier copy gives way to the plain one; with no blank form it stays.
        EXPECT_EQ(readAll(copy), c.blankForm.value_or(earlier));
        EXPECT_EQ(result.keptPath, QString());
        EXPECT_TRUE(ownerOnly(copy));
        ASSERT_EQ(host.platform.messages.size(), 1);
        EXPECT_EQ(host.platform.messages[0].kind, platform::MessageKind::Error);
        EXPECT_EQ(host.platform.messages[0].text, prefix + c.reason + suffix);
    }
}

// ---- what the click opens ----

TEST(OpenSetting, ChoosesByTheUsersSettingAndWhatWasMade)
{
    RecordingPlatform settings;
    using fdf::OpenTarget;
    EXPECT_EQ(fdf::openTarget(settings), fdf::defaultOpenTarget());
#ifdef Q_OS_WIN
    EXPECT_EQ(fdf::defaultOpenTarget(), OpenTarget::Fdf);
#else
    EXPECT_EQ(fdf::defaultOpenTarget(), OpenTarget::FilledPdf);
#endif
    const std::pair<QString, OpenTarget> values[] = {
        {"true", OpenTarget::FilledPdf},    {"1", OpenTarget::FilledPdf}, {" Sì ", OpenTarget::FilledPdf},
        {"false", OpenTarget::Fdf},         {"0", OpenTarget::Fdf},       {"no", OpenTarget::Fdf},
        {"forse", fdf::defaultOpenTarget()}};
    for (const auto& [value, target] : values) {
        settings.setUserSetting(fdf::kOpenFilledPdfKey, value);
        EXPECT_EQ(fdf::openTarget(settings), target) << value.toStdString();
    }

    const fdf::PdfFlowResult both{"a.fdf", "a.pdf", {}};
    EXPECT_EQ(fdf::pathToOpen(both, OpenTarget::FilledPdf), "a.pdf");
    EXPECT_EQ(fdf::pathToOpen(both, OpenTarget::Fdf), "a.fdf");
    EXPECT_EQ(fdf::pathToOpen({"a.fdf", {}, {}}, OpenTarget::FilledPdf), "a.fdf");
}

} // namespace
