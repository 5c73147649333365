// The List and ListCheck families (standard and check-box list boxes), with
// the horizontal extent of their list boxes.
#include "controls/family_pattern.h"
#include "controls/list_transport.h"
#include "controls/standard_families_ii.h"
#include "core/mod_main.h"
#include "platform/automation/coerce.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/error.h"
#include "platform/forms/list_box.h"
#include "platform/forms/picture_box.h"
#include "platform/system/screen.h"

namespace svx {

namespace {

FamilySpec listBox(BStr name, BStr classWord) {
  FamilySpec f;
  f.family = name;
  f.arrayName = std::move(name);
  f.classWord = std::move(classWord);
  return f;
}

FamilyStep repaintStep(int step) {
  return {step, [](Control& c) { c.invoke(u"Refresh", InvokeKind::Method, {}); }};
}

FamilySpec listFamily() {
  FamilySpec f = listBox(u"List", u"Standard ListBox");
  f.properties = rows({{itemsRow(2), prop(u"TabIndex", u"intTabIndex", VT_I2, 3),
                        prop(u"Visible", u"boolVisible", VT_BOOL, 10), prop(u"ListIndex", u"intListIndex", VT_I2, 4),
                        listValueRow()},
                       geometry(5)});
  f.zOrderStep = 9;
  f.alwaysSteps = {clearStep(0), repaintStep(11)};
  return f;
}

FamilySpec listCheckFamily() {
  FamilySpec f = listBox(u"ListCheck", u"Check ListBox");
  f.properties = rows({{itemsRow(2), selectionsRow(3), prop(u"TabIndex", u"intTabIndex", VT_I2, 4),
                        prop(u"Visible", u"boolVisible", VT_BOOL, 11), prop(u"ListIndex", u"intListIndex", VT_I2, 5),
                        listValueRow()},
                       geometry(6)});
  f.zOrderStep = 10;
  f.alwaysSteps = {clearStep(0), repaintStep(12)};
  return f;
}

// --- Horizontal extent -------------------------------------------------------

constexpr float kExtentMargin = 60;     // twips beyond the widest item
constexpr float kCheckBoxMargin = 240;  // twips more for a check-box list

// The list box's font onto the picture box; a copy that fails is passed over.
void CopyListBoxFont(ListBox& list, PictureBox& picture) {
  const Font from = list.font();
  Font to = picture.surface().font();
  ignoreErrors([&] { to.bold = from.bold; picture.surface().setFont(to); });
  ignoreErrors([&] { to.italic = from.italic; picture.surface().setFont(to); });
  ignoreErrors([&] { to.name = from.name; picture.surface().setFont(to); });
  ignoreErrors([&] { to.size = from.size; picture.surface().setFont(to); });
  ignoreErrors([&] { to.strikethrough = from.strikethrough; picture.surface().setFont(to); });
  ignoreErrors([&] { to.underline = from.underline; picture.surface().setFont(to); });
}

// An object of kind T, or a type mismatch.
template <class T>
T& as(Object& o) {
  T* t = dynamic_cast<T*>(&o);
  if (!t) raise(err::TypeMismatch);
  return *t;
}

template <class T>
T& controlOf(const Variant& v) {
  const Variant& value = v.value();
  if (value.vt() != VT_DISPATCH || !value.asObject()) raise(err::ObjectRequired);
  return as<T>(*value.asObject().get());
}

void adjustListBox(ListBox& list, PictureBox& picture, const ErrorOut& report) {
  report.clear();
  CopyListBoxFont(list, picture);
  reportMode(report, [&] {
    float widest = 0;
    const int16_t end = listCount(list);
    for (int32_t i = 0; i < end; ++i) {
      const auto width = static_cast<float>(picture.surface().TextWidth(list.list(static_cast<int16_t>(i))));
      if (width > widest) widest = width;
    }
    const float twips = widest + kExtentMargin + (list.style() != 0 ? kCheckBoxMargin : 0);
    const int32_t perPixel = toI4(Variant(screen().twipsPerPixelX()));
    if (perPixel == 0) raise(err::DivisionByZero);
    SetListBoxHorizontalExtent(list.hWnd(), toI4(Variant(twips)) / perPixel);
  });
}

// ListShowHScrollBar, ListCheckShowHScrollBar: measured on PictureCtrl(0).
void declareShowHScrollBar(ClassInfo& ci, const FamilySpec& spec, BStr name) {
  const auto specPtr = std::make_shared<FamilySpec>(spec);
  ci.member(std::move(name), InvokeKind::Method, {ref(u"Index"), refOpt(u"ErrNumber"), refOpt(u"ErrDescription")},
            [specPtr](Object& self, const Args& a) {
              Form& form = familyForm(self);
              const FamilyOut out{a[1], a[2]};
              if (!familyProbe(form, *specPtr, a[0], out)) return Variant();
              const ErrorOut report{a[1], a[2]};
              report.clear();
              reportMode(report, [&] {
                adjustListBox(as<ListBox>(form.array(specPtr->arrayName).item(toI2(a[0]))),
                              as<PictureBox>(form.array(u"PictureCtrl").item(0)), report);
              });
              return Variant();
            });
}

}  // namespace

void declareListFamilies(ClassInfo& ci) {
  const FamilySpec list = listFamily();
  declareFamily(ci, list);
  declareShowHScrollBar(ci, list, u"ListShowHScrollBar");
  const FamilySpec listCheck = listCheckFamily();
  declareFamily(ci, listCheck);
  declareShowHScrollBar(ci, listCheck, u"ListCheckShowHScrollBar");
}

void declareListBoxAdjustment(ClassInfo& ci) {
  ci.member(u"AdjustListBoxForHScrollBar", InvokeKind::Method,
            {ref(u"objListBox"), ref(u"pictHidden"), refOpt(u"lngEN"), refOpt(u"strED")},
            [](Object&, const Args& a) {
              const ErrorOut report{a[2], a[3]};
              report.clear();
              reportMode(report, [&] { adjustListBox(controlOf<ListBox>(a[0]), controlOf<PictureBox>(a[1]), report); });
              return Variant();
            });
}

}  // namespace svx
