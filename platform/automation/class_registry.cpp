#include "platform/automation/class_registry.h"

#include <algorithm>

#include "platform/automation/coerce.h"

namespace svx {

namespace {

std::vector<ControlClass>& controlClasses() {
  static std::vector<ControlClass> classes;
  return classes;
}

}  // namespace

bool registerControlClass(ControlClass cls) {
  if (cls.progId.empty() || !cls.factory) throw std::logic_error("a control class needs a ProgID and a factory");
  if (findControlClass(cls.progId)) return false;
  controlClasses().push_back(std::move(cls));
  return true;
}

const ControlClass* findControlClass(BStrView progId) {
  for (const ControlClass& c : controlClasses())
    if (sameName(c.progId, progId)) return &c;
  return nullptr;
}

std::vector<BStr> controlClassProgIds() {
  std::vector<BStr> ids;
  for (const ControlClass& c : controlClasses()) ids.push_back(c.progId);
  return ids;
}

ObjectRef createControlObject(BStrView progId) {
  const ControlClass* cls = findControlClass(progId);
  if (!cls) raise(err::CannotCreateObject, u"ActiveX component can't create object: no control is registered as '" +
                                               BStr(progId) + u"'");
  if (cls->licenseKey) {
    std::optional<BStr> held;
    if (!licenses().holds(progId, &held) || held != cls->licenseKey)
      raise(err::ClassNotLicensed, u"Class is not licensed for use: '" + cls->progId + u"'");
  }
  ObjectRef obj = cls->factory();
  if (!obj) raise(err::CannotCreateObject);
  return obj;
}

// The licence list.

BStr Licenses::add(BStrView progId, std::optional<BStr> key) {
  if (progId.empty()) raise(err::InvalidProcedureCall);
  if (holds(progId)) raise(err::KeyAlreadyInLicenses);
  if (const ControlClass* cls = findControlClass(progId); cls && cls->vetLicense) cls->vetLicense(key);
  entries_.push_back({BStr(progId), key});
  return key.value_or(BStr());
}

void Licenses::remove(BStrView progId) {
  auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return sameName(e.progId, progId); });
  if (it == entries_.end()) raise(err::InvalidProcedureCall);
  entries_.erase(it);
}

bool Licenses::holds(BStrView progId, std::optional<BStr>* key) const {
  for (const Entry& e : entries_)
    if (sameName(e.progId, progId)) {
      if (key) *key = e.key;
      return true;
    }
  return false;
}

Variant Licenses::Add(Variant& ProgID, Variant& LicenseKey) {
  std::optional<BStr> key;
  if (!LicenseKey.isMissing()) key = toBStr(LicenseKey);
  return Variant(add(toBStr(ProgID), std::move(key)));
}

void Licenses::Remove(Variant& ProgID) { remove(toBStr(ProgID)); }

const ClassInfo& Licenses::info() {
  static const ClassInfo ci = ClassInfo(u"Licenses")
                                  .method<&Licenses::Add>(u"Add", {in(u"ProgID"), inOpt(u"LicenseKey")})
                                  .method<&Licenses::Clear>(u"Clear", {})
                                  .method<&Licenses::Remove>(u"Remove", {in(u"ProgID")})
                                  .get<&Licenses::Count>(u"Count");
  return ci;
}

Licenses& licenses() {
  static const Ref<Licenses> list = makeRef<Licenses>();
  return *list;
}

}  // namespace svx
