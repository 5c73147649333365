#include "platform/dialogs/message_box.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <utility>

#include "platform/automation/coerce.h"
#include "platform/automation/error.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/display.h"
#include "platform/desktop/display_messages.h"
#include "platform/desktop/message_loop.h"
#include "platform/desktop/modal_owner.h"
#include "platform/forms/edit_menu.h"
#include "platform/forms/text_edit.h"
#include "platform/graphics/access_key.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"
#include "platform/system/app.h"
#include "platform/system/screen.h"

namespace svx {

// A person at a box's window: the text typed so far and the button held.
struct BoxPerson {
  TextEdit field;
  int fieldScroll = 0;     // the field's pixels scrolled across, as last shown
  bool selecting = false;  // the left button went down in the field and is held
  int32_t pressed = 0;
  int32_t focused = 0;  // the button with the focus; 0: the field (input box) or the default
  std::optional<EditMenu> menu;  // the field's context menu, while open
  bool menuPressed = false;      // a button went down on the open menu
};

namespace {

constexpr UINT kTakeAnswer = WM_USER + 0x210;  // the box's own: look for its answer
constexpr int32_t kButtonSetMask = 0x0F;
constexpr int32_t kDefaultButtonMask = 0x0F00;
constexpr int32_t kIconMask = 0x00F0;

// The buttons of each button set, left to right.
constexpr std::array<std::array<int32_t, 3>, 6> kButtonSets = {{
    {vbOK, 0, 0},
    {vbOK, vbCancel, 0},
    {vbAbort, vbRetry, vbIgnore},
    {vbYes, vbNo, vbCancel},
    {vbYes, vbNo, 0},
    {vbRetry, vbCancel, 0},
}};

int32_t defaultButton(int32_t style) {
  const auto& set = kButtonSets[static_cast<size_t>(style & kButtonSetMask)];
  const size_t wanted = static_cast<size_t>((style & kDefaultButtonMask) >> 8);
  return wanted < set.size() && set[wanted] != 0 ? set[wanted] : set[0];
}

// The icon the style word asks for; none for no icon bits or a
// combination that names no icon.
MessageIconKind iconOf(int32_t style) {
  const int32_t bits = (style & kIconMask) >> 4;
  return bits >= 1 && bits <= 4 ? static_cast<MessageIconKind>(bits) : MessageIconKind::None;
}

// Box sizes in pixels.
constexpr int kMessageBoxWidth = 320;
constexpr int kMessageBoxHeight = 130;
constexpr int kInputBoxWidth = 375;
constexpr int kInputBoxHeight = 155;

// Centred over the owner while it is on the screen, else on the screen (an
// input box a third down); an input box at a position given stays there.
// Kept on the screen.
WindowRect placement(const ShownBox& box) {
  const Screen& s = screen();
  const int screenW = static_cast<int>(s.width() / s.twipsPerPixelX());
  const int screenH = static_cast<int>(s.height() / s.twipsPerPixelY());
  const bool message = box.kind == DialogKind::MessageBox;
  const int w = message ? kMessageBoxWidth : kInputBoxWidth, h = message ? kMessageBoxHeight : kInputBoxHeight;
  WindowRect r{(screenW - w) / 2, message ? (screenH - h) / 2 : screenH / 3 - h / 2, w, h};
  const Window* owner = desktop().find(box.owner);
  if (owner && owner->visible() && !owner->iconic()) {
    r.x = std::clamp(owner->rect.x + (owner->rect.cx - w) / 2, 0, std::max(0, screenW - w));
    r.y = std::clamp(owner->rect.y + (owner->rect.cy - h) / 2, 0, std::max(0, screenH - h));
  }
  auto toPixels = [](double twips, float tpp) {
    const double px = std::round(twips / tpp);
    return static_cast<int32_t>(std::clamp(px, -1e6, 1e6));
  };
  if (box.xPos) r.x = toPixels(*box.xPos, s.twipsPerPixelX());
  if (box.yPos) r.y = toPixels(*box.yPos, s.twipsPerPixelY());
  return r;
}

// The buttons' captions by result; '&' marks the letter that presses the
// button (alone or with Alt).
constexpr std::array<std::u16string_view, 8> kButtonNames = {u"",       u"OK",      u"Cancel", u"&Abort",
                                                             u"&Retry", u"&Ignore", u"&Yes",   u"&No"};

// What a person sees of a box: its client area in pixels, the buttons and
// the input box's field.
struct BoxLook {
  struct Button {
    int32_t result = 0;
    RenderRect rect;  // twips
  };
  std::vector<Button> buttons;
  RenderRect prompt;
  RenderRect field;
  RenderRect icon;  // message boxes with an icon
};

BoxLook boxLook(const ShownBox& box, int clientW, int clientH) {
  auto tw = [](double px) { return pixelsToTwips(px); };
  BoxLook look;
  constexpr double bw = 75, bh = 23, gap = 6;
  if (box.kind == DialogKind::MessageBox) {
    std::vector<int32_t> results;
    for (int32_t r : kButtonSets[static_cast<size_t>(box.buttons & kButtonSetMask)])
      if (r != 0) results.push_back(r);
    const double total = results.size() * bw + (results.size() - 1) * gap;
    double x = std::floor((clientW - total) / 2);
    for (int32_t r : results) {
      look.buttons.push_back({r, {tw(x), tw(clientH - bh - 10), tw(bw), tw(bh)}});
      x += bw + gap;
    }
    // An icon sits at the top left; the text moves to its right.
    constexpr double iconSide = 32, margin = 12;
    const double textLeft = iconOf(box.buttons) == MessageIconKind::None ? margin : 2 * margin + iconSide;
    if (textLeft != margin) look.icon = {tw(margin), tw(margin), tw(iconSide), tw(iconSide)};
    look.prompt = {tw(textLeft), tw(margin), tw(std::max(1.0, clientW - textLeft - margin)),
                   tw(std::max(1.0, clientH - bh - 34))};
  } else {
    look.buttons.push_back({vbOK, {tw(clientW - bw - 9), tw(9), tw(bw), tw(bh)}});
    look.buttons.push_back({vbCancel, {tw(clientW - bw - 9), tw(9 + bh + gap), tw(bw), tw(bh)}});
    look.prompt = {tw(9), tw(9), tw(std::max(1.0, clientW - bw - 27)), tw(std::max(1.0, clientH - 48.0))};
    look.field = {tw(9), tw(clientH - 30), tw(clientW - 18), tw(21)};
  }
  return look;
}

bool inside(const RenderRect& r, double x, double y) {
  return x >= r.left && y >= r.top && x < r.left + r.width && y < r.top + r.height;
}

}  // namespace

void DialogResponder::resetOwn() { wait_ = false; }

void DialogResponder::queueAnswer(DialogKind kind, const Variant& value) {
  BoxAnswer a(kind);
  if (kind == DialogKind::MessageBox) {
    a.button = toI4(value);
    if (a.button < vbOK || a.button > vbNo) raise(err::InvalidProcedureCall);
  } else {
    a.text = toBStr(value);
  }
  queue(std::move(a));
}

void DialogResponder::queueCancel(DialogKind kind) { queue(BoxAnswer(kind, true)); }

bool DialogResponder::takeQueued(std::size_t index) {
  const DialogKind kind = session(index).kind;
  const std::optional<BoxAnswer> a = takeFirst([kind](const BoxAnswer& q) { return q.kind == kind; });
  if (!a) return false;
  apply(index, *a, AnswerSource::Scripted);
  return true;
}

void DialogResponder::apply(std::size_t index, const BoxAnswer& a, AnswerSource source) {
  ShownBox& box = session(index);
  box.source = source;
  box.cancelled = a.cancel;
  if (box.kind == DialogKind::MessageBox) {
    box.button = a.cancel ? vbCancel : a.button;
  } else {
    box.text = a.cancel ? BStr() : a.text;
  }
}

void DialogResponder::applyDefault(std::size_t index) {
  const ShownBox& box = session(index);
  BoxAnswer a(box.kind);
  a.button = box.kind == DialogKind::MessageBox ? defaultButton(box.buttons) : 0;
  a.text = box.defaultText;
  apply(index, a, AnswerSource::Default);
}

const ShownBox& DialogResponder::show(ShownBox box) {
  Desktop& d = desktop();
  const HWND previousActive = d.find(d.active) ? d.active : 0;
  const HWND owner = previousActive ? previousActive : d.applicationWindow();
  box.owner = owner;
  box.topmost = (box.buttons & vbSystemModal) != 0;
  box.open = true;
  box.source = AnswerSource::None;
  const std::size_t index = record(std::move(box));

  auto answered = [this, index] { return session(index).source != AnswerSource::None; };
  WindowSpec spec;
  spec.className = session(index).kind == DialogKind::MessageBox ? "SvxMessageBox" : "SvxInputBox";
  spec.caption = utf8(session(index).title);
  spec.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  spec.exStyle = session(index).topmost ? WS_EX_TOPMOST : 0;
  spec.owner = owner;
  spec.rect = placement(session(index));
  auto person = std::make_shared<BoxPerson>();
  person->field.text = session(index).defaultText;
  person->field.selectAll();
  spec.handler = [this, index, answered, person](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (msg == kTakeAnswer && !answered() && !takeQueued(index) && !wait_ && !display().shows(hwnd))
      applyDefault(index);
    if (!session(index).open || answered()) return 0;
    return personAt(index, *person, hwnd, msg, wParam, lParam);
  };
  const HWND window = d.createWindow(spec);
  session(index).window = window;
  std::optional<Opened> opened;
  opened.emplace(*this, index, [this, index](ShownBox& b) {
    // Gone without an answer: the window was destroyed, or the loop failed.
    if (b.source == AnswerSource::None) apply(index, BoxAnswer(b.kind, true), AnswerSource::Closed);
  });

  const ModalScope modal(window, owner);  // hands the activation back after Close
  struct Close {
    std::optional<Opened>& opened;
    HWND window;
    ~Close() {
      opened.reset();
      DestroyWindow(window);
    }
  } close{opened, window};
  d.showWindow(window, SW_SHOW);
  PostMessageA(window, kTakeAnswer, 0, 0);

  messageLoop().runModalLoop(
      [answered, window] { return answered() || !desktop().find(window); },
      [this, index, answered] {
        // Idle: an answer queued meanwhile is taken; with nothing left that
        // could give one, the user takes the default.
        if (answered()) return false;
        if (takeQueued(index)) return true;
        if (messageLoop().timerCount() != 0 || display().shows(session(index).window)) return false;
        applyDefault(index);
        return true;
      });
  return session(index);
}

LRESULT DialogResponder::personAt(std::size_t index, BoxPerson& person, HWND hwnd, UINT msg, WPARAM wParam,
                                  LPARAM lParam) {
  const ShownBox& box = session(index);
  const Window* w = desktop().find(hwnd);
  if (!w) return 0;
  const int clientW = std::max(1, w->rect.cx - 8), clientH = std::max(1, w->rect.cy - 28);
  const BoxLook look = boxLook(box, clientW, clientH);
  const int32_t defaultResult = box.kind == DialogKind::MessageBox ? defaultButton(box.buttons) : vbOK;
  const bool hasCancel = std::ranges::any_of(look.buttons, [](const auto& b) { return b.result == vbCancel; });
  auto finish = [&](int32_t result) {
    BoxAnswer a(box.kind, result == vbCancel && box.kind == DialogKind::InputBox);
    a.button = result;
    a.text = person.field.text;
    apply(index, a, AnswerSource::Person);
  };
  const auto [px, py] = unpackPoint(lParam);
  const double x = pixelsToTwips(px), y = pixelsToTwips(py);
  auto buttonAt = [&](double bx, double by) -> int32_t {
    for (const auto& b : look.buttons)
      if (inside(b.rect, bx, by)) return b.result;
    return 0;
  };
  // The input box's field: one line, scrolled so that the caret stays in sight.
  const Font fieldFont = RenderItem{}.font;
  const double fieldShown = twipsToPixels(look.field.width) - 2.0 * RenderTextLeft;
  auto shownScroll = [&] {
    return fieldScroll(person.field.text, fieldFont, fieldShown, person.field.caret, person.fieldScroll);
  };
  auto fieldIndexAt = [&](double fx) {
    return textIndexAt(person.field.text, fieldFont, -1, 0,
                       twipsToPixels(fx - look.field.left) - RenderTextLeft + shownScroll(), 1);
  };
  auto fieldEdited = [&] { person.fieldScroll = shownScroll(); };
  const bool inField = box.kind == DialogKind::InputBox && inside(look.field, x, y);
  // The field's context menu: opened by the right button, the Menu key or
  // Shift+F10; while open it takes the keys and the pointer.
  auto openMenu = [&](double mx, double my) {
    person.focused = 0;
    person.menu.emplace([&person](EditCommand c) { return person.field.canDo(c, {}); }, mx, my,
                        pixelsToTwips(clientW), pixelsToTwips(clientH));
  };
  auto menuAct = [&](int entry) {
    if (entry != EditMenu::kClose && entry < 0) return;
    const EditCommand c = entry >= 0 ? EditMenu::command(entry) : EditCommand::None;
    person.menu.reset();
    if (c == EditCommand::None) return;
    person.field.apply({c, false}, {});
    fieldEdited();
  };
  if (person.menu) {
    EditMenu& m = *person.menu;
    switch (msg) {
      case WM_KEYDOWN:
        menuAct(m.key(static_cast<int16_t>(wParam)));
        return 0;
      case WM_CHAR:
        menuAct(m.character(static_cast<int16_t>(wParam)));
        return 0;
      case WM_MOUSEMOVE:
        m.mark(m.entryAt(x, y));
        return 0;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        // A press elsewhere only closes the menu.
        if (!m.contains(x, y)) {
          person.menu.reset();
          return 0;
        }
        m.mark(m.entryAt(x, y));
        person.menuPressed = true;
        return 0;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        if (std::exchange(person.menuPressed, false) && m.enabled(m.entryAt(x, y))) menuAct(m.entryAt(x, y));
        return 0;
      default:
        break;
    }
  }
  switch (msg) {
    case WM_PRINTCLIENT: {
      if (!lParam) return 0;
      RenderItem& root = *reinterpret_cast<RenderItem*>(lParam);
      root = dialogBoxPicture(RenderRect{0, 0, pixelsToTwips(clientW), pixelsToTwips(clientH)}, box.title);
      RenderItem prompt;
      prompt.kind = RenderKind::Label;
      prompt.rect = look.prompt;
      prompt.text = box.prompt;
      prompt.border = false;
      prompt.transparent = true;
      root.children.push_back(prompt);
      if (box.kind == DialogKind::MessageBox && iconOf(box.buttons) != MessageIconKind::None) {
        RenderItem icon;
        icon.kind = RenderKind::MessageIcon;
        icon.rect = look.icon;
        icon.value = static_cast<int>(iconOf(box.buttons));
        root.children.push_back(icon);
      }
      const int32_t current = person.focused ? person.focused : defaultResult;
      for (const auto& b : look.buttons) {
        RenderItem button;
        button.kind = RenderKind::CommandButton;
        button.rect = b.rect;
        button.text = BStr(kButtonNames[static_cast<size_t>(b.result)]);
        button.accessKeys = true;
        button.isDefault = b.result == current;
        button.focused = b.result == person.focused || (box.kind == DialogKind::MessageBox && !person.focused &&
                                                         b.result == defaultResult);
        root.children.push_back(button);
      }
      if (box.kind == DialogKind::InputBox) {
        RenderItem field;
        field.kind = RenderKind::TextBox;
        field.rect = look.field;
        field.text = person.field.text;
        field.backColor = vbWindowBackground;
        field.foreColor = vbWindowText;
        field.focused = person.focused == 0;
        field.caret = person.field.caret;
        field.selectionStart = person.field.selStart();
        field.selectionLength = person.field.selLength();
        field.singleLine = true;
        field.scrollLeft = shownScroll();
        root.children.push_back(field);
        if (person.menu) root.children.push_back(person.menu->picture());
      }
      return 1;
    }
    case WM_LBUTTONDOWN:
      person.pressed = buttonAt(x, y);
      if (person.pressed) person.focused = person.pressed;
      if (inField) {
        // The caret goes to the point; with Shift the selection reaches it.
        person.focused = 0;
        const int32_t at = fieldIndexAt(x);
        person.field.select(((wParam >> 8) & 1) != 0 ? person.field.anchor : at, at);
        person.field.offerSelection({});
        person.selecting = true;
      }
      return 0;
    case WM_MOUSEMOVE:
      if (person.selecting && (wParam & 1) != 0) {
        person.field.select(person.field.anchor, fieldIndexAt(x));
        person.field.offerSelection({});
        fieldEdited();
      }
      return 0;
    case WM_MBUTTONDOWN:
      // A middle click pastes the primary selection there.
      if (inField) {
        person.focused = 0;
        person.field.pastePrimaryAt(fieldIndexAt(x), {});
        fieldEdited();
      }
      return 0;
    case WM_RBUTTONUP:
      if (inField) openMenu(x, y);
      return 0;
    case WM_LBUTTONUP: {
      person.selecting = false;
      const int32_t released = buttonAt(x, y);
      if (released && released == std::exchange(person.pressed, 0)) finish(released);
      return 0;
    }
    case WM_KEYDOWN:
      if (box.kind == DialogKind::InputBox && person.focused == 0 &&
          ((wParam == 93 && (lParam & 7) == 0) || (wParam == 121 && (lParam & 7) == 1))) {
        openMenu(look.field.left + look.field.width / 2, look.field.top + look.field.height / 2);
        return 0;
      }
      if (wParam == 13) finish(person.focused ? person.focused : defaultResult);
      else if (wParam == 27 && (hasCancel || look.buttons.size() == 1)) finish(hasCancel ? vbCancel : vbOK);
      else if (wParam == 9 && !look.buttons.empty()) {
        // Tab: the field (input box), then each button in turn.
        std::vector<int32_t> stops;
        if (box.kind == DialogKind::InputBox) stops.push_back(0);
        for (const auto& b : look.buttons) stops.push_back(b.result);
        const int32_t from = person.focused ? person.focused : (box.kind == DialogKind::InputBox ? 0 : defaultResult);
        const auto it = std::ranges::find(stops, from);
        const auto at = it == stops.end() ? 0 : static_cast<std::size_t>(it - stops.begin());
        const bool back = (lParam & 1) != 0;
        person.focused = stops[(at + (back ? stops.size() - 1 : 1)) % stops.size()];
      } else if (wParam >= 37 && wParam <= 40 && (lParam & 6) == 0 &&
                 (box.kind == DialogKind::MessageBox || person.focused != 0)) {
        // The arrows move the focus, and the default with it, round the
        // buttons: Left and Up back, Right and Down on.
        const int32_t from = person.focused ? person.focused : defaultResult;
        const auto it = std::ranges::find_if(look.buttons, [&](const BoxLook::Button& b) { return b.result == from; });
        const std::size_t n = look.buttons.size();
        const auto at = it == look.buttons.end() ? 0 : static_cast<std::size_t>(it - look.buttons.begin());
        person.focused = look.buttons[(at + (wParam == 37 || wParam == 38 ? n - 1 : 1)) % n].result;
      } else if (wParam == 32 && (person.focused || box.kind == DialogKind::MessageBox)) {
        // Space presses the button with the focus: a message box's default
        // one until Tab moves it.
        finish(person.focused ? person.focused : defaultResult);
      } else if (box.kind == DialogKind::MessageBox && (lParam & 2) == 0) {
        // A button's letter presses it.
        const auto letter = std::ranges::find_if(look.buttons, [&](const BoxLook::Button& b) {
          return accessKeyOf(kButtonNames[static_cast<size_t>(b.result)]) == static_cast<char16_t>(wParam);
        });
        if (letter != look.buttons.end()) finish(letter->result);
      } else if (box.kind == DialogKind::InputBox && person.focused == 0) {
        person.field.apply(editKeyOf(static_cast<int16_t>(wParam), static_cast<int16_t>(lParam)), {});
        fieldEdited();
      }
      return 0;
    case WM_CHAR:
      // Alt with a letter is a key of the window, not a character.
      if (box.kind == DialogKind::InputBox && person.focused == 0 && (lParam & 6) != 4)
      {
        person.field.type(static_cast<int16_t>(wParam), {});
        fieldEdited();
      }
      return 0;
    case WM_CLOSE:
      if (hasCancel || look.buttons.size() == 1) finish(hasCancel ? vbCancel : vbOK);
      return 0;
    default:
      return 0;
  }
}

DialogResponder& dialogResponder() {
  static DialogResponder instance;
  return instance;
}

int32_t MsgBox(const Variant& prompt, const Variant& buttons, const Variant& title) {
  ShownBox box;
  box.kind = DialogKind::MessageBox;
  box.prompt = toBStr(prompt);
  box.buttons = buttons.isMissing() ? vbOKOnly : toI4(buttons);
  box.title = title.isMissing() ? app().title() : toBStr(title);
  if ((box.buttons & kButtonSetMask) >= static_cast<int32_t>(kButtonSets.size())) raise(err::InvalidProcedureCall);
  return dialogResponder().show(std::move(box)).button;
}

BStr InputBox(const Variant& prompt, const Variant& title, const Variant& defaultText, const Variant& xPos,
              const Variant& yPos) {
  ShownBox box;
  box.kind = DialogKind::InputBox;
  box.prompt = toBStr(prompt);
  box.title = title.isMissing() ? app().title() : toBStr(title);
  if (!defaultText.isMissing()) box.defaultText = toBStr(defaultText);
  if (!xPos.isMissing()) box.xPos = toR8(xPos);
  if (!yPos.isMissing()) box.yPos = toR8(yPos);
  return dialogResponder().show(std::move(box)).text;
}

}  // namespace svx
