#include "platform/forms/command_button.h"

#include <algorithm>

#include "platform/forms/form.h"
#include "platform/graphics/form_render.h"

namespace svx {

void CommandButton::copyFrom(const Control& s) {
  Control::copyFrom(s);
  caption_ = static_cast<const CommandButton&>(s).caption_;
}

bool CommandButton::isDefault() const { return form() && form()->defaultButton() == this; }
bool CommandButton::isCancel() const { return form() && form()->cancelButton() == this; }

void CommandButton::setDefault(bool v) {
  if (Form* f = form(); f && v != isDefault()) f->setDefaultButton(v ? this : nullptr);
}

void CommandButton::setCancel(bool v) {
  if (Form* f = form(); f && v != isCancel()) f->setCancelButton(v ? this : nullptr);
}

void CommandButton::pressKey(int16_t keyCode, int16_t shift) {
  Form* f = form();
  if (!f || !f->arrowsMoveAmongButtons() || (shift & 6) != 0 || keyCode < 37 || keyCode > 40) return;
  const std::vector<Control*> group = f->buttonGroupOf(*this);
  const auto at = std::ranges::find(group, this);
  if (at == group.end() || group.size() < 2) return;
  const std::size_t n = group.size(), i = static_cast<std::size_t>(at - group.begin());
  Ref<Form> keep(f);
  Ref<Control> target(group[keyCode == 37 || keyCode == 38 ? (i + n - 1) % n : (i + 1) % n]);
  f->moveFocusByKey(target.get());
}

void CommandButton::render(RenderItem& item) const {
  Control::render(item);
  item.kind = RenderKind::CommandButton;
  item.text = caption_;
  item.accessKeys = true;
}

const ClassInfo& CommandButton::info() {
  static const ClassInfo ci = [] {
    ClassInfo c(u"CommandButton", &Control::info());
    Control::declareFont(c);
    formprop::prop<CommandButton>(c, u"Caption", &CommandButton::caption, &CommandButton::setCaption);
    formprop::prop<CommandButton>(c, u"Default", &CommandButton::isDefault, &CommandButton::setDefault);
    formprop::prop<CommandButton>(c, u"Cancel", &CommandButton::isCancel, &CommandButton::setCancel);
    c.event(u"Click", {});
    return c;
  }();
  return ci;
}

}  // namespace svx
