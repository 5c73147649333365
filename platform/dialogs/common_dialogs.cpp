#include "platform/dialogs/common_dialogs.h"

#include "platform/desktop/modal_owner.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/desktop/desktop.h"
#include "platform/desktop/display.h"
#include "platform/desktop/display_messages.h"
#include "platform/desktop/message_loop.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"
#include "platform/system/screen.h"

namespace svx {

namespace {

constexpr UINT kTakeAnswer = WM_USER + 0x220;  // the dialog's own: look for its answer

DWORD g_extendedError = 0;

// What a person sees of the colour dialog (pixels of its client area): the
// basic colours, the custom colours, the colour chosen, OK and Cancel.
constexpr int kDialogWidth = 308, kDialogHeight = 268;  // with the frame
constexpr int kCell = 20, kPitchX = 24, kPitchY = 20, kGridX = 10, kGridY = 26;
constexpr int kColumns = 8, kBasicRows = 6;
constexpr int kCustomY = kGridY + kBasicRows * kPitchY + 22;
constexpr int kButtonX = 216, kButtonW = 75, kButtonH = 23;
constexpr int kOkY = 170, kCancelY = 200;

COLORREF basicColour(int index) {
  // Eight hues by column; light, full, deeper, dark and darker rows, then greys.
  static constexpr int hues[kColumns] = {0, 30, 60, 120, 180, 210, 270, 300};
  const int row = index / kColumns, column = index % kColumns;
  if (row == kBasicRows - 1) {
    const int v = 255 - column * 255 / (kColumns - 1);
    return static_cast<COLORREF>(v | (v << 8) | (v << 16));
  }
  static constexpr double saturation[] = {0.45, 1, 1, 1, 1}, value[] = {1, 1, 0.8, 0.55, 0.3};
  const double h = hues[column] / 60.0, sat = saturation[row], val = value[row];
  const double c = val * sat, x = c * (1 - std::abs(std::fmod(h, 2) - 1)), m = val - c;
  double r = 0, g = 0, b = 0;
  switch (static_cast<int>(h)) {
    case 0: r = c, g = x; break;
    case 1: r = x, g = c; break;
    case 2: g = c, b = x; break;
    case 3: g = x, b = c; break;
    case 4: r = x, b = c; break;
    default: r = c, b = x; break;
  }
  auto byte = [m](double v) { return static_cast<COLORREF>(std::lround((v + m) * 255)); };
  return byte(r) | (byte(g) << 8) | (byte(b) << 16);
}

struct CellAt {
  int index = -1;   // 0..47 basic, 48..63 custom
};

CellAt cellAt(int x, int y) {
  auto column = [&](int px) { return (px - kGridX) % kPitchX < kCell && px >= kGridX ? (px - kGridX) / kPitchX : -1; };
  const int c = column(x);
  if (c < 0 || c >= kColumns) return {};
  if (y >= kGridY && y < kGridY + kBasicRows * kPitchY && (y - kGridY) % kPitchY < kPitchY - 2)
    return {((y - kGridY) / kPitchY) * kColumns + c};
  if (y >= kCustomY && y < kCustomY + 2 * kPitchY && (y - kCustomY) % kPitchY < kPitchY - 2)
    return {kBasicRows * kColumns + ((y - kCustomY) / kPitchY) * kColumns + c};
  return {};
}

RenderRect twipsRect(int x, int y, int w, int h) {
  return {pixelsToTwips(x), pixelsToTwips(y), pixelsToTwips(w), pixelsToTwips(h)};
}

}  // namespace

// A person at the colour dialog: the colour chosen and the button held.
struct ColorDialogPerson {
  COLORREF chosen = 0;
  int pressed = 0;  // 1 OK, 2 Cancel
};

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
  {
    const Screen& sc = screen();
    const int sw = static_cast<int>(sc.width() / sc.twipsPerPixelX());
    const int sh = static_cast<int>(sc.height() / sc.twipsPerPixelY());
    spec.rect = {(sw - kDialogWidth) / 2, (sh - kDialogHeight) / 2, kDialogWidth, kDialogHeight};
  }
  auto person = std::make_shared<ColorDialogPerson>();
  person->chosen = sessions_[index].initialColor;
  spec.handler = [this, index, &cc, person](HWND, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (msg == kTakeAnswer) takeQueued(index, cc);
    if (sessions_[index].answered) return 0;
    return personAt(index, cc, *person, msg, wParam, lParam);
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
        if (display().shows(s.dialog)) return false;  // a person at the screen answers it
        s.answered = true;
        s.result.reset();
        return true;
      });
  return sessions_[index].result ? 1 : 0;
}

LRESULT ColorDialogProvider::personAt(std::size_t index, CHOOSECOLORA& cc, ColorDialogPerson& person, UINT msg,
                                      WPARAM wParam, LPARAM lParam) {
  ColorDialogSession& s = sessions_[index];
  auto finish = [&](bool ok) {
    s.answered = true;
    s.result.reset();
    if (!ok) return;
    cc.rgbResult = person.chosen & 0xFFFFFF;
    s.result = cc.rgbResult;
  };
  const auto [x, y] = unpackPoint(lParam);
  auto button = [&](int px, int py) {
    if (px < kButtonX || px >= kButtonX + kButtonW) return 0;
    if (py >= kOkY && py < kOkY + kButtonH) return 1;
    if (py >= kCancelY && py < kCancelY + kButtonH) return 2;
    return 0;
  };
  auto colourOf = [&](int cell) {
    return cell < kBasicRows * kColumns ? basicColour(cell)
                                        : s.customColorsShown[static_cast<std::size_t>(cell - kBasicRows * kColumns)];
  };
  switch (msg) {
    case WM_PRINTCLIENT: {
      if (!lParam) return 0;
      RenderItem& root = *reinterpret_cast<RenderItem*>(lParam);
      root = dialogBoxPicture(twipsRect(0, 0, kDialogWidth - 8, kDialogHeight - 28), u"Color");
      auto label = [&](const char16_t* text, int ly) {
        RenderItem l;
        l.kind = RenderKind::Label;
        l.rect = twipsRect(kGridX, ly, 190, 16);
        l.text = text;
        l.border = false;
        l.transparent = true;
        root.children.push_back(l);
      };
      label(u"Basic colors:", 6);
      label(u"Custom colors:", kCustomY - 20);
      for (int cell = 0; cell < (kBasicRows + 2) * kColumns; ++cell) {
        const bool custom = cell >= kBasicRows * kColumns;
        const int row = custom ? (cell - kBasicRows * kColumns) / kColumns : cell / kColumns;
        RenderItem box;
        box.kind = RenderKind::Shape;
        box.rect = twipsRect(kGridX + (cell % kColumns) * kPitchX, (custom ? kCustomY : kGridY) + row * kPitchY, kCell,
                             kPitchY - 2);
        box.filled = true;
        box.backColor = colourOf(cell) & 0xFFFFFF;
        box.foreColor = (colourOf(cell) & 0xFFFFFF) == (person.chosen & 0xFFFFFF) ? 0x000000 : 0x808080;
        box.lineWidth = (colourOf(cell) & 0xFFFFFF) == (person.chosen & 0xFFFFFF) ? 2 : 1;
        root.children.push_back(box);
      }
      RenderItem preview;
      preview.kind = RenderKind::Shape;
      preview.rect = twipsRect(kButtonX, kGridY, kButtonW, 60);
      preview.filled = true;
      preview.backColor = person.chosen & 0xFFFFFF;
      preview.foreColor = 0x000000;
      root.children.push_back(preview);
      for (int b = 1; b <= 2; ++b) {
        RenderItem cmd;
        cmd.kind = RenderKind::CommandButton;
        cmd.rect = twipsRect(kButtonX, b == 1 ? kOkY : kCancelY, kButtonW, kButtonH);
        cmd.text = b == 1 ? u"OK" : u"Cancel";
        cmd.isDefault = b == 1;
        root.children.push_back(cmd);
      }
      return 1;
    }
    case WM_LBUTTONDOWN:
      if (const CellAt c = cellAt(x, y); c.index >= 0) person.chosen = colourOf(c.index) & 0xFFFFFF;
      person.pressed = button(x, y);
      return 0;
    case WM_LBUTTONUP:
      if (const int b = button(x, y); b != 0 && b == std::exchange(person.pressed, 0)) finish(b == 1);
      return 0;
    case WM_KEYDOWN:
      if (wParam == 13) finish(true);
      if (wParam == 27) finish(false);
      return 0;
    case WM_CLOSE:
      finish(false);
      return 0;
    default:
      return 0;
  }
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
