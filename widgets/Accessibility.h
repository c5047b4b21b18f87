#pragma once
// Windows usable from the keyboard alone and readable by a screen reader: accessible names from the
// captions the doctor reads, the keys of a window with pages, Enter on a focused button.

#include <initializer_list>

class QKeyEvent;
class QTabWidget;
class QWidget;

namespace widgets {

// Gives each control that a label stands for (the label's buddy) the accessible name made of its
// labels' texts without their mnemonic marks, in the order the labels were created, joined by one
// blank (a caption may run over two labels): a screen reader names it as the window shows it.
void nameControlsByLabels(QWidget& window);

// Ctrl+Tab and Ctrl+Shift+Tab go to the next and the previous page (round from the last to the first),
// Alt+1, Alt+2... to a page. A page that is shown gives the focus to its first control, in tab order,
// whose value can be changed (else to its first control), unless the focus is on the page tabs, where
// the arrows go on changing page. The shown page's control takes the focus at once.
void setUpPageKeys(QWidget& window, QTabWidget& pages);

// Enter on a focused push button of `window` presses it, as Space does, for buttons that are not a
// dialog's default (so that Enter in a box never presses them).
void enterPressesFocusedButton(QWidget& window);

// True when `key` is one of `keys` pressed with no modifier but the keypad's: a key that acts as a click.
bool isPlainKey(const QKeyEvent& key, std::initializer_list<int> keys);

} // namespace widgets
