#include "MemoEdit.h"

#include "CertificateChecks.h"
#include "CertificateFields.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>

#include <limits>

namespace certificate {

namespace {

// The length of a document text as the window counts it: each line break is a CR LF, two characters.
int windowLength(const QString& text)
{
    return textLength(memoText(text));
}

} // namespace

MemoEdit::MemoEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    // A memo is no place for tab characters: Tab moves on to the next control.
    setTabChangesFocus(true);
}

QString MemoEdit::text() const
{
    // toRawText keeps non-breaking spaces, which toPlainText would turn into blanks.
    return memoText(document()->toRawText());
}

void MemoEdit::setText(const QString& text)
{
    setPlainText(documentText(text));
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
        const int cost = isLineBreak(c) ? 2 : 1;
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
    insertPlainText(fitting(documentText(source->text())));
}

} // namespace certificate
