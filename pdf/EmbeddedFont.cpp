#include "EmbeddedFont.h"

#include <QFile>

#include <hb-ot.h>
#include <hb-subset.h>
#include <hb.h>

#include <cmath>
#include <optional>

namespace pdf {

namespace {

// A larger file is no font for a form.
constexpr qint64 kMaxFontFile = 64 * 1024 * 1024;
// Entries in one bfchar block of a CMap.
constexpr int kCMapBlock = 100;

template <typename T, void (*Destroy)(T*)> struct HbFree
{
    void operator()(T* p) const { Destroy(p); }
};
template <typename T, void (*Destroy)(T*)> using HbPtr = std::unique_ptr<T, HbFree<T, Destroy>>;
using Blob = HbPtr<hb_blob_t, hb_blob_destroy>;
using Face = HbPtr<hb_face_t, hb_face_destroy>;
using Font = HbPtr<hb_font_t, hb_font_destroy>;
using SubsetInput = HbPtr<hb_subset_input_t, hb_subset_input_destroy>;
using SubsetPlan = HbPtr<hb_subset_plan_t, hb_subset_plan_destroy>;

QByteArray table(hb_face_t* face, const char* tag)
{
    const Blob blob(hb_face_reference_table(face, hb_tag_from_string(tag, 4)));
    unsigned length = 0;
    const char* data = hb_blob_get_data(blob.get(), &length);
    return QByteArray(data, qsizetype(length));
}

int int16At(const QByteArray& data, qsizetype at)
{
    if (at + 2 > data.size())
        return 0;
    return int16_t(uint16_t(uint8_t(data[at]) << 8 | uint8_t(data[at + 1])));
}

// The PostScript name with only letters, digits and "-": a PDF name needs no escape then.
QByteArray postScriptName(hb_face_t* face)
{
    char buffer[64] = {};
    unsigned size = sizeof buffer;
    hb_ot_name_get_utf8(face, HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID, &size, buffer);
    QByteArray name;
    for (const char c : QByteArray(buffer)) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-')
            name += c;
    }
    return name.isEmpty() ? QByteArray("UnicodeFont") : name;
}

// Six capital letters that name this subset of the font, the same for the same characters.
QByteArray subsetTag(const std::set<char32_t>& characters)
{
    quint32 hash = 2166136261u;
    for (const char32_t c : characters)
        hash = (hash ^ quint32(c)) * 16777619u;
    QByteArray tag;
    for (int i = 0; i < 6; ++i, hash /= 26)
        tag += char('A' + hash % 26);
    return tag;
}

QByteArray utf16Hex(char32_t c)
{
    QByteArray hex;
    for (const QChar unit : QString::fromUcs4(&c, 1))
        hex += QByteArray::number(unit.unicode(), 16).toUpper().rightJustified(4, '0');
    return hex;
}

QByteArray cidHex(unsigned cid)
{
    return QByteArray::number(cid, 16).toUpper().rightJustified(4, '0');
}

// Maps each CID back to the text it draws, for search, copy and paste.
QByteArray toUnicodeCMap(const std::map<unsigned, char32_t>& text)
{
    QByteArray cmap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    auto it = text.begin();
    while (it != text.end()) {
        QByteArray block;
        int count = 0;
        for (; it != text.end() && count < kCMapBlock; ++it, ++count)
            block += '<' + cidHex(it->first) + "> <" + utf16Hex(it->second) + ">\n";
        cmap += QByteArray::number(count) + " beginbfchar\n" + block + "endbfchar\n";
    }
    return cmap + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

QPDFObjectHandle integer(double value)
{
    return QPDFObjectHandle::newInteger(std::lround(value));
}

// The descriptor of the embedded font program: the font's box, metrics and slant in thousandths of
// its size.
QPDFObjectHandle fontDescriptor(hb_font_t* font, const std::string& baseFont, QPDFObjectHandle fontFile)
{
    hb_face_t* face = hb_font_get_face(font);
    const double scale = 1000.0 / hb_face_get_upem(face);
    const QByteArray head = table(face, "head");
    const double left = int16At(head, 36) * scale, bottom = int16At(head, 38) * scale;
    const double right = int16At(head, 40) * scale, top = int16At(head, 42) * scale;
    hb_position_t ascender = 0, descender = 0, capHeight = 0;
    if (!hb_ot_metrics_get_position(font, HB_OT_METRICS_TAG_HORIZONTAL_ASCENDER, &ascender))
        ascender = hb_position_t(top / scale);
    if (!hb_ot_metrics_get_position(font, HB_OT_METRICS_TAG_HORIZONTAL_DESCENDER, &descender))
        descender = hb_position_t(bottom / scale);
    if (!hb_ot_metrics_get_position(font, HB_OT_METRICS_TAG_CAP_HEIGHT, &capHeight)) {
        // Older fonts give no cap height: the top of their "H".
        hb_codepoint_t glyph = 0;
        hb_glyph_extents_t extents{};
        capHeight =
            hb_font_get_nominal_glyph(font, U'H', &glyph) && hb_font_get_glyph_extents(font, glyph, &extents)
                ? extents.y_bearing
                : ascender;
    }
    const float slant = hb_style_get_value(font, HB_STYLE_TAG_SLANT_ANGLE);

    QPDFObjectHandle descriptor = QPDFObjectHandle::newDictionary();
    descriptor.replaceKey("/Type", QPDFObjectHandle::newName("/FontDescriptor"));
    descriptor.replaceKey("/FontName", QPDFObjectHandle::newName(baseFont));
    // Nonsymbolic (Latin text), and italic when slanted.
    descriptor.replaceKey("/Flags", QPDFObjectHandle::newInteger(slant != 0 ? 32 | 64 : 32));
    descriptor.replaceKey("/FontBBox", QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>{
                                           integer(left), integer(bottom), integer(right), integer(top)}));
    descriptor.replaceKey("/ItalicAngle", integer(slant));
    descriptor.replaceKey("/Ascent", integer(ascender * scale));
    descriptor.replaceKey("/Descent", integer(descender * scale));
    descriptor.replaceKey("/CapHeight", integer(capHeight * scale));
    descriptor.replaceKey("/StemV", QPDFObjectHandle::newInteger(80));
    descriptor.replaceKey("/FontFile2", fontFile);
    return descriptor;
}

} // namespace

struct EmbeddedFont::Hb
{
    Blob blob;
    Face face;
    Font font;
};

EmbeddedFont::EmbeddedFont(std::unique_ptr<Hb> hb)
    : m_hb(std::move(hb)), m_name(postScriptName(m_hb->face.get()))
{
}

EmbeddedFont::~EmbeddedFont() = default;

std::unique_ptr<EmbeddedFont> EmbeddedFont::open(const QString& path)
{
    QFile file(path);
    if (path.isEmpty() || file.size() > kMaxFontFile || !file.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray bytes = file.readAll();
    auto hb = std::make_unique<Hb>();
    // The blob holds a copy: HarfBuzz may keep it beyond any one call.
    hb->blob.reset(hb_blob_create(bytes.constData(), unsigned(bytes.size()), HB_MEMORY_MODE_DUPLICATE,
                                  nullptr, nullptr));
    hb->face.reset(hb_face_create(hb->blob.get(), 0));
    if (hb_face_get_glyph_count(hb->face.get()) == 0 || table(hb->face.get(), "glyf").isEmpty() ||
        table(hb->face.get(), "loca").isEmpty())
        return nullptr;
    hb->font.reset(hb_font_create(hb->face.get()));
    const int upem = int(hb_face_get_upem(hb->face.get()));
    hb_font_set_scale(hb->font.get(), upem, upem);
    return std::unique_ptr<EmbeddedFont>(new EmbeddedFont(std::move(hb)));
}

bool EmbeddedFont::draws(char32_t c) const
{
    hb_codepoint_t glyph = 0;
    return hb_font_get_nominal_glyph(m_hb->font.get(), c, &glyph) && glyph != 0;
}

QPDFObjectHandle EmbeddedFont::embed(QPDF& pdf, const std::set<char32_t>& characters)
{
    hb_face_t* face = m_hb->face.get();
    hb_font_t* font = m_hb->font.get();

    // The glyphs of the characters without hinting or layout tables: a form draws them one by one.
    const SubsetInput input(hb_subset_input_create_or_fail());
    if (!input)
        return {};
    hb_set_t* unicodes = hb_subset_input_unicode_set(input.get());
    hb_set_add(unicodes, U'?');
    for (const char32_t c : characters) {
        if (draws(c))
            hb_set_add(unicodes, c);
    }
    hb_subset_input_set_flags(input.get(), HB_SUBSET_FLAGS_NO_HINTING);
    hb_set_t* dropped = hb_subset_input_set(input.get(), HB_SUBSET_SETS_DROP_TABLE_TAG);
    for (const char* tag : {"GSUB", "GPOS", "GDEF", "MATH"})
        hb_set_add(dropped, hb_tag_from_string(tag, 4));
    const SubsetPlan plan(hb_subset_plan_create_or_fail(face, input.get()));
    const Face subset(plan ? hb_subset_plan_execute_or_fail(plan.get()) : nullptr);
    if (!subset)
        return {};
    const QByteArray program = [&] {
        const Blob blob(hb_face_reference_blob(subset.get()));
        unsigned length = 0;
        const char* data = hb_blob_get_data(blob.get(), &length);
        return QByteArray(data, qsizetype(length));
    }();

    // The subset numbers its glyphs afresh; a CID is the new number.
    const hb_map_t* oldToNew = hb_subset_plan_old_to_new_glyph_mapping(plan.get());
    const auto cidOf = [&](char32_t c) -> std::optional<unsigned> {
        hb_codepoint_t glyph = 0;
        if (!hb_font_get_nominal_glyph(font, c, &glyph))
            return std::nullopt;
        const hb_codepoint_t cid = hb_map_get(oldToNew, glyph);
        return cid == HB_MAP_VALUE_INVALID ? std::nullopt : std::optional<unsigned>(cid);
    };
    m_cids.clear();
    m_unknownCid = cidOf(U'?').value_or(0);
    for (const char32_t c : characters) {
        if (const std::optional<unsigned> cid = cidOf(c); cid && draws(c))
            m_cids[c] = *cid;
    }
    std::map<unsigned, char32_t> text;
    for (const auto& [c, cid] : m_cids)
        text.emplace(cid, c);
    if (m_unknownCid != 0)
        text.emplace(m_unknownCid, U'?');

    const double scale = 1000.0 / hb_face_get_upem(face);
    const hb_map_t* newToOld = hb_subset_plan_new_to_old_glyph_mapping(plan.get());
    QPDFObjectHandle widths = QPDFObjectHandle::newArray();
    for (unsigned cid = 0; cid < hb_face_get_glyph_count(subset.get()); ++cid) {
        const hb_codepoint_t glyph = hb_map_get(newToOld, cid);
        widths.appendItem(
            integer(glyph == HB_MAP_VALUE_INVALID ? 0 : hb_font_get_glyph_h_advance(font, glyph) * scale));
    }

    const std::string baseFont = '/' + (subsetTag(characters) + '+' + m_name).toStdString();
    QPDFObjectHandle fontFile = QPDFObjectHandle::newStream(&pdf);
    // zlib data after qCompress's four bytes of length: what FlateDecode reads.
    fontFile.replaceStreamData(qCompress(program, 9).mid(4).toStdString(),
                               QPDFObjectHandle::newName("/FlateDecode"), QPDFObjectHandle::newNull());
    fontFile.getDict().replaceKey("/Length1", QPDFObjectHandle::newInteger(program.size()));

    QPDFObjectHandle cidFont = QPDFObjectHandle::newDictionary();
    cidFont.replaceKey("/Type", QPDFObjectHandle::newName("/Font"));
    cidFont.replaceKey("/Subtype", QPDFObjectHandle::newName("/CIDFontType2"));
    cidFont.replaceKey("/BaseFont", QPDFObjectHandle::newName(baseFont));
    cidFont.replaceKey("/CIDSystemInfo",
                       QPDFObjectHandle::parse("<< /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>"));
    cidFont.replaceKey("/FontDescriptor", pdf.makeIndirectObject(fontDescriptor(font, baseFont, fontFile)));
    cidFont.replaceKey("/CIDToGIDMap", QPDFObjectHandle::newName("/Identity"));
    cidFont.replaceKey("/W", QPDFObjectHandle::newArray(
                                 std::vector<QPDFObjectHandle>{QPDFObjectHandle::newInteger(0), widths}));

    QPDFObjectHandle toUnicode = QPDFObjectHandle::newStream(&pdf, toUnicodeCMap(text).toStdString());
    QPDFObjectHandle type0 = QPDFObjectHandle::newDictionary();
    type0.replaceKey("/Type", QPDFObjectHandle::newName("/Font"));
    type0.replaceKey("/Subtype", QPDFObjectHandle::newName("/Type0"));
    type0.replaceKey("/BaseFont", QPDFObjectHandle::newName(baseFont));
    type0.replaceKey("/Encoding", QPDFObjectHandle::newName("/Identity-H"));
    type0.replaceKey("/DescendantFonts", QPDFObjectHandle::newArray(
                                             std::vector<QPDFObjectHandle>{pdf.makeIndirectObject(cidFont)}));
    type0.replaceKey("/ToUnicode", toUnicode);
    return pdf.makeIndirectObject(type0);
}

QByteArray EmbeddedFont::hexString(const QString& line) const
{
    QByteArray hex = "<";
    for (const char32_t c : line.toUcs4()) {
        if (c < 0x20 || (c >= 0x7F && c < 0xA0))
            continue;
        const auto it = m_cids.find(c);
        hex += cidHex(it != m_cids.end() ? it->second : m_unknownCid);
    }
    return hex + '>';
}

} // namespace pdf
