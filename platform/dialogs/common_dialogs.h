// The common colour dialog: ChooseColorA and CommDlgExtendedError.
//
// The dialog is a form of the runtime (CommonDialogWindow), modal to
// hwndOwner's top-level window: the basic colours and the custom colours (two
// grids of cells), the colour chosen, "Define Custom Colors >>", OK and
// Cancel; and, once defined colours are asked for (that button, or
// CC_FULLOPEN; never with CC_PREVENTFULLOPEN), the part that defines a
// colour: a spectrum of hue and saturation, a bar of luminosity, the fields
// Hue, Sat, Lum (0..240) and Red, Green, Blue (0..255), and "Add to Custom
// Colors", which puts the colour into the custom cell with the focus and
// into lpCustColors at once.
//
// A person clicks a cell, or moves among the cells of a grid with the arrow
// keys (the cell moved to is chosen) and chooses with Space; Tab moves
// between the dialog's parts; Enter is OK, which returns the colour chosen,
// Esc and the close box cancel.
//
// Answers come from colorDialogs(): a queue of what the user does, taken in
// order, one per dialog, while it is open; when nothing is queued and nothing
// else is pending, the user cancels, unless a display shows the dialog to a
// person. A confirmed answer may also change custom colours, which are
// written into lpCustColors (not when the dialog has CC_PREVENTFULLOPEN:
// then custom colours cannot be defined). Every dialog shown is recorded,
// with what was passed and how it ended.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

#include "platform/desktop/dialog_provider.h"
#include "platform/desktop/win32.h"

namespace svx {

class CommonDialogWindow;

inline constexpr DWORD CC_RGBINIT = 0x1;
inline constexpr DWORD CC_FULLOPEN = 0x2;
inline constexpr DWORD CC_PREVENTFULLOPEN = 0x4;
inline constexpr DWORD CC_SOLIDCOLOR = 0x80;
inline constexpr DWORD CC_ANYCOLOR = 0x100;

// CommDlgExtendedError codes.
inline constexpr DWORD CDERR_DIALOGFAILURE = 0xFFFF;
inline constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
inline constexpr DWORD CDERR_INITIALIZATION = 0x0002;

inline constexpr std::size_t kCustomColorCount = 16;

struct CHOOSECOLORA {
  DWORD lStructSize = 0;  // must be kChooseColorSize
  HWND hwndOwner = 0;
  HWND hInstance = 0;
  COLORREF rgbResult = 0;
  COLORREF* lpCustColors = nullptr;  // 16 entries
  DWORD Flags = 0;
  LPARAM lCustData = 0;
  void* lpfnHook = nullptr;
  const char* lpTemplateName = nullptr;
};

// The structure's size in the interface the callers were written for.
inline constexpr DWORD kChooseColorSize = 36;

// What a scripted user does in a colour dialog.
struct ColorDialogAnswer {
  std::optional<COLORREF> color;                               // nullopt: Cancel
  std::vector<std::pair<std::size_t, COLORREF>> customColors;  // (entry 0..15, colour) defined by the user
};

struct ColorDialogSession {
  HWND dialog = 0;
  HWND owner = 0;
  DWORD flags = 0;
  COLORREF initialColor = 0;  // rgbResult when CC_RGBINIT, else black
  std::array<COLORREF, kCustomColorCount> customColorsShown{};
  bool open = false;
  bool answered = false;
  std::optional<COLORREF> result;  // nullopt: cancelled
  CommonDialogWindow* window = nullptr;  // while open
};

class ColorDialogProvider : public DialogProvider<ColorDialogAnswer, ColorDialogSession> {
 public:
  void queueAnswer(COLORREF color) { queue(ColorDialogAnswer{color, {}}); }
  void queueCancel() { queue(ColorDialogAnswer{}); }

  BOOL choose(CHOOSECOLORA& cc);

 private:
  friend class ColorDialogWindow;
  void resetOwn() override;
};

ColorDialogProvider& colorDialogs();

// The colour dialog's 48 basic colours, row by row (8 a row).
COLORREF colourDialogBasicColour(int index);

// Returns 1 when the user confirmed (rgbResult then holds the colour chosen),
// 0 when cancelled or failed. A bad lStructSize, a null lpcc or lpCustColors,
// or an owner that is not a window fails without a dialog.
BOOL ChooseColorA(CHOOSECOLORA* lpcc);
// The reason of the last failure of a common dialog, 0 after a success or a
// cancel.
DWORD CommDlgExtendedError();
// Records the reason of a common dialog's failure (0: none).
void SetCommDlgExtendedError(DWORD error);

}  // namespace svx
