// Controls created by ProgID: what a control class implements to be hosted
// on a form (its own paint, its input, its events), and the parameters of
// its events as the extender reports them. Control plug-ins build their
// classes on HostedControl and register them with registerControlClass
// (platform/automation/class_registry.h) from their registration function
// (control_plugins.h).
#pragma once

#include <vector>

#include "platform/forms/control.h"

namespace svx {

class DrawSurface;
class ControlExtender;

// One parameter of a hosted control's event: its name and its value, which
// can be read and assigned (the assignment reaches the control's event).
class EventParameter : public Object {
 public:
  explicit EventParameter(BStr name) : name_(std::move(name)) {}
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }

  const BStr& name() const { return name_; }
  virtual Variant value() const = 0;
  virtual void setValue(const Variant& value) = 0;

  // Automation members.
  Variant Name() { return Variant(name_); }
  Variant Value() { return value(); }
  void letValue(Variant& v) { setValue(v.value()); }

 private:
  BStr name_;
};

// A parameter bound to a variable of the raising code: `target` is a typed
// reference (Variant::byRef), so an assigned value is converted to the
// variable's type, and a value that does not convert is refused.
class VariableParameter : public EventParameter {
 public:
  VariableParameter(BStr name, Variant target) : EventParameter(std::move(name)), target_(std::move(target)) {}
  Variant value() const override { return target_.value(); }
  void setValue(const Variant& value) override { target_.assign(value); }

 private:
  Variant target_;
};

using EventParameterList = std::vector<Ref<EventParameter>>;

// The base of every control class that a form hosts by ProgID. The form
// places the control through its extender (ControlExtender), which owns the
// place, the visibility, the focus and the tab order; the control supplies
// its picture, its reactions to input and its own events.
class HostedControl : public Object {
 public:
  ~HostedControl() override;

  // Size of a new control, twips.
  virtual double defaultWidth() const { return 1800; }
  virtual double defaultHeight() const { return 360; }
  // Whether the control takes the focus (and so a place in the tab order).
  virtual bool canTakeFocus() const { return true; }
  // Paints the control into `surface`, which has the control's size (twips)
  // and its back colour, freshly cleared.
  virtual void paint(DrawSurface& /*surface*/) const {}
  // Input that reaches the control after the extender's own handling, with
  // the event's typed parameters (see ControlEvent): Click, DblClick,
  // KeyDown, KeyPress, KeyUp, MouseDown, MouseMove, MouseUp.
  virtual void onInput(ControlEvent /*event*/, std::span<Variant> /*params*/) {}

  // The extender that hosts the control (null when it is not on a form).
  ControlExtender* extender() const;

 protected:
  // Raises one of the control's own events to its host; returns when the
  // event has returned, with the values that the host left in `params`
  // already assigned through them. Nothing happens without a host.
  void raiseControlEvent(BStrView name, const EventParameterList& params = {});

 private:
  friend class ControlExtender;
  WeakRef<Object> extender_;
};

}  // namespace svx
