#include "platform/forms/control_extender.h"

#include <map>
#include <memory>
#include <set>

#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"

namespace svx {

// EventParameters and EventInfo.

Variant EventParameters::Item(Variant& index) {
  const int32_t i = toI4(index);
  if (i < 0 || i >= static_cast<int32_t>(params_.size())) raise(err::SubscriptOutOfRange);
  return Variant(ObjectRef(params_[static_cast<size_t>(i)]));
}

const ClassInfo& EventParameters::info() {
  static const ClassInfo ci = ClassInfo(u"EventParameters")
                                  .get<&EventParameters::Count>(u"Count")
                                  .get<&EventParameters::Item>(u"Item", {in(u"Index")})
                                  .defaultMember(u"Item");
  return ci;
}

ControlEventInfo::ControlEventInfo(BStr name, EventParameterList params)
    : name_(std::move(name)), params_(makeRef<EventParameters>(std::move(params))) {}

const ClassInfo& ControlEventInfo::info() {
  static const ClassInfo ci = ClassInfo(u"EventInfo")
                                  .get<&ControlEventInfo::Name>(u"Name")
                                  .get<&ControlEventInfo::Parameters>(u"EventParameters");
  return ci;
}

// The extender.

namespace {

void declareExtenderMembers(ClassInfo& ci) {
  ci.get<&Control::Name>(u"Name")
      .get<&ControlExtender::ControlObject>(u"Object")
      .get<&Control::Tag>(u"Tag")
      .let<&Control::letTag>(u"Tag", {in(u"Value")})
      .get<&Control::Container>(u"Container")
      .set<&Control::setContainerRef>(u"Container", {in(u"Value")})
      .get<&Control::Parent>(u"Parent");
  Control::declarePlacement(ci);
  ci.event(u"GotFocus", {})
      .event(u"LostFocus", {})
      .event(u"Validate", {u"Cancel"})
      .event(u"ObjectEvent", {u"Info"});
}

}  // namespace

const ClassInfo& ControlExtender::infoFor(const ClassInfo& controlClass) {
  static std::map<const ClassInfo*, std::unique_ptr<ClassInfo>> tables;
  auto& table = tables[&controlClass];
  if (!table) {
    table = std::make_unique<ClassInfo>(u"VBControlExtender");
    declareExtenderMembers(*table);
    std::set<int32_t> own;
    for (const MemberInfo* m : table->members()) own.insert(m->dispid);
    for (const MemberInfo* m : controlClass.members()) {
      const int32_t existing = table->dispidOf(m->name);
      if (existing >= 0 && own.count(existing)) continue;
      // A member of the hosted control, called through the extender.
      table->member(m->name, m->kind, m->params,
                    forwardMember([](Object& self) { return ObjectRef(&static_cast<ControlExtender&>(self).control()); },
                                  m->dispid, m->kind),
                    m->description);
    }
  }
  return *table;
}

namespace {
Ref<HostedControl> hostedControlOf(const ObjectRef& object) {
  Ref<HostedControl> c = refCast<HostedControl>(object);
  if (!c) raise(err::CannotCreateObject, u"ActiveX component can't create object: the class is not a control");
  return c;
}
}  // namespace

ControlExtender::ControlExtender(const ObjectRef& object)
    : control_(hostedControlOf(object)), info_(&infoFor(control_->classInfo())) {
  control_->extender_ = WeakRef<Object>(this);
}

ControlExtender::~ControlExtender() = default;

void ControlExtender::render(RenderItem& item) const {
  Control::render(item);
  surface_.resize(std::max(1, static_cast<int>(twipsToPixels(width_))),
                  std::max(1, static_cast<int>(twipsToPixels(height_))));
  surface_.setBackColor(backColor_);
  surface_.setForeColor(foreColor_);
  try {
    control_->paint(surface_);
  } catch (const std::exception&) {
    // A control that fails to paint shows its background.
  }
  item.kind = RenderKind::PictureBox;
  item.border = false;
  item.surface = &surface_;
}

void ControlExtender::onOwnEvent(ControlEvent event, std::span<Variant> params) {
  Ref<Control> keep(this);
  switch (event) {
    case ControlEvent::GotFocus: ignoreErrors([&] { raiseEvent(GotFocusEvent, {}); }); break;
    case ControlEvent::LostFocus: ignoreErrors([&] { raiseEvent(LostFocusEvent, {}); }); break;
    case ControlEvent::Validate: ignoreErrors([&] { raiseEvent(ValidateEvent, params); }); break;
    default: ignoreErrors([&] { control_->onInput(event, params); }); break;
  }
}

void ControlExtender::raiseObjectEvent(BStrView name, const EventParameterList& params) {
  Ref<Control> keep(this);
  std::vector<Variant> args{Variant(ObjectRef(makeRef<ControlEventInfo>(BStr(name), params)))};
  std::vector<Variant> refs = refsTo(args);
  ignoreErrors([&] { raiseEvent(ObjectEventEvent, refs); });
}

}  // namespace svx
