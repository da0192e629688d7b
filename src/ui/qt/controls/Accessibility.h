#pragma once

#include <QWidget>

#include "form/Control.h"

// What a screen reader reads of a window, from the one rule in
// form/Accessible.h. Qt builds its accessible objects as ever; this hands
// them our names and leaves decoration out.
namespace ui::qt {

// A widget that shows one form control.
class ControlView {
public:
    virtual ~ControlView() = default;
    virtual const form::Control& control() const = 0;
    // Does what the control's click or double-click does, for a keyboard
    // user on a control that takes the focus; false when there is nothing.
    virtual bool activate() { return false; }
};

// Hands the control's accessible name and description to its widget; Qt
// tells a listening screen reader when they change (once: Qt's setters raise
// the event). A state said in words (a slot's light) is read with its name:
// "Task 7 light: started". A new name of the control with the keyboard focus
// is also said aloud, as a reader does not take it from the event. A button
// is named by its control directly (its view says its new name itself).
void showAccessible(QWidget& widget, const form::Control& control);

// Says `words` through the window's announcer if `widget` has the keyboard
// focus: a control's own change that follows the user's key.
void sayIfFocused(QWidget& widget, const QString& words);

// Lets Qt ask us first for the accessible objects of our windows and views
// (a window without its decoration, a status, a picture). Once per program;
// Qt asks only when something wants to know.
void installAccessibleFactory();

// A dotted frame inside a focused widget whose style draws no focus mark of
// its own (labels, read-only boxes, pictures).
void paintFocusMark(QWidget& widget);

}  // namespace ui::qt
