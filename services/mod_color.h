// The colour dialog: the process-wide table of custom colours, the dialog
// itself and the form's member that shows it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/automation/dispatch.h"
#include "platform/automation/variant.h"

namespace svx {

// The dialog's custom colours (OLE colours), shared by every Dialog in the
// process; the dialog reads and writes them in place.
extern std::array<int32_t, 16> CustomColors;

// The grey ramp: entry i becomes RGB(v, v, v) with v = 15 * (i + 1).
void InitCustomColors();

// Shows the colour dialog owned by hWnd (when passed). True, with the colour
// in lngSelectedColor (a Long), when the user confirmed; False otherwise,
// lngSelectedColor keeping the caller's value. Errors go into the passed
// out-parameters.
Variant ShowColorDialog(Variant& lngSelectedColor, Variant& hWnd, Variant& boolFullOpen, Variant& boolPreventFullOpen,
                        Variant& boolAnyColor, Variant& lngInitialColor, Variant& lngCustomColorsArray,
                        Variant& ErrNumber, Variant& ErrDescription);

// DialogForm.CommonDialogShowColor, bound on the form's class table: the owner
// is lnghWnd, or the form's window when it is missing.
std::vector<ParamInfo> commonDialogShowColorParams();
Variant CommonDialogShowColor(Object& self, const Args& args);

}  // namespace svx
