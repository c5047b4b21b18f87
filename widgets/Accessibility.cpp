#include "Accessibility.h"

#include <QAbstractSpinBox>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

namespace widgets {

namespace {

// A caption as read aloud: "&&" stands for "&", a single "&" only marks the mnemonic letter.
QString withoutMnemonic(const QString& caption)
{
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&')) {
            if (i + 1 < caption.size() && caption.at(i + 1) == QLatin1Char('&'))
                out += caption.at(++i);
            continue;
        }
        out += caption.at(i);
    }
    return out;
}

// A control whose value the doctor can change; read-only boxes and push buttons are not.
bool isEditable(const QWidget* control)
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        return !edit->isReadOnly();
    if (const auto* memo = qobject_cast<const QPlainTextEdit*>(control))
        return !memo->isReadOnly();
    if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(control))
        return !spin->isReadOnly();
    return !qobject_cast<const QPushButton*>(control);
}

// The first control of a page, in tab order, whose value can be changed; else its first control.
QWidget* firstControlOf(QWidget* page)
{
    QWidget* first = nullptr;
    for (QWidget* w = page->nextInFocusChain(); w != page; w = w->nextInFocusChain()) {
        if (!page->isAncestorOf(w) || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus) ||
            !w->isVisibleTo(page))
            continue;
        if (isEditable(w))
            return w;
        if (!first)
            first = w;
    }
    return first;
}

class EnterPressesButton : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!isPlainKey(*key, {Qt::Key_Return, Qt::Key_Enter}))
            return false;
        if (!key->isAutoRepeat()) // a held key presses once
            button->click();
        return true;
    }
};

} // namespace

void nameControlsByLabels(QWidget& window)
{
    QHash<QWidget*, QStringList> captions;
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (QWidget* control = label->buddy())
            captions[control] << withoutMnemonic(label->text()).trimmed();
    }
    for (auto it = captions.cbegin(); it != captions.cend(); ++it)
        it.key()->setAccessibleName(it.value().join(QLatin1Char(' ')));
}

void setUpPageKeys(QWidget& window, QTabWidget& pages)
{
    const auto go = [&pages](int page) { pages.setCurrentIndex((page + pages.count()) % pages.count()); };
    auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), &window);
    QObject::connect(next, &QShortcut::activated, &pages, [&pages, go] { go(pages.currentIndex() + 1); });
    auto* previous = new QShortcut(&window);
    previous->setKeys({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab)});
    QObject::connect(previous, &QShortcut::activated, &pages, [&pages, go] { go(pages.currentIndex() - 1); });
    for (int page = 0; page < pages.count() && page < 9; ++page) {
        auto* direct = new QShortcut(QKeySequence(Qt::ALT | (Qt::Key_1 + page)), &window);
        QObject::connect(direct, &QShortcut::activated, &pages, [go, page] { go(page); });
    }

    QObject::connect(&pages, &QTabWidget::currentChanged, &pages, [&pages](int page) {
        if (pages.tabBar()->hasFocus())
            return;
        if (QWidget* first = firstControlOf(pages.widget(page)))
            first->setFocus(Qt::TabFocusReason);
    });
    if (QWidget* first = firstControlOf(pages.currentWidget()))
        first->setFocus();
}

bool isPlainKey(const QKeyEvent& key, std::initializer_list<int> keys)
{
    return std::find(keys.begin(), keys.end(), key.key()) != keys.end() &&
           (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

void enterPressesFocusedButton(QWidget& window)
{
    auto* enter = new EnterPressesButton(&window);
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        if (!button->isDefault() && !button->autoDefault())
            button->installEventFilter(enter);
    }
}

} // namespace widgets
