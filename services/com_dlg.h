// ComDlg: a general file dialog (Open and Save, single and multi-select,
// filters, default extension, read-only check box) that keeps the platform
// structure inside the object and splits the result into file names,
// titles, folder and extension; and the form's CommonDialogShowMultiOpen.
#pragma once

#include <vector>

#include "platform/automation/collection.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/variant.h"
#include "platform/dialogs/file_dialogs.h"

namespace svx {

class ComDlg {
 public:
  ComDlg();

  void letAllowMultiSelect(bool bFlag) { setFlag(OFN_ALLOWMULTISELECT, bFlag); }
  void letDialogTitle(const BStr& sCaption) { title_ = sCaption; }
  // An array is first joined with NULs (in the caller's variable); every "|"
  // becomes a NUL and one more NUL ends the list.
  void letFilter(Variant& vFilter);
  // The selected entry as "description|pattern"; Empty for index 0; 9 for
  // an index beyond the entries.
  Variant Filter() const;
  void letFilterIndex(int32_t nIndex) { ofn_.nFilterIndex = static_cast<DWORD>(nIndex); }
  int32_t FilterIndex() const { return static_cast<int32_t>(ofn_.nFilterIndex); }
  void letRestoreCurDir(bool bFlag) { setFlag(OFN_NOCHANGEDIR, bFlag); }
  // ORs the flags in; never clears a bit.
  void letExistFlags(int32_t nFlags) { ofn_.Flags |= static_cast<DWORD>(nFlags); }
  void letCheckBoxVisible(bool bFlag) { setFlag(OFN_HIDEREADONLY, !bFlag); }
  void letCheckBoxSelected(bool bFlag) { setFlag(OFN_READONLY, bFlag); }
  bool CheckBoxSelected() const { return (ofn_.Flags & OFN_READONLY) != 0; }
  // The next dialog's initial file name; a text of 261 characters or more
  // is ignored.
  void letFilename(const BStr& sFileName);
  const BStr& Filename() const { return fileName_; }
  Collection& FileNames();
  const BStr& FileTitle() const { return fileTitle_; }
  Collection& FileTitles();
  void letDirectory(const BStr& sInitDir) { initDir_ = sInitDir; }
  const BStr& Directory() const { return directory_; }
  // Without any ".", its first 3 characters, in lower case.
  void letExtension(const BStr& sDefExt);
  const BStr& Extension() const { return extension_; }

  // Owner: lnghWnd (a Long), or the thread's active window when missing.
  bool ShowOpen(const Variant& lnghWnd = Variant::missing());
  // Single file, the path must exist, replacing asks first; no owner.
  bool ShowSave();

  // The structure as the last dialog had it (flags, buffer sizes, filter).
  const OPENFILENAMEW& structure() const { return ofn_; }
  const BStr& filterList() const { return filter_; }
  const BStr& fileBuffer() const { return file_; }

  static constexpr DWORD kMultiSelectBuffer = 260001;
  static constexpr DWORD kSingleBuffer = 261;

 private:
  void setFlag(DWORD flag, bool on) { ofn_.Flags = on ? (ofn_.Flags | flag) : (ofn_.Flags & ~flag); }
  BStr ShowFileDialog(bool bOpen, const Variant& hWnd);

  OPENFILENAMEW ofn_;
  BStr title_;
  BStr filter_;  // with its final NUL
  BStr file_;    // the file buffer's text (the initial name, later the last result)
  BStr initDir_;
  BStr defExt_;
  Ref<Collection> fileTitles_;
  Ref<Collection> fileNames_;
  BStr fileName_;
  BStr fileTitle_;
  BStr directory_;
  BStr extension_;
};

// DialogForm.CommonDialogShowMultiOpen (strInitDir, strFileFilter,
// strDialogTitle, strFileNamesSelected, lnghWnd, ErrNumber, ErrDescription).
Variant CommonDialogShowMultiOpen(Object& self, const Args& args);

}  // namespace svx
