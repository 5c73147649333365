#include <functional>
#include <memory>

#include "controls/family_pattern.h"
#include "controls/standard_families_ii.h"
#include "controls/timer_control.h"
#include "platform/automation/coerce.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/error.h"

namespace svx {

namespace {

// The elements are reached by member name only, afresh for every step.
Control& element(Form& form, const FamilySpec& spec, const Variant& index) {
  return form.array(spec.arrayName).item(toI2(index));
}

Variant call(Control& c, BStrView member, InvokeKind kind = InvokeKind::Method, std::vector<Variant> args = {}) {
  return c.invoke(member, kind, args);
}

FamilySpec timerSpec() {
  FamilySpec s;
  s.family = u"TimerCtrl";
  s.arrayName = u"TimerCtrl";
  s.classWord = u"Timer";
  s.hasContainer = false;
  return s;
}

// The element of the call's index, reached afresh.
using ElementAt = std::function<Control&()>;

// GetTimerCtrl and SetTimerCtrl: (Index, Interval, boolEnabled, ErrNumber,
// ErrDescription); once the index names an element, the error
// out-parameters are cleared and `body` runs.
void declareAccess(ClassInfo& ci, const std::shared_ptr<FamilySpec>& spec, BStrView which,
                   std::function<void(const Args&, const ElementAt&, const ErrorOut&)> body) {
  ci.member(
      familyMemberName(*spec, which), InvokeKind::Method,
      {ref(u"Index"), refOpt(u"Interval"), refOpt(u"boolEnabled"), refOpt(u"ErrNumber"), refOpt(u"ErrDescription")},
      [spec, body = std::move(body)](Object& self, const Args& a) {
        Form& form = familyForm(self);
        const FamilyOut out{a[3], a[4]};
        if (!familyProbe(form, *spec, a[0], out)) return Variant();
        const ErrorOut report{out.number, out.description};
        report.clear();
        body(a, [&]() -> Control& { return element(form, *spec, a[0]); }, report);
        return Variant();
      },
      familyDescription(*spec, which));
}

}  // namespace

void declareTimerFamily(ClassInfo& ci) {
  const auto spec = std::make_shared<FamilySpec>(timerSpec());

  // LoadTimerCtrl: no container; the new element's timer starts at once. A
  // failure to start it keeps the index as the result.
  ci.member(
      familyMemberName(*spec, u"Load"), InvokeKind::Method, {refOpt(u"ErrNumber"), refOpt(u"ErrDescription")},
      [spec](Object& self, const Args& a) {
        Form& form = familyForm(self);
        Variant noContainer = Variant::missing();
        Variant result = familyLoad(form, *spec, noContainer, {a[0], a[1]});
        if (result.vt() != VT_I4) return result;
        const ErrorOut report{a[0], a[1]};
        reportMode(report, [&] {
          call(element(form, *spec, result), u"Enable");
          report.clear();
        });
        return result;
      },
      familyDescription(*spec, u"Load"));

  ci.member(
      familyMemberName(*spec, u"Unload"), InvokeKind::Method,
      {ref(u"Index"), refOpt(u"ErrNumber"), refOpt(u"ErrDescription")},
      [spec](Object& self, const Args& a) {
        familyUnload(familyForm(self), *spec, a[0], {a[1], a[2]});
        return Variant();
      },
      familyDescription(*spec, u"Unload"));

  // GetTimerCtrl: the interval as a Long, the on/off state as a Boolean.
  declareAccess(ci, spec, u"Get", [](const Args& a, const ElementAt& at, const ErrorOut&) {
    // A value that cannot be read keeps the caller's value.
    if (!a[1].isMissing())
      ignoreErrors([&] { a[1].assign(changeType(call(at(), u"Interval", InvokeKind::PropertyGet), VT_I4)); });
    if (!a[2].isMissing()) ignoreErrors([&] { a[2].assign(changeType(call(at(), u"IsEnabled"), VT_BOOL)); });
  });

  // SetTimerCtrl: the interval first, unconverted (the control converts and
  // ignores what it does not take), then the on/off state as a condition.
  // No z-order: the elements are never shown.
  declareAccess(ci, spec, u"Set", [](const Args& a, const ElementAt& at, const ErrorOut& report) {
    reportMode(report, [&] {
      if (!a[1].isMissing()) call(at(), u"Interval", InvokeKind::PropertyPut, {a[1].value()});
      if (!a[2].isMissing()) {
        const Variant on = a[2].value();
        const bool start = !on.isNull() && toBool(on);
        call(at(), start ? u"Enable" : u"Disable");
      }
    });
  });

  ci.member(
      familyMemberName(*spec, u"Object"), InvokeKind::Method,
      {ref(u"Index"), refOpt(u"ErrNumber"), refOpt(u"ErrDescription")},
      [spec](Object& self, const Args& a) {
        const FamilyOut out{a[1], a[2]};
        Control* c = familyProbe(familyForm(self), *spec, a[0], out);
        if (!c) return Variant::nothing();
        ErrorOut{out.number, out.description}.clear();
        return Variant(ObjectRef(c));
      },
      familyDescription(*spec, u"Object"));
}

}  // namespace svx
