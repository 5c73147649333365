#include "services/hosted_controls.h"

#include <functional>

#include "core/dialog_form.h"
#include "core/mod_main.h"
#include "platform/automation/class_registry.h"
#include "platform/desktop/clock.h"
#include "services/sample_controls.h"
#include "services/wrapper_vb_control_extender.h"

namespace svx {

namespace {

constexpr int32_t kNoControl = -100;
constexpr const char16_t* kWrapperArray = u"ctrlWrapperVBControlExtender";

Variant get(const ObjectRef& o, BStrView member) {
  std::vector<Variant> none;
  return o->invoke(member, InvokeKind::PropertyGet, none);
}

void let(const ObjectRef& o, BStrView member, Variant value) {
  std::vector<Variant> args{std::move(value)};
  o->invoke(member, InvokeKind::PropertyPut, args);
}

// The value of a by-reference argument, as the runtime hands it on.
Variant valueOf(const Variant& v) { return v.isMissing() ? Variant::missing() : v.value(); }

// The text of the caller's index for the -100 message ("" when it has none).
BStr indexText(const Variant& index) {
  BStr text;
  ignoreErrors([&] {
    if (!index.isNull()) text = toBStr(index);
  });
  return text;
}

void reportNoControl(Variant& ErrNumber, Variant& ErrDescription, BStr description) {
  if (!ErrNumber.isMissing()) ErrNumber.assign(Variant::i2(kNoControl));
  if (!ErrDescription.isMissing()) ErrDescription.assign(Variant(std::move(description)));
}

// Element `index` (one-based) of a hosted-control list; 9 outside it.
ObjectRef& slot(std::vector<ObjectRef>& list, const Variant& index) {
  const int32_t i = toI4(index);
  if (list.empty() || i < 1 || i > static_cast<int32_t>(list.size())) raise(err::SubscriptOutOfRange);
  return list[static_cast<size_t>(i - 1)];
}

struct AddArgs {
  Variant& ProgID;
  Variant& LicenseKey;
  Variant& objContainer;
  Variant& TabIndex;
  Variant& Visible;
  Variant& Left;
  Variant& Top;
  Variant& Width;
  Variant& Height;
  Variant& intZOrder;
  Variant& ErrNumber;
  Variant& ErrDescription;

  explicit AddArgs(const Args& a)
      : ProgID(a[0]), LicenseKey(a[1]), objContainer(a[2]), TabIndex(a[3]), Visible(a[4]), Left(a[5]), Top(a[6]),
        Width(a[7]), Height(a[8]), intZOrder(a[9]), ErrNumber(a[10]), ErrDescription(a[11]) {}
};

// The steps that both variants share: the licence list, the runtime's add,
// the counter and the list, the property assignments. Every step runs with
// errors ignored; `err` holds the failure pending. Returns the index, or
// Empty when nothing was added; `done` tells that the outcome is reported.
Variant addCommon(DialogForm& form, AddArgs& a, ErrState& err, std::vector<ObjectRef>& list, int32_t& count,
                  ObjectRef& added, bool& done) {
  registerSystemControls();
  const ErrorOut out{a.ErrNumber, a.ErrDescription};
  BStr name;
  err.attempt([&] { name = NewUniqueControlName(form); });
  err.attempt([&] { licenses().clear(); });
  err.attempt([&] {
    std::optional<BStr> key;
    if (!a.LicenseKey.isMissing() && !IsNullOrEmpty(a.LicenseKey)) key = toBStr(a.LicenseKey);
    licenses().add(toBStr(a.ProgID), std::move(key));
  });
  if (err.pending()) {
    if (err.number() != err::KeyAlreadyInLicenses) {
      out.reportPendingOrClear(err);
      done = true;
      return {};
    }
    err.clear();
  }
  err.attempt([&] { added = form.addControl(toBStr(a.ProgID), name, valueOf(a.objContainer)); });
  if (err.pending() || !added) return {};
  ++count;
  list.resize(static_cast<size_t>(count));
  list.back() = added;
  const Variant result(count);
  if (!a.TabIndex.isMissing()) err.attempt([&] { let(added, u"TabIndex", a.TabIndex.value()); });
  if (!a.Left.isMissing()) err.attempt([&] { let(added, u"Left", a.Left.value()); });
  if (!a.Top.isMissing()) err.attempt([&] { let(added, u"Top", a.Top.value()); });
  if (!a.Width.isMissing()) err.attempt([&] { let(added, u"Width", a.Width.value()); });
  if (!a.Height.isMissing()) err.attempt([&] { let(added, u"Height", a.Height.value()); });
  if (!a.intZOrder.isMissing())
    err.attempt([&] {
      std::vector<Variant> args{a.intZOrder.value()};
      added->invoke(u"ZOrder", InvokeKind::Method, args);
    });
  err.attempt([&] { let(added, u"Visible", Variant(a.Visible.isMissing() ? false : toBool(a.Visible))); });
  return result;
}

// An Add member: the shared steps into `list` and `count`, then, when a
// control was added, `more` with it and its index (the wrapper element of the
// events variant); the first error is reported.
Variant addHosted(DialogForm& form, const Args& args, std::vector<ObjectRef>& list, int32_t& count,
                  const std::function<void(ErrState&, const ObjectRef&, const Variant&)>& more) {
  AddArgs a(args);
  ErrState err;
  ObjectRef added;
  bool done = false;
  Variant result = addCommon(form, a, err, list, count, added, done);
  if (!result.isEmpty() && more) more(err, added, result);
  if (!done) ErrorOut{a.ErrNumber, a.ErrDescription}.reportPendingOrClear(err);
  return result;
}

Variant AddWithoutEvents(Object& self, const Args& args) {
  auto& form = static_cast<DialogForm&>(self);
  return addHosted(form, args, form.ActiveXWithoutEventsObjects, form.ActiveXWithoutEventsCount, {});
}

Variant AddWithEvents(Object& self, const Args& args) {
  auto& form = static_cast<DialogForm&>(self);
  return addHosted(form, args, form.ActiveXWithEventsExtenders, form.ActiveXWithEventsCount,
                   [&form](ErrState& err, const ObjectRef& added, const Variant& index) {
                     // The companion of the same index (an index above 32767 overflows
                     // here), connected after the assignments.
                     err.attempt([&] { form.array(kWrapperArray).load(toI2(index)); });
                     err.attempt([&] {
                       auto& wrapper =
                           dynamic_cast<WrapperVBControlExtender&>(form.array(kWrapperArray).item(toI2(index)));
                       wrapper.setExtCtl(added);
                     });
                   });
}

Variant getHosted(std::vector<ObjectRef>& list, const Args& a) {
  const ErrorOut out{a[1], a[2]};
  ErrState err;
  Variant result = Variant::nothing();
  err.attempt([&] {
    if (const ObjectRef& o = slot(list, a[0])) result = Variant(o);
  });
  if (err.pending()) result = Variant::nothing();
  out.reportPendingOrClear(err);
  return result;
}

Variant GetWithoutEvents(Object& self, const Args& a) {
  return getHosted(static_cast<DialogForm&>(self).ActiveXWithoutEventsObjects, a);
}

Variant GetWithEvents(Object& self, const Args& a) {
  return getHosted(static_cast<DialogForm&>(self).ActiveXWithEventsExtenders, a);
}

// The steps both Remove members share: the slot's object (a missing one is
// reported with `what`), its removal from the form by name, the slot
// emptied; then `more` (the wrapper element of the events variant). Each
// step runs even when one before it failed; the first error is reported.
Variant removeHosted(DialogForm& form, std::vector<ObjectRef>& slots, const Args& a, const char16_t* what,
                     const std::function<void(ErrState&)>& more) {
  Variant& Index = a[0];
  ErrState err;
  ObjectRef object;
  ignoreErrors([&] { object = slot(slots, Index); });
  if (!object) {
    reportNoControl(a[1], a[2],
                    BStr(u"The ") + what + u" associated with the Index '" + indexText(Index) +
                        u"' doesn't exist (is nothing)!");
    return Variant(false);
  }
  BStr name;
  err.attempt([&] { name = toBStr(get(object, u"Name")); });
  err.attempt([&] { form.removeControl(name); });
  err.attempt([&] { slot(slots, Index).reset(); });
  if (more) more(err);
  const bool removed = !err.pending();
  ErrorOut{a[1], a[2]}.reportPendingOrClear(err);
  return Variant(removed);
}

Variant RemoveWithoutEvents(Object& self, const Args& a) {
  auto& form = static_cast<DialogForm&>(self);
  return removeHosted(form, form.ActiveXWithoutEventsObjects, a, u"control object", {});
}

Variant RemoveWithEvents(Object& self, const Args& a) {
  auto& form = static_cast<DialogForm&>(self);
  Variant& Index = a[0];
  return removeHosted(form, form.ActiveXWithEventsExtenders, a, u"control extender object", [&](ErrState& err) {
    err.attempt([&] {
      auto& wrapper = dynamic_cast<WrapperVBControlExtender&>(form.array(kWrapperArray).item(toI2(Index)));
      wrapper.setExtCtl(nullptr);
    });
    err.attempt([&] { form.array(kWrapperArray).unload(toI2(Index)); });
  });
}

std::vector<ParamInfo> addParams() {
  return {ref(u"ProgID"),       refOpt(u"LicenseKey"), refOpt(u"objContainer"), refOpt(u"TabIndex"),
          refOpt(u"Visible"),   refOpt(u"Left"),       refOpt(u"Top"),          refOpt(u"Width"),
          refOpt(u"Height"),    refOpt(u"intZOrder"),  refOpt(u"ErrNumber"),    refOpt(u"ErrDescription")};
}

std::vector<ParamInfo> indexParams() { return {ref(u"Index"), refOpt(u"ErrNumber"), refOpt(u"ErrDescription")}; }

}  // namespace

void declareHostedControlMembers(ClassInfo& ci) {
  constexpr InvokeKind M = InvokeKind::Method;
  ci.member(u"AddActiveXControlWithoutEvents", M, addParams(), AddWithoutEvents)
      .member(u"GetActiveXControlWithoutEvents", M, indexParams(), GetWithoutEvents)
      .member(u"RemoveActiveXControlWithoutEvents", M, indexParams(), RemoveWithoutEvents)
      .member(u"AddActiveXControlWithEvents", M, addParams(), AddWithEvents)
      .member(u"GetActiveXControlWithEvents", M, indexParams(), GetWithEvents)
      .member(u"RemoveActiveXControlWithEvents", M, indexParams(), RemoveWithEvents);
}

BStr NewUniqueControlName() {
  const LocalDateTime now = Clock::now();
  BStr name = u"DC";
  for (int part : {now.year, now.month, now.day, now.hour, now.minute, now.second}) name += utf16(std::to_string(part));
  return name + TimerMilliseconds();
}

BStr NewUniqueControlName(DialogForm& form) {
  const BStr base = NewUniqueControlName();
  BStr name = base;
  for (int n = 2; form.findControl(name) || form.findArray(name); ++n) name = base + u"_" + utf16(std::to_string(n));
  return name;
}

bool IsNullOrEmpty(const Variant& value) { return value.isNull() || value.isEmpty(); }

void registerSystemControls() {
  static const bool done = [] {
    registerSampleControls();
    return true;
  }();
  (void)done;
}

}  // namespace svx
