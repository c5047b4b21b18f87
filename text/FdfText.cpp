#include "FdfText.h"

namespace text {

// One pass that gives what the four replace-all passes give in turn (backslash, ")", "(", CR LF): no
// pass makes or breaks what a later one matches. Long therapy texts made the passes show.
QString EscapeFdfText(const QString& text)
{
    const qsizetype size = text.size();
    QString escaped(size * 2, Qt::Uninitialized); // every character at most doubles
    const QChar* in = text.constData();
    QChar* out = escaped.data();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = in[i].unicode();
        if (c == u'\\' || c == u')' || c == u'(') {
            *out++ = u'\\';
            *out++ = c;
        } else if (c == u'\r' && i + 1 < size && in[i + 1] == u'\n') {
            *out++ = u'\\';
            *out++ = u'n';
            ++i;
        } else {
            *out++ = c;
        }
    }
    escaped.truncate(out - escaped.constData());
    return escaped;
}

} // namespace text
