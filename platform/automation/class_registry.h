// The in-process class registry: the classes that scripts create by ProgID
// (CreateObject) and the control classes that a form hosts by ProgID
// (Controls.Add), each with its factory and, for a licensed control, the
// creation licence key; and the runtime's licence list (Licenses), which a
// run-time creation of a licensed control must hold the key in.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "platform/automation/dispatch.h"

namespace svx {

// Errors of the licence list and of the creation of controls by ProgID.
namespace err {
inline constexpr int32_t ClassNotLicensed = static_cast<int32_t>(0x80040112u);  // "Class is not licensed for use"
}  // namespace err

struct ControlClass {
  BStr progId;
  ObjectFactory factory;
  // The creation licence key; none for a control that anyone may create.
  std::optional<BStr> licenseKey;
  // Optional: vets a key as it enters the licence list (raise to refuse it).
  std::function<void(const std::optional<BStr>& key)> vetLicense;
};

// Adds a control class; a ProgID that is already registered keeps its first
// class and false is returned.
bool registerControlClass(ControlClass cls);
// The control class of a ProgID (case-insensitive), or null.
const ControlClass* findControlClass(BStrView progId);
// The ProgIDs of the control classes, in the order registered.
std::vector<BStr> controlClassProgIds();

// Creates a control's object by ProgID: 429 for a ProgID that names no
// control class; ClassNotLicensed for a licensed class whose key the licence
// list does not hold.
ObjectRef createControlObject(BStrView progId);

// The runtime's licence list: ProgIDs with the key to create them with.
class Licenses : public Object {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }

  // 734 when the ProgID is already in the list; a control class may refuse
  // the key with an error of its own. Returns the key ("" without one).
  BStr add(BStrView progId, std::optional<BStr> key);
  void clear() { entries_.clear(); }
  // 5 when the ProgID is not in the list.
  void remove(BStrView progId);
  int32_t count() const { return static_cast<int32_t>(entries_.size()); }
  // Whether the list holds the ProgID, with its key.
  bool holds(BStrView progId, std::optional<BStr>* key = nullptr) const;

  // Automation members.
  Variant Add(Variant& ProgID, Variant& LicenseKey);
  void Clear() { clear(); }
  void Remove(Variant& ProgID);
  Variant Count() { return Variant(count()); }

 private:
  struct Entry {
    BStr progId;
    std::optional<BStr> key;
  };
  std::vector<Entry> entries_;
};

// The process's one licence list.
Licenses& licenses();

}  // namespace svx
