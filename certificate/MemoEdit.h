#pragma once
// A multi-line edit whose text reads as the window's text: lines separated by CR LF, each CR LF
// counting two characters towards the typing limit. Tab moves the focus on; it never types.

#include <QPlainTextEdit>

namespace certificate {

class MemoEdit : public QPlainTextEdit
{
    Q_OBJECT
    // The most characters the user can type; 0 for no limit. Text set by the program is kept whole.
    Q_PROPERTY(int maxLength READ maxLength WRITE setMaxLength)

public:
    explicit MemoEdit(QWidget* parent = nullptr);

    int maxLength() const { return m_maxLength; }
    void setMaxLength(int maxLength) { m_maxLength = maxLength; }

    // The whole text with CR LF between lines.
    QString text() const;
    // Replaces the text; CR LF, a lone CR and LF all break lines.
    void setText(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // How many window characters can still be typed in place of the current selection.
    int room() const;
    // The longest start of text that fits in room().
    QString fitting(const QString& text) const;

    int m_maxLength = 0;
};

} // namespace certificate
