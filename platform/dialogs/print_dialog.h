// The common print dialog: PrintDlgA with PRINTDLG and DEVMODE.
//
// The dialog is a common dialog window (frmPrintDialog, kind "Print"): the
// installed printers in a list, the print range (all, pages from-to,
// selection; the first page not above the last), the number of copies,
// collate and print to file, OK and Cancel. It is modal: its owner (the
// top-level window of hwndOwner) is disabled while it is open, and the
// message loop runs until it is answered.
//
// Answers come from printDialogs(): a queue of what the user does, one per
// dialog, taken when the dialog opens or while it is open. A queued answer is
// carried out on the form as a user would (choosing the printer, clicking the
// range, typing the numbers, clicking the boxes and OK); an entry the dialog
// refuses (a page outside nMinPage..nMaxPage, copies outside 1..9999) is
// told in a message box and leaves it open. When nothing is queued the user
// cancels, unless the dialog is on a screen where a person answers it. Every
// dialog shown is recorded.
//
// Under the printer's name the dialog shows the chosen queue's status
// ("Ready", "Printing", or "Stopped: " and the scheduler's reason), its type
// (make and model), where it is and its comment, anew when another printer
// is chosen.
//
// With no printer installed (or none the scheduler reports) the dialog is not
// shown: a warning box (kNoPrinterWarning; none with PD_NOWARNING) is, then
// PrintDlgA returns 0 and CommDlgExtendedError() PDERR_NODEFAULTPRN.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/automation/variant.h"
#include "platform/desktop/dialog_provider.h"
#include "platform/desktop/win32.h"

namespace svx {

class CommonDialogWindow;

inline constexpr DWORD PD_ALLPAGES = 0x0;
inline constexpr DWORD PD_SELECTION = 0x1;
inline constexpr DWORD PD_PAGENUMS = 0x2;
inline constexpr DWORD PD_NOSELECTION = 0x4;
inline constexpr DWORD PD_NOPAGENUMS = 0x8;
inline constexpr DWORD PD_COLLATE = 0x10;
inline constexpr DWORD PD_PRINTTOFILE = 0x20;
inline constexpr DWORD PD_NOWARNING = 0x80;
inline constexpr DWORD PD_RETURNDC = 0x100;
inline constexpr DWORD PD_USEDEVMODECOPIESANDCOLLATE = 0x40000;
inline constexpr DWORD PD_DISABLEPRINTTOFILE = 0x80000;
inline constexpr DWORD PD_HIDEPRINTTOFILE = 0x100000;

inline constexpr DWORD PDERR_NODEFAULTPRN = 0x1008;

// The warning shown when there is no printer (in a box titled "Print").
inline constexpr const char16_t* kNoPrinterWarning = u"No printers are installed.";

// The device-name field's width: a shorter name is padded with NULs to it; a
// longer one is kept whole (the scheduler's names may be longer).
inline constexpr std::size_t CCHDEVICENAME = 32;

using HDC = int32_t;

struct DEVMODEA {
  std::string dmDeviceName;  // UTF-8, NUL-padded to CCHDEVICENAME
  int16_t dmCopies = 1;
  int16_t dmCollate = 0;  // 1: collate
  friend bool operator==(const DEVMODEA&, const DEVMODEA&) = default;
};

struct PRINTDLGA {
  DWORD lStructSize = 0;  // must be kPrintDlgSize
  HWND hwndOwner = 0;
  std::shared_ptr<DEVMODEA> hDevMode;  // allocated by the dialog after OK
  HDC hDC = 0;                         // after OK with PD_RETURNDC
  DWORD Flags = 0;
  int16_t nFromPage = 0;
  int16_t nToPage = 0;
  int16_t nMinPage = 0;
  uint16_t nMaxPage = 0;
  int16_t nCopies = 0;
};

inline constexpr DWORD kPrintDlgSize = 66;

// The device a device context returned by the dialog is for ("" when the
// handle is not one).
BStr printerDeviceOfDC(HDC hdc);
// The device mode a device context returned by the dialog prints with: the
// copies and collation chosen in the dialog apply to it (none when the
// handle is not one).
std::optional<DEVMODEA> printerModeOfDC(HDC hdc);

// What a scripted user does in a print dialog: each value set is entered,
// each one left unset keeps what the dialog showed.
struct PrintDialogAnswer {
  bool ok = false;  // false: Cancel
  std::optional<BStr> device;
  std::optional<int32_t> range;  // 0 all, 1 pages, 2 selection
  std::optional<int32_t> fromPage, toPage, copies;
  std::optional<bool> collate, printToFile;
};

struct PrintDialogSession {
  HWND dialog = 0;
  HWND owner = 0;
  DWORD flags = 0;  // as passed
  std::vector<BStr> printers;
  BStr deviceShown;
  bool open = false;
  bool answered = false;
  bool confirmed = false;
  BStr device;  // after OK
  CommonDialogWindow* window = nullptr;  // while open
};

class PrintDialogProvider : public DialogProvider<PrintDialogAnswer, PrintDialogSession> {
 public:
  void queueCancel() { queue(PrintDialogAnswer{}); }

  BOOL print(PRINTDLGA& pd);

 private:
  friend class frmPrintDialog;
  void resetOwn() override;
};

PrintDialogProvider& printDialogs();

// Returns 1 when the user confirmed, 0 when cancelled or failed (the reason
// in CommDlgExtendedError()).
BOOL PrintDlgA(PRINTDLGA* lppd);

}  // namespace svx
