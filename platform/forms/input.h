// The input model of the forms runtime: the state of a person's input, one
// per thread, kept for the X11 display and the simulated user alike (both
// reach it through person::buttonDown, buttonUp, pointerMove, ...). Each piece
// names its owner and the events that reset it; nothing waits for "the next
// click" to clean up.
//
//   pointer owner  the control (or the form itself) that took the last
//                  press: moves with the button held and the release go to
//                  it wherever the pointer is. Weak. Dropped when every
//                  button is up; when the control is hidden, disabled or
//                  unloaded, or the focus leaves it; when its window is
//                  hidden, destroyed, disabled or blocked by a modal window.
//                  A control whose pressAt ran ends that press in releaseAt
//                  (the release) or cancelPress (the owner dropped), once.
//                  A release without an owner is dropped, never a click.
//   press record   the last press of the left button (window, control,
//                  place, and the time the event carries) for double
//                  clicks: a second press on the same control within
//                  kDoubleClickMs and 4 pixels is the second half. Stamped
//                  at the press; consumed by a double click; forgotten when
//                  a modal window blocks its window, so a press that
//                  answers or follows a modal box is never a second half.
//   active form    the program's form that was activated last (a message
//                  box, a common dialog or another program's window does
//                  not change it): a form that becomes it raises Activate,
//                  after Deactivate of the one before while that one is
//                  still shown; hidden or unloaded, a form stops being it
//                  without an event, so its owner's return is an Activate.
//   gate           input reaches a form's window only while it takes input
//                  (desktop: enabled and not blocked by a modal window), for
//                  mouse, wheel, keys and close alike.
#pragma once

#include <cstdint>

#include "platform/forms/form.h"

namespace svx::input {

inline constexpr int64_t kDoubleClickMs = 500;
inline constexpr double kDoubleClickTwips = 60;  // 4 pixels either way

// The press in progress.
struct Pointer {
  bool active = false;
  uint64_t serial = 0;  // counts presses: a handler may end one and start another
  int16_t button = 0;
  WeakRef<Form> form;
  WeakRef<Control> target;        // null: the form itself
  WeakRef<Control> focusHolder;   // the control that took the focus for the press
  bool pressed = false;           // target's pressAt ran: releaseAt or cancelPress is owed
  bool focused = false;           // the press left the focus on the target (or it takes none)
  bool doubleClick = false;       // the press was the second half of a double click
  bool nonClient = false;         // the press was on the target's frame (its scroll bars)
  WeakRef<Control> list;          // the press was on this combo box's open list
  bool onListBar = false;         // on that list's scroll bar: the combo box is owed the end
  bool onMenu = false;            // the press was on the form's open context menu
};

struct PressRecord {
  bool valid = false;
  int64_t time = 0;
  HWND window = 0;
  WeakRef<Control> target;  // null: the form
  double x = 0, y = 0;      // client twips
};

Pointer& pointer();
PressRecord& lastPress();

// Whether the form's window takes a person's input now.
bool takesInput(Form& f);

// Starts a press (the owner's fields are filled by the caller); returns its serial.
uint64_t beginPress(Form& f, int16_t button, Control* target);
// Whether press `serial` is still the one in progress.
bool stillPressed(uint64_t serial);
// The left button went up over (x, y) of the pressed control: releaseAt,
// when its press is still owed an end. Ends the press either way.
void endPress(double x, double y);
// Drops the pointer owner: cancelPress when the control's press is owed.
void dropPointer();

// The runtime tells the model what changed. Each drops the pointer owner
// (and for a window its press record) when it no longer holds.
void controlChanged();             // a control hidden or disabled
void controlRemoved(Control& c);   // a control leaves its form
void focusLeft(Control& c);        // the focus moved away from c
void windowChanged(Form& f);       // hidden, unloaded, disabled
void windowBlocked(Form& f);       // a modal window now blocks it

// The form became the active window (its show, or WM_ACTIVATE).
void formActivated(Form& f);
Form* activeForm();

// Double clicks: whether a press at (x, y) on `target` of `f` at `time`
// is the second half; records the press otherwise.
bool pressIsSecondHalf(Form& f, Control* target, double x, double y, int64_t time);
void forgetPress();

}  // namespace svx::input
