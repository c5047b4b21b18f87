#include "FdfText.h"

namespace fdf {

QString EscapeFdfText(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char(')'), QLatin1String("\\)"));
    escaped.replace(QLatin1Char('('), QLatin1String("\\("));
    escaped.replace(QLatin1String("\r\n"), QLatin1String("\\n"));
    return escaped;
}

} // namespace fdf
