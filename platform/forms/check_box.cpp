#include "platform/forms/check_box.h"

#include "platform/graphics/form_render.h"

namespace svx {

void CheckBox::copyFrom(const Control& s) {
  Control::copyFrom(s);
  const auto& o = static_cast<const CheckBox&>(s);
  caption_ = o.caption_;
  value_ = o.value_;
}

void CheckBox::setValue(int16_t v) {
  checkPropertyRange(v, 0, 2);
  if (v == value_) return;
  value_ = v;
  fire(ControlEvent::Click);
}

void CheckBox::render(RenderItem& item) const {
  Control::render(item);
  item.kind = RenderKind::CheckBox;
  item.text = caption_;
  item.accessKeys = true;
  item.value = value_;
}

const ClassInfo& CheckBox::info() {
  static const ClassInfo ci = [] {
    ClassInfo c(u"CheckBox", &Control::info());
    Control::declareFont(c);
    formprop::prop<CheckBox>(c, u"Caption", &CheckBox::caption, &CheckBox::setCaption);
    formprop::prop<CheckBox>(c, u"Value", &CheckBox::value, &CheckBox::setValue);
    c.defaultMember(u"Value");
    return c;
  }();
  return ci;
}

}  // namespace svx
