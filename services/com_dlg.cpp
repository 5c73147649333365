#include "services/com_dlg.h"

#include <algorithm>

#include "platform/automation/coerce.h"
#include "platform/automation/error.h"
#include "platform/automation/safearray.h"
#include "platform/desktop/win32.h"
#include "platform/forms/form.h"

namespace svx {

namespace {

BStr trimSpaces(const BStr& s) {
  const auto first = s.find_first_not_of(u' ');
  if (first == BStr::npos) return {};
  return s.substr(first, s.find_last_not_of(u' ') - first + 1);
}

std::vector<BStr> splitAt(const BStr& s, char16_t separator) {
  std::vector<BStr> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = s.find(separator, start);
    parts.push_back(s.substr(start, at == BStr::npos ? BStr::npos : at - start));
    if (at == BStr::npos) return parts;
    start = at + 1;
  }
}

}  // namespace

ComDlg::ComDlg() { ofn_.Flags |= OFN_EXPLORER | OFN_LONGNAMES | OFN_HIDEREADONLY; }

void ComDlg::letFilter(Variant& vFilter) {
  const Variant& given = vFilter.deref();
  if (given.isArray()) {
    const SafeArray* items = given.asArray();
    if (!items || items->dimensions() != 1) raise(err::InvalidProcedureCall);
    BStr joined;
    for (int64_t i = items->lbound(); i <= items->ubound(); ++i) {
      if (i > items->lbound()) joined.push_back(u'\0');
      joined += toBStr(items->get(static_cast<int32_t>(i)));
    }
    vFilter.assign(Variant(joined));
  }
  BStr text = toBStr(vFilter);
  std::replace(text.begin(), text.end(), u'|', u'\0');
  text.push_back(u'\0');
  filter_ = std::move(text);
}

Variant ComDlg::Filter() const {
  if (ofn_.nFilterIndex == 0) return Variant();
  const std::vector<BStr> parts = splitAt(filter_, u'\0');
  const std::size_t description = 2 * static_cast<std::size_t>(ofn_.nFilterIndex) - 2;
  if (description + 1 >= parts.size()) raise(err::SubscriptOutOfRange);
  return Variant(parts[description] + u"|" + parts[description + 1]);
}

void ComDlg::letFilename(const BStr& sFileName) {
  if (sFileName.size() < kSingleBuffer) file_ = sFileName;
}

void ComDlg::letExtension(const BStr& sDefExt) {
  BStr ext;
  for (char16_t c : sDefExt)
    if (c != u'.') ext.push_back(c);
  ext = ext.substr(0, 3);
  for (char16_t& c : ext)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  defExt_ = std::move(ext);
}

Collection& ComDlg::FileNames() {
  if (!fileNames_) fileNames_ = makeRef<Collection>();
  return *fileNames_;
}

Collection& ComDlg::FileTitles() {
  if (!fileTitles_) fileTitles_ = makeRef<Collection>();
  return *fileTitles_;
}

bool ComDlg::ShowOpen(const Variant& lnghWnd) { return toBool(Variant(ShowFileDialog(true, lnghWnd))); }

bool ComDlg::ShowSave() {
  setFlag(OFN_ALLOWMULTISELECT, false);
  setFlag(OFN_PATHMUSTEXIST, true);
  setFlag(OFN_OVERWRITEPROMPT, true);
  return toBool(Variant(ShowFileDialog(false, Variant::missing())));
}

BStr ComDlg::ShowFileDialog(bool bOpen, const Variant& hWnd) {
  ofn_.lStructSize = kOpenFileNameSize;
  ofn_.hwndOwner = hWnd.isMissing() ? GetActiveWindow() : toI4(hWnd);
  if ((ofn_.Flags & OFN_READONLY) != 0) ofn_.Flags &= ~OFN_HIDEREADONLY;
  ofn_.nMaxFile = (ofn_.Flags & OFN_ALLOWMULTISELECT) != 0 ? kMultiSelectBuffer : kSingleBuffer;
  if (file_.size() > ofn_.nMaxFile - 1) raise(err::InvalidProcedureCall);
  file_.resize(ofn_.nMaxFile - 1, u'\0');
  // The platform writes up to nMaxFile characters and a NUL after them.
  std::vector<char16_t> file(file_.begin(), file_.end());
  file.resize(ofn_.nMaxFile + std::size_t{1}, u'\0');
  std::vector<char16_t> title(kSingleBuffer + std::size_t{1}, u'\0');
  ofn_.lpstrFile = file.data();
  ofn_.nMaxFileTitle = kSingleBuffer;
  ofn_.lpstrFileTitle = title.data();
  ofn_.lpstrFilter = filter_.empty() ? nullptr : filter_.c_str();
  ofn_.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
  ofn_.lpstrInitialDir = initDir_.empty() ? nullptr : initDir_.c_str();
  ofn_.lpstrDefExt = defExt_.empty() ? nullptr : defExt_.c_str();
  struct Detach {  // the buffers are the call's own
    OPENFILENAMEW& ofn;
    ~Detach() {
      ofn.lpstrFile = nullptr;
      ofn.lpstrFileTitle = nullptr;
      ofn.lpstrFilter = nullptr;
      ofn.lpstrTitle = nullptr;
      ofn.lpstrInitialDir = nullptr;
      ofn.lpstrDefExt = nullptr;
    }
  } detach{ofn_};
  const BOOL r = bOpen ? GetOpenFileNameW(&ofn_) : GetSaveFileNameW(&ofn_);
  file_.assign(file.data(), file[ofn_.nMaxFile - 1] != u'\0' ? ofn_.nMaxFile : ofn_.nMaxFile - 1);
  const BStr result = r == 0 ? BStr(u"0") : BStr(u"1");
  if (r == 0) return result;

  const BStr withNul = file_ + u'\0';
  const std::size_t end = withNul.find(BStr(2, u'\0'));
  if (end == BStr::npos) return result;
  BStr fileName = withNul.substr(0, end);
  fileTitle_ = BStr(title.data(), std::find(title.begin(), title.end(), u'\0') - title.begin());
  if (ofn_.nFileOffset == 0) raise(err::InvalidProcedureCall);
  directory_ = fileName.substr(0, ofn_.nFileOffset - 1u);
  if (ofn_.nFileExtension != 0) extension_ = fileName.substr(std::min<std::size_t>(ofn_.nFileExtension, fileName.size()));
  if (fileTitle_.empty()) {
    const std::vector<BStr> parts = splitAt(fileName, u'\0');
    if (parts.size() > 1) {
      if (directory_ == u"/") directory_.clear();  // the root: "/" & name
      for (std::size_t i = 1; i < parts.size(); ++i) {
        FileTitles().add(Variant(parts[i]));
        FileNames().add(Variant(parts[i].find(u'/') != BStr::npos ? parts[i] : directory_ + u"/" + parts[i]));
      }
      fileName.clear();
    }
  } else {
    FileTitles().add(Variant(fileName.substr(std::min<std::size_t>(ofn_.nFileOffset, fileName.size()))));
    FileNames().add(Variant(fileName));
  }
  if (directory_.empty()) directory_ = u"/";
  fileName_ = fileName;
  return result;
}

Variant CommonDialogShowMultiOpen(Object& self, const Args& a) {
  Variant& selected = a[3];
  const ErrorOut out{a[5], a[6]};
  ErrState err;
  Variant result = Variant::i2(0);
  out.clear();
  ComDlg dialog;
  err.attempt([&] { dialog.letAllowMultiSelect(true); });
  err.attempt([&] { dialog.letDialogTitle(toBStr(a[2])); });
  err.attempt([&] { dialog.letDirectory(toBStr(a[0])); });
  err.attempt([&] { dialog.letExistFlags(OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST); });
  err.attempt([&] {
    Variant filter(toBStr(a[1]));
    dialog.letFilter(filter);
  });
  err.attempt([&] {
    const Variant owner = a[4].isMissing() ? Variant(static_cast<int32_t>(dynamic_cast<Form&>(self).hWnd()))
                                           : Variant(toI4(a[4]));
    result = Variant(dialog.ShowOpen(owner));
  });
  if (err.pending()) {
    out.report(err);
    err.clear();
    selected.assign(Variant(u""));
    return result;
  }
  Collection& names = dialog.FileNames();
  if (names.count() == 0) {
    selected.assign(Variant(u""));
    return result;
  }
  SafeArray paths(VT_VARIANT, {{1, names.count()}});
  for (int32_t i = 1; i <= names.count(); ++i) {
    BStr path = toBStr(names.item(Variant(i)));
    if (const auto nul = path.find(u'\0'); nul != BStr::npos) path.resize(nul);
    paths.set(i, Variant(trimSpaces(path)));
  }
  selected.assign(Variant(std::move(paths)));
  return result;
}

}  // namespace svx
