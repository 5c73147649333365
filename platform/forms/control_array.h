// A control array: element 0 is the design-time template; further elements
// are loaded as copies of it (its current properties and container, not the
// controls it contains) and start invisible.
#pragma once

#include <functional>
#include <map>

#include "platform/forms/control.h"

namespace svx {

class ControlArray : public Object {
 public:
  ControlArray(Form& form, BStr name) : form_(&form), name_(std::move(name)) {}
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }

  const BStr& name() const { return name_; }
  Form* form() const { return form_; }

  // 360 for a loaded index; 340 when there is no template to copy.
  Control& load(int16_t index);
  // 340 for a missing element, 362 for the design-time element.
  void unload(int16_t index);
  // 340 for a missing element.
  Control& item(int16_t index) const;
  Control* find(int16_t index) const;
  bool exists(int16_t index) const { return find(index) != nullptr; }

  int16_t lBound() const;  // lowest loaded index
  int16_t uBound() const;  // highest loaded index
  int32_t count() const { return static_cast<int32_t>(elements_.size()); }
  const std::map<int16_t, Ref<Control>>& elements() const { return elements_; }

  // Automation members.
  Variant LBound() { return Variant::i2(lBound()); }
  Variant UBound() { return Variant::i2(uBound()); }
  Variant Count() { return Variant::i2(static_cast<int16_t>(count())); }
  Variant Item(Variant& index);

 private:
  friend class Form;
  // Places a control into the array (the template, from the design).
  void adopt(int16_t index, Ref<Control> control);
  // Drops an element without the design-time check (the form's unload).
  void remove(int16_t index);

  Form* form_;
  BStr name_;
  std::map<int16_t, Ref<Control>> elements_;
};

}  // namespace svx

namespace svx {
// A new control of an intrinsic kind (null for ControlKind::User).
Ref<Control> createControl(ControlKind kind);
}  // namespace svx
