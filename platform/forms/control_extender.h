// The extender of a control hosted by ProgID: the control on the form that
// carries what the form gives every control (Name, Left, Top, Width,
// Height, Visible, TabIndex, Container, ZOrder ...) and the events GotFocus,
// LostFocus, Validate(Cancel) and ObjectEvent(Info), the last reporting each
// event of the hosted control with an EventInfo. Every other member is the
// hosted control's own, called through the extender.
#pragma once

#include "platform/forms/hosted_control.h"
#include "platform/graphics/draw_surface.h"

namespace svx {

// What ObjectEvent reports: the event's name and its parameters.
class EventParameters : public Object {
 public:
  explicit EventParameters(EventParameterList params) : params_(std::move(params)) {}
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  const EventParameterList& list() const { return params_; }

  Variant Count() { return Variant(static_cast<int32_t>(params_.size())); }
  // From 0; 9 outside.
  Variant Item(Variant& index);

 private:
  EventParameterList params_;
};

class ControlEventInfo : public Object {
 public:
  ControlEventInfo(BStr name, EventParameterList params);
  static const ClassInfo& info();  // "EventInfo"
  const ClassInfo& classInfo() const override { return info(); }

  Variant Name() { return Variant(name_); }
  Variant Parameters() { return Variant(ObjectRef(params_)); }  // EventParameters

 private:
  BStr name_;
  Ref<EventParameters> params_;
};

class ControlExtender : public Control {
 public:
  // Event DISPIDs of the extender's source interface.
  enum : int32_t { GotFocusEvent = 1, LostFocusEvent = 2, ValidateEvent = 3, ObjectEventEvent = 4 };

  // 429 when `object` is no hosted control.
  explicit ControlExtender(const ObjectRef& object);
  ~ControlExtender() override;

  // The members of an extender around controls of `controlClass`: its own,
  // then every member of the control that it does not have itself.
  static const ClassInfo& infoFor(const ClassInfo& controlClass);
  const ClassInfo& classInfo() const override { return *info_; }

  ControlKind kind() const override { return ControlKind::User; }
  Ref<Control> makeSibling() const override { return nullptr; }
  bool canHaveFocus() const override { return control_->canTakeFocus(); }
  bool hasTabIndex() const override { return true; }
  bool windowed() const override { return true; }
  bool hasValidate() const override { return true; }
  void render(RenderItem& item) const override;

  HostedControl& control() const { return *control_; }

  // ObjectEvent with an EventInfo for the control's event `name`.
  void raiseObjectEvent(BStrView name, const EventParameterList& params);

  // Automation members.
  Variant ControlObject() { return Variant(ObjectRef(control_)); }  // Object

 protected:
  void onOwnEvent(ControlEvent event, std::span<Variant> params) override;

 private:
  Ref<HostedControl> control_;
  const ClassInfo* info_;
  mutable DrawSurface surface_;
};

}  // namespace svx
