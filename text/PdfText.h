#pragma once
// PDF text strings for FDF values: PDFDocEncoding bytes in a literal string when every character has a
// byte there (and the bytes do not open as a byte-order mark would), otherwise UTF-16BE with a
// byte-order mark in a hex string.

#include <QByteArray>
#include <QString>

#include <optional>

namespace text {

// The PDFDocEncoding bytes of the text, or nothing when a character has no byte there.
std::optional<QByteArray> encodePdfDocEncoding(const QString& text);

// The value as it stands after "/V": "(" + escaped bytes + ")" or "<FEFF...>". `raw` is the value as
// the data gives it; escaping happens here. In the hex form, where no escaping applies, line ends are
// written as the literal form makes a reader see them: every CR LF and every lone CR as one LF.
QByteArray pdfTextString(const QString& raw);

} // namespace text
