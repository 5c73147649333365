#include "platform/forms/person.h"

#include <cmath>
#include <cwctype>

#include "platform/desktop/clock.h"

#include "platform/forms/combo_box.h"
#include "platform/forms/command_button.h"
#include "platform/forms/input.h"
#include "platform/forms/list_box.h"
#include "platform/forms/scroll_bar.h"
#include "platform/forms/text_box.h"

namespace svx::person {

namespace {

Form& formOf(Control& c) {
  Form* f = c.form();
  if (!f) raise(err::InvalidProcedureCall, u"The control is not loaded");
  return *f;
}

float midX(const Control& c, float x) { return x >= 0 || !c.hasRect() ? std::max(x, 0.0f) : float(c.width() / 2); }
float midY(const Control& c, float y) { return y >= 0 || !c.hasRect() ? std::max(y, 0.0f) : float(c.height() / 2); }

bool hasMouseEvents(const Control& c) {
  return c.kind() != ControlKind::Shape && c.kind() != ControlKind::Line &&
         c.kind() != ControlKind::HScrollBar && c.kind() != ControlKind::VScrollBar;
}

// Buttons and check boxes have no DblClick: the second press of a double
// click is a press of its own, as are the presses on a scroll bar.
bool hasDoubleClick(const Control& c) {
  return hasMouseEvents(c) && c.kind() != ControlKind::CommandButton && c.kind() != ControlKind::CheckBox;
}

// The gate of the input model, for the form of a control.
bool takesInput(Control& c) {
  Form* f = c.form();
  return !f || input::takesInput(*f);
}

// Moves the focus to `c` when it can take it; the control that has the
// focus afterwards (null: none).
Control* focusOn(Control& c) {
  Form& f = formOf(c);
  if (c.focusable()) f.moveFocus(&c);
  return f.activeControl();
}

// The control that receives the keys meant for `c`.
Control& keyTarget(Control& c) {
  Control* t = focusOn(c);
  return t ? *t : c;
}

// The control that a point of `c` lands on: the constituent under it, or
// `c` itself; (x, y) become that control's coordinates.
Control& landing(Control& c, float& x, float& y) {
  double dx = x, dy = y;
  Control* part = c.constituentAt(dx, dy);
  if (!part) return c;
  x = static_cast<float>(dx);
  y = static_cast<float>(dy);
  return *part;
}

// A mouse event at a point of `c` (its middle without one), on the
// constituent under the point when there is one.
void mouse(Control& c, ControlEvent e, int16_t button, int16_t shift, float x, float y) {
  if (!hasMouseEvents(c)) return;
  x = midX(c, x);
  y = midY(c, y);
  Control& target = landing(c, x, y);
  Ref<Control> keep(&target);
  target.fireMouse(e, button, shift, x, y);
}

// The combo box of the form whose list is open (null: none).
ComboBox* openCombo(Form& f) { return static_cast<ComboBox*>(f.droppedList()); }

// The Menu key, or Shift+F10: a text field's context menu.
bool menuChord(int16_t keyCode, int16_t shift) {
  return (keyCode == 93 && (shift & 7) == 0) || (keyCode == 121 && (shift & 7) == vbShiftMask);
}

// A key or a character while the form's context menu is open (EditMenu::key,
// EditMenu::character): the access letters come as characters.
void menuAct(Form& f, int entry) {
  if (entry == EditMenu::kClose) return f.closeEditMenu();
  if (entry >= 0) f.chooseFromEditMenu(entry);
}
void menuKey(Form& f, EditMenu& m, int16_t keyCode) { menuAct(f, m.key(keyCode)); }
void menuChar(Form& f, EditMenu& m, int16_t ascii) { menuAct(f, m.character(ascii)); }

// A click of `button` at client point (x, y) of `f` as a person makes it,
// on `target` (null: on whatever lies there), through the input model; with
// `twice` a double click. Each is a click of its own: it is never the second
// half of a double click with what came before.
void personClick(Form& f, Control* target, double x, double y, bool twice, int16_t button = vbLeftButton);

// The middle of a control in its form's client area.
std::pair<double, double> middleOf(Form& f, const Control& c) {
  const auto [ox, oy] = f.clientOrigin(c);
  return {ox + midX(c, -1), oy + midY(c, -1)};
}

// Alt held without Ctrl: the key is the window's, and gives no character.
bool altAlone(int16_t shift) { return (shift & (vbAltMask | vbCtrlMask)) == vbAltMask; }

// Alt (without Ctrl) with a letter or a digit: an access key.
bool accessKeyChord(int16_t keyCode, int16_t shift) {
  return altAlone(shift) &&
         ((keyCode >= 'A' && keyCode <= 'Z') || (keyCode >= '0' && keyCode <= '9'));
}

int16_t keyCodeOf(char16_t ch, int16_t& shift) {
  if (ch >= u'a' && ch <= u'z') return static_cast<int16_t>(ch - u'a' + u'A');
  if (ch >= u'A' && ch <= u'Z') {
    shift |= vbShiftMask;
    return static_cast<int16_t>(ch);
  }
  return static_cast<int16_t>(ch);
}

}  // namespace

void mouseDown(Control& c, int16_t button, int16_t shift, float x, float y) {
  if (!takesInput(c)) return;
  mouse(c, ControlEvent::MouseDown, button, shift, x, y);
  focusOn(c);
}

void mouseDown(Form& f, int16_t button, int16_t shift, float x, float y) {
  Ref<Form> keep(&f);
  if (!input::takesInput(f)) return;
  if (x < 0) x = float(f.scaleWidth() / 2);
  if (y < 0) y = float(f.scaleHeight() / 2);
  f.onMouseDown(button, shift, x, y);
}

void mouseMove(Control& c, int16_t button, int16_t shift, float x, float y) {
  if (!takesInput(c)) return;
  mouse(c, ControlEvent::MouseMove, button, shift, x, y);
}

void mouseUp(Control& c, int16_t button, int16_t shift, float x, float y) {
  if (!takesInput(c)) return;
  mouse(c, ControlEvent::MouseUp, button, shift, x, y);
}

void clickAt(Control& c, double x, double y) {
  Ref<Control> keep(&c);
  Form& f = formOf(c);
  Ref<Form> keepForm(&f);
  if (!c.shownOnForm() || !c.enabledOnForm()) return;
  const auto [ox, oy] = f.clientOrigin(c);
  personClick(f, &c, ox + std::max(0.0, x), oy + std::max(0.0, y), false);
}

void click(Control& c) {
  Ref<Control> keep(&c);
  Form& f = formOf(c);
  Ref<Form> keepForm(&f);
  if (!c.shownOnForm() || !c.enabledOnForm()) return;
  const auto [x, y] = middleOf(f, c);
  personClick(f, &c, x, y, false);
}

void rightClick(Control& c) {
  Ref<Control> keep(&c);
  Form& f = formOf(c);
  Ref<Form> keepForm(&f);
  if (!c.shownOnForm() || !c.enabledOnForm()) return;
  const auto [x, y] = middleOf(f, c);
  personClick(f, &c, x, y, false, vbRightButton);
}

void dblClick(Control& c) {
  Ref<Control> keep(&c);
  Form& f = formOf(c);
  Ref<Form> keepForm(&f);
  if (!c.shownOnForm() || !c.enabledOnForm()) return;
  const auto [x, y] = middleOf(f, c);
  personClick(f, &c, x, y, true);
}

void clickAt(Form& f, double x, double y) {
  Ref<Form> keep(&f);
  personClick(f, nullptr, x, y, false);
}

void keyDown(Control& c, int16_t keyCode, int16_t shift) {
  if (!takesInput(c)) return;
  if (EditMenu* m = formOf(c).editMenu()) return menuKey(formOf(c), *m, keyCode);
  Control& t = keyTarget(c);
  Ref<Control> keep(&t);
  Form& f = formOf(t);
  if (f.keyPreview()) {
    f.onKeyDown(keyCode, shift);
    if (keyCode == 0) return;
  }
  t.fireKey(ControlEvent::KeyDown, keyCode, shift);
  if (keyCode == 0 || !t.loaded()) return;
  if (accessKeyChord(keyCode, shift) && formOf(t).pressAccessKey(static_cast<char16_t>(keyCode))) return;
  if (menuChord(keyCode, shift) && t.hasEditMenu()) {
    const auto [x, y] = middleOf(formOf(t), t);
    return formOf(t).openEditMenu(t, x, y);
  }
  t.pressKey(keyCode, shift);
}

void keyPress(Control& c, int16_t keyAscii) {
  if (!takesInput(c)) return;
  if (EditMenu* m = formOf(c).editMenu()) return menuChar(formOf(c), *m, keyAscii);
  Control& t = keyTarget(c);
  Ref<Control> keep(&t);
  Form& f = formOf(t);
  if (f.keyPreview()) {
    f.onKeyPress(keyAscii);
    if (keyAscii == 0) return;
  }
  t.fireKeyPress(keyAscii);
  if (keyAscii != 0 && t.loaded()) t.typeChar(keyAscii);
}

void keyUp(Control& c, int16_t keyCode, int16_t shift) {
  if (!takesInput(c)) return;
  if (formOf(c).editMenu()) return;  // the open menu takes the keys
  Control& t = keyTarget(c);
  Ref<Control> keep(&t);
  Form& f = formOf(t);
  if (f.keyPreview()) {
    f.onKeyUp(keyCode, shift);
    if (keyCode == 0) return;
  }
  t.fireKey(ControlEvent::KeyUp, keyCode, shift);
}

void keyStroke(Control& c, int16_t keyCode, int16_t shift) {
  Ref<Control> keep(&c);
  keyDown(c, keyCode, shift);
  if (!c.loaded()) return;
  // The rest of the stroke goes where the focus is now: an access key may
  // have moved it.
  Control* focused = formOf(c).activeControl();
  Ref<Control> rest(focused ? focused : &c);
  // Alt with a key gives no character; Ctrl with a letter its control
  // character (Ctrl+C: 3).
  const bool ctrlLetter = (shift & vbCtrlMask) != 0 && keyCode >= 'A' && keyCode <= 'Z';
  // The keys that give a character: Backspace, Enter, Esc, Space, the
  // digits and the letters (the codes between are caret keys).
  const bool printable = keyCode == 32 || (keyCode >= '0' && keyCode <= '9') || (keyCode >= 'A' && keyCode <= 'Z');
  const bool character = !altAlone(shift) && (keyCode == vbKeyBack || keyCode == vbKeyReturn ||
                                               keyCode == vbKeyEscape ||
                                               (printable && ((shift & vbCtrlMask) == 0 || ctrlLetter)));
  if (character && rest->loaded()) {
    int16_t ascii = keyCode;
    if (keyCode >= 'A' && keyCode <= 'Z' && !(shift & vbShiftMask)) ascii = static_cast<int16_t>(keyCode + 32);
    if (ctrlLetter) ascii = static_cast<int16_t>(keyCode - 'A' + 1);
    keyPress(*rest, ascii);
  }
  if (rest->loaded()) keyUp(*rest, keyCode, shift);
}

void type(Control& c, BStrView text) {
  Ref<Control> keep(&c);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t ch = text[i];
    if (!c.loaded()) return;
    if (ch >= 0xD800 && ch <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      // A character beyond 16 bits has no key of its own (it comes from an
      // input method): a KeyPress for each half of its UTF-16 pair.
      keyPress(c, static_cast<int16_t>(ch));
      if (c.loaded()) keyPress(c, static_cast<int16_t>(text[++i]));
      continue;
    }
    int16_t shift = 0;
    const int16_t code = keyCodeOf(ch, shift);
    keyDown(c, code, shift);
    if (c.loaded()) keyPress(c, static_cast<int16_t>(ch));
    if (c.loaded()) keyUp(c, code, shift);
  }
}

void pressEnter(Form& f) {
  if (!input::takesInput(f)) return;
  Ref<Form> keep(&f);
  if (EditMenu* m = f.editMenu()) return menuKey(f, *m, vbKeyReturn);
  if (ComboBox* open = openCombo(f)) {
    Ref<Control> hold(open);
    return open->chooseFromList(open->markedItem());
  }
  Control* active = f.activeControl();
  if (auto* b = dynamic_cast<CommandButton*>(active)) return b->press();
  const auto* text = dynamic_cast<TextBox*>(active);
  if (!(text && text->multiLine()))
    if (auto* d = dynamic_cast<CommandButton*>(f.defaultButton()); d && d->shownOnForm() && d->enabledOnForm())
      return d->press();
  if (active) keyStroke(*active, vbKeyReturn);
}

void pressEsc(Form& f) {
  if (!input::takesInput(f)) return;
  Ref<Form> keep(&f);
  if (f.editMenu()) return f.closeEditMenu();
  if (ComboBox* open = openCombo(f)) return open->closeList();
  if (auto* b = dynamic_cast<CommandButton*>(f.cancelButton()); b && b->shownOnForm() && b->enabledOnForm())
    return b->press();
  if (Control* active = f.activeControl()) keyStroke(*active, vbKeyEscape);
}

void pressTab(Form& f, bool backwards) {
  if (!input::takesInput(f)) return;
  Ref<Form> keep(&f);
  if (f.editMenu()) return;
  if (Control* next = f.nextInTabOrder(f.activeControl(), backwards)) f.moveFocusByKey(next);
}

void press(Control& c, BStrView key) {
  if (!takesInput(c)) return;
  Form& f = formOf(c);
  focusOn(c);
  if (sameName(key, u"Enter"))
    pressEnter(f);
  else if (sameName(key, u"Esc") || sameName(key, u"Escape"))
    pressEsc(f);
  else if (sameName(key, u"Tab"))
    pressTab(f);
  else
    raise(err::InvalidProcedureCall);
}

void choose(Control& c, int16_t itemIndex) {
  if (!takesInput(c)) return;
  Ref<Control> keep(&c);
  if (auto* combo = dynamic_cast<ComboBox*>(&c)) {
    if (focusOn(c) != &c && c.focusable()) return;
    combo->closeList();
    combo->dropDown();
    combo->setListIndex(itemIndex);
    return;
  }
  auto* list = dynamic_cast<ListBox*>(&c);
  if (!list) raise(err::InvalidProcedureCall);
  mouse(c, ControlEvent::MouseDown, vbLeftButton, 0, -1, -1);
  if (focusOn(c) != &c && c.focusable()) return;
  if (list->multiSelect() != 0 && list->style() == 0)
    list->setSelected(itemIndex, !list->selected(itemIndex));
  else
    list->setListIndex(itemIndex);
  mouse(c, ControlEvent::MouseUp, vbLeftButton, 0, -1, -1);
}

void check(Control& c, int16_t itemIndex) {
  if (!takesInput(c)) return;
  Ref<Control> keep(&c);
  auto* list = dynamic_cast<ListBox*>(&c);
  if (!list || list->style() != 1) raise(err::InvalidProcedureCall);
  if (focusOn(c) != &c && c.focusable()) return;
  list->setSelected(itemIndex, !list->selected(itemIndex));
  if (c.loaded()) list->setListIndex(itemIndex);
}

void clickScrollPart(Control& c, bool track, int direction) {
  if (!takesInput(c)) return;
  Ref<Control> keep(&c);
  auto* bar = dynamic_cast<ScrollBar*>(&c);
  if (!bar) raise(err::InvalidProcedureCall);
  if (!c.shownOnForm() || !c.enabledOnForm()) return;
  if (focusOn(c) != &c && c.focusable()) return;
  using P = ScrollPart;
  if (c.loaded() && direction != 0)
    bar->clickPart(track ? (direction > 0 ? P::TrackToMax : P::TrackToMin)
                         : (direction > 0 ? P::ArrowToMax : P::ArrowToMin));
}

void scroll(Control& c, int16_t value) {
  if (!takesInput(c)) return;
  Ref<Control> keep(&c);
  auto* bar = dynamic_cast<ScrollBar*>(&c);
  if (!bar) raise(err::InvalidProcedureCall);
  if (!bar->inRange(value)) raise(err::InvalidPropertyValue);
  if (focusOn(c) != &c && c.focusable()) return;
  const int16_t start = bar->value();
  const auto mid = static_cast<int16_t>((start + value) / 2);
  if (mid != start && mid != value) bar->trackThumb(mid);
  if (c.loaded()) bar->trackThumb(value);
  if (c.loaded() && bar->value() != start) bar->fire(ControlEvent::Change);
}

namespace {

void fireAt(Control& c, ControlEvent e, int16_t button, int16_t shift, double x, double y) {
  if (!hasMouseEvents(c) || !c.loaded()) return;
  float fx = static_cast<float>(x), fy = static_cast<float>(y);
  c.fireMouse(e, button, shift, fx, fy);
}

// Where a list's caret key moves from `at` (count items, `rows` shown);
// -2 for another key.
int listKeyTarget(int16_t keyCode, int at, int count, int rows) {
  const int page = std::max(1, rows - 1);
  int target = at;
  switch (keyCode) {
    case 38: target = at - 1; break;     // up
    case 40: target = at + 1; break;     // down
    case 33: target = at - page; break;  // page up
    case 34: target = at + page; break;  // page down
    case 36: target = 0; break;          // home
    case 35: target = count - 1; break;  // end
    default: return -2;
  }
  return std::clamp(target, 0, count - 1);
}

// A caret key on a list; on a list of extended multiple selection Shift
// extends the selection and Ctrl moves the caret alone.
void listKey(ListBox& list, int16_t keyCode, int16_t shift) {
  const int16_t count = list.listCount();
  if (count == 0) return;
  const int target = listKeyTarget(keyCode, list.listIndex(), count, list.visibleRows());
  if (target < 0) return;
  if (list.multiSelect() == 2 && list.style() == 0)
    return list.extendTo(static_cast<int16_t>(target), shift, ListBox::ExtendBy::Key);
  if (target != list.listIndex() && (shift & (vbCtrlMask | vbAltMask)) == 0)
    list.setListIndex(static_cast<int16_t>(target));
}

// Keys on a combo box: F4 and Alt+Down open or close its list; while it is
// open the caret keys mark an item (Enter chooses it, Escape closes), while
// it is closed they choose one.
void comboKey(ComboBox& combo, int16_t keyCode, int16_t shift) {
  const bool toggle = (keyCode == 115 && (shift & vbAltMask) == 0) ||
                      ((keyCode == 40 || keyCode == 38) && (shift & vbAltMask) != 0);
  if (toggle) {
    if (combo.listOpen()) return combo.chooseFromList(combo.markedItem());
    return combo.openList();
  }
  if (combo.listCount() == 0 || (shift & (vbCtrlMask | vbAltMask)) != 0) return;
  if (!combo.listOpen()) {
    // A closed box: Up and Down (on a drop-down list also the page keys,
    // Home and End) choose the item at once.
    if (combo.style() != 2 && keyCode != 38 && keyCode != 40) return;
    const int target = listKeyTarget(keyCode, combo.listIndex(), combo.listCount(), ComboBox::kListRows);
    if (target >= 0 && target != combo.listIndex()) combo.setListIndex(static_cast<int16_t>(target));
    return;
  }
  const int target = listKeyTarget(keyCode, combo.markedItem(), combo.listCount(), ComboBox::kListRows);
  if (target >= 0) combo.markItem(static_cast<int16_t>(target));
}

}  // namespace

namespace {

// A press of `button` at client point (x, y) on control `c` (null: the
// form itself; (cx, cy) in its own coordinates), whose focus goes to
// `owner` (c, or the user control that c is a part of): the pointer owner,
// MouseDown, the focus, then what the press does to the control; the
// second half of a double click instead raises DblClick.
void pressOn(Form& f, Control* owner, Control* c, int16_t button, int16_t shift, double x, double y, double cx,
             double cy, int64_t time) {
  Ref<Control> hold(c), holdOwner(owner);
  input::Pointer& p = input::pointer();
  if (c && (!c->enabledOnForm() || !owner->enabledOnForm())) return;
  // A press on the control's frame (its scroll bars) goes to the press
  // alone: no mouse events, no focus, no double click, no Click. A control
  // without DblClick (a button, a scroll bar) takes each press as a press.
  const bool frame = c && c->nonClientAt(cx, cy);
  const bool countsTwice = button == vbLeftButton && !frame && (!c || hasDoubleClick(*c));
  const bool twice = countsTwice && input::pressIsSecondHalf(f, c, x, y, time);
  if (!countsTwice) input::forgetPress();
  const uint64_t press = input::beginPress(f, button, c);
  p.focused = true;
  p.doubleClick = twice;
  p.nonClient = frame;
  if (frame) {
    if (button != vbLeftButton) return;
    p.pressed = true;
    return c->pressAt(cx, cy, shift);
  }
  if (!c) {
    if (twice) return f.onDblClick();
    float fx = static_cast<float>(x), fy = static_cast<float>(y);
    int16_t b = button, s = shift;
    return f.onMouseDown(b, s, fx, fy);
  }
  if (twice) {
    if (hasMouseEvents(*c)) c->fire(ControlEvent::DblClick);
    if (input::stillPressed(press) && c->loaded()) c->doublePressAt(cx, cy);
    return;
  }
  fireAt(*c, ControlEvent::MouseDown, button, shift, cx, cy);
  // A handler may have ended the press (a modal box, the control hidden).
  if (!input::stillPressed(press) || !c->loaded() || !owner->loaded()) return;
  const bool focused = !owner->focusable() || focusOn(*owner) == owner;
  if (!input::stillPressed(press)) return;
  p.focused = focused;
  if (focused && owner->focusable()) p.focusHolder = WeakRef<Control>(owner);
  if (button == vbLeftButton && focused && c->loaded()) {
    p.pressed = true;
    c->pressAt(cx, cy, shift);
  }
  if (button == vbMiddleButton && focused && c->loaded()) c->middlePressAt(cx, cy);
}

}  // namespace

void buttonDown(Form& f, int16_t button, int16_t shift, double x, double y, int64_t time) {
  Ref<Form> keep(&f);
  if (!input::takesInput(f)) return;
  input::Pointer& p = input::pointer();
  if (p.active) return;  // a second button while one is held
  if (time < 0) time = Clock::nowMs();
  if (EditMenu* menu = f.editMenu()) {
    // The open menu takes the press: its item is chosen at the release;
    // anywhere else the press only closes it.
    input::forgetPress();
    if (!menu->contains(x, y)) return f.closeEditMenu();
    input::beginPress(f, button, nullptr);
    p.onMenu = true;
    menu->mark(menu->entryAt(x, y));
    return;
  }
  if (ComboBox* open = openCombo(f)) {
    // The open list takes the press: its item is chosen at the release;
    // anywhere else the press only closes it.
    Ref<Control> hold(open);
    input::forgetPress();
    if (button != vbLeftButton) return open->closeList();
    const bool bar = open->onListScrollBar(x, y);
    if (!bar && open->listItemAt(x, y) < 0) return open->closeList();
    input::beginPress(f, button, nullptr);
    p.list = WeakRef<Control>(open);
    p.onListBar = bar;
    if (bar) {
      p.pressed = true;
      open->pressListBar(x, y);
    }
    return;
  }
  double cx = x, cy = y;
  Control* owner = f.controlAt(cx, cy);
  // A press on a part of a user control lands on that part; the control
  // itself takes the focus.
  Control* c = owner ? owner->constituentAt(cx, cy) : nullptr;
  pressOn(f, owner, c ? c : owner, button, shift, x, y, cx, cy, time);
}

void buttonUp(Form& f, int16_t button, int16_t shift, double x, double y) {
  Ref<Form> keep(&f);
  input::Pointer& p = input::pointer();
  // A release without an owner (its press dropped, or made elsewhere) is
  // dropped: never a click.
  if (!p.active || button != p.button || p.form.get() != &f) return;
  if (!input::takesInput(f)) return input::dropPointer();
  if (p.onMenu) {
    p.active = false;
    EditMenu* menu = f.editMenu();
    const int entry = menu ? menu->entryAt(x, y) : -1;
    if (menu && menu->enabled(entry)) f.chooseFromEditMenu(entry);
    return;
  }
  if (Ref<Control> list(p.list.get()); list) {
    auto* combo = static_cast<ComboBox*>(list.get());
    p.active = false;
    if (p.onListBar) {
      if (std::exchange(p.pressed, false)) combo->releaseListBar();
      return;
    }
    if (combo->listOpen()) {
      // A release off the items keeps the list open.
      if (const int16_t item = combo->listItemAt(x, y); item >= 0) combo->chooseFromList(item);
    }
    return;
  }
  Ref<Control> c(p.target.get());
  const bool onControl = static_cast<bool>(c);
  const bool doubleClick = p.doubleClick, focused = p.focused;
  if (!onControl) {
    input::endPress(x, y);
    float fx = static_cast<float>(x), fy = static_cast<float>(y);
    int16_t b = button, s = shift;
    f.onMouseUp(b, s, fx, fy);
    if (button == vbLeftButton && !doubleClick) f.onClick();
    return;
  }
  if (!c->loaded() || c->form() != &f) return input::dropPointer();
  const auto [ox, oy] = f.clientOrigin(*c);
  const double lx = x - ox, ly = y - oy;
  p.active = false;  // every button is up: the owner lasts until its press ends
  if (p.nonClient) return input::endPress(lx, ly);
  fireAt(*c, ControlEvent::MouseUp, button, shift, lx, ly);
  if (!c->loaded()) return input::dropPointer();
  input::endPress(lx, ly);
  const bool over = !c->hasRect() || (lx >= 0 && ly >= 0 && lx < c->width() && ly < c->height());
  // The right button released over a text field with the focus: its
  // context menu, at the pointer.
  if (button == vbRightButton && over && focused && c->loaded() && c->hasEditMenu() && f.activeControl() == c.get())
    return f.openEditMenu(*c, x, y);
  if (doubleClick || button != vbLeftButton || !c->loaded()) return;
  // A press on a combo box dragged onto an item of the list it opened.
  if (auto* combo = dynamic_cast<ComboBox*>(c.get()); combo && combo->listOpen()) {
    if (const int16_t item = combo->listItemAt(x, y); item >= 0) return combo->chooseFromList(item);
  }
  if (over && focused && c->shownOnForm() && c->enabledOnForm()) c->userClickAt(lx, ly);
}

void pointerMove(Form& f, int16_t buttons, int16_t shift, double x, double y) {
  Ref<Form> keep(&f);
  if (!input::takesInput(f)) return;
  input::Pointer& p = input::pointer();
  // Every button up without its release reaching us: the press is over.
  if (p.active && (buttons & p.button) == 0) input::dropPointer();
  if (EditMenu* menu = f.editMenu()) return menu->mark(menu->entryAt(x, y));
  if (ComboBox* open = openCombo(f)) {
    Ref<Control> hold(open);
    if (p.active && p.pressed && p.onListBar && p.list.get() == open) return open->dragListBar(x, y);
    // The open list marks the item under the pointer.
    if (const int16_t item = open->listItemAt(x, y); item >= 0) open->markItem(item);
    return;
  }
  if (p.active && p.form.get() == &f) {
    if (Control* c = p.target.get()) {
      Ref<Control> hold(c);
      if (!c->loaded()) return;
      const auto [ox, oy] = f.clientOrigin(*c);
      const uint64_t press = p.serial;
      if (!p.nonClient) fireAt(*c, ControlEvent::MouseMove, buttons, shift, x - ox, y - oy);
      if (input::stillPressed(press) && p.pressed && (buttons & vbLeftButton) && c->loaded() && c->form() == &f)
        c->dragTo(x - ox, y - oy);
      return;
    }
  } else {
    double cx = x, cy = y;
    if (Control* c = f.controlAt(cx, cy)) {
      if (Control* part = c->constituentAt(cx, cy)) c = part;
      Ref<Control> hold(c);
      if (c->enabledOnForm() && !c->nonClientAt(cx, cy)) fireAt(*c, ControlEvent::MouseMove, buttons, shift, cx, cy);
      return;
    }
  }
  float fx = static_cast<float>(x), fy = static_cast<float>(y);
  int16_t b = buttons, s = shift;
  f.onMouseMove(b, s, fx, fy);
}

namespace {

void personClick(Form& f, Control* target, double x, double y, bool twice, int16_t button) {
  if (!input::takesInput(f)) return;
  input::dropPointer();  // the simulated person has one hand on the mouse
  input::forgetPress();
  for (int i = 0; i < (twice ? 2 : 1) && f.isLoaded(); ++i) {
    if (!target || openCombo(f) || f.editMenu()) {
      buttonDown(f, button, 0, x, y);
    } else {
      // On the control meant, also where another one covers its middle; a
      // point on a part of a user control lands on that part.
      Control* owner = target->host() ? target->host() : target;
      const auto [ox, oy] = f.clientOrigin(*target);
      double cx = x - ox, cy = y - oy;
      Control* part = target->constituentAt(cx, cy);
      pressOn(f, owner, part ? part : target, button, 0, x, y, cx, cy, Clock::nowMs());
    }
    if (f.isLoaded()) buttonUp(f, button, 0, x, y);
  }
  input::forgetPress();
}

}  // namespace

void keyDownOn(Form& f, int16_t keyCode, int16_t shift) {
  if (!input::takesInput(f)) return;
  Ref<Form> keep(&f);
  if (EditMenu* m = f.editMenu()) return menuKey(f, *m, keyCode);
  const bool plain = (shift & (vbCtrlMask | vbAltMask)) == 0;
  // Alt+F4 is the window's close box from the keyboard (where no window
  // manager takes the chord first).
  if (keyCode == vbKeyF4 && (shift & (vbCtrlMask | vbAltMask)) == vbAltMask) {
    f.unload(vbFormControlMenu);
    return;
  }
  if (keyCode == vbKeyTab && plain) return pressTab(f, (shift & vbShiftMask) != 0);
  if (keyCode == vbKeyReturn && plain) return pressEnter(f);
  if (keyCode == vbKeyEscape && plain) return pressEsc(f);
  if (Control* active = f.activeControl()) {
    Ref<Control> hold(active);
    keyDown(*active, keyCode, shift);
    if (auto* list = dynamic_cast<ListBox*>(active); list && list->loaded() && (shift & vbAltMask) == 0)
      listKey(*list, keyCode, shift);
    if (auto* combo = dynamic_cast<ComboBox*>(active); combo && combo->loaded()) comboKey(*combo, keyCode, shift);
    return;
  }
  f.onKeyDown(keyCode, shift);
  if (keyCode != 0 && f.isLoaded() && accessKeyChord(keyCode, shift)) f.pressAccessKey(static_cast<char16_t>(keyCode));
}

void charOn(Form& f, char16_t ch, int16_t shift) {
  if (!input::takesInput(f)) return;
  Ref<Form> keep(&f);
  // Alt with a key is a key of the window (an access key), not a character.
  if (altAlone(shift)) return;
  int16_t ascii = static_cast<int16_t>(ch);
  if (EditMenu* m = f.editMenu()) return menuChar(f, *m, ascii);
  if (Control* active = f.activeControl()) return keyPress(*active, ascii);
  f.onKeyPress(ascii);
}

void keyUpOn(Form& f, int16_t keyCode, int16_t shift) {
  if (!input::takesInput(f)) return;
  Ref<Form> keep(&f);
  // Tab, Enter and Esc did their work on the press.
  if ((keyCode == vbKeyTab || keyCode == vbKeyReturn || keyCode == vbKeyEscape) &&
      (shift & (vbCtrlMask | vbAltMask)) == 0)
    return;
  if (f.editMenu()) return;
  if (Control* active = f.activeControl()) return keyUp(*active, keyCode, shift);
  f.onKeyUp(keyCode, shift);
}

void wheelAt(Form& f, int notches, double x, double y) {
  if (!input::takesInput(f)) return;
  Ref<Form> keep(&f);
  if (notches == 0 || f.editMenu()) return;
  if (ComboBox* open = openCombo(f)) {
    Ref<Control> hold(open);
    open->wheel(notches);
    return;
  }
  double cx = x, cy = y;
  // The control under the pointer, else the nearest container that scrolls.
  for (Control* c = f.controlAt(cx, cy); c; c = c->container()) {
    Ref<Control> hold(c);
    if (!c->enabledOnForm()) return;
    if (c->wheel(notches)) return;
  }
}

void wheel(Control& c, int notches, float x, float y) {
  Ref<Control> keep(&c);
  Form& f = formOf(c);
  Ref<Form> keepForm(&f);
  if (!c.shownOnForm()) return;
  const auto [ox, oy] = f.clientOrigin(c);
  wheelAt(f, notches, ox + midX(c, x), oy + midY(c, y));
}

Form* activeForm() {
  Form* f = Form::fromHandle(GetActiveWindow());
  return f && f->isLoaded() ? f : nullptr;
}

bool close(Form& f) { return input::takesInput(f) && f.unload(vbFormControlMenu); }

void resize(Form& f, double width, double height) { f.move(f.left(), f.top(), width, height); }

void snapshot(Form& f, const std::filesystem::path& file) { f.snapshot(file); }

}  // namespace svx::person
