#include "platform/forms/label.h"

#include "platform/graphics/form_render.h"

namespace svx {

void Label::copyFrom(const Control& s) {
  Control::copyFrom(s);
  p_ = static_cast<const Label&>(s).p_;
}

void Label::setCaption(BStr c) {
  if (c == p_.caption) return;
  p_.caption = std::move(c);
  fire(ControlEvent::Change);
}

void Label::render(RenderItem& item) const {
  Control::render(item);
  item.kind = RenderKind::Label;
  item.text = p_.caption;
  item.accessKeys = p_.useMnemonic;
  item.border = p_.borderStyle == 1;
  item.transparent = p_.backStyle == 0;
}

const ClassInfo& Label::info() {
  static const ClassInfo ci = [] {
    ClassInfo c(u"Label", &Control::info());
    Control::declareFont(c);
    formprop::prop<Label>(c, u"Caption", &Label::caption, &Label::setCaption);
    formprop::prop<Label>(c, u"BorderStyle", &Label::borderStyle, &Label::setBorderStyle);
    formprop::prop<Label>(c, u"Alignment", &Label::alignment, &Label::setAlignment);
    formprop::prop<Label>(c, u"AutoSize", &Label::autoSize, &Label::setAutoSize);
    formprop::prop<Label>(c, u"WordWrap", &Label::wordWrap, &Label::setWordWrap);
    formprop::prop<Label>(c, u"BackStyle", &Label::backStyle, &Label::setBackStyle);
    formprop::prop<Label>(c, u"UseMnemonic", &Label::useMnemonic, &Label::setUseMnemonic);
    c.defaultMember(u"Caption");
    return c;
  }();
  return ci;
}

}  // namespace svx
