// The simulated user as an automation object: the scripts' global User. It
// drives forms through the forms runtime's person:: paths (the same as a
// person's input) and answers the boxes and dialogs the platform shows.
#pragma once

#include "platform/automation/dispatch.h"

namespace svx {

class SimulatedUser : public Object {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }

  void click(Variant& control);
  void dblClick(Variant& control);
  void rightClick(Variant& control);
  // clickAt(control or form, x, y)
  void clickAt(Variant& control, Variant& x, Variant& y);
  // `target`: a control, or a form (its background).
  void mouseDown(Variant& target, Variant& button, Variant& shift, Variant& x, Variant& y);
  void mouseMove(Variant& control, Variant& button, Variant& shift, Variant& x, Variant& y);
  void mouseUp(Variant& control, Variant& button, Variant& shift, Variant& x, Variant& y);
  void keyDown(Variant& control, Variant& code, Variant& shift);
  void keyPress(Variant& control, Variant& code, Variant& shift);
  void keyUp(Variant& control, Variant& code, Variant& shift);
  void type(Variant& control, Variant& text);
  void press(Variant& control, Variant& key);
  void choose(Variant& control, Variant& itemIndex);
  void check(Variant& control, Variant& itemIndex);
  void scroll(Variant& control, Variant& value);
  // clickArrow / clickTrack(scroll bar, direction): see clickScrollPart.
  void clickArrow(Variant& control, Variant& direction);
  void clickTrack(Variant& control, Variant& direction);
  // wheel(control or form, notches[, x, y]): see person::wheel and wheelAt.
  void wheel(Variant& target, Variant& notches, Variant& x, Variant& y);
  void close(Variant& form);
  // form: a form, or the kind of the next common dialog to picture.
  // The form of the active window, or Nothing.
  Variant activeForm();
  void snapshot(Variant& form, Variant& file);
  // kind "MessageBox", "InputBox", "Color", "Folder", "Print", "Open",
  // "Save" or "Font"; Null cancels.
  void answer(Variant& kind, Variant& value);
};

}  // namespace svx
