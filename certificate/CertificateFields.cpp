#include "CertificateFields.h"

namespace certificate {

bool isLineBreak(QChar c)
{
    return c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == QLatin1Char('\n');
}

QString memoText(const QString& documentText)
{
    QString out;
    out.reserve(documentText.size() + 16);
    for (const QChar c : documentText) {
        if (isLineBreak(c))
            out += QStringLiteral("\r\n");
        else
            out += c;
    }
    return out;
}

QString documentText(const QString& memoText)
{
    QString text = memoText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString memoLine(const QString& line)
{
    return memoText(documentText(line + QStringLiteral("\r\n")));
}

} // namespace certificate
