#include "services/cm_dialog.h"

#include <algorithm>

#include "platform/automation/coerce.h"
#include "platform/automation/error.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/forms/form.h"
#include "platform/system/app.h"

namespace svx {

namespace {

BStr trimSpaces(const BStr& s) {
  const auto first = s.find_first_not_of(u' ');
  if (first == BStr::npos) return {};
  return s.substr(first, s.find_last_not_of(u' ') - first + 1);
}

// The form's twin members: one statement shows the dialog; an error in it
// (a conversion) is reported and the file name becomes "".
Variant showFile(Object& self, const Args& a, bool open) {
  Variant& fileName = a[3];
  const ErrorOut out{a[5], a[6]};
  ErrState err;
  Variant result(false);
  out.clear();
  CMDialog dialog;
  err.attempt([&] {
    const int32_t owner = a[4].isMissing() ? static_cast<int32_t>(dynamic_cast<Form&>(self).hWnd()) : toI4(a[4]);
    const int32_t instance = app().hInstance();
    const BStr dir = toBStr(a[0]);
    const BStr filter = toBStr(a[1]);
    const BStr title = toBStr(a[2]);
    const int32_t r = open ? dialog.OpenFileDialog(owner, instance, dir, filter, title)
                           : dialog.SaveFileDialog(owner, instance, dir, filter, title);
    result = Variant(r != 0);
  });
  if (err.pending()) {
    out.report(err);
    err.clear();
    fileName.assign(Variant(u""));
    return result;
  }
  const BStr& name = dialog.Name();
  const auto nul = name.find(u'\0');
  fileName.assign(Variant(trimSpaces(nul == BStr::npos ? name : name.substr(0, nul))));
  return result;
}

}  // namespace

int32_t CMDialog::OpenFileDialog(int32_t lngFormHwnd, int32_t lngAppInstance, const BStr& strInitDir,
                                 const BStr& strFileFilter, const BStr& strDialogTitle) {
  return show(true, lngFormHwnd, lngAppInstance, strInitDir, strFileFilter, strDialogTitle);
}

int32_t CMDialog::SaveFileDialog(int32_t lngFormHwnd, int32_t lngAppInstance, const BStr& strInitDir,
                                 const BStr& strFileFilter, const BStr& strDialogTitle) {
  return show(false, lngFormHwnd, lngAppInstance, strInitDir, strFileFilter, strDialogTitle);
}

int32_t CMDialog::show(bool open, int32_t owner, int32_t instance, const BStr& dir, const BStr& filter,
                       const BStr& title) {
  // The filter goes as it is: its own NUL (and the one after it) end the list.
  BStr filterList = filter;
  filterList.push_back(u'\0');
  std::vector<char16_t> file(kFileBuffer, u'\0');
  std::vector<char16_t> fileTitle(kFileBuffer, u'\0');
  OPENFILENAMEW ofn;
  ofn.lStructSize = kOpenFileNameSize;
  ofn.hwndOwner = owner;
  ofn.hInstance = instance;
  ofn.lpstrFilter = filterList.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = kMaxFile;
  ofn.lpstrFileTitle = fileTitle.data();
  ofn.nMaxFileTitle = kMaxFile;
  ofn.lpstrInitialDir = dir.c_str();
  ofn.lpstrTitle = title.c_str();
  ofn.Flags = 0;
  const BOOL r = open ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
  if (r != 0) {
    name_ = trimSpaces(BStr(file.data(), file.size()));
    status_ = true;
  } else {
    name_.clear();
    status_ = false;
  }
  return r;
}

std::vector<ParamInfo> commonDialogShowFileParams(BStrView fileParameter) {
  return {ref(u"strInitDir"),   ref(u"strFileFilter"), ref(u"strDialogTitle"), ref(BStr(fileParameter)),
          refOpt(u"lnghWnd"), refOpt(u"ErrNumber"),  refOpt(u"ErrDescription")};
}

Variant CommonDialogShowOpen(Object& self, const Args& a) { return showFile(self, a, true); }
Variant CommonDialogShowSave(Object& self, const Args& a) { return showFile(self, a, false); }

}  // namespace svx
