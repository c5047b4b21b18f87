#include "PdfText.h"

#include "FdfText.h"

#include <array>

namespace text {

namespace {

// Bytes 0x18-0x1F and 0x80-0xA0 of PDFDocEncoding; 0 marks a byte that has no character.
constexpr std::array<char16_t, 8> kAccents = {0x02D8, 0x02C7, 0x02C6, 0x02D9, 0x02DD, 0x02DB, 0x02DA, 0x02DC};
constexpr std::array<char16_t, 33> kHigh = {
    0x2022, 0x2020, 0x2021, 0x2026, 0x2014, 0x2013, 0x0192, 0x2044, 0x2039, 0x203A, 0x2212,
    0x2030, 0x201E, 0x201C, 0x201D, 0x2018, 0x2019, 0x201A, 0x2122, 0xFB01, 0xFB02, 0x0141,
    0x0152, 0x0160, 0x0178, 0x017D, 0x0131, 0x0142, 0x0153, 0x0161, 0x017E, 0x0000, 0x20AC};

std::optional<char> pdfDocByte(char16_t c)
{
    if (c == u'\t' || c == u'\n' || c == u'\r' || (c >= 0x20 && c < 0x7F))
        return char(c);
    if (c >= 0xA1 && c <= 0xFF && c != 0xAD)
        return char(c);
    for (std::size_t i = 0; i < kAccents.size(); ++i) {
        if (kAccents[i] == c)
            return char(0x18 + i);
    }
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == c && c != 0)
            return char(0x80 + i);
    }
    return std::nullopt;
}

QByteArray utf16HexString(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QByteArray hex = "<FEFF";
    hex.reserve(5 + text.size() * 4 + 1);
    for (const QChar c : text)
        hex += QByteArray::number(c.unicode(), 16).toUpper().rightJustified(4, '0');
    hex += '>';
    return hex;
}

} // namespace

std::optional<QByteArray> encodePdfDocEncoding(const QString& text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // Printable ASCII, the common case, is the same byte.
        if (u >= 0x20 && u < 0x7F) {
            *out++ = char(u);
            continue;
        }
        const std::optional<char> byte = pdfDocByte(u);
        if (!byte)
            return std::nullopt;
        *out++ = *byte;
    }
    return bytes;
}

QByteArray pdfTextString(const QString& raw)
{
    // A reader takes bytes that open with a byte-order mark (FE FF, or EF BB BF since PDF 2.0) for
    // Unicode: a value that starts with "þÿ" or "ï»¿" must be written as Unicode itself.
    if (const std::optional<QByteArray> bytes = encodePdfDocEncoding(EscapeFdfText(raw));
        bytes && !bytes->startsWith("\xFE\xFF") && !bytes->startsWith("\xEF\xBB\xBF"))
        return '(' + *bytes + ')';
    return utf16HexString(raw);
}

} // namespace text
