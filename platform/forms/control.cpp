#include "platform/forms/control.h"

#include <algorithm>
#include <array>

#include "platform/desktop/desktop.h"
#include "platform/forms/control_array.h"
#include "platform/forms/font_object.h"
#include "platform/forms/form.h"
#include "platform/forms/input.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"

namespace svx {

std::u16string_view eventName(ControlEvent e) {
  static constexpr std::array<std::u16string_view, 17> names{
      u"Click",    u"DblClick",  u"GotFocus", u"LostFocus", u"KeyDown", u"KeyPress",
      u"KeyUp",    u"MouseDown", u"MouseMove", u"MouseUp",  u"Change",  u"DropDown",
      u"Scroll",   u"Validate",  u"ItemCheck", u"Paint",    u"Resize"};
  return names[static_cast<size_t>(e)];
}

void checkPropertyRange(double v, double lo, double hi) {
  if (!(v >= lo && v <= hi)) raise(err::InvalidPropertyValue);
}

Control::Control() = default;

Control::~Control() = default;

Form* Control::form() const {
  if (Form* f = form_.get()) return f;
  if (Control* h = host_.get()) return h->form();
  return nullptr;
}

void Control::copyFrom(const Control& s) {
  left_ = s.left_;
  top_ = s.top_;
  width_ = s.width_;
  height_ = s.height_;
  foreColor_ = s.foreColor_;
  backColor_ = s.backColor_;
  ownFont_ = s.ownFont_;
  tag_ = s.tag_;
  enabled_ = s.enabled_;
  tabStop_ = s.tabStop_;
  causesValidation_ = s.causesValidation_;
  container_ = s.container_;
}

void Control::requireRect() const {
  if (!hasRect()) raise(err::MemberNotSupported);
}

void Control::requireFocusAttributes() const {
  if (!hasTabIndex()) raise(err::MemberNotSupported);
}

void Control::setEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  if (hwnd_) EnableWindow(hwnd_, enabled ? 1 : 0);
  Form* f = form();
  if (!enabled && f && f->activeControl() == this) f->active_ = WeakRef<Control>();
  if (!enabled) input::controlChanged();
}

void Control::setVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
  Form* f = form();
  if (!visible && f && f->activeControl() == this) f->active_ = WeakRef<Control>();
  if (!visible) input::controlChanged();
}

// A constituent is shown and enabled with its host.
bool Control::shownOnForm() const {
  for (const Control* c = this; c; c = c->host() ? c->host() : c->container())
    if (!c->visible_) return false;
  return true;
}

bool Control::enabledOnForm() const {
  for (const Control* c = this; c; c = c->host() ? c->host() : c->container())
    if (!c->enabled_) return false;
  return true;
}

bool Control::focusable() const {
  return canHaveFocus() && loaded() && shownOnForm() && enabledOnForm();
}

double Control::left() const { requireRect(); return left_; }
double Control::top() const { requireRect(); return top_; }
double Control::width() const { requireRect(); return width_; }
double Control::height() const { requireRect(); return height_; }

void Control::setLeft(double v) { move(v); }
void Control::setTop(double v) { move(left(), v); }
void Control::setWidth(double v) { move(left(), top(), v); }
void Control::setHeight(double v) { move(left(), top(), width(), v); }

void Control::move(double l, std::optional<double> t, std::optional<double> w, std::optional<double> h) {
  requireRect();
  if ((w && *w < 0) || (h && *h < 0)) raise(err::InvalidPropertyValue);
  const double nt = t.value_or(top_), nw = w.value_or(width_), nh = h.value_or(height_);
  if (l == left_ && nt == top_ && nw == width_ && nh == height_) return;
  left_ = l;
  top_ = nt;
  width_ = nw;
  height_ = nh;
  if (hwnd_)
    SetWindowPos(hwnd_, 0, twipsToWholePixels(left_), twipsToWholePixels(top_), twipsToWholePixels(width_),
                 twipsToWholePixels(height_), SWP_NOZORDER | SWP_NOACTIVATE);
  placed();
}

int16_t Control::tabIndex() const {
  requireFocusAttributes();
  if (Form* f = form()) {
    const size_t at = f->tabOrder_.indexOf(const_cast<Control*>(this));
    if (at != f->tabOrder_.npos) return static_cast<int16_t>(at);
  }
  return 0;
}

void Control::setTabIndex(int16_t index) {
  requireFocusAttributes();
  if (index < 0) raise(err::InvalidPropertyValue);
  if (Form* f = form()) f->setTabPosition(*this, index);
}

HWND Control::hWnd() const {
  if (!windowed()) raise(err::MemberNotSupported);
  return hwnd_;
}

void Control::setContainer(Control* c) {
  if (c == container()) return;
  if (c) {
    if (!c->isContainer()) raise(err::InvalidPropertyValue);
    for (const Control* p = c; p; p = p->container())
      if (p == this) raise(err::InvalidProcedureCall);
    if (c->form() != form()) raise(err::InvalidPropertyValue);
  }
  Control* old = container();
  container_ = WeakRef<Control>(c);
  if (Form* f = form()) {
    // Joins the new container at the front.
    if (f->zOrder_.contains(this) && old) --old->childCount_;
    f->zOrder_.erase(this);
    f->zOrder_.push_back(this);
    if (c) ++c->childCount_;
  }
}

void Control::zOrder(int16_t position) {
  if (position != 0 && position != 1) raise(err::InvalidProcedureCall);
  Form* f = form();
  if (!f) return;
  f->zOrder_.erase(this);
  if (position == 0)
    f->zOrder_.push_back(this);
  else
    f->zOrder_.insert(0, this);
}

void Control::setFocus() {
  Form* f = form();
  if (!f || !focusable() || !f->visible()) raise(err::InvalidProcedureCall);
  f->moveFocus(this);
}

Font Control::font() const {
  if (ownFont_) return *ownFont_;
  if (Form* f = form()) return f->font();
  return Font{u"Tahoma", 8.25};
}

void Control::setFont(Font f) {
  if (!(f.size > 0) || f.size > 2048) raise(err::InvalidPropertyValue);
  if (ownFont_ && *ownFont_ == f) return;
  ownFont_ = std::move(f);
}

void Control::setForeColor(OleColor c) {
  if (!translateOleColor(c)) raise(err::InvalidPropertyValue);
  foreColor_ = c;
}

void Control::setBackColor(OleColor c) {
  if (!translateOleColor(c)) raise(err::InvalidPropertyValue);
  backColor_ = c;
}

bool Control::eventsSuppressed() const {
  Form* f = form();
  return !f || f->eventsSuppressed();
}

void Control::fire(ControlEvent event, std::span<Variant> params) {
  if (eventsSuppressed()) return;
  Ref<Control> keep(this);
  if (Control* h = host_.get()) {
    Ref<Control> keepHost(h);
    h->constituentEvent(*this, event, params);
    return;
  }
  if (ownEvent(event, params)) return;
  form()->deliver(*this, event, params);
}

void Control::fireKey(ControlEvent event, int16_t& code, int16_t& shift) {
  std::array<Variant, 2> p{Variant::byRef(code), Variant::byRef(shift)};
  fire(event, p);
}

void Control::fireKeyPress(int16_t& ascii) {
  std::array<Variant, 1> p{Variant::byRef(ascii)};
  fire(ControlEvent::KeyPress, p);
}

void Control::fireMouse(ControlEvent event, int16_t& button, int16_t& shift, float& x, float& y) {
  std::array<Variant, 4> p{Variant::byRef(button), Variant::byRef(shift), Variant::byRef(x), Variant::byRef(y)};
  fire(event, p);
}

bool Control::fireValidate() {
  int16_t cancel = VARIANT_FALSE;
  std::array<Variant, 1> p{Variant::byRefBool(cancel)};
  fire(ControlEvent::Validate, p);
  return cancel != 0;
}

void Control::render(RenderItem& item) const {
  item.kind = RenderKind::Generic;
  item.rect = {left_, top_, width_, height_};
  item.visible = visible_;
  item.enabled = enabled_;
  item.foreColor = foreColor_;
  item.backColor = backColor_;
  item.font = font();
  item.text = name_;
}

LRESULT Control::handleMessage(UINT, WPARAM, LPARAM) { return 0; }

void Control::createWindow() {
  Form* f = form();
  if (!windowed() || hwnd_ || !f) return;
  WindowSpec spec;
  spec.className = "Svx" + utf8(info().name());
  spec.style = WS_CHILD | (visible_ ? WS_VISIBLE : 0);
  spec.parent = f->hWnd();
  spec.rect = {twipsToWholePixels(left_), twipsToWholePixels(top_), twipsToWholePixels(width_),
               twipsToWholePixels(height_)};
  WeakRef<Control> self(this);
  spec.handler = [self](HWND, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    Control* c = self.get();
    return c ? c->handleMessage(msg, w, l) : 0;
  };
  hwnd_ = desktop().createWindow(spec);
}

void Control::destroyWindow() {
  if (hwnd_) DestroyWindow(std::exchange(hwnd_, 0));
}

// Automation members.

namespace {
double single(const Variant& v) { return toR4(v); }
}  // namespace

Variant Control::Name() { return Variant(name_); }
Variant Control::Index() { return Variant::i2(index_); }
Variant Control::Tag() { return Variant(tag_); }
void Control::letTag(Variant& v) { tag_ = toBStr(v); }
Variant Control::Container() {
  if (Control* c = container()) return Variant(ObjectRef(c));
  if (Form* f = form()) return Variant(ObjectRef(f));
  return Variant::nothing();
}
void Control::setContainerRef(Variant& v) {
  const Variant& val = v.deref();
  if (!val.isObject() || !val.asObject()) raise(err::ObjectRequired);
  Object* o = val.asObject().get();
  if (o == form()) return setContainer(nullptr);
  auto* c = dynamic_cast<Control*>(o);
  if (!c) raise(err::InvalidPropertyValue);
  setContainer(c);
}
Variant Control::Enabled() { return Variant(enabled_); }
void Control::letEnabled(Variant& v) { setEnabled(toBool(v)); }
Variant Control::Parent() {
  if (Form* f = form()) return Variant(ObjectRef(f));
  return Variant::nothing();
}
Variant Control::Left() { return Variant(static_cast<float>(left())); }
void Control::letLeft(Variant& v) { setLeft(single(v)); }
Variant Control::Top() { return Variant(static_cast<float>(top())); }
void Control::letTop(Variant& v) { setTop(single(v)); }
Variant Control::Width() { return Variant(static_cast<float>(width())); }
void Control::letWidth(Variant& v) { setWidth(single(v)); }
Variant Control::Height() { return Variant(static_cast<float>(height())); }
void Control::letHeight(Variant& v) { setHeight(single(v)); }
Variant Control::Visible() { return Variant(visible_); }
void Control::letVisible(Variant& v) { setVisible(toBool(v)); }
Variant Control::TabIndex() { return Variant::i2(tabIndex()); }
void Control::letTabIndex(Variant& v) { setTabIndex(toI2(v)); }
Variant Control::TabStop() { requireFocusAttributes(); return Variant(tabStop_); }
void Control::letTabStop(Variant& v) { requireFocusAttributes(); tabStop_ = toBool(v); }
Variant Control::CausesValidation() { requireFocusAttributes(); return Variant(causesValidation_); }
void Control::letCausesValidation(Variant& v) { requireFocusAttributes(); causesValidation_ = toBool(v); }
Variant Control::HWnd() { return Variant(static_cast<int32_t>(hWnd())); }
void Control::ZOrder(Variant& position) { zOrder(position.isMissing() ? 0 : toI2(position)); }
void Control::SetFocus() { setFocus(); }
void Control::Move(Variant& l, Variant& t, Variant& w, Variant& h) {
  auto opt = [](const Variant& v) -> std::optional<double> {
    if (v.isMissing()) return std::nullopt;
    return single(v);
  };
  move(single(l), opt(t), opt(w), opt(h));
}
Variant Control::ForeColor() { return Variant(static_cast<int32_t>(foreColor_)); }
void Control::letForeColor(Variant& v) { setForeColor(static_cast<OleColor>(toI4(v))); }
Variant Control::BackColor() { return Variant(static_cast<int32_t>(backColor_)); }
void Control::letBackColor(Variant& v) { setBackColor(static_cast<OleColor>(toI4(v))); }
Variant Control::FontObjectOf() {
  WeakRef<Control> self(this);
  return Variant(ObjectRef(makeRef<FontObject>(
      [self]() -> std::optional<Font> {
        if (Control* c = self.get()) return c->font();
        return std::nullopt;
      },
      [self](const Font& f) {
        if (Control* c = self.get()) c->setFont(f);
      })));
}
void Control::setFontFrom(Variant& v) { setFont(fontObjectOf(v)->font()); }

void Control::declareFont(ClassInfo& ci) {
  ci.get<&Control::FontObjectOf>(u"Font").set<&Control::setFontFrom>(u"Font", {in(u"Value")});
}

void Control::declarePlacement(ClassInfo& ci) {
  ci.get<&Control::Left>(u"Left")
      .let<&Control::letLeft>(u"Left", {in(u"Value")})
      .get<&Control::Top>(u"Top")
      .let<&Control::letTop>(u"Top", {in(u"Value")})
      .get<&Control::Width>(u"Width")
      .let<&Control::letWidth>(u"Width", {in(u"Value")})
      .get<&Control::Height>(u"Height")
      .let<&Control::letHeight>(u"Height", {in(u"Value")})
      .get<&Control::Visible>(u"Visible")
      .let<&Control::letVisible>(u"Visible", {in(u"Value")})
      .get<&Control::TabIndex>(u"TabIndex")
      .let<&Control::letTabIndex>(u"TabIndex", {in(u"Value")})
      .get<&Control::TabStop>(u"TabStop")
      .let<&Control::letTabStop>(u"TabStop", {in(u"Value")})
      .get<&Control::CausesValidation>(u"CausesValidation")
      .let<&Control::letCausesValidation>(u"CausesValidation", {in(u"Value")})
      .get<&Control::HWnd>(u"hWnd")
      .method<&Control::ZOrder>(u"ZOrder", {inOpt(u"Position")})
      .method<&Control::SetFocus>(u"SetFocus", {})
      .method<&Control::Move>(u"Move", {in(u"Left"), inOpt(u"Top"), inOpt(u"Width"), inOpt(u"Height")});
}

const ClassInfo& Control::info() {
  static const ClassInfo ci = [] {
    ClassInfo c(u"Control");
    c.get<&Control::Name>(u"Name")
        .get<&Control::Index>(u"Index")
        .get<&Control::Tag>(u"Tag")
        .let<&Control::letTag>(u"Tag", {in(u"Value")})
        .get<&Control::Container>(u"Container")
        .set<&Control::setContainerRef>(u"Container", {in(u"Value")})
        .get<&Control::Enabled>(u"Enabled")
        .let<&Control::letEnabled>(u"Enabled", {in(u"Value")})
        .get<&Control::Parent>(u"Parent");
    declarePlacement(c);
    c.method<&Control::Refresh>(u"Refresh", {})
        .get<&Control::ForeColor>(u"ForeColor")
        .let<&Control::letForeColor>(u"ForeColor", {in(u"Value")})
        .get<&Control::BackColor>(u"BackColor")
        .let<&Control::letBackColor>(u"BackColor", {in(u"Value")});
    return c;
  }();
  return ci;
}

}  // namespace svx
