#include "platform/forms/frame.h"

#include "platform/graphics/form_render.h"

namespace svx {

void Frame::copyFrom(const Control& s) {
  Control::copyFrom(s);
  caption_ = static_cast<const Frame&>(s).caption_;
}

void Frame::render(RenderItem& item) const {
  Control::render(item);
  item.kind = RenderKind::Frame;
  item.text = caption_;
  item.accessKeys = true;
}

const ClassInfo& Frame::info() {
  static const ClassInfo ci = [] {
    ClassInfo c(u"Frame", &Control::info());
    Control::declareFont(c);
    formprop::prop<Frame>(c, u"Caption", &Frame::caption, &Frame::setCaption);
    return c;
  }();
  return ci;
}

}  // namespace svx
