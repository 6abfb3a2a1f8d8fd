#pragma once
// What makes a window usable without a mouse and with assistive technologies: Tab walks its
// controls in reading order, and every control has a name that says what it is for.
//
// Reading order is the order of the window's layouts: rows from top to bottom, within a row from
// left to right, into frames, group boxes and the pages of a tab widget, so a block that stands
// beside another is read whole before the next one.

#include <QString>

#include <vector>

class QWidget;

namespace zorbe {

// The controls Tab can reach in `window`, in reading order (hidden ones included: Tab skips
// them while they are hidden).
std::vector<QWidget*> ReadingOrder(QWidget* window);

// Sets the window's tab chain to its reading order.
void SetReadingTabOrder(QWidget* window);

// A label's caption as a name: without its accelerator ("(&N)", "&") and a trailing colon.
QString CaptionAsName(const QString& caption);

// Names the controls of `window` for assistive technologies: a control with a label stands for
// by the label's caption (a browse field's button and the button beside it by theirs), and every
// control with a hint is described by it. Names given already are kept. A label of a browse
// field is made the label of its text, so that its accelerator focuses the text.
void NameControls(QWidget* window);

// Makes the program's drop-down lists (TDropDownList, TRefreshingComboBox) known to assistive
// technologies by the name set on them, their current choice being their value. Their
// constructors call it, before anything can ask for their accessible interface.
void NameDropDownsByLabel();

// Enter (and the keypad's Enter) press the focused push or tool button of `window`, in a main
// window as in a dialog, instead of the dialog's default button.
void PressButtonsOnEnter(QWidget* window);

// All of the above, once the window's controls are in place.
void MakeKeyboardReady(QWidget* window);

} // namespace zorbe
