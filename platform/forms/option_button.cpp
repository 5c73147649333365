#include "platform/forms/option_button.h"

#include <algorithm>

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

void OptionButton::pressKey(int16_t keyCode, int16_t shift) {
  Form* f = form();
  if (!f || (shift & 6) != 0 || keyCode < 37 || keyCode > 40) return;
  const std::vector<Control*> group = f->optionGroupOf(*this);
  const auto at = std::ranges::find(group, this);
  if (at == group.end() || group.size() < 2) return;
  // Left and Up go back, Right and Down on, round the group.
  const std::size_t n = group.size(), i = static_cast<std::size_t>(at - group.begin());
  Ref<Control> target(group[keyCode == 37 || keyCode == 38 ? (i + n - 1) % n : (i + 1) % n]);
  if (f->moveFocus(target.get()) && target->loaded()) static_cast<OptionButton&>(*target).setValue(true);
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
