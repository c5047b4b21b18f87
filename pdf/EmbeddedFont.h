#pragma once
// A Unicode TrueType font embedded in a PDF as the subset of glyphs some text uses: a Type0 font with
// Identity-H encoding over a CIDFontType2 whose CIDs are the subset's glyph ids, with its widths and a
// ToUnicode map, so that the text it draws is found, copied and read aloud as it was written.

#include <QByteArray>
#include <QString>

#include <qpdf/QPDF.hh>

#include <map>
#include <memory>
#include <set>

namespace pdf {

class EmbeddedFont
{
public:
    // The TrueType font in the file at `path`; nothing when the file is missing or holds no TrueType
    // outlines (a CFF-flavoured OpenType font cannot be embedded this way).
    static std::unique_ptr<EmbeddedFont> open(const QString& path);
    ~EmbeddedFont();
    EmbeddedFont(const EmbeddedFont&) = delete;
    EmbeddedFont& operator=(const EmbeddedFont&) = delete;

    // Whether the font has a glyph for the character.
    bool draws(char32_t c) const;

    // Embeds the subset for `characters` in `pdf` and returns its Type0 font, an indirect object;
    // an uninitialized handle when the font cannot be subset. Characters the font lacks are drawn as
    // its "?". Once per font.
    QPDFObjectHandle embed(QPDF& pdf, const std::set<char32_t>& characters);

    // The font's PostScript name, fit for a PDF name ("DejaVuSans").
    QByteArray name() const { return m_name; }

    // The line as the hex string a text operator takes with the embedded subset; control characters
    // draw nothing. Only after embed(), for characters it was given.
    QByteArray hexString(const QString& line) const;

private:
    struct Hb;
    std::unique_ptr<Hb> m_hb;
    QByteArray m_name;
    std::map<char32_t, unsigned> m_cids;
    unsigned m_unknownCid = 0;

    explicit EmbeddedFont(std::unique_ptr<Hb> hb);
};

} // namespace pdf
