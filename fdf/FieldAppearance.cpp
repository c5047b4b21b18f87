#include "FieldAppearance.h"

#include "Windows1252.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <set>

namespace fdf {

namespace {

constexpr int kMultiline = 1 << 12; // text field flag
constexpr double kPadding = 2;      // points between the box and the text
constexpr double kLeading = 1.15;   // line distance in font sizes

// The font operation of a default appearance such as "/Helv 9 Tf 0 g".
struct DaFont
{
    QString da;
    std::string name; // "/Helv"; "" when the appearance names no font
    double size = 0;  // 0: fit to the box
    qsizetype at = -1;
    qsizetype length = 0;
};

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
        bytes = encodeWindows1252(line);
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

} // namespace

TextAppearances::TextAppearances(QPDF& pdf, QPDFAcroFormDocumentHelper& acroForm)
    : m_pdf(pdf), m_acroForm(acroForm),
      m_formFonts(pdf.getRoot().getKey("/AcroForm").getKey("/DR").getKey("/Font"))
{
}

void TextAppearances::generate(QPDFFormFieldObjectHelper& field, const QString& value)
{
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
    QPDFObjectHandle dict = appearance.getDict();
    QPDFObjectHandle resources = dict.getKey("/Resources");
    resources = resources.isDictionary() ? resources.shallowCopy() : QPDFObjectHandle::newDictionary();
    QPDFObjectHandle fonts = resources.getKey("/Font");
    fonts = fonts.isDictionary() ? fonts.shallowCopy() : QPDFObjectHandle::newDictionary();
    QPDFObjectHandle font = fonts.getKey(name);
    if (!font.isDictionary() && m_formFonts.isDictionary())
        font = m_formFonts.getKey(name);
    if (!needsTwin(font))
        return;
    fonts.replaceKey(name, twin(font));
    resources.replaceKey("/Font", fonts);
    dict.replaceKey("/Resources", resources);
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
    const QStringList lines = value.split(QLatin1Char('\n'));
    const double size =
        font.size > 0 ? font.size
                      : std::clamp((height - 2 * kPadding) / (kLeading * double(lines.size())), 4.0, 12.0);
    QString da = font.da;
    da.replace(font.at, font.length,
               QString::fromStdString(font.name) + QLatin1Char(' ') + QString::fromLatin1(number(size)) +
                   QStringLiteral(" Tf"));
    QPDFObjectHandle resource = dict.getKey("/Resources").getKey("/Font").getKey(font.name);
    const bool winAnsi =
        resource.isDictionary() && resource.getKey("/Encoding").isNameAndEquals("/WinAnsiEncoding");

    QByteArray content(beneath.data(), qsizetype(beneath.size()));
    content += "\n/Tx BMC\nq\n" + number(box.llx + 1) + ' ' + number(box.lly + 1) + ' ' + number(width - 2) +
               ' ' + number(height - 2) + " re W n\nBT\n" + da.toLatin1() + '\n' + number(size * kLeading) +
               " TL\n" + number(box.llx + kPadding) + ' ' + number(box.ury - kPadding - size) + " Td\n";
    for (const QString& line : lines)
        content += literal(line, winAnsi) + " Tj T*\n";
    content += "ET\nQ\nEMC\n";

    QPDFObjectHandle streamDict = dict.shallowCopy();
    for (const char* key : {"/Length", "/Filter", "/DecodeParms"})
        streamDict.removeKey(key);
    QPDFObjectHandle stream = QPDFObjectHandle::newStream(&m_pdf);
    stream.replaceDict(streamDict);
    stream.replaceStreamData(content.toStdString(), QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
    // A fresh appearance dictionary: the old one may be shared with other widgets.
    QPDFObjectHandle appearances = widget.getAppearanceDictionary().shallowCopy();
    appearances.replaceKey("/N", stream);
    widget.getObjectHandle().replaceKey("/AP", appearances);
    return true;
}

} // namespace fdf
