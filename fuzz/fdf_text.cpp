// The FDF text path: any UTF-16 text as a field value (and as the form's file name) through escaping and
// encoding into the bytes of an FDF file. A PDF reader written here, apart from the writer, must read
// each string back whole, ending where the writer ended it: the value as the text with its line ends
// folded to LF, as a reader of a literal string folds them; the file name as its Windows-1252 bytes.

#include "FuzzInput.h"
#include "fdf/FdfDocument.h"
#include "text/Windows1252.h"

#include <qpdf/QUtil.hh>

#include <optional>
#include <string>

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isPdfSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\0';
}

// The bytes of the PDF string object (literal or hexadecimal) at `pos`, which moves past it; nullopt
// when there is none or it does not end.
std::optional<std::string> readPdfString(const QByteArray& in, qsizetype& pos)
{
    std::string out;
    if (pos < in.size() && in[pos] == '<') {
        int high = -1;
        for (++pos; pos < in.size() && in[pos] != '>'; ++pos) {
            if (isPdfSpace(in[pos]))
                continue;
            const int v = hexValue(in[pos]);
            if (v < 0)
                return std::nullopt;
            if (high < 0) {
                high = v;
            } else {
                out += char(high * 16 + v);
                high = -1;
            }
        }
        if (pos++ >= in.size())
            return std::nullopt;
        if (high >= 0)
            out += char(high * 16);
        return out;
    }
    if (pos >= in.size() || in[pos] != '(')
        return std::nullopt;
    int depth = 1;
    for (++pos; pos < in.size();) {
        const char c = in[pos++];
        if (c == '\\') {
            if (pos >= in.size())
                return std::nullopt;
            const char e = in[pos++];
            static const std::string kEscapes = "nrtbf()\\", kBytes = "\n\r\t\b\f()\\";
            if (const std::size_t i = kEscapes.find(e); i != std::string::npos) {
                out += kBytes[i];
            } else if (e >= '0' && e <= '7') {
                int value = e - '0';
                for (int n = 1; n < 3 && pos < in.size() && in[pos] >= '0' && in[pos] <= '7'; ++n)
                    value = value * 8 + (in[pos++] - '0');
                out += char(value);
            } else if (e == '\r') { // a line continued: the end of line is no part of the string
                if (pos < in.size() && in[pos] == '\n')
                    ++pos;
            } else if (e != '\n') {
                out += e;
            }
        } else if (c == '(') {
            ++depth;
            out += c;
        } else if (c == ')') {
            if (--depth == 0)
                return out;
            out += c;
        } else if (c == '\r') { // every end of line in a literal string reads as one LF
            if (pos < in.size() && in[pos] == '\n')
                ++pos;
            out += '\n';
        } else {
            out += c;
        }
    }
    return std::nullopt;
}

// A text string's bytes as text: UTF-16BE after its byte-order mark, UTF-8 after its own, otherwise
// PDFDocEncoding.
QString textString(const std::string& bytes)
{
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
        QString text;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += QChar(char16_t(std::uint8_t(bytes[i]) << 8 | std::uint8_t(bytes[i + 1])));
        return text;
    }
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return QString::fromStdString(bytes.substr(3));
    return QString::fromStdString(QUtil::pdf_doc_to_utf8(bytes));
}

template <typename Text> Text foldedLineEnds(Text text, const Text& crlf, const Text& cr, const Text& lf)
{
    text.replace(crlf, lf);
    text.replace(cr, lf);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = fuzz::utf16(data, size);
    const QByteArray fdf = fdf::serializeFdf(text, {fdf::textEntry(QStringLiteral("campo"), text)},
                                             fdf::FdfClosing::AfterLastEntry);

    const QByteArray head = "%FDF-1.2\r\n1 0 obj\r\n<</FDF\r\n<</F";
    fuzz::require(fdf.startsWith(head), "the FDF does not start with its header");
    qsizetype pos = head.size();
    const std::optional<std::string> file = readPdfString(fdf, pos);
    fuzz::require(file.has_value(), "the file name does not read as a string");
    fuzz::require(QByteArray::fromStdString(*file) ==
                      foldedLineEnds<QByteArray>(text::encodeWindows1252(text), "\r\n", "\r", "\n"),
                  "the file name reads back as other bytes");

    const QByteArray fields = "/Fields[\r\n<</T(campo)/V";
    fuzz::require(fdf.mid(pos, fields.size()) == fields, "the file name ends early");
    pos += fields.size();
    const std::optional<std::string> value = readPdfString(fdf, pos);
    fuzz::require(value.has_value(), "the value does not read as a string");
    fuzz::require(textString(*value) == foldedLineEnds<QString>(text, QStringLiteral("\r\n"),
                                                                QStringLiteral("\r"), QStringLiteral("\n")),
                  "the value reads back as another text");
    fuzz::require(fdf.mid(pos) == ">>]\r\n>>\r\n>>endobj\r\n\r\ntrailer\r\n<</Root 1 0 R>>\r\n%%EOF\r\n",
                  "the value ends early");

    bool windows1252 = true;
    for (const QChar c : text)
        windows1252 = windows1252 && text::inWindows1252(c.unicode());
    fuzz::require(!windows1252 || text::decodeWindows1252(text::encodeWindows1252(text)) == text,
                  "a Windows-1252 text does not survive its code page");
    return 0;
}
