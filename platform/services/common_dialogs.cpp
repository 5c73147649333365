#include "platform/services/common_dialogs.h"

#include "platform/desktop/modal_owner.h"

#include <algorithm>

#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"

namespace svx {

namespace {

constexpr UINT kTakeAnswer = WM_USER + 0x220;  // the dialog's own: look for its answer

DWORD g_extendedError = 0;

}  // namespace

void ColorDialogProvider::reset() {
  responses_.clear();
  sessions_.clear();
  openStack_.clear();
  g_extendedError = 0;
}

const ColorDialogSession* ColorDialogProvider::openSession() const {
  return openStack_.empty() ? nullptr : &sessions_[openStack_.back()];
}

bool ColorDialogProvider::takeQueued(std::size_t index, CHOOSECOLORA& cc) {
  ColorDialogSession& s = sessions_[index];
  if (s.answered || responses_.empty()) return false;
  const ColorDialogResponse r = std::move(responses_.front());
  responses_.pop_front();
  s.answered = true;
  s.result = r.color;
  if (r.color) {
    cc.rgbResult = *r.color & 0xFFFFFF;
    s.result = cc.rgbResult;
    if ((s.flags & CC_PREVENTFULLOPEN) == 0) {
      for (const auto& [entry, colour] : r.customColors)
        if (entry < kCustomColorCount) cc.lpCustColors[entry] = colour & 0xFFFFFF;
    }
  }
  return true;
}

BOOL ColorDialogProvider::choose(CHOOSECOLORA& cc) {
  Desktop& d = desktop();
  g_extendedError = 0;
  if (cc.lStructSize != kChooseColorSize) {
    g_extendedError = CDERR_STRUCTSIZE;
    return 0;
  }
  if (!cc.lpCustColors) {
    g_extendedError = CDERR_INITIALIZATION;
    return 0;
  }
  if (cc.hwndOwner != 0 && !d.find(cc.hwndOwner)) {
    g_extendedError = CDERR_DIALOGFAILURE;
    return 0;
  }
  const HWND owner = cc.hwndOwner ? d.rootOf(cc.hwndOwner) : 0;
  const std::size_t index = sessions_.size();
  {
    ColorDialogSession s;
    s.owner = owner;
    s.flags = cc.Flags;
    s.initialColor = (cc.Flags & CC_RGBINIT) != 0 ? cc.rgbResult & 0xFFFFFF : 0;
    std::copy_n(cc.lpCustColors, kCustomColorCount, s.customColorsShown.begin());
    s.open = true;
    sessions_.push_back(s);
  }

  WindowSpec spec;
  spec.className = "SvxColorDialog";
  spec.caption = "Color";
  spec.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  spec.owner = owner;
  spec.handler = [this, index, &cc](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
    if (msg == kTakeAnswer) takeQueued(index, cc);
    return 0;
  };
  const HWND dialog = d.createWindow(spec);
  sessions_[index].dialog = dialog;
  openStack_.push_back(index);

  const DisabledOwner disabledOwner(owner);  // enabled again after the window goes
  struct Close {
    ColorDialogProvider& self;
    std::size_t index;
    ~Close() {
      ColorDialogSession& s = self.sessions_[index];
      // Gone without an answer (its window destroyed, or the loop failed):
      // cancelled.
      if (!s.answered) {
        s.answered = true;
        s.result.reset();
      }
      s.open = false;
      std::erase(self.openStack_, index);
      DestroyWindow(s.dialog);
    }
  } close{*this, index};
  d.showWindow(dialog, SW_SHOW);
  PostMessageA(dialog, kTakeAnswer, 0, 0);

  messageLoop().runModalLoop(
      [this, index, dialog] { return sessions_[index].answered || !desktop().find(dialog); },
      [this, index, &cc] {
        // Idle: an answer queued meanwhile is taken; nobody is there to
        // answer: the user cancels.
        ColorDialogSession& s = sessions_[index];
        if (s.answered) return false;
        if (takeQueued(index, cc)) return true;
        s.answered = true;
        s.result.reset();
        return true;
      });
  return sessions_[index].result ? 1 : 0;
}

ColorDialogProvider& colorDialogs() {
  static ColorDialogProvider instance;
  return instance;
}

BOOL ChooseColorA(CHOOSECOLORA* lpcc) {
  if (!lpcc) {
    g_extendedError = CDERR_INITIALIZATION;
    return 0;
  }
  return colorDialogs().choose(*lpcc);
}

DWORD CommDlgExtendedError() { return g_extendedError; }

void SetCommDlgExtendedError(DWORD error) { g_extendedError = error; }

}  // namespace svx
