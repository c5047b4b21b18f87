#include "MemoEdit.h"

#include "CertificateChecks.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>

#include <limits>

namespace certificate {

namespace {

// Block and line separators as the document stores them.
bool isBreak(QChar c)
{
    return c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == QLatin1Char('\n');
}

int windowLength(const QString& documentText)
{
    int length = textLength(documentText);
    for (const QChar c : documentText) {
        if (isBreak(c))
            ++length;
    }
    return length;
}

} // namespace

MemoEdit::MemoEdit(QWidget* parent) : QPlainTextEdit(parent) {}

QString MemoEdit::toWindowText(const QString& documentText)
{
    QString out;
    out.reserve(documentText.size() + 16);
    for (const QChar c : documentText) {
        if (isBreak(c))
            out += QStringLiteral("\r\n");
        else
            out += c;
    }
    return out;
}

QString MemoEdit::toDocumentText(const QString& windowText)
{
    QString text = windowText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString MemoEdit::text() const
{
    // toRawText keeps non-breaking spaces, which toPlainText would turn into blanks.
    return toWindowText(document()->toRawText());
}

void MemoEdit::setText(const QString& text)
{
    setPlainText(toDocumentText(text));
}

void MemoEdit::addLine(const QString& line)
{
    setText(text() + line + QStringLiteral("\r\n"));
}

int MemoEdit::room() const
{
    if (m_maxLength <= 0)
        return std::numeric_limits<int>::max();
    const int current = windowLength(document()->toRawText());
    const int selected = windowLength(textCursor().selectedText());
    return m_maxLength - (current - selected);
}

QString MemoEdit::fitting(const QString& text) const
{
    int left = room();
    qsizetype end = 0;
    while (end < text.size()) {
        const QChar c = text.at(end);
        const int cost = isBreak(c) ? 2 : 1;
        const qsizetype width = (c.isHighSurrogate() && end + 1 < text.size()) ? 2 : 1;
        if (cost > left)
            break;
        left -= cost;
        end += width;
    }
    return text.left(end);
}

void MemoEdit::keyPressEvent(QKeyEvent* event)
{
    if (!isReadOnly() && m_maxLength > 0) {
        const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        const QString typed = isReturn ? QStringLiteral("\n") : event->text();
        const bool inserts = isReturn || (!typed.isEmpty() && typed.at(0).isPrint() &&
                                          !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)));
        if (inserts && fitting(typed).size() < typed.size()) {
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MemoEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (isReadOnly() || m_maxLength <= 0 || event->commitString().isEmpty()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent limited(event->preeditString(), event->attributes());
    limited.setCommitString(fitting(event->commitString()), event->replacementStart(),
                            event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&limited);
}

void MemoEdit::insertFromMimeData(const QMimeData* source)
{
    if (isReadOnly() || m_maxLength <= 0 || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    insertPlainText(fitting(toDocumentText(source->text())));
}

} // namespace certificate
