#include "platform/forms/user_control.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "platform/forms/form.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"

namespace svx {

namespace {

bool sameValue(const Variant& a, const Variant& b) {
  const Variant& x = a.deref();
  const Variant& y = b.deref();
  if (x.isObject() || y.isObject()) {
    if (!x.isObject() || !y.isObject()) return false;
    if (x.asObject() == y.asObject()) return true;
    auto* fx = dynamic_cast<FontObject*>(x.asObject().get());
    auto* fy = dynamic_cast<FontObject*>(y.asObject().get());
    return fx && fy && fx->font() == fy->font();
  }
  if (x.baseType() == VT_BSTR || y.baseType() == VT_BSTR)
    return x.baseType() == y.baseType() && x.asBStr() == y.asBStr();
  const auto c = compare(x, y);
  return c && *c == 0;
}

// One pixel of border, in twips.
double borderTwips() { return pixelsToTwips(1); }

}  // namespace

void PropertyBag::writeProperty(BStrView name, Variant value) {
  for (auto& [n, v] : entries_)
    if (sameName(n, name)) {
      v = std::move(value);
      return;
    }
  entries_.emplace_back(BStr(name), std::move(value));
}

void PropertyBag::writeProperty(BStrView name, Variant value, const Variant& defaultValue) {
  if (sameValue(value, defaultValue)) {
    std::erase_if(entries_, [&](const auto& e) { return sameName(e.first, name); });
    return;
  }
  writeProperty(name, std::move(value));
}

Variant PropertyBag::readProperty(BStrView name, Variant defaultValue) const {
  for (const auto& [n, v] : entries_)
    if (sameName(n, name)) return v;
  return defaultValue;
}

bool PropertyBag::contains(BStrView name) const {
  for (const auto& e : entries_)
    if (sameName(e.first, name)) return true;
  return false;
}

void UserControl::copyFrom(const Control& source) {
  Control::copyFrom(source);
  if (const auto* u = dynamic_cast<const UserControl*>(&source)) {
    appearance_ = u->appearance_;
    backStyle_ = u->backStyle_;
    borderStyle_ = u->borderStyle_;
    PropertyBag bag;
    u->writeProperties(bag);
    readProperties(bag);
  }
}

void UserControl::setVisible(bool visible) {
  if (invisibleAtRunTime()) visible = false;
  Control::setVisible(visible);
}

Ref<FontObject> UserControl::ambientFont() const { return makeRef<FontObject>(font()); }

double UserControl::scaleWidth() const { return std::max(0.0, width_ - (borderStyle_ ? 2 * borderTwips() : 0)); }
double UserControl::scaleHeight() const { return std::max(0.0, height_ - (borderStyle_ ? 2 * borderTwips() : 0)); }

void UserControl::setAppearance(int16_t v) {
  checkPropertyRange(v, 0, 1);
  appearance_ = v;
}

void UserControl::setBackStyle(int16_t v) {
  checkPropertyRange(v, 0, 1);
  backStyle_ = v;
}

void UserControl::setBorderStyle(int16_t v) {
  checkPropertyRange(v, 0, 1);
  if (v == borderStyle_) return;
  borderStyle_ = v;
  placed();  // the scale changed
}

void UserControl::addConstituent(Ref<Control> part) {
  part->setHost(this);
  constituents_.push_back(std::move(part));
}

Control* UserControl::constituentAt(double& x, double& y) {
  const double inset = borderStyle_ ? borderTwips() : 0;
  const double sx = x - inset, sy = y - inset;
  for (auto it = constituents_.rbegin(); it != constituents_.rend(); ++it) {
    Control& c = **it;
    if (!c.visible() || !c.hasRect()) continue;
    if (sx >= c.left() && sx < c.left() + c.width() && sy >= c.top() && sy < c.top() + c.height()) {
      x = sx - c.left();
      y = sy - c.top();
      return &c;
    }
  }
  return nullptr;
}

bool UserControl::ownEvent(ControlEvent event, std::span<Variant> params) {
  if (event == ControlEvent::GotFocus || event == ControlEvent::LostFocus || event == ControlEvent::Validate)
    return false;
  surfaceEvent(event, params);
  return true;
}

void UserControl::render(RenderItem& item) const {
  Control::render(item);
  if (invisibleAtRunTime()) {
    item.visible = false;
    return;
  }
  item.kind = RenderKind::PictureBox;
  item.text.clear();
  item.border = borderStyle_ != 0;
  item.transparent = backStyle_ == 0;
  for (const auto& part : constituents_) {
    RenderItem child;
    part->render(child);
    item.children.push_back(std::move(child));
  }
}

void UserControl::raiseUserEvent(BStrView name, std::span<Variant> params) {
  Ref<Control> keep(this);
  if (Form* f = form()) f->deliverUser(*this, name, params);
  if (!hasListeners()) return;
  if (const EventInfo* e = classInfo().findEvent(name)) {
    std::vector<Variant> refs = refsTo(params);
    raiseEvent(e->dispid, refs);
  }
}

bool UserControl::hearsUserEvent(const EventInfo& event) {
  Form* f = form();
  if (f && array() && !f->eventsSuppressed()) {
    auto it = std::find_if(relays_.begin(), relays_.end(), [&](const HeardRelay& r) { return r.event == &event; });
    if (it == relays_.end()) it = relays_.insert(relays_.end(), HeardRelay{&event, {}, {}, 0, false});
    if (it->form.get() != f || it->array.get() != array()) {
      const Form::UserEventRelay relay = f->userControlRelay(*array(), event.name);
      *it = HeardRelay{&event, f, array(), relay.formEvent, relay.always};
    }
    if (f->relays({it->formEvent, it->always})) return true;
  }
  return listensTo(event.dispid);
}

void UserControl::terminate() {
  for (auto& part : constituents_) part->setHost(nullptr);
  constituents_.clear();
  Control::terminate();
}

const ClassInfo& UserControlObject::infoFor(const ClassInfo& controlClass) {
  static std::map<const ClassInfo*, std::unique_ptr<ClassInfo>> tables;
  auto& table = tables[&controlClass];
  if (!table) {
    table = std::make_unique<ClassInfo>(controlClass.name());
    std::set<const MemberInfo*> hosted;
    for (const MemberInfo* m : UserControl::info().members()) hosted.insert(m);
    for (const MemberInfo* m : controlClass.members()) {
      if (hosted.count(m)) continue;
      table->member(m->name, m->kind, m->params,
                    forwardMember([](Object& self) { return ObjectRef(&static_cast<UserControlObject&>(self).control()); },
                                  m->dispid, m->kind),
                    m->description);
      if (!m->result.empty()) table->returns(m->result);
    }
    for (const EventInfo& e : controlClass.events()) table->event(e.name, e.params, e.description);
  }
  return *table;
}

UserControlObject::UserControlObject(UserControl& control)
    : control_(&control), info_(&infoFor(control.classInfo())) {
  WeakRef<UserControlObject> self(this);
  sink_ = control.connect(std::make_shared<FunctionSink>(
      [self](Object&, const EventInfo& e, std::span<Variant> args) {
        UserControlObject* o = self.get();
        if (!o) return;
        Ref<UserControlObject> keep(o);
        if (const EventInfo* mine = o->mine(e)) o->raiseEvent(mine->dispid, args);
      },
      // The control's event is heard here when one of this object's
      // listeners would act on it.
      [self](Object&, const EventInfo& e) {
        UserControlObject* o = self.get();
        if (!o || !o->hasListeners()) return false;
        const EventInfo* mine = o->mine(e);
        return mine && o->listensTo(mine->dispid);
      }));
}

const EventInfo* UserControlObject::mine(const EventInfo& controlEvent) {
  return events_.get(controlEvent, [&] { return info_->findEvent(controlEvent.name); });
}

Ref<UserControlObject> UserControlObject::of(UserControl& control) {
  if (Object* o = control.object_.get()) return Ref<UserControlObject>(static_cast<UserControlObject*>(o));
  Ref<UserControlObject> made(new UserControlObject(control));
  control.object_ = WeakRef<Object>(made.get());
  return made;
}

void UserControlObject::terminate() { control_->disconnect(sink_); }

const ClassInfo& UserControl::info() {
  static const ClassInfo ci = ClassInfo(u"UserControl", &Control::info());
  return ci;
}

}  // namespace svx
