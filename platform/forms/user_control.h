// The base of the controls written in the system itself. The host form
// supplies the extender (Left, Top, Width, Height, Visible, TabIndex, Tag,
// Container, ZOrder and the events GotFocus, LostFocus, Validate); the
// control raises its own declared events to the form's array handler
// (Form::onUserControlEvent). A new element of a control array reads the
// properties that its template writes into a property bag.
//
// The services of the user-control runtime: the property bag with defaults,
// the container's ambient font, the notice of a changed property, the
// control's own surface (its scale, Appearance, BackStyle, BorderStyle and
// its mouse and key events, which go to the control rather than the form)
// and constituent controls (drawn inside it, hit by the user's clicks, their
// events handed to the control).
#pragma once

#include <set>
#include <utility>
#include <vector>

#include "platform/forms/control.h"
#include "platform/forms/font_object.h"

namespace svx {

// Saved properties by name (compared without regard to case).
class PropertyBag {
 public:
  void writeProperty(BStrView name, Variant value);
  // Stores the value unless it equals `defaultValue` (then any stored value
  // of that name is dropped). Font objects are equal when their fonts are.
  void writeProperty(BStrView name, Variant value, const Variant& defaultValue);
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
  Control* constituentAt(double& x, double& y) override;

  // A control that is never shown at run time (a timer, for example).
  virtual bool invisibleAtRunTime() const { return false; }
  // Defaults of a new control, its saved properties, and their reading.
  virtual void initProperties() {}
  virtual void writeProperties(PropertyBag& /*bag*/) const {}
  virtual void readProperties(const PropertyBag& /*bag*/) {}

  // The container's font, as a new font object (fetched afresh each time).
  Ref<FontObject> ambientFont() const;

  // The names reported changed since the state was last saved.
  const std::set<BStr>& changedProperties() const { return changed_; }
  void clearChangedProperties() { changed_.clear(); }

  // The control's own surface. The scale starts at (0, 0); a single border
  // takes one pixel on each side.
  double scaleLeft() const { return 0; }
  double scaleTop() const { return 0; }
  double scaleWidth() const;
  double scaleHeight() const;
  int16_t appearance() const { return appearance_; }
  void setAppearance(int16_t v);
  int16_t backStyle() const { return backStyle_; }
  void setBackStyle(int16_t v);
  int16_t borderStyle() const { return borderStyle_; }
  void setBorderStyle(int16_t v);
  // Repaints the control (the next snapshot draws it afresh).
  void repaint() { ++repaints_; }
  int32_t repaintCount() const { return repaints_; }

 protected:
  // Raises one of the control's declared events: to the form's array
  // handler, then to the sinks connected to the control. `params` should be
  // typed references to the event's own variables.
  void raiseUserEvent(BStrView name, std::span<Variant> params = {});
  // Whether raiseUserEvent(event.name) would reach a listener: the form's or
  // a sink. `event` is one of the class's declared events.
  bool hearsUserEvent(const EventInfo& event);
  // The notice that a property's saved value is out of date.
  void propertyChanged(BStrView name) { changed_.insert(BStr(name)); }
  // Adds a constituent (drawn and hit in the order added, the last on top).
  void addConstituent(Ref<Control> part);
  const std::vector<Ref<Control>>& constituents() const { return constituents_; }
  // The surface's own events (Click, DblClick, keys, mouse; params as
  // ControlEvent says); the extender's GotFocus, LostFocus and Validate go
  // to the form.
  virtual void surfaceEvent(ControlEvent /*event*/, std::span<Variant> /*params*/) {}
  bool ownEvent(ControlEvent event, std::span<Variant> params) override;
  void terminate() override;

 private:
  std::set<BStr> changed_;
  std::vector<Ref<Control>> constituents_;
  int16_t appearance_ = 1;
  int16_t backStyle_ = 1;
  int16_t borderStyle_ = 0;
  int32_t repaints_ = 0;
  WeakRef<Object> object_;  // the UserControlObject handed out, while it lives
  // How the form relays each event asked of hearsUserEvent, for the form and
  // array it was looked up in.
  struct HeardRelay {
    const EventInfo* event;
    WeakRef<Object> form, array;
    int32_t formEvent;
    bool always;
  };
  std::vector<HeardRelay> relays_;
  friend class UserControlObject;
};

// The user control itself, as the code that holds it sees it: the members and
// events its class declares, without those that the form gives every control
// it hosts (Name, Index, Left, Visible, Container, ZOrder ...). Calls go to
// the control; the control's events are raised again by this object. One
// object per control while it is held; it keeps the control alive.
class UserControlObject : public Object {
 public:
  static Ref<UserControlObject> of(UserControl& control);
  // The table of the objects of controls whose class table is `controlClass`
  // (named as that class).
  static const ClassInfo& infoFor(const ClassInfo& controlClass);
  const ClassInfo& classInfo() const override { return *info_; }
  UserControl& control() const { return *control_; }

 protected:
  void terminate() override;

 private:
  explicit UserControlObject(UserControl& control);
  // This object's event for an event of the control (null for none), looked
  // up once for each.
  const EventInfo* mine(const EventInfo& controlEvent);

  Ref<UserControl> control_;
  const ClassInfo* info_;
  int32_t sink_ = 0;
  PerEvent<const EventInfo*> events_;
};

}  // namespace svx
