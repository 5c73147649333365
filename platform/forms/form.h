// Forms: a design table (the form's stored properties and its controls, as
// element 0 of each control array), the life cycle Initialize, Load,
// Activate, ..., QueryUnload, Unload, Terminate delivered to virtual
// handlers, modal and modeless Show, Hide, Unload and the reload from the
// design when an unloaded form is touched again.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "platform/automation/slot_list.h"
#include "platform/desktop/desktop.h"
#include "platform/forms/control_array.h"
#include "platform/forms/edit_menu.h"
#include "platform/graphics/draw_surface.h"
#include "platform/graphics/picture.h"

namespace svx {

class UserControl;

// One control array of a design: its element 0 with its stored values.
struct ControlDesign {
  BStr arrayName;
  ControlKind kind = ControlKind::Label;
  std::function<Ref<Control>()> factory;  // user controls (kind User)
  std::vector<std::pair<BStr, Variant>> values;  // applied in order by name
  BStr containerName;  // array whose element 0 contains it; empty: the form
};

// The window's frame: a sizable one with minimise and maximise buttons, or
// a fixed dialog frame that keeps its size and has only the close box.
enum class FormBorderStyle : int16_t { Sizable = 2, FixedDialog = 3 };

struct FormDesign {
  BStr name = u"Form1";
  BStr caption;
  // Client area in twips, screen coordinates: places the window.
  double clientLeft = 0, clientTop = 0, clientWidth = 4800, clientHeight = 3600;
  Font font{u"Tahoma", 8.25};
  bool keyPreview = false;
  BStr linkTopic;
  FormBorderStyle borderStyle = FormBorderStyle::Sizable;
  // False: the window has no taskbar entry (WS_EX_TOOLWINDOW).
  bool showInTaskbar = true;
  Picture icon;  // none: the program's icon
  std::vector<ControlDesign> controls;
  // What the first form of a design that many forms share finds once: the
  // arrays' names -> positions in `controls` (a name repeated finds the
  // first), and the property put of each control's each value (per class).
  mutable std::shared_ptr<const NameIndex> arrayIndex;
  mutable std::vector<std::vector<MemberCache>> puts;
};

// Window frame: a 4-pixel border and a 20-pixel caption.
inline constexpr double FormBorderTwips = 60;
inline constexpr double FormCaptionTwips = 300;

enum UnloadMode : int16_t { vbFormControlMenu = 0, vbFormCode = 1 };

class Form : public Object {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }

  explicit Form(FormDesign design);
  // A design that many forms share (made once, never changed).
  explicit Form(std::shared_ptr<const FormDesign> design);
  ~Form() override;

  const FormDesign& design() const { return *design_; }

  // Life cycle.
  bool isLoaded() const { return loaded_; }
  // Loads the form from its design when it is not loaded (Initialize once,
  // then Load). Every member that touches the form calls it.
  void load();
  // Modal: runs the message loop until the form is hidden or unloaded (400
  // when it is already shown); modeless: shows it and returns.
  void show(bool modal = false);
  void hide();
  // QueryUnload then Unload; false when one of them cancelled.
  bool unload(int16_t unloadMode = vbFormCode);
  bool visible() const { return loaded_ && visible_; }
  bool shownModally() const { return modal_; }
  // Whether the form is one of the program's forms, which raise Activate
  // and Deactivate as they become and stop being the active form (input.h).
  // The common dialogs stand for the platform's own dialog boxes: they are
  // not, and their showing changes no form's activation.
  virtual bool raisesActivation() const { return true; }
  // Whether a text box reached from the keyboard selects its whole text, as
  // in the platform's dialog boxes; a program's form leaves it as it was.
  virtual bool selectsFieldOnKeyFocus() const { return false; }
  // Whether the arrow keys move the focus round a group of push buttons
  // (buttonGroupOf), as in the platform's dialog boxes; on a program's form
  // the arrows are the focused button's keys alone.
  virtual bool arrowsMoveAmongButtons() const { return false; }

  // Properties (each loads the form).
  BStr caption();
  void setCaption(BStr caption);
  double left();
  double top();
  double width();
  double height();
  void setLeft(double v);
  void setTop(double v);
  void setWidth(double v);
  void setHeight(double v);
  void move(double left, std::optional<double> top = {}, std::optional<double> width = {},
            std::optional<double> height = {});
  double scaleWidth();
  double scaleHeight();
  // 0 normal, 1 minimised, 2 maximised.
  int16_t windowState();
  void setWindowState(int16_t state);
  bool keyPreview() const { return keyPreview_; }
  void setKeyPreview(bool v) { keyPreview_ = v; }
  const Font& font() const { return font_; }
  void setFont(Font f) { font_ = std::move(f); }
  OleColor foreColor() const { return foreColor_; }
  void setForeColor(OleColor c);
  OleColor backColor() const { return backColor_; }
  void setBackColor(OleColor c);
  HWND hWnd();
  // The loaded form whose window this is (null: none).
  static Form* fromHandle(HWND hwnd);
  const BStr& linkTopic() const { return design_->linkTopic; }
  FormBorderStyle borderStyle() const { return design_->borderStyle; }
  // The design's icon, else the program's.
  const Picture& icon() const;

  // Controls.
  ControlArray& array(BStrView name);  // 438-like failure: 5 for an unknown name
  ControlArray* findArray(BStrView name);
  Control& control(BStrView arrayName, int16_t index = 0) { return array(arrayName).item(index); }
  template <class T>
  T& element(BStrView arrayName, int16_t index = 0) {
    return dynamic_cast<T&>(control(arrayName, index));
  }
  const std::vector<Ref<ControlArray>>& arrays() const { return arrays_; }
  // Every loaded control in z-order, back first.
  const std::vector<Control*>& zOrder() const { return zOrder_.items(); }
  std::vector<Control*> childrenOf(const Control* container) const;
  // The tab order (controls with a TabIndex, by TabIndex).
  const std::vector<Control*>& tabOrder() const { return tabOrder_.items(); }
  // The control that has the focus (null: none).
  Control* activeControl() const { return active_.get(); }
  // Moves the focus: Validate of the current control when `target` causes
  // validation (Cancel keeps it), LostFocus, GotFocus. Returns whether the
  // focus is now on `target`.
  bool moveFocus(Control* target);
  // Moves the focus from the keyboard (Tab, an access key). On a form that
  // selects fields so, a text box reached this way selects its whole text,
  // and what the person types next replaces it.
  bool moveFocusByKey(Control* target);
  // The next control in tab order that can take the focus. A group of
  // options (those sharing a container) is one stop: its chosen option, or
  // its first when none is chosen; from inside a group Tab leaves it.
  Control* nextInTabOrder(Control* from, bool backwards = false);
  // The options that share the container of `option` and can take the
  // focus, in tab order.
  std::vector<Control*> optionGroupOf(const Control& option) const;
  // The push buttons that stand next to `button` in tab order within its
  // container and can take the focus, in tab order, `button` among them (a
  // control that cannot take the focus does not part them); empty when
  // `button` cannot take the focus.
  std::vector<Control*> buttonGroupOf(const Control& button) const;
  // An access key pressed (Alt with the key, `key` upper case): the one
  // visible, enabled control whose caption marks it is clicked (a button,
  // a check box, an option; the focus moves to it first), or for a label
  // or a frame the focus moves to the control after it in tab order. When
  // several controls mark the key, each press moves the focus to the next
  // of them without clicking. False when no control marks it.
  bool pressAccessKey(char16_t key);
  // The Default and Cancel buttons (null: none).
  Control* defaultButton() const { return defaultButton_.get(); }
  Control* cancelButton() const { return cancelButton_.get(); }
  // The control whose drop-down list is open over the form (null: none);
  // one at a time, drawn above every control.
  Control* droppedList() const;
  void setDroppedList(Control* c) { dropped_ = WeakRef<Control>(c); }
  // The context menu of a text field open over the form (null: none, or
  // its field no longer shown, enabled and focused); one at a time, drawn
  // above everything. Opening it closes a dropped list; (x, y) is where it
  // opens, in the client area (twips). Choosing an entry closes the menu,
  // then the field acts on it.
  EditMenu* editMenu();
  void openEditMenu(Control& field, double x, double y);
  void closeEditMenu() { menu_.reset(); }
  void chooseFromEditMenu(int entry);
  // The front-most visible control at client position (x, y) in twips,
  // descending into containers; (x, y) become the control's coordinates.
  Control* controlAt(double& x, double& y);
  // Absolute client position of a control's origin.
  std::pair<double, double> clientOrigin(const Control& c) const;

  // Controls added by ProgID (Controls.Add): created through the class
  // registry with the licence list, placed in `container` (null: the form),
  // invisible, under a name that no other control of the form has (727
  // otherwise). Returns the control's extender.
  Ref<Control> addControl(BStrView progId, BStrView name, const Variant& container = Variant::missing());
  // Controls.Remove: 730 when no control was added under that name.
  void removeControl(BStrView name);
  const std::vector<Ref<Control>>& addedControls() const { return added_; }
  Control* findControl(BStrView name) const;

  // The drawing surface of the client area (twips), sized with the form.
  DrawSurface& surface() { return surface_; }

  // The picture of the form: frame, caption, client area and controls, with
  // the focus and the default button marked. Snapshots and displays draw it.
  RenderItem picture();
  // Snapshot of the form into a PNG file.
  void snapshot(const std::filesystem::path& file);

  // Events of the form, delivered by the runtime.
  virtual void onInitialize() {}
  virtual void onLoad() {}
  virtual void onActivate() {}
  virtual void onDeactivate() {}
  virtual void onGotFocus() {}
  virtual void onLostFocus() {}
  virtual void onPaint() {}
  virtual void onResize() {}
  virtual void onClick() {}
  virtual void onDblClick() {}
  virtual void onQueryUnload(int16_t& /*cancel*/, int16_t& /*unloadMode*/) {}
  virtual void onUnload(int16_t& /*cancel*/) {}
  virtual void onTerminate() {}
  virtual void onKeyDown(int16_t& /*keyCode*/, int16_t& /*shift*/) {}
  virtual void onKeyPress(int16_t& /*keyAscii*/) {}
  virtual void onKeyUp(int16_t& /*keyCode*/, int16_t& /*shift*/) {}
  virtual void onMouseDown(int16_t& /*button*/, int16_t& /*shift*/, float& /*x*/, float& /*y*/) {}
  virtual void onMouseMove(int16_t& /*button*/, int16_t& /*shift*/, float& /*x*/, float& /*y*/) {}
  virtual void onMouseUp(int16_t& /*button*/, int16_t& /*shift*/, float& /*x*/, float& /*y*/) {}
  // Every event of every control, by array (see ControlEvent for params).
  virtual void onControlEvent(ControlArray& /*array*/, ControlEvent /*event*/, int16_t& /*index*/,
                              std::span<Variant> /*params*/) {}
  // The declared events of user controls, by name.
  virtual void onUserControlEvent(ControlArray& /*array*/, BStrView /*event*/, int16_t& /*index*/,
                                  std::span<Variant> /*params*/) {}
  // How onUserControlEvent passes a user control's event on: to a listener
  // of the form's event `formEvent` (none when 0), or `always` whoever
  // listens. The same for every raise from one array; looked up once.
  struct UserEventRelay {
    int32_t formEvent = 0;
    bool always = false;
  };
  virtual UserEventRelay userControlRelay(ControlArray& /*array*/, BStrView /*event*/) { return {}; }
  // Whether a raise that the form relays so would reach a listener now.
  bool relays(const UserEventRelay& r) { return r.always || (r.formEvent != 0 && listensTo(r.formEvent)); }
  // A message with a number of the window's own (WM_USER and above) sent or
  // posted to the form's window, as a dialog's callers send them; 0 unless
  // the form answers it.
  virtual LRESULT onOwnMessage(UINT /*msg*/, WPARAM /*wParam*/, LPARAM /*lParam*/) { return 0; }

  bool eventsSuppressed() const { return suppressEvents_ > 0; }

  // Automation members.
  Variant Caption() { return Variant(caption()); }
  void letCaption(Variant& v) { setCaption(toBStr(v)); }
  Variant Left() { return Variant(static_cast<float>(left())); }
  void letLeft(Variant& v) { setLeft(toR4(v)); }
  Variant Top() { return Variant(static_cast<float>(top())); }
  void letTop(Variant& v) { setTop(toR4(v)); }
  Variant Width() { return Variant(static_cast<float>(width())); }
  void letWidth(Variant& v) { setWidth(toR4(v)); }
  Variant Height() { return Variant(static_cast<float>(height())); }
  void letHeight(Variant& v) { setHeight(toR4(v)); }
  Variant ScaleWidth() { return Variant(static_cast<float>(scaleWidth())); }
  Variant ScaleHeight() { return Variant(static_cast<float>(scaleHeight())); }
  Variant Visible() { return Variant(visible()); }
  void letVisible(Variant& v);
  Variant WindowState() { return Variant::i2(windowState()); }
  void letWindowState(Variant& v) { setWindowState(toI2(v)); }
  Variant KeyPreview() { return Variant(keyPreview_); }
  void letKeyPreview(Variant& v) { keyPreview_ = toBool(v); }
  Variant HWnd() { return Variant(static_cast<int32_t>(hWnd())); }
  Variant Controls();
  Variant Show(Variant& modal);
  void Hide() { hide(); }
  void Move(Variant& left, Variant& top, Variant& width, Variant& height);
  Variant ForeColor() { return Variant(static_cast<int32_t>(foreColor_)); }
  void letForeColor(Variant& v) { setForeColor(static_cast<OleColor>(toI4(v))); }
  Variant BackColor() { return Variant(static_cast<int32_t>(backColor_)); }
  void letBackColor(Variant& v) { setBackColor(static_cast<OleColor>(toI4(v))); }
  Variant Name() { return Variant(design_->name); }
  Variant FontName() { return Variant(font_.name); }
  void letFontName(Variant& v) { font_.name = toBStr(v); }
  Variant FontSize() { return Variant(static_cast<float>(font_.size)); }
  void letFontSize(Variant& v);
  Variant LinkTopic() { return Variant(design_->linkTopic); }

 protected:
  void terminate() override;

 private:
  friend class Control;
  friend class ControlArray;
  friend class CommandButton;
  friend class OptionButton;
  friend class EventSuppression;
  friend class UserControl;

  void buildFromDesign();
  void destroyControls();
  void attach(Control& c);  // a new control joins z-order and tab order
  void detach(Control& c);  // an unloaded control leaves them
  void dropAdded(Control& c);
  void setTabPosition(Control& c, int16_t index);
  void renumberTabs();
  void setDefaultButton(Control* c);
  void setCancelButton(Control* c);
  void placeWindow();
  void resized();
  // The frame around the client area: the window manager's when a display
  // reports one, else the runtime's own.
  FrameInsets frame() const;
  // The window manager sized the window or changed its state (WM_SIZE):
  // the form follows it without asking anything back, and raises Resize
  // once when its state or its client area changed.
  void followWindow(int16_t state, int32_t clientWidth, int32_t clientHeight);
  void deliver(Control& c, ControlEvent event, std::span<Variant> params);
  void deliverUser(Control& c, BStrView event, std::span<Variant> params);
  void renderChildren(const Control* container, RenderItem& into) const;
  // A message to the form's window: the close box, a person's input, the
  // picture asked for by a display (form_window.cpp).
  LRESULT windowMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  std::shared_ptr<const FormDesign> design_;
  bool initialized_ = false;
  bool loaded_ = false;
  bool visible_ = false;
  bool modal_ = false;
  bool shownOnce_ = false;
  bool showing_ = false;  // inside show(), before its Activate
  struct ShowingGuard {
    explicit ShowingGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ShowingGuard(const ShowingGuard&) = delete;
    ShowingGuard& operator=(const ShowingGuard&) = delete;
    ~ShowingGuard() { flag_ = false; }
    bool& flag_;
  };
  int suppressEvents_ = 0;
  BStr caption_;
  double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  int16_t windowState_ = 0;
  FrameInsets placedFrame_ = kRuntimeFrame;  // the frame when the window was last placed
  bool keyPreview_ = false;
  Font font_;
  OleColor foreColor_ = vbButtonText;
  OleColor backColor_ = vbButtonFace;
  HWND hwnd_ = 0;
  DrawSurface surface_;
  std::vector<Ref<ControlArray>> arrays_;
  const NameIndex* arrayIndex_;  // array name -> position in arrays_ (the design's order)
  std::vector<Ref<Control>> added_;
  // A control leaves both orders in constant time (an Unload).
  struct ZSlot {
    size_t& operator()(Control* c) const { return c->zSlot_; }
  };
  struct TabSlot {
    size_t& operator()(Control* c) const { return c->tabSlot_; }
  };
  SlotList<Control*, ZSlot> zOrder_;
  SlotList<Control*, TabSlot> tabOrder_;
  WeakRef<Control> active_;
  mutable WeakRef<Control> dropped_;
  std::optional<EditMenu> menu_;
  WeakRef<Control> menuField_;
  WeakRef<Control> defaultButton_;
  WeakRef<Control> cancelButton_;
};

// Suppresses the events of a form's controls while it lives (loading).
class EventSuppression {
 public:
  explicit EventSuppression(Form& f) : form_(f) { ++form_.suppressEvents_; }
  ~EventSuppression() { --form_.suppressEvents_; }
  EventSuppression(const EventSuppression&) = delete;
  EventSuppression& operator=(const EventSuppression&) = delete;

 private:
  Form& form_;
};

}  // namespace svx
