// The common font dialog: ChooseFontW with LOGFONTW, and GetDeviceCaps.
//
// The structures travel in their wide form; the face name field holds 31
// characters and a NUL. Heights are in logical units of the device context:
// a positive lfHeight is the font's cell height, a negative one its character
// height; the dialog returns a negative character height.
//
// The dialog is a form of the runtime (CommonDialogWindow) owned by
// hwndOwner's top-level window: the face list, the styles (Regular, Italic,
// Bold, Bold Italic), the sizes, with CF_EFFECTS strikeout, underline and
// the colour, a sample drawn in the chosen font, OK and Cancel. Faces are the
// installed font families (fontconfig; fixed-pitch ones only with
// CF_FIXEDPITCHONLY, TrueType ones only with CF_TTONLY) and the faces the
// forms name, which draw through their substitutes; a family whose name does
// not fit the face name field is not listed. CF_INITTOLOGFONTSTRUCT opens the
// dialog on the LOGFONT's face, size and style. OK refuses a face the dialog
// does not list and a size that is no number from 1 to 1638 (or outside
// nSizeMin..nSizeMax with CF_LIMITSIZE), leaving the dialog open.
//
// Answers come from fontDialogs(): a queue of what the user picks and then
// confirms, one per dialog shown; an answer the dialog refuses is recorded
// and the next queued one is taken; with none left the user cancels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop/dialog_provider.h"
#include "platform/desktop/win32.h"

namespace svx {

class CommonDialogWindow;

using HDC = int32_t;
using WORD = uint16_t;
using BYTE = uint8_t;

// GetDeviceCaps indexes.
inline constexpr int LOGPIXELSX = 88;
inline constexpr int LOGPIXELSY = 90;

// A window's device context (its handle serves as one).
HDC GetDC(HWND hwnd);
// LOGPIXELSX/LOGPIXELSY of a window's device context: the screen's 96; 0 for
// any other context or index.
int GetDeviceCaps(HDC hdc, int index);

inline constexpr DWORD CF_SCREENFONTS = 0x1;
inline constexpr DWORD CF_PRINTERFONTS = 0x2;
inline constexpr DWORD CF_INITTOLOGFONTSTRUCT = 0x40;
inline constexpr DWORD CF_EFFECTS = 0x100;
inline constexpr DWORD CF_NOVECTORFONTS = 0x800;
inline constexpr DWORD CF_LIMITSIZE = 0x2000;
inline constexpr DWORD CF_FIXEDPITCHONLY = 0x4000;
inline constexpr DWORD CF_TTONLY = 0x40000;

// nFontType bits.
inline constexpr WORD BOLD_FONTTYPE = 0x100;
inline constexpr WORD ITALIC_FONTTYPE = 0x200;
inline constexpr WORD REGULAR_FONTTYPE = 0x400;
inline constexpr WORD SCREEN_FONTTYPE = 0x2000;

// CommDlgExtendedError codes of the font dialog.
inline constexpr DWORD CFERR_NOFONTS = 0x2001;
inline constexpr DWORD CFERR_MAXLESSTHANMIN = 0x2002;

inline constexpr std::size_t LF_FACESIZE = 32;

struct LOGFONTW {
  LONG lfHeight = 0;
  LONG lfWidth = 0;
  LONG lfEscapement = 0;
  LONG lfOrientation = 0;
  LONG lfWeight = 0;
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  BYTE lfStrikeOut = 0;
  BYTE lfCharSet = 0;
  BYTE lfOutPrecision = 0;
  BYTE lfClipPrecision = 0;
  BYTE lfQuality = 0;
  BYTE lfPitchAndFamily = 0;
  char16_t lfFaceName[LF_FACESIZE] = {};
};

struct CHOOSEFONTW {
  DWORD lStructSize = 0;  // must be kChooseFontSize
  HWND hwndOwner = 0;
  HDC hDC = 0;
  LOGFONTW* lpLogFont = nullptr;
  int32_t iPointSize = 0;  // tenths of a point, set by the dialog
  DWORD Flags = 0;
  COLORREF rgbColors = 0;
  LPARAM lCustData = 0;
  void* lpfnHook = nullptr;
  const char16_t* lpTemplateName = nullptr;
  int32_t hInstance = 0;
  char16_t* lpszStyle = nullptr;
  WORD nFontType = 0;
  int32_t nSizeMin = 0;
  int32_t nSizeMax = 0;
};

// The structure's size in the interface the callers were written for.
inline constexpr DWORD kChooseFontSize = 60;

// What a scripted user picks, then confirms with OK: each field left empty
// keeps what the dialog showed. The size is the text typed in the size box.
struct FontDialogAnswer {
  bool cancel = false;
  std::optional<std::u16string> face;
  std::optional<std::u16string> size;
  std::optional<int32_t> weight;  // 400 or 700
  std::optional<bool> italic;
  std::optional<bool> underline;
  std::optional<bool> strikeOut;
  std::optional<COLORREF> color;
};

struct FontDialogSession {
  HWND dialog = 0;
  HWND owner = 0;
  DWORD structSize = 0;
  DWORD flags = 0;
  HDC hdc = 0;
  int pixelsPerInch = 0;
  LOGFONTW logFontIn;  // as passed
  COLORREF colorIn = 0;
  std::vector<std::u16string> faces;  // listed
  std::u16string faceShown;
  std::u16string sizeShown;
  std::vector<std::u16string> refused;  // what was refused, and why
  bool open = false;
  bool confirmed = false;
  DWORD extendedError = 0;
  CommonDialogWindow* window = nullptr;  // while open
};

class FontDialogProvider : public DialogProvider<FontDialogAnswer, FontDialogSession> {
 public:
  void queueOk() { queue(FontDialogAnswer{}); }
  void queueCancel() {
    FontDialogAnswer cancel;
    cancel.cancel = true;
    queue(std::move(cancel));
  }

  BOOL choose(CHOOSEFONTW& cf);

 private:
  friend class FontDialogWindow;
};

FontDialogProvider& fontDialogs();

// Nonzero when the user chose a font (the structures then hold it), 0 when
// cancelled or failed (CommDlgExtendedError tells which).
BOOL ChooseFontW(CHOOSEFONTW* cf);

// The faces the dialog lists for these flags, sorted.
std::vector<std::u16string> fontDialogFaces(DWORD flags);

}  // namespace svx
