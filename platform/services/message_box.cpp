#include "platform/services/message_box.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/automation/coerce.h"
#include "platform/automation/error.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"
#include "platform/services/app.h"
#include "platform/services/screen.h"

namespace svx {

namespace {

constexpr UINT kTakeAnswer = WM_USER + 0x210;  // the box's own: look for its answer
constexpr int32_t kButtonSetMask = 0x0F;
constexpr int32_t kDefaultButtonMask = 0x0F00;

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

// Box sizes in pixels.
constexpr int kMessageBoxWidth = 320;
constexpr int kMessageBoxHeight = 130;
constexpr int kInputBoxWidth = 375;
constexpr int kInputBoxHeight = 155;

WindowRect placement(const ShownBox& box) {
  const Screen& s = screen();
  const int screenW = static_cast<int>(s.width() / s.twipsPerPixelX());
  const int screenH = static_cast<int>(s.height() / s.twipsPerPixelY());
  WindowRect r;
  if (box.kind == DialogKind::MessageBox) {
    r = {(screenW - kMessageBoxWidth) / 2, (screenH - kMessageBoxHeight) / 2, kMessageBoxWidth, kMessageBoxHeight};
  } else {
    auto toPixels = [](double twips, float tpp) {
      const double px = std::round(twips / tpp);
      return static_cast<int32_t>(std::clamp(px, -1e6, 1e6));
    };
    r = {box.xPos ? toPixels(*box.xPos, s.twipsPerPixelX()) : (screenW - kInputBoxWidth) / 2,
         box.yPos ? toPixels(*box.yPos, s.twipsPerPixelY()) : screenH / 3 - kInputBoxHeight / 2, kInputBoxWidth,
         kInputBoxHeight};
  }
  return r;
}

int32_t g_beeps = 0;

}  // namespace

void DialogResponder::reset() {
  queue_.clear();
  boxes_.clear();
  openStack_.clear();
  wait_ = false;
}

void DialogResponder::answer(DialogKind kind, const Variant& value) {
  Answer a(kind);
  if (kind == DialogKind::MessageBox) {
    a.button = toI4(value);
    if (a.button < vbOK || a.button > vbNo) raise(err::InvalidProcedureCall);
  } else {
    a.text = toBStr(value);
  }
  queue_.push_back(std::move(a));
}

void DialogResponder::cancel(DialogKind kind) { queue_.push_back(Answer(kind, true)); }

const ShownBox* DialogResponder::openBox() const {
  return openStack_.empty() ? nullptr : &boxes_[openStack_.back()];
}

bool DialogResponder::takeQueued(std::size_t index) {
  const DialogKind kind = boxes_[index].kind;
  const auto it = std::ranges::find_if(queue_, [kind](const Answer& a) { return a.kind == kind; });
  if (it == queue_.end()) return false;
  const Answer a = *it;
  queue_.erase(it);
  apply(index, a, AnswerSource::Scripted);
  return true;
}

void DialogResponder::apply(std::size_t index, const Answer& a, AnswerSource source) {
  ShownBox& box = boxes_[index];
  box.source = source;
  box.cancelled = a.cancel;
  if (box.kind == DialogKind::MessageBox) {
    box.button = a.cancel ? vbCancel : a.button;
  } else {
    box.text = a.cancel ? BStr() : a.text;
  }
}

void DialogResponder::applyDefault(std::size_t index) {
  const ShownBox& box = boxes_[index];
  Answer a(box.kind);
  a.button = box.kind == DialogKind::MessageBox ? defaultButton(box.buttons) : 0;
  a.text = box.defaultText;
  apply(index, a, AnswerSource::Default);
}

const ShownBox& DialogResponder::show(ShownBox box) {
  Desktop& d = desktop();
  const HWND previousActive = d.find(d.active) ? d.active : 0;
  const HWND owner = previousActive ? previousActive : d.applicationWindow();
  const std::size_t index = boxes_.size();
  box.owner = owner;
  box.topmost = (box.buttons & vbSystemModal) != 0;
  box.open = true;
  box.source = AnswerSource::None;
  boxes_.push_back(std::move(box));

  auto answered = [this, index] { return boxes_[index].source != AnswerSource::None; };
  WindowSpec spec;
  spec.className = boxes_[index].kind == DialogKind::MessageBox ? "SvxMessageBox" : "SvxInputBox";
  spec.caption = utf8(boxes_[index].title);
  spec.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  spec.exStyle = boxes_[index].topmost ? WS_EX_TOPMOST : 0;
  spec.owner = owner;
  spec.rect = placement(boxes_[index]);
  spec.handler = [this, index, answered](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
    if (msg == kTakeAnswer && !answered() && !takeQueued(index) && !wait_) applyDefault(index);
    return 0;
  };
  const HWND window = d.createWindow(spec);
  boxes_[index].window = window;
  openStack_.push_back(index);

  const bool ownerWasEnabled = IsWindowEnabled(owner) != 0;
  EnableWindow(owner, 0);
  struct Close {
    DialogResponder& self;
    std::size_t index;
    HWND owner;
    HWND previousActive;
    bool ownerWasEnabled;
    ~Close() {
      ShownBox& b = self.boxes_[index];
      if (b.source == AnswerSource::None) {
        // Gone without an answer: the window was destroyed, or the loop failed.
        self.apply(index, Answer(b.kind, true), AnswerSource::Closed);
      }
      b.open = false;
      std::erase(self.openStack_, index);
      DestroyWindow(b.window);
      if (ownerWasEnabled) EnableWindow(owner, 1);
      if (previousActive && IsWindow(previousActive) && IsWindowVisible(previousActive))
        SetForegroundWindow(previousActive);
    }
  } close{*this, index, owner, previousActive, ownerWasEnabled};
  d.showWindow(window, SW_SHOW);
  PostMessageA(window, kTakeAnswer, 0, 0);

  messageLoop().runModalLoop(
      [answered, window] { return answered() || !desktop().find(window); },
      [this, index, answered] {
        // Idle: an answer queued meanwhile is taken; with nothing left that
        // could give one, the user takes the default.
        if (answered()) return false;
        if (takeQueued(index)) return true;
        if (messageLoop().timerCount() != 0) return false;
        applyDefault(index);
        return true;
      });
  return boxes_[index];
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

void Beep() { ++g_beeps; }
int32_t beepCount() { return g_beeps; }
void resetBeepCount() { g_beeps = 0; }

}  // namespace svx
