// Where the help window and the About box start when they have an owner:
// centred on the owner's window.
#pragma once

#include "platform/desktop/desktop.h"
#include "platform/forms/form.h"
#include "platform/graphics/units.h"

namespace svx {

inline void centreOnOwner(Form& form, HWND owner) {
  const Window* w = desktop().find(owner);
  if (!w) return;
  const double left = pixelsToTwips(w->rect.x), top = pixelsToTwips(w->rect.y);
  const double width = pixelsToTwips(w->rect.cx), height = pixelsToTwips(w->rect.cy);
  form.move(left + (width - form.width()) / 2, top + (height - form.height()) / 2);
}

}  // namespace svx
