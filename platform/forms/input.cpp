#include "platform/forms/input.h"

#include <cmath>

#include "platform/desktop/desktop.h"

namespace svx::input {

namespace {

struct State {
  Pointer pointer;
  PressRecord press;
  WeakRef<Form> activeForm;
};

State& state() {
  static thread_local State s;
  return s;
}

// Whether the pressed control (and the control that took the focus for
// it) can still own the pointer.
bool holds(const Control* c, const Form& f) {
  return c && c->loaded() && c->form() == &f && c->shownOnForm() && c->enabledOnForm();
}

}  // namespace

Pointer& pointer() { return state().pointer; }
PressRecord& lastPress() { return state().press; }

bool takesInput(Form& f) {
  if (!f.isLoaded()) return false;
  const HWND hwnd = f.hWnd();
  return hwnd && desktop().takesInput(hwnd);
}

uint64_t beginPress(Form& f, int16_t button, Control* target) {
  Pointer& p = pointer();
  const uint64_t serial = p.serial + 1;
  p = Pointer{};
  p.active = true;
  p.serial = serial;
  p.button = button;
  p.form = WeakRef<Form>(&f);
  p.target = WeakRef<Control>(target);
  return serial;
}

bool stillPressed(uint64_t serial) {
  const Pointer& p = pointer();
  return p.active && p.serial == serial;
}

void endPress(double x, double y) {
  Pointer& p = pointer();
  p.active = false;
  Ref<Control> c(p.target.get());
  if (!std::exchange(p.pressed, false) || !c || !c->loaded()) return;
  c->releaseAt(x, y);
}

void dropPointer() {
  Pointer& p = pointer();
  if (!p.active && !p.pressed) return;
  Ref<Control> c(p.onListBar ? p.list.get() : p.target.get());
  const bool owed = std::exchange(p.pressed, false);
  p.active = false;
  p.target = {};
  p.focusHolder = {};
  p.list = {};
  if (owed && c) c->cancelPress();
}

void controlChanged() {
  Pointer& p = pointer();
  if (!p.active && !p.pressed) return;
  Form* f = p.form.get();
  if (!f) return dropPointer();
  if (Control* c = p.target.get(); c && !holds(c, *f)) return dropPointer();
  if (Control* h = p.focusHolder.get(); h && !holds(h, *f)) return dropPointer();
  if (Control* l = p.list.get(); l && !holds(l, *f)) return dropPointer();
}

void controlRemoved(Control& c) {
  Pointer& p = pointer();
  if (!p.active && !p.pressed) return;
  // The control itself, or a container the pressed control lies in.
  for (const Control* t = p.target.get(); t; t = t->host() ? t->host() : t->container())
    if (t == &c) return dropPointer();
  if (p.focusHolder.get() == &c || p.list.get() == &c) dropPointer();
}

void focusLeft(Control& c) {
  const Pointer& p = pointer();
  if ((p.active || p.pressed) && p.focusHolder.get() == &c) dropPointer();
}

void windowChanged(Form& f) {
  if (!f.visible() && state().activeForm.get() == &f) state().activeForm = {};
  const Pointer& p = pointer();
  if ((p.active || p.pressed) && p.form.get() == &f && !(f.visible() && takesInput(f))) dropPointer();
  if (!f.visible()) {
    PressRecord& r = lastPress();
    if (r.valid && (!f.isLoaded() || r.window == f.hWnd())) forgetPress();
  }
}

void windowBlocked(Form& f) {
  const Pointer& p = pointer();
  if ((p.active || p.pressed) && p.form.get() == &f) dropPointer();
  const PressRecord& r = lastPress();
  if (r.valid && f.isLoaded() && r.window == f.hWnd()) forgetPress();
}

void formActivated(Form& f) {
  if (!f.raisesActivation() || !f.visible()) return;
  WeakRef<Form>& active = state().activeForm;
  Ref<Form> before(active.get());
  if (before.get() == &f) return;
  Ref<Form> keep(&f);
  active = WeakRef<Form>(&f);
  if (before && before->visible()) before->onDeactivate();
  if (active.get() == &f && f.visible()) f.onActivate();
}

Form* activeForm() { return state().activeForm.get(); }

bool pressIsSecondHalf(Form& f, Control* target, double x, double y, int64_t time) {
  PressRecord& r = lastPress();
  const HWND window = f.hWnd();
  const int64_t since = time - r.time;
  const bool twice = r.valid && r.window == window && r.target.get() == target && since >= 0 &&
                     since <= kDoubleClickMs && std::abs(x - r.x) <= kDoubleClickTwips &&
                     std::abs(y - r.y) <= kDoubleClickTwips;
  if (twice) {
    forgetPress();  // consumed: a third press starts again
    return true;
  }
  r.valid = true;
  r.time = time;
  r.window = window;
  r.target = WeakRef<Control>(target);
  r.x = x;
  r.y = y;
  return false;
}

void forgetPress() { lastPress() = PressRecord{}; }

}  // namespace svx::input
