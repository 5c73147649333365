// The base of the controls written in the system itself. The host form
// supplies the extender (Left, Top, Width, Height, Visible, TabIndex, Tag,
// Container, ZOrder and the events GotFocus, LostFocus, Validate); the
// control raises its own declared events to the form's array handler
// (Form::onUserControlEvent). A new element of a control array reads the
// properties that its template writes into a property bag.
#pragma once

#include <utility>
#include <vector>

#include "platform/forms/control.h"

namespace svx {

// Saved properties by name (compared without regard to case).
class PropertyBag {
 public:
  void writeProperty(BStrView name, Variant value);
  // The stored value, or `defaultValue` when there is none.
  Variant readProperty(BStrView name, Variant defaultValue = {}) const;
  bool contains(BStrView name) const;
  size_t size() const { return entries_.size(); }

 private:
  std::vector<std::pair<BStr, Variant>> entries_;
};

class UserControl : public Control {
 public:
  static const ClassInfo& info();

  ControlKind kind() const override { return ControlKind::User; }
  void copyFrom(const Control& source) override;
  bool canHaveFocus() const override { return !invisibleAtRunTime(); }
  bool windowed() const override { return !invisibleAtRunTime(); }
  // The extender keeps TabIndex even for a control invisible at run time
  // (it never takes the focus, so the tab order passes it by).
  bool hasTabIndex() const override { return true; }
  void setVisible(bool visible) override;
  void render(RenderItem& item) const override;

  // A control that is never shown at run time (a timer, for example).
  virtual bool invisibleAtRunTime() const { return false; }
  // Defaults of a new control, its saved properties, and their reading.
  virtual void initProperties() {}
  virtual void writeProperties(PropertyBag& /*bag*/) const {}
  virtual void readProperties(const PropertyBag& /*bag*/) {}

 protected:
  // Raises one of the control's declared events: to the form's array
  // handler, then to the sinks connected to the control. `params` should be
  // typed references to the event's own variables.
  void raiseUserEvent(BStrView name, std::span<Variant> params = {});
};

}  // namespace svx
