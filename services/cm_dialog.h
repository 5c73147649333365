// CMDialog: the single-file Open and Save dialogs (one object per call), and
// the form's members CommonDialogShowOpen and CommonDialogShowSave.
#pragma once

#include <vector>

#include "platform/automation/dispatch.h"
#include "platform/automation/variant.h"

namespace svx {

class CMDialog {
 public:
  // The path chosen in the last dialog: the returned buffer with spaces
  // trimmed at both ends (its trailing NULs stay); "" after a cancel.
  const BStr& Name() const { return name_; }
  void letName(BStr v) { name_ = std::move(v); }
  // Whether the last dialog's platform call returned nonzero.
  bool Status() const { return status_; }
  void letStatus(bool v) { status_ = v; }

  // The platform call's result: nonzero when the user chose a file.
  int32_t OpenFileDialog(int32_t lngFormHwnd, int32_t lngAppInstance, const BStr& strInitDir,
                         const BStr& strFileFilter, const BStr& strDialogTitle);
  int32_t SaveFileDialog(int32_t lngFormHwnd, int32_t lngAppInstance, const BStr& strInitDir,
                         const BStr& strFileFilter, const BStr& strDialogTitle);

  // The buffers' sizes in characters, the terminating NUL included; each
  // takes kMaxFile characters before it.
  static constexpr uint32_t kFileBuffer = 257;
  static constexpr uint32_t kMaxFile = kFileBuffer - 1;

 private:
  int32_t show(bool open, int32_t owner, int32_t instance, const BStr& dir, const BStr& filter, const BStr& title);

  BStr name_;
  bool status_ = false;
};

// DialogForm.CommonDialogShowOpen and CommonDialogShowSave (strInitDir,
// strFileFilter, strDialogTitle, strFileName, lnghWnd, ErrNumber,
// ErrDescription), bound on the form's class table.
std::vector<ParamInfo> commonDialogShowFileParams(BStrView fileParameter);
Variant CommonDialogShowOpen(Object& self, const Args& args);
Variant CommonDialogShowSave(Object& self, const Args& args);

}  // namespace svx
