#include "services/mod_cd_print.h"

#include "platform/automation/coerce.h"
#include "platform/automation/error.h"
#include "platform/forms/form.h"

namespace svx {

int32_t LastPrintDlgResult = 0;
DEVMODEA PrinterDevMode;

namespace {

constexpr DWORD kFlagsThatReachTheDialog = 0xFFF;

}  // namespace

BStr TrimTrailingChars(const BStr& text, const std::vector<Variant>& chars) {
  size_t end = text.size();
  auto matches = [&](char16_t c) {
    for (const Variant& v : chars)
      if (toBStr(v) == BStrView(&c, 1)) return true;
    return false;
  };
  while (end > 0 && matches(text[end - 1])) --end;
  return text.substr(0, end);
}

bool ShowPrinterDialog(int32_t& hDC, BStr& deviceName, int32_t& printRange, bool disablePageNumbers,
                       int32_t& fromPage, int32_t& toPage, bool disableSelection, int16_t& copies,
                       bool showPrintToFile, bool disablePrintToFile, bool& printToFile, bool& collate,
                       bool preventWarning, int32_t owner) {
  LastPrintDlgResult = 0;
  deviceName.clear();
  DWORD flags = 0;
  if (disablePageNumbers) flags |= PD_NOPAGENUMS;
  if (disablePrintToFile) flags |= PD_DISABLEPRINTTOFILE;
  if (disableSelection) flags |= PD_NOSELECTION;
  if (printToFile) flags |= PD_PRINTTOFILE;
  if (!showPrintToFile) flags |= PD_HIDEPRINTTOFILE;
  if (preventWarning) flags |= PD_NOWARNING;
  if (collate) flags |= PD_COLLATE;
  flags |= PD_USEDEVMODECOPIESANDCOLLATE | PD_RETURNDC;
  if (printRange == 1) flags |= PD_PAGENUMS;
  else if (printRange == 2) flags |= PD_SELECTION;

  PRINTDLGA pd;
  pd.lStructSize = kPrintDlgSize;
  pd.hwndOwner = owner;
  pd.Flags = flags & kFlagsThatReachTheDialog;
  pd.nFromPage = toI2(Variant(fromPage));
  pd.nToPage = toI2(Variant(toPage));
  pd.nMinPage = 1;
  pd.nMaxPage = 0xFFFF;
  pd.nCopies = 0;
  LastPrintDlgResult = static_cast<int16_t>(PrintDlgA(&pd));
  if (LastPrintDlgResult != 1) return false;

  hDC = pd.hDC;
  printRange = (pd.Flags & PD_PAGENUMS) ? 1 : (pd.Flags & PD_SELECTION) ? 2 : 0;
  fromPage = pd.nFromPage;
  toPage = pd.nToPage;
  printToFile = (pd.Flags & PD_PRINTTOFILE) != 0;
  if (pd.hDevMode) PrinterDevMode = *pd.hDevMode;
  deviceName = TrimTrailingChars(utf16(PrinterDevMode.dmDeviceName), {Variant(BStr(1, u'\0'))});
  copies = pd.nCopies;
  collate = (pd.Flags & PD_COLLATE) != 0;
  return true;
}

std::vector<ParamInfo> commonDialogShowPrinterParams() {
  return {refOpt(u"lnghDC"),          refOpt(u"strDeviceName"),       refOpt(u"bytePrintRange"),
          refOpt(u"boolDisablePageNumbers"), refOpt(u"lngFromPage"), refOpt(u"lngToPage"),
          refOpt(u"boolDisableSelection"),   refOpt(u"intCopies"),   refOpt(u"boolShowPrintToFile"),
          refOpt(u"boolDisablePrintToFile"), refOpt(u"boolPrintToFile"), refOpt(u"boolCollate"),
          refOpt(u"boolPreventWarning"),     refOpt(u"lnghWnd"),     refOpt(u"ErrNumber"),
          refOpt(u"ErrDescription")};
}

Variant CommonDialogShowPrinter(Object& self, const Args& a) {
  Variant& lnghDC = a[0];
  Variant& strDeviceName = a[1];
  Variant& bytePrintRange = a[2];
  Variant& lngFromPage = a[4];
  Variant& lngToPage = a[5];
  Variant& intCopies = a[7];
  Variant& boolPrintToFile = a[10];
  Variant& boolCollate = a[11];
  const ErrorOut out{a[14], a[15]};
  bool result = false;
  out.clear();
  reportMode(out, [&] {
    auto flag = [](const Variant& v, bool missing) { return v.isMissing() ? missing : toBool(v); };
    int32_t range = bytePrintRange.isMissing() ? 0 : toUI1(bytePrintRange);
    const bool disablePages = flag(a[3], false);
    int32_t from = lngFromPage.isMissing() ? 1 : toI4(lngFromPage);
    int32_t to = lngToPage.isMissing() ? 1 : toI4(lngToPage);
    const bool disableSelection = flag(a[6], false);
    int16_t copies = intCopies.isMissing() ? 1 : toI2(intCopies);
    const bool showToFile = flag(a[8], true);
    const bool disableToFile = flag(a[9], false);
    bool toFile = flag(boolPrintToFile, false);
    bool collate = flag(boolCollate, false);
    const bool preventWarning = flag(a[12], false);
    const int32_t owner = a[13].isMissing() ? dynamic_cast<Form&>(self).hWnd() : toI4(a[13]);
    int32_t hdc = 0;
    BStr device;
    result = ShowPrinterDialog(hdc, device, range, disablePages, from, to, disableSelection, copies, showToFile,
                               disableToFile, toFile, collate, preventWarning, owner);
    if (!lnghDC.isMissing()) lnghDC.assign(Variant(hdc));
    if (!strDeviceName.isMissing()) strDeviceName.assign(Variant(device));
    if (!bytePrintRange.isMissing()) bytePrintRange.assign(Variant::ui1(static_cast<uint8_t>(range)));
    if (!lngFromPage.isMissing()) lngFromPage.assign(Variant(from));
    if (!lngToPage.isMissing()) lngToPage.assign(Variant(to));
    if (!intCopies.isMissing()) intCopies.assign(Variant::i2(copies));
    if (!boolPrintToFile.isMissing()) boolPrintToFile.assign(Variant(toFile));
    if (!boolCollate.isMissing()) boolCollate.assign(Variant(collate));
  });
  return Variant(result);
}

}  // namespace svx
