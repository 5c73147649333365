#include "platform/forms/command_button.h"

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
