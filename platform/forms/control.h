// The common base of every control on a form: identity within its control
// array, container, place, visibility, focus attributes and the delivery of
// its events to the form's handler of its array.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>

#include "platform/automation/coerce.h"
#include "platform/automation/dispatch.h"
#include "platform/desktop/win32.h"
#include "platform/graphics/colour.h"
#include "platform/graphics/font.h"

namespace svx {

enum class EditCommand;  // platform/forms/text_edit.h

class Form;
class ControlArray;
struct RenderItem;

enum class ControlKind {
  CommandButton,
  CheckBox,
  ComboBox,
  Frame,
  HScrollBar,
  VScrollBar,
  Shape,
  Line,
  Image,
  PictureBox,
  Label,
  ListBox,
  TextBox,
  OptionButton,
  User,
};

// Control events as the form's array handler receives them. Parameters
// (after the element's index) are typed references to the event's own
// variables:
//   KeyDown, KeyUp      KeyCode (VT_BYREF|VT_I2), Shift (VT_BYREF|VT_I2)
//   KeyPress            KeyAscii (VT_BYREF|VT_I2)
//   MouseDown/Move/Up   Button, Shift (VT_BYREF|VT_I2), X, Y (VT_BYREF|VT_R4)
//   Validate            Cancel (VT_BYREF|VT_BOOL)
//   ItemCheck           Item (VT_BYREF|VT_I2)
//   all others          none
// The control acts on the values left in them when the handler returns.
enum class ControlEvent {
  Click,
  DblClick,
  GotFocus,
  LostFocus,
  KeyDown,
  KeyPress,
  KeyUp,
  MouseDown,
  MouseMove,
  MouseUp,
  Change,
  DropDown,
  Scroll,
  Validate,
  ItemCheck,
  Paint,
  Resize,
};

std::u16string_view eventName(ControlEvent e);

// Raises 380 unless lo <= v <= hi.
void checkPropertyRange(double v, double lo, double hi);

class Control : public Object {
 public:
  ~Control() override;

  static const ClassInfo& info();

  virtual ControlKind kind() const = 0;
  // A new control of the same class (for a new control-array element).
  virtual Ref<Control> makeSibling() const = 0;
  // Copies the template's properties (common and the kind's own).
  virtual void copyFrom(const Control& source);

  // What the kind has.
  virtual bool hasRect() const { return true; }
  virtual bool canHaveFocus() const { return false; }
  virtual bool hasTabIndex() const { return canHaveFocus(); }
  virtual bool windowed() const { return canHaveFocus(); }
  virtual bool isContainer() const { return false; }
  virtual bool hasValidate() const { return canHaveFocus(); }

  // Identity.
  const BStr& name() const { return name_; }
  int16_t index() const { return index_; }
  ControlArray* array() const { return array_; }
  Form* form() const;
  bool loaded() const { return form() != nullptr; }

  // Common properties.
  const BStr& tag() const { return tag_; }
  void setTag(BStr tag) { tag_ = std::move(tag); }
  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);
  bool visible() const { return visible_; }
  virtual void setVisible(bool visible);
  // Visible and every container visible.
  bool shownOnForm() const;
  bool enabledOnForm() const;

  double left() const;
  double top() const;
  double width() const;
  double height() const;
  void setLeft(double v);
  void setTop(double v);
  void setWidth(double v);
  void setHeight(double v);
  void move(double left, std::optional<double> top = {}, std::optional<double> width = {},
            std::optional<double> height = {});

  int16_t tabIndex() const;
  void setTabIndex(int16_t index);
  bool tabStop() const { return tabStop_; }
  void setTabStop(bool v) { tabStop_ = v; }
  bool causesValidation() const { return causesValidation_; }
  void setCausesValidation(bool v) { causesValidation_ = v; }
  HWND hWnd() const;

  // The container: null for the form, else a picture box or a frame.
  Control* container() const { return container_.get(); }
  // A control cannot contain itself or one of its own containers (5); a
  // control that is no container fails with 380.
  void setContainer(Control* container);

  // Position 0: front of its container; 1: back; anything else fails with 5.
  void zOrder(int16_t position = 0);
  // Gives the focus (Validate of the control that has it first); 5 when the
  // control cannot take it.
  void setFocus();
  void refresh() {}

  // The control's own font once one was set (Font), else the form's.
  virtual Font font() const;
  virtual void setFont(Font f);  // 380 for a size that is not positive
  OleColor foreColor() const { return foreColor_; }
  virtual void setForeColor(OleColor c);
  OleColor backColor() const { return backColor_; }
  virtual void setBackColor(OleColor c);
  // The Font member (a font object bound to the control; Set copies one in),
  // declared by the kinds that show text.
  static void declareFont(ClassInfo& ci);
  // Left, Top, Width, Height, Visible, TabIndex, TabStop, CausesValidation,
  // hWnd, ZOrder, SetFocus and Move: shared with the extender of hosted
  // controls.
  static void declarePlacement(ClassInfo& ci);

  // Whether the control can take the focus now.
  bool focusable() const;
  // The upper-case character of the access key its caption marks with '&'
  // (0: none); the form routes Alt with that key to it.
  virtual char16_t accessKey() const { return 0; }

  // Events: delivered at once to the form's handler of the array; nothing
  // while events are suppressed (loading from a design or a template).
  void fire(ControlEvent event, std::span<Variant> params = {});
  void fireKey(ControlEvent event, int16_t& code, int16_t& shift);
  void fireKeyPress(int16_t& ascii);
  void fireMouse(ControlEvent event, int16_t& button, int16_t& shift, float& x, float& y);
  // Validate; returns the Cancel left by the handler.
  bool fireValidate();
  bool eventsSuppressed() const;

  // What a person's keys and clicks do to the control after its
  // events: a typed character (KeyAscii after the handler), a click.
  virtual void typeChar(int16_t /*ascii*/) {}
  // What a key does to the control after its KeyDown (a text box's caret keys).
  virtual void pressKey(int16_t /*keyCode*/, int16_t /*shift*/) {}
  // A text field's commands of its context menu (EditMenu): whether it has
  // the menu, whether `c` can act now, and acting on it (Change when the
  // text changed).
  virtual bool hasEditMenu() const { return false; }
  virtual bool canEdit(EditCommand /*c*/) const { return false; }
  virtual void editCommand(EditCommand /*c*/) {}
  virtual void userClick() { fire(ControlEvent::Click); }
  // A click at a point of the control (its own coordinates, twips).
  virtual void userClickAt(double /*x*/, double /*y*/) { userClick(); }
  // What a press of the left button at a point does to the control, after
  // its MouseDown and the focus change (a list chooses the item, a combo
  // opens its list, a text box places the caret); `shift` as in the events.
  virtual void pressAt(double /*x*/, double /*y*/, int16_t /*shift*/) {}
  // The pointer moved to (x, y) with the left button held since pressAt.
  virtual void dragTo(double /*x*/, double /*y*/) {}
  // A press ends in one of these two, once, never at some later click:
  // the left button released at (x, y) after pressAt (the control's own
  // coordinates, wherever the pointer is; before any Click), or the press
  // cancelled without a release (the input model dropped the pointer
  // owner: its window hidden, destroyed, disabled or blocked by a modal
  // window; the control hidden, disabled or unloaded; the focus moved away).
  // A control ends its pressed look, pressed part and auto-repeat there.
  virtual void releaseAt(double /*x*/, double /*y*/) {}
  virtual void cancelPress() {}
  // Whether a point lies on the control's frame (the scroll bars of a list
  // or text box): a press there goes to pressAt, dragTo and releaseAt alone,
  // without mouse events, a change of focus, a double click or a Click.
  virtual bool nonClientAt(double /*x*/, double /*y*/) const { return false; }
  // The second press of a double click at a point.
  virtual void doublePressAt(double /*x*/, double /*y*/) {}
  // A press of the middle button at a point, after the focus change (a text
  // box pastes the primary selection there).
  virtual void middlePressAt(double /*x*/, double /*y*/) {}
  // The mouse wheel over the control: `notches` > 0 away from the person.
  // True when the control scrolls with it.
  virtual bool wheel(int /*notches*/) { return false; }

  // The picture of the control for a snapshot (children added by the form).
  virtual void render(RenderItem& item) const;

  // Constituents: a control that a user control is made of belongs to no
  // control array; its events go to that user control (its host).
  Control* host() const { return host_.get(); }
  void setHost(Control* host) { host_ = WeakRef<Control>(host); }
  // The constituent at (x, y) in this control's coordinates (null: none);
  // (x, y) become the constituent's coordinates.
  virtual Control* constituentAt(double& /*x*/, double& /*y*/) { return nullptr; }

  // Automation members (common table).
  Variant Name();
  Variant Index();
  Variant Tag();
  void letTag(Variant& v);
  Variant Container();
  void setContainerRef(Variant& v);
  Variant Enabled();
  void letEnabled(Variant& v);
  Variant Parent();
  Variant Left();
  void letLeft(Variant& v);
  Variant Top();
  void letTop(Variant& v);
  Variant Width();
  void letWidth(Variant& v);
  Variant Height();
  void letHeight(Variant& v);
  Variant Visible();
  void letVisible(Variant& v);
  Variant TabIndex();
  void letTabIndex(Variant& v);
  Variant TabStop();
  void letTabStop(Variant& v);
  Variant CausesValidation();
  void letCausesValidation(Variant& v);
  Variant HWnd();
  void ZOrder(Variant& position);
  void SetFocus();
  void Move(Variant& left, Variant& top, Variant& width, Variant& height);
  void Refresh() { refresh(); }
  Variant ForeColor();
  void letForeColor(Variant& v);
  Variant BackColor();
  void letBackColor(Variant& v);
  Variant FontObjectOf();
  void setFontFrom(Variant& v);

 protected:
  Control();
  void requireRect() const;   // 438 for kinds without a rectangle
  void requireFocusAttributes() const;
  virtual void placed() {}  // after a change of place or size
  // After the control left its form (its unload, or the form's).
  virtual void unloaded() {}
  // An event of one of the control's constituents.
  virtual void constituentEvent(Control& /*part*/, ControlEvent /*event*/, std::span<Variant> /*params*/) {}
  // Events that the control handles itself instead of its form (true: taken).
  virtual bool ownEvent(ControlEvent /*event*/, std::span<Variant> /*params*/) { return false; }
  // Creates or destroys the control's window (windowed kinds).
  virtual LRESULT handleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  // The events of a control that belongs to no control array (one added by
  // ProgID) come back to the control itself instead of a handler of the form.
  virtual void onOwnEvent(ControlEvent /*event*/, std::span<Variant> /*params*/) {}
  void createWindow();
  void destroyWindow();

  double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  OleColor foreColor_ = vbButtonText;
  OleColor backColor_ = vbButtonFace;
  std::optional<Font> ownFont_;  // set through Font; else the form's

 private:
  friend class ControlArray;
  friend class Form;

  BStr name_;
  int16_t index_ = 0;
  ControlArray* array_ = nullptr;
  WeakRef<Form> form_;
  WeakRef<Control> container_;
  WeakRef<Control> host_;
  BStr tag_;
  bool enabled_ = true;
  bool visible_ = true;
  bool tabStop_ = true;
  bool causesValidation_ = true;
  HWND hwnd_ = 0;
  // Its places in the form's z-order and tab order, and how many controls of
  // the form it contains.
  size_t zSlot_ = static_cast<size_t>(-1);
  size_t tabSlot_ = static_cast<size_t>(-1);
  int childCount_ = 0;
};

// Property helpers for the ClassInfo tables of the control classes.
namespace formprop {

inline Variant out(int16_t v) { return Variant::i2(v); }
inline Variant out(int32_t v) { return Variant(v); }
inline Variant out(float v) { return Variant(v); }
inline Variant out(double v) { return Variant(static_cast<float>(v)); }
inline Variant out(bool v) { return Variant(v); }
inline Variant out(const BStr& v) { return Variant(v); }
inline Variant out(OleColor v) { return Variant(static_cast<int32_t>(v)); }

template <class T>
T in(const Variant& v);
template <> inline int16_t in<int16_t>(const Variant& v) { return toI2(v); }
template <> inline int32_t in<int32_t>(const Variant& v) { return toI4(v); }
template <> inline float in<float>(const Variant& v) { return toR4(v); }
template <> inline double in<double>(const Variant& v) { return toR8(v); }
template <> inline bool in<bool>(const Variant& v) { return toBool(v); }
template <> inline BStr in<BStr>(const Variant& v) { return toBStr(v); }
template <> inline OleColor in<OleColor>(const Variant& v) { return static_cast<OleColor>(toI4(v)); }

// A read/write (or read-only) property bound to a C++ getter and setter.
template <class C, class G, class S = std::nullptr_t>
void prop(ClassInfo& ci, BStr name, G get, S set = nullptr) {
  ci.member(name, InvokeKind::PropertyGet, {},
            [get](Object& self, const Args&) { return out((static_cast<C&>(self).*get)()); });
  if constexpr (!std::is_same_v<S, std::nullptr_t>) {
    ci.member(name, InvokeKind::PropertyPut, {svx::in(u"Value")}, [set](Object& self, const Args& a) {
      using T = std::remove_cvref_t<decltype((static_cast<C&>(self).*get)())>;
      (static_cast<C&>(self).*set)(in<T>(a[0]));
      return Variant();
    });
  }
}

}  // namespace formprop

}  // namespace svx
