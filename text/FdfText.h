#pragma once
// Escaping of FDF field values. Kept apart from the FDF writer so that the pathology list can hand
// out escaped values without depending on fdf/.

#include <QString>

namespace text {

// Value escaping for an FDF literal string, in this order: "\" becomes "\\" (so that a backslash in the
// data stays a backslash and never swallows the closing parenthesis), ")" becomes "\)", "(" becomes "\(",
// and every CR LF pair becomes the two characters "\n". A lone CR or LF stays as it is.
QString EscapeFdfText(const QString& text);

} // namespace text
