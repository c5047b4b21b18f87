#include "FieldAppearance.h"

#include "EmbeddedFont.h"
#include "text/Windows1252.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <set>

namespace pdf {

// The font operation of a default appearance such as "/Helv 9 Tf 0 g".
struct DaFont
{
    QString da;
    std::string name; // "/Helv"; "" when the appearance names no font
    double size = 0;  // 0: fit to the box
    qsizetype at = -1;
    qsizetype length = 0;
};

namespace {

constexpr int kMultiline = 1 << 12; // text field flag
constexpr double kPadding = 2;      // points between the box and the text
constexpr double kLeading = 1.15;   // line distance in font sizes
// One line of text as qpdf lays it out: its font size when the appearance gives none that fits,
// its distance from the box's left edge, and its baseline below the box's middle in font sizes.
constexpr double kLineSize = 11;
constexpr double kLineIndent = 1;
constexpr double kLineBaseline = 0.4;

DaFont daFont(const std::string& da)
{
    static const QRegularExpression tf(QStringLiteral(R"((/[^\s/\[\]()<>{}%]+)\s+([-+]?[.\d]+)\s+Tf)"));
    DaFont font;
    font.da = QString::fromStdString(da);
    if (const QRegularExpressionMatch match = tf.match(font.da); match.hasMatch()) {
        font.name = match.captured(1).toStdString();
        font.size = match.captured(2).toDouble();
        font.at = match.capturedStart();
        font.length = match.capturedLength();
    }
    return font;
}

// qpdf encodes a generated text appearance in WinAnsi only for a font whose /Encoding names it (or
// MacRoman); any other font gets ASCII, "?" for every other letter. A standard Latin font that is not
// embedded draws every WinAnsi character, so such a font gets a WinAnsi twin in the appearance.
bool needsTwin(QPDFObjectHandle font)
{
    static const std::set<std::string> kLatin = {
        "/Helvetica",   "/Helvetica-Bold", "/Helvetica-Oblique", "/Helvetica-BoldOblique",
        "/Times-Roman", "/Times-Bold",     "/Times-Italic",      "/Times-BoldItalic",
        "/Courier",     "/Courier-Bold",   "/Courier-Oblique",   "/Courier-BoldOblique"};
    if (!font.isDictionary() || !font.getKey("/Subtype").isNameAndEquals("/Type1") ||
        font.hasKey("/FontDescriptor"))
        return false;
    QPDFObjectHandle base = font.getKey("/BaseFont");
    QPDFObjectHandle encoding = font.getKey("/Encoding");
    return base.isName() && kLatin.contains(base.getName()) &&
           !encoding.isNameAndEquals("/WinAnsiEncoding") && !encoding.isNameAndEquals("/MacRomanEncoding");
}

// A PDF literal string of the line in the font's encoding: WinAnsi, or else ASCII with "?".
QByteArray literal(const QString& line, bool winAnsi)
{
    QByteArray bytes;
    if (winAnsi) {
        bytes = text::encodeWindows1252(line);
    } else {
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line.at(i);
            if (c.isHighSurrogate() && i + 1 < line.size() && line.at(i + 1).isLowSurrogate())
                ++i;
            bytes += c.unicode() < 0x80 ? char(c.unicode()) : '?';
        }
    }
    QByteArray out = "(";
    for (const char c : bytes) {
        if (c == '(' || c == ')' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + ')';
}

QByteArray number(double value)
{
    return QByteArray::number(value, 'f', 2);
}

// The value under `key` when `object` is a dictionary, else null, without qpdf's warning.
QPDFObjectHandle keyOf(QPDFObjectHandle object, const std::string& key)
{
    return object.isDictionary() ? object.getKey(key) : QPDFObjectHandle::newNull();
}

// The font `name` of a stream's resources.
QPDFObjectHandle resourceFont(QPDFObjectHandle stream, const std::string& name)
{
    return keyOf(keyOf(keyOf(stream.getDict(), "/Resources"), "/Font"), name);
}

// `dict`'s resources with `font` under `name`: fresh resource and font dictionaries, since those of
// a form are often shared between appearances.
void putFont(QPDFObjectHandle dict, const std::string& name, QPDFObjectHandle font)
{
    QPDFObjectHandle resources = dict.getKey("/Resources");
    resources = resources.isDictionary() ? resources.shallowCopy() : QPDFObjectHandle::newDictionary();
    QPDFObjectHandle fonts = resources.getKey("/Font");
    fonts = fonts.isDictionary() ? fonts.shallowCopy() : QPDFObjectHandle::newDictionary();
    fonts.replaceKey(name, font);
    resources.replaceKey("/Font", fonts);
    dict.replaceKey("/Resources", resources);
}

// Characters a standard font's WinAnsi twin has no glyph for; line breaks are layout.
bool beyondWinAnsi(char32_t c)
{
    return c != U'\n' && !text::inWindows1252(c);
}

bool needsUnicode(const QString& value, const EmbeddedFont& font)
{
    const QList<uint> characters = value.toUcs4();
    return std::any_of(characters.begin(), characters.end(),
                       [&](char32_t c) { return beyondWinAnsi(c) && font.draws(c); });
}

// The text as the embedded font draws it: composed, so that a letter and its accent are one glyph.
QString composed(const QString& value)
{
    return value.normalized(QString::NormalizationForm_C);
}

// The letters and digits of `text` that `shows` rejects, each once, in order.
QString unshown(const QString& text, const std::function<bool(char32_t)>& shows)
{
    QList<char32_t> missing;
    for (const char32_t c : text.toUcs4()) {
        if (QChar::isLetterOrNumber(c) && !shows(c) && !missing.contains(c))
            missing << c;
    }
    return QString::fromUcs4(missing.constData(), missing.size());
}

// The default appearance with its font operation naming `font` instead, at the same size; one is put
// first when it has none.
DaFont withFont(const DaFont& da, const std::string& font)
{
    QString text = da.da;
    const QString name = QString::fromStdString(font);
    if (da.name.empty())
        text.prepend(name + QStringLiteral(" 0 Tf "));
    else
        text.replace(da.at, da.name.size(), name);
    return daFont(text.toStdString());
}

} // namespace

TextAppearances::TextAppearances(QPDF& pdf, QPDFAcroFormDocumentHelper& acroForm, QString unicodeFont)
    : m_pdf(pdf), m_acroForm(acroForm),
      m_formFonts(pdf.getRoot().getKey("/AcroForm").getKey("/DR").getKey("/Font")),
      m_unicodePath(std::move(unicodeFont))
{
}

TextAppearances::~TextAppearances() = default;

void TextAppearances::prepare(const std::vector<QString>& values)
{
    const auto beyond = [](const QString& value) {
        const QList<uint> characters = value.toUcs4();
        return std::any_of(characters.begin(), characters.end(), beyondWinAnsi);
    };
    // Most forms need no font: then not even its file is read.
    if (m_unicode || std::none_of(values.begin(), values.end(), beyond))
        return;
    std::unique_ptr<EmbeddedFont> font = EmbeddedFont::open(m_unicodePath);
    if (!font)
        return;
    std::set<char32_t> characters;
    for (const QString& value : values) {
        if (!needsUnicode(value, *font))
            continue;
        for (const char32_t c : composed(value).toUcs4())
            characters.insert(c);
    }
    if (characters.empty())
        return;
    m_unicodeFont = font->embed(m_pdf, characters);
    if (!m_unicodeFont.isInitialized())
        return;
    m_unicode = std::move(font);

    // In the form's resources too, for viewers that build their own appearance from the /DA.
    QPDFObjectHandle acroForm = m_pdf.getRoot().getKey("/AcroForm");
    QPDFObjectHandle resources = acroForm.getKey("/DR");
    if (!resources.isDictionary()) {
        resources = QPDFObjectHandle::newDictionary();
        acroForm.replaceKey("/DR", resources);
    }
    m_formFonts = resources.getKey("/Font");
    if (!m_formFonts.isDictionary()) {
        m_formFonts = QPDFObjectHandle::newDictionary();
        resources.replaceKey("/Font", m_formFonts);
    }
    const std::string base = '/' + m_unicode->name().toStdString();
    m_unicodeName = base;
    for (int i = 2; m_formFonts.hasKey(m_unicodeName); ++i)
        m_unicodeName = base + '-' + std::to_string(i);
    m_formFonts.replaceKey(m_unicodeName, m_unicodeFont);
}

QString TextAppearances::generate(QPDFFormFieldObjectHelper& field, const QString& value)
{
    if (m_unicode && needsUnicode(value, *m_unicode))
        return generateUnicode(field, value);
    const bool lines = (field.getFlags() & kMultiline) != 0 && value.contains(QLatin1Char('\n'));
    const std::string fontName = daFont(field.getDefaultAppearance()).name;
    for (QPDFAnnotationObjectHelper& widget : m_acroForm.getAnnotationsForField(field)) {
        if (QPDFObjectHandle appearance = widget.getAppearanceStream("/N"); appearance.isStream())
            prepareFont(appearance, fontName);
        if (!lines || !writeLines(field, widget, value)) {
            field.generateAppearance(widget);
            settle(widget);
        }
    }
    return unshown(value, [](char32_t c) { return !beyondWinAnsi(c); });
}

// Every appearance drawn with the embedded font, and the field's /DA (and a widget's own) naming it,
// at the size it gave.
QString TextAppearances::generateUnicode(QPDFFormFieldObjectHelper& field, const QString& value)
{
    const QString text = composed(value);
    const DaFont font = withFont(daFont(field.getDefaultAppearance()), m_unicodeName);
    const QPDFObjectHandle da = QPDFObjectHandle::newString(font.da.toStdString());
    field.getObjectHandle().replaceKey("/DA", da);
    const bool fromTop = (field.getFlags() & kMultiline) != 0 && text.contains(QLatin1Char('\n'));
    const QStringList lines = fromTop
                                  ? text.split(QLatin1Char('\n'))
                                  : QStringList{QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '))};
    const Drawing drawing{fromTop, [this](const QString& line) { return m_unicode->hexString(line); },
                          m_unicodeFont};
    for (QPDFAnnotationObjectHelper& widget : m_acroForm.getAnnotationsForField(field)) {
        QPDFObjectHandle annotation = widget.getObjectHandle();
        if (annotation.hasKey("/DA"))
            annotation.replaceKey("/DA", da);
        if (!writeText(widget, font, lines, drawing)) {
            // No appearance to start from, or one that cannot be read: an empty one over the widget.
            const QPDFObjectHandle::Rectangle rect = widget.getRect();
            QPDFObjectHandle blank = QPDFObjectHandle::newStream(&m_pdf, "/Tx BMC\nEMC\n");
            blank.replaceDict(QPDFObjectHandle::parse("<< /Type /XObject /Subtype /Form >>"));
            blank.getDict().replaceKey("/BBox", QPDFObjectHandle::newFromRectangle(
                                                    {0, 0, rect.urx - rect.llx, rect.ury - rect.lly}));
            QPDFObjectHandle appearances = QPDFObjectHandle::newDictionary();
            appearances.replaceKey("/N", blank);
            annotation.replaceKey("/AP", appearances);
            writeText(widget, font, lines, drawing);
        }
    }
    return unshown(text, [this](char32_t c) { return m_unicode->draws(c); });
}

// qpdf's appearance is a token filter on the old stream, run when the stream is written; the filled
// form's writer copies compressed streams as they are, so the filtered text is taken now. A stream
// qpdf cannot decode keeps its old appearance; viewers still build theirs from the value.
void TextAppearances::settle(QPDFAnnotationObjectHelper& widget)
{
    QPDFObjectHandle appearance = widget.getAppearanceStream("/N");
    if (!appearance.isStream())
        return;
    try {
        appearance.replaceStreamData(appearance.getStreamData(qpdf_dl_generalized),
                                     QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
    } catch (const std::exception&) {
    }
}

// Points the appearance's font `name` to its WinAnsi twin where it needs one. The field's /DA and the
// form's /DR stay as they are, for viewers that build their own appearance.
void TextAppearances::prepareFont(QPDFObjectHandle appearance, const std::string& name)
{
    if (name.empty())
        return;
    QPDFObjectHandle font = resourceFont(appearance, name);
    if (!font.isDictionary() && m_formFonts.isDictionary())
        font = m_formFonts.getKey(name);
    if (needsTwin(font))
        putFont(appearance.getDict(), name, twin(font));
}

QPDFObjectHandle TextAppearances::twin(QPDFObjectHandle font)
{
    // One twin for each font object; a direct font has no identity to share a twin by.
    QPDFObjectHandle none;
    QPDFObjectHandle& made = font.isIndirect() ? m_twins[font.getObjGen()] : none;
    if (made.isInitialized())
        return made;
    QPDFObjectHandle copy = font.shallowCopy();
    copy.replaceKey("/Encoding", QPDFObjectHandle::newName("/WinAnsiEncoding"));
    // Widths and a ToUnicode map by code belong to the old encoding; a standard font has its own.
    for (const char* key : {"/Widths", "/FirstChar", "/LastChar", "/ToUnicode"})
        copy.removeKey(key);
    made = m_pdf.makeIndirectObject(copy);
    return made;
}

// qpdf writes a value on one line whatever its line breaks: a multi-line box gets one line of text
// for each, from its top, over what the form draws beneath (background, border). false when the
// widget has no appearance to start from, and qpdf's stands.
bool TextAppearances::writeLines(QPDFFormFieldObjectHelper& field, QPDFAnnotationObjectHelper& widget,
                                 const QString& value)
{
    QPDFObjectHandle old = widget.getAppearanceStream("/N");
    const DaFont font = daFont(field.getDefaultAppearance());
    if (!old.isStream() || font.name.empty())
        return false;
    QPDFObjectHandle resource = resourceFont(old, font.name);
    const bool winAnsi =
        resource.isDictionary() && resource.getKey("/Encoding").isNameAndEquals("/WinAnsiEncoding");
    return writeText(widget, font, value.split(QLatin1Char('\n')),
                     {true, [winAnsi](const QString& line) { return literal(line, winAnsi); }, {}});
}

// A fresh normal appearance for the widget: what its old one draws beneath the text (background,
// border), then `lines` in `font`, clipped to the box. false when the old one cannot be read.
bool TextAppearances::writeText(QPDFAnnotationObjectHelper& widget, const DaFont& font,
                                const QStringList& lines, const Drawing& drawing)
{
    QPDFObjectHandle old = widget.getAppearanceStream("/N");
    if (!old.isStream())
        return false;
    QPDFObjectHandle dict = old.getDict();
    QPDFObjectHandle bbox = dict.getKey("/BBox");
    if (!bbox.isRectangle())
        return false;
    std::string beneath;
    try {
        const std::shared_ptr<Buffer> data = old.getStreamData(qpdf_dl_generalized);
        beneath.assign(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
    } catch (const std::exception&) {
        return false;
    }
    if (const std::size_t text = beneath.find("/Tx BMC"); text != std::string::npos)
        beneath.resize(text);

    const QPDFObjectHandle::Rectangle box = bbox.getArrayAsRectangle();
    const double width = box.urx - box.llx;
    const double height = box.ury - box.lly;
    double size = 0;
    QByteArray start;
    if (drawing.fromTop) {
        size = font.size > 0
                   ? font.size
                   : std::clamp((height - 2 * kPadding) / (kLeading * double(lines.size())), 4.0, 12.0);
        start = number(box.llx + kPadding) + ' ' + number(box.ury - kPadding - size);
    } else {
        size = font.size > 1 && font.size < 1000 ? font.size : kLineSize;
        start = number(box.llx + kLineIndent) + ' ' + number(box.lly + height / 2 - kLineBaseline * size);
    }
    QString da = font.da;
    da.replace(font.at, font.length,
               QString::fromStdString(font.name) + QLatin1Char(' ') + QString::fromLatin1(number(size)) +
                   QStringLiteral(" Tf"));

    QByteArray content(beneath.data(), qsizetype(beneath.size()));
    content += "\n/Tx BMC\nq\n" + number(box.llx + 1) + ' ' + number(box.lly + 1) + ' ' + number(width - 2) +
               ' ' + number(height - 2) + " re W n\nBT\n" + da.toLatin1() + '\n' + number(size * kLeading) +
               " TL\n" + start + " Td\n";
    for (const QString& line : lines)
        content += drawing.operand(line) + " Tj T*\n";
    content += "ET\nQ\nEMC\n";

    QPDFObjectHandle streamDict = dict.shallowCopy();
    for (const char* key : {"/Length", "/Filter", "/DecodeParms"})
        streamDict.removeKey(key);
    if (drawing.font.isInitialized())
        putFont(streamDict, font.name, drawing.font);
    QPDFObjectHandle stream = QPDFObjectHandle::newStream(&m_pdf);
    stream.replaceDict(streamDict);
    stream.replaceStreamData(content.toStdString(), QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
    // A fresh appearance dictionary: the old one may be shared with other widgets.
    QPDFObjectHandle appearances = widget.getAppearanceDictionary().shallowCopy();
    appearances.replaceKey("/N", stream);
    widget.getObjectHandle().replaceKey("/AP", appearances);
    return true;
}

} // namespace pdf
