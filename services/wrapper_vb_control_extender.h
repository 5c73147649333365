// WrapperVBControlExtender: the companion user control of a control hosted
// with events. It listens to the extender held in extCtl and raises the
// extender's GotFocus, LostFocus, Validate(Cancel) and ObjectEvent(Info) as
// its own VBControlExtender... events, arguments by reference, so that they
// reach the form's handlers of its control array. Invisible at run time.
#pragma once

#include "platform/forms/user_control.h"

namespace svx {

class WrapperVBControlExtender : public UserControl {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  Ref<Control> makeSibling() const override { return makeRef<WrapperVBControlExtender>(); }
  bool invisibleAtRunTime() const override { return true; }

  // Connects to `extender` (no object: disconnects); the events of the
  // extender held before stop reaching the user control.
  void setExtCtl(const ObjectRef& extender);
  const ObjectRef& extCtl() const { return extCtl_; }

  // Raises the user control's event for the extender's event `name`.
  void relay(BStrView name, std::span<Variant> args);

  // Automation members.
  Variant getExtCtl() { return extCtl_ ? Variant(extCtl_) : Variant::nothing(); }
  void setExtCtlRef(Variant& value);

 protected:
  void terminate() override;

 private:
  ObjectRef extCtl_;
  int32_t cookie_ = 0;
};

}  // namespace svx
