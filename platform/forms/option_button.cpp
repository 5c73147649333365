#include "platform/forms/option_button.h"

#include "platform/forms/form.h"
#include "platform/graphics/form_render.h"

namespace svx {

void OptionButton::copyFrom(const Control& s) {
  Control::copyFrom(s);
  caption_ = static_cast<const OptionButton&>(s).caption_;
  value_ = false;  // a copy never takes the container's selection
}

void OptionButton::setValue(bool v) {
  if (v == value_) return;
  value_ = v;
  if (!v) return;
  if (Form* f = form())
    for (Control* c : f->childrenOf(container()))
      if (auto* o = dynamic_cast<OptionButton*>(c); o && o != this) o->value_ = false;
  fire(ControlEvent::Click);
}

void OptionButton::render(RenderItem& item) const {
  Control::render(item);
  item.kind = RenderKind::OptionButton;
  item.text = caption_;
  item.accessKeys = true;
  item.value = value_ ? 1 : 0;
}

const ClassInfo& OptionButton::info() {
  static const ClassInfo ci = [] {
    ClassInfo c(u"OptionButton", &Control::info());
    Control::declareFont(c);
    formprop::prop<OptionButton>(c, u"Caption", &OptionButton::caption, &OptionButton::setCaption);
    formprop::prop<OptionButton>(c, u"Value", &OptionButton::value, &OptionButton::setValue);
    c.defaultMember(u"Value");
    return c;
  }();
  return ci;
}

}  // namespace svx
