#include "services/mod_color.h"

#include "platform/automation/coerce.h"
#include "platform/automation/error.h"
#include "platform/automation/safearray.h"
#include "platform/dialogs/common_dialogs.h"
#include "platform/forms/form.h"
#include "platform/system/colour.h"

namespace svx {

std::array<int32_t, 16> CustomColors{};

namespace {

static_assert(CustomColors.size() == kCustomColorCount);
static_assert(sizeof(int32_t) == sizeof(COLORREF));

// A passed optional Boolean taken as a condition (Null counts as False).
bool passedAndTrue(const Variant& v) { return !v.isMissing() && !v.isNull() && toBool(v); }

// Step by step: the first failure ends it and is reported, the result stays
// False.
Variant showColor(Variant& lngSelectedColor, Variant& hWnd, Variant& boolFullOpen, Variant& boolPreventFullOpen,
                  Variant& boolAnyColor, Variant& lngInitialColor, Variant& lngCustomColorsArray,
                  const ErrorOut& out) {
  bool confirmed = false;
  reportMode(out, [&] {
    // The chosen colour is handed out only on OK: Empty otherwise.
    lngSelectedColor.assign(Variant());
    CHOOSECOLORA cc;
    if (!hWnd.isMissing()) cc.hwndOwner = toI4(hWnd);
    if (passedAndTrue(boolFullOpen)) cc.Flags |= CC_FULLOPEN;
    if (passedAndTrue(boolPreventFullOpen)) cc.Flags |= CC_PREVENTFULLOPEN;
    if (boolAnyColor.isMissing() || passedAndTrue(boolAnyColor)) cc.Flags |= CC_ANYCOLOR;
    else cc.Flags |= CC_SOLIDCOLOR;
    cc.Flags |= CC_RGBINIT;
    cc.rgbResult = lngInitialColor.isMissing() ? 255u : static_cast<COLORREF>(toI4(lngInitialColor));
    cc.lStructSize = kChooseColorSize;
    const Variant& given = lngCustomColorsArray.deref();
    if (given.isArray() && !given.isByRef() && given.asArray()) {
      const SafeArray& colours = *given.asArray();
      const int32_t lower = colours.lbound();
      const int64_t count = static_cast<int64_t>(colours.ubound()) - lower + 1;
      for (int32_t k = 0; k < count && k < static_cast<int32_t>(CustomColors.size()); ++k) {
        const Variant item = colours.get(lower + k);
        if (!item.isEmpty()) CustomColors[static_cast<size_t>(k)] = toI4(item);
      }
    }
    // The dialog writes the user's custom colours straight into the table.
    cc.lpCustColors = reinterpret_cast<COLORREF*>(CustomColors.data());
    if (ChooseColorA(&cc) == 1) {
      lngSelectedColor.assign(Variant(static_cast<int32_t>(cc.rgbResult)));
      confirmed = true;
    }
  });
  return Variant(confirmed);
}

}  // namespace

void InitCustomColors() {
  for (int32_t v = 240; v >= 15; v -= 15) CustomColors[static_cast<size_t>(v / 15 - 1)] = RGB(v, v, v);
}

Variant ShowColorDialog(Variant& lngSelectedColor, Variant& hWnd, Variant& boolFullOpen, Variant& boolPreventFullOpen,
                        Variant& boolAnyColor, Variant& lngInitialColor, Variant& lngCustomColorsArray,
                        Variant& ErrNumber, Variant& ErrDescription) {
  const ErrorOut out{ErrNumber, ErrDescription};
  out.clear();
  return showColor(lngSelectedColor, hWnd, boolFullOpen, boolPreventFullOpen, boolAnyColor, lngInitialColor,
                   lngCustomColorsArray, out);
}

std::vector<ParamInfo> commonDialogShowColorParams() {
  return {ref(u"lngSelectedColor"), refOpt(u"lnghWnd"),         refOpt(u"boolFullOpen"),
          refOpt(u"boolPreventFullOpen"), refOpt(u"boolAnyColor"), refOpt(u"lngInitialColor"),
          refOpt(u"lngCustomColorsArray"), refOpt(u"ErrNumber"),  refOpt(u"ErrDescription")};
}

Variant CommonDialogShowColor(Object& self, const Args& a) {
  const ErrorOut out{a[7], a[8]};
  out.clear();
  Variant result(false);
  reportMode(out, [&] {
    Variant owner = a[1].isMissing() ? Variant(static_cast<int32_t>(dynamic_cast<Form&>(self).hWnd()))
                                     : Variant(toI4(a[1]));
    result = ShowColorDialog(a[0], owner, a[2], a[3], a[4], a[5], a[6], a[7], a[8]);
  });
  return result;
}

}  // namespace svx
