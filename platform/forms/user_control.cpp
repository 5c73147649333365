#include "platform/forms/user_control.h"

#include "platform/forms/form.h"
#include "platform/graphics/form_render.h"

namespace svx {

void PropertyBag::writeProperty(BStrView name, Variant value) {
  for (auto& [n, v] : entries_)
    if (sameName(n, name)) {
      v = std::move(value);
      return;
    }
  entries_.emplace_back(BStr(name), std::move(value));
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
    PropertyBag bag;
    u->writeProperties(bag);
    readProperties(bag);
  }
}

void UserControl::setVisible(bool visible) {
  if (invisibleAtRunTime()) visible = false;
  Control::setVisible(visible);
}

void UserControl::render(RenderItem& item) const {
  Control::render(item);
  if (invisibleAtRunTime()) item.visible = false;
}

void UserControl::raiseUserEvent(BStrView name, std::span<Variant> params) {
  Ref<Control> keep(this);
  if (Form* f = form()) f->deliverUser(*this, name, params);
  if (const EventInfo* e = classInfo().findEvent(name)) {
    std::vector<Variant> refs = refsTo(params);
    raiseEvent(e->dispid, refs);
  }
}

const ClassInfo& UserControl::info() {
  static const ClassInfo ci = ClassInfo(u"UserControl", &Control::info());
  return ci;
}

}  // namespace svx
