#include <memory>

#include "controls/data_ctrl_family.h"
#include "controls/family_pattern.h"
#include "platform/automation/coerce.h"
#include "platform/automation/error.h"

namespace svx {

namespace {

// Every property is reached by name on the element: the extender's and the
// data control's alike. Set applies Connect ... RecordSource in this order
// (the order in which a script's values reach the data control), then the
// geometry, the z-order and Visible last.
FamilySpec dataCtrlSpec() {
  FamilySpec s;
  s.family = u"DataCtrl";
  s.arrayName = u"DataCtrl";
  s.classWord = u"Data";
  s.properties = rows({
      {prop(u"intTabIndex", u"intTabIndex", VT_I2, 1, u"TabIndex"),
       prop(u"boolVisible", u"boolVisible", VT_BOOL, 99, u"Visible"),
       prop(u"strConnect", u"strConnect", VT_BSTR, 2, u"Connect"),
       prop(u"strDatabaseName", u"strDatabaseName", VT_BSTR, 3, u"DatabaseName"),
       prop(u"intDefaultCursorType", u"intDefaultCursorType", VT_I2, 4, u"DefaultCursorType"),
       prop(u"intDefaultType", u"intDefaultType", VT_I2, 5, u"DefaultType"),
       prop(u"boolExclusive", u"boolExclusive", VT_BOOL, 6, u"Exclusive"),
       prop(u"intOptions", u"intOptions", VT_I2, 7, u"Options"),
       prop(u"objRecordset", u"objRecordset", VT_DISPATCH, 8, u"Recordset"),
       prop(u"intRecordsetType", u"intRecordsetType", VT_I2, 9, u"RecordsetType"),
       prop(u"strRecordSource", u"strRecordSource", VT_BSTR, 10, u"RecordSource"),
       getOnly(u"intEditMode", u"intEditMode", VT_I2)},
      {prop(u"sngLeft", u"sngLeft", VT_R4, 11, u"Left"), prop(u"sngTop", u"sngTop", VT_R4, 12, u"Top"),
       prop(u"sngWidth", u"sngWidth", VT_R4, 13, u"Width"), prop(u"sngHeight", u"sngHeight", VT_R4, 14, u"Height")},
  });
  s.properties[11].property = u"EditMode";
  // The recordset travels as an object reference: Set by reference, Get
  // assigned by reference (Nothing when there is none).
  s.properties[8].write = [](Control& c, const Variant& v) {
    std::vector<Variant> args{v};
    c.invoke(u"Recordset", InvokeKind::PropertyPutRef, args);
  };
  s.zOrderStep = 15;
  s.objectIsUserControl = true;
  return s;
}

}  // namespace

void declareDataCtrlFamily(ClassInfo& ci) {
  const auto spec = std::make_shared<FamilySpec>(dataCtrlSpec());
  declareFamily(ci, *spec);

  // DataCtrlOpenData: the probe, then the element opens its data and
  // reports its own failure in the same out-parameters.
  ci.member(
      u"DataCtrlOpenData", InvokeKind::Method, {ref(u"Index"), refOpt(u"ErrNumber"), refOpt(u"ErrDescription")},
      [spec](Object& self, const Args& a) {
        Form& form = familyForm(self);
        const FamilyOut out{a[1], a[2]};
        if (!familyProbe(form, *spec, a[0], out)) return Variant();
        const ErrorOut report{a[1], a[2]};
        reportMode(report, [&] {
          report.clear();
          Control& element = form.array(spec->arrayName).item(toI2(a[0]));
          std::vector<Variant> args{Variant::byRef(a[1]), Variant::byRef(a[2])};
          if (a[1].isMissing()) args[0] = Variant::missing();
          if (a[2].isMissing()) args[1] = Variant::missing();
          element.invoke(u"OpenData", InvokeKind::Method, args);
        });
        return Variant();
      },
      u"Opens the database and the recordset of a Data control array element.");
}

}  // namespace svx
