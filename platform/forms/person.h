// A person at a form: drives a form as a person does, producing the event
// sequences of the runtime's controls. Positions are in twips, in the
// coordinates of the control (or of the form's client area).
//
//   click on a control   a person's press and release at its middle,
//                        through the input model (input.h): MouseDown, focus
//                        change (Validate, LostFocus, GotFocus), what the
//                        press does (a list chooses the item there, a
//                        drop-down list opens), MouseUp, Click (a check box
//                        toggles, an option is chosen); a cancelled Validate
//                        keeps the focus and drops the Click. A window that
//                        a modal window blocks takes none of it
//   key strokes          KeyDown, KeyPress, KeyUp; with KeyPreview the form
//                        sees each first; KeyAscii 0 swallows the character
//   Enter / Esc          press the Default / Cancel button
//   Tab                  moves the focus in tab order (with Validate)
#pragma once

#include <filesystem>

#include "platform/forms/form.h"
#include "platform/forms/input.h"

namespace svx {

class ScrollBar;

namespace person {

inline constexpr int16_t vbLeftButton = 1;
inline constexpr int16_t vbRightButton = 2;
inline constexpr int16_t vbMiddleButton = 4;
inline constexpr int16_t vbShiftMask = 1;
inline constexpr int16_t vbCtrlMask = 2;
inline constexpr int16_t vbAltMask = 4;

inline constexpr int16_t vbKeyBack = 8;
inline constexpr int16_t vbKeyTab = 9;
inline constexpr int16_t vbKeyReturn = 13;
inline constexpr int16_t vbKeyEscape = 27;
inline constexpr int16_t vbKeyF4 = 115;

// Mouse. Without a position the middle of the control is used; a point on
// a constituent of a user control lands on that constituent.
void mouseDown(Control& c, int16_t button = vbLeftButton, int16_t shift = 0, float x = -1, float y = -1);
void mouseMove(Control& c, int16_t button = 0, int16_t shift = 0, float x = -1, float y = -1);
void mouseUp(Control& c, int16_t button = vbLeftButton, int16_t shift = 0, float x = -1, float y = -1);
// A button pressed on a form's own background (not on a control): the
// form's MouseDown; without a position, the middle of its client area.
void mouseDown(Form& f, int16_t button = vbLeftButton, int16_t shift = 0, float x = -1, float y = -1);
// Each click is a click of its own, never the second half of a double click.
void click(Control& c);
void dblClick(Control& c);
// A click of the right button at the middle of a control, as a person makes
// it: MouseDown and MouseUp with Button 2 (the focus moves to it); a text
// field opens its context menu (EditMenu), whose items the keys (arrows,
// access letters, Enter, Esc) and clickAt on the form operate.
void rightClick(Control& c);
// A click at a client position of the form, hit-tested through containers;
// on no control the form itself is clicked.
void clickAt(Form& f, double x, double y);
// A click at a point of a control (twips, its own coordinates): on the
// constituent under the point (a user control's button) or on the control's
// own surface. The control takes the focus. On a scroll bar it is a press
// and a release there (an arrow's or the track's one step); on the bars of
// a list or text box the same, without mouse events, focus or Click.
void clickAt(Control& c, double x, double y);

// Keys go to the control, after the focus has moved to it (when it can).
// After its KeyDown the key acts: Alt with a letter or a digit is an access
// key of the form (Form::pressAccessKey), the Menu key or Shift+F10 opens a
// text field's context menu, any other key is the control's own (a text
// box's editing keys, an option group's arrows). While a context menu is
// open, the keys and characters sent to any control of its form work the
// menu (EditMenu).
void keyDown(Control& c, int16_t keyCode, int16_t shift = 0);
void keyPress(Control& c, int16_t keyAscii);
void keyUp(Control& c, int16_t keyCode, int16_t shift = 0);
// KeyDown, KeyPress (for a key that gives a character: Ctrl with a letter
// gives its control character, Alt none), KeyUp; the KeyPress and KeyUp go
// where the focus is after the KeyDown.
void keyStroke(Control& c, int16_t keyCode, int16_t shift = 0);
// Types each character as a key stroke.
void type(Control& c, BStrView text);
void pressEnter(Form& f);
void pressEsc(Form& f);
void pressTab(Form& f, bool backwards = false);
// "Enter", "Esc" or "Tab" on a control (which takes the focus first); 5 for
// another name.
void press(Control& c, BStrView key);

// Lists and combos: choosing an item raises Click (a combo drops down
// first); checking an item of a check-box list raises ItemCheck, then Click.
void choose(Control& c, int16_t itemIndex);
void check(Control& c, int16_t itemIndex);
// Drags the thumb of a scroll bar to `value`: Scroll events, then Change.
void scroll(Control& c, int16_t value);
// Clicks a scroll bar's arrow or its track on one side of the thumb:
// direction > 0 towards Max, < 0 towards Min. Value moves by SmallChange or
// LargeChange within the range; Change follows a changed Value.
void clickScrollPart(Control& c, bool track, int direction);

// A person's input, as a display hands it to a form (positions in twips in
// the form's client area). A press goes to the control under the pointer
// (MouseDown, the focus moves to it; on a list, the item under the pointer
// is chosen), the release to the same control (MouseUp, then Click when the
// pointer is still over it). A second press on the same control within
// kDoubleClickMs of the first (by the times the events carry) is a double
// click: DblClick, then MouseUp at its release (a control without DblClick,
// a button, a check box or a scroll bar, takes it as another press: MouseDown,
// MouseUp and Click again). Moves raise MouseMove on
// the control under the pointer, or on the pressed one while a button is
// held; a move with no button held ends a press whose release was lost. On
// no control the form itself takes the events. The input model (input.h)
// keeps the press; a window that takes no input (disabled, or blocked by a
// modal window) gets none of these, nor keys, the wheel or the close box.
// `time` is when the press happened (ms on the clock's scale; the display
// passes the time its event carries); -1: now.
void buttonDown(Form& f, int16_t button, int16_t shift, double x, double y, int64_t time = -1);
void buttonUp(Form& f, int16_t button, int16_t shift, double x, double y);
void pointerMove(Form& f, int16_t buttons, int16_t shift, double x, double y);
// Keys as a person presses them: to the control with the focus, else to the
// form. Tab (Shift+Tab) moves the focus, Enter and Esc press the Default and
// Cancel buttons (both only on the key's press); the arrow keys, Page Up/Down,
// Home and End move through a list. A character typed with Alt (and without
// Ctrl) is no character: its key was an access key.
// The mouse wheel turned by `notches` (> 0 away from the person) with the
// pointer at a client position: an open drop-down list scrolls, else the
// control under the pointer (a list box, a multi-line text box, three rows
// a notch; a scroll bar, an arrow's step a notch; a closed drop-down list
// with the focus, an item a notch), else the nearest container that takes it.
void wheelAt(Form& f, int notches, double x, double y);
// The wheel with the pointer at a point of a control (twips, its own
// coordinates; without a position its middle), as wheelAt.
void wheel(Control& c, int notches, float x = -1, float y = -1);
void keyDownOn(Form& f, int16_t keyCode, int16_t shift);
void charOn(Form& f, char16_t ch, int16_t shift = 0);
void keyUpOn(Form& f, int16_t keyCode, int16_t shift);
inline constexpr int64_t kDoubleClickMs = input::kDoubleClickMs;
// The form of this thread's active window (null: none), for instance a
// modal help window or About box.
Form* activeForm();

// The window's control box: QueryUnload (UnloadMode 0), then Unload.
bool close(Form& f);
// Resizes the form (outer size, twips): Resize.
void resize(Form& f, double width, double height);
void snapshot(Form& f, const std::filesystem::path& file);

}  // namespace person

}  // namespace svx
