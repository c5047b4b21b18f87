#pragma once
// The Windows-1252 code page: the single-byte text of the host's Windows world (field names, the form
// reference, exports declared in it).

#include <QByteArray>
#include <QString>

namespace text {

// Whether the code page has the character (the five undefined bytes count as their C1 code points).
bool inWindows1252(char32_t c);
// Each character to its Windows-1252 byte; a character the code page lacks becomes "?".
QByteArray encodeWindows1252(const QString& text);
// Each byte to its character; the five bytes the code page leaves undefined keep their C1 code points.
QString decodeWindows1252(const QByteArray& bytes);

} // namespace text
