// Captions that a window's picture cuts off: each text measured against the
// room the renderer gives it in its control.
#pragma once

#include <string>
#include <vector>

#include "platform/forms/form.h"
#include "platform/graphics/access_key.h"
#include "platform/graphics/font.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"

namespace svx::testing {

// "text (needed > room)" for each caption of `it` and its children that does
// not fit on one line.
inline void collectClippedCaptions(const RenderItem& it, std::vector<std::string>& clipped) {
  if (!it.visible) return;
  const int width = twipsToRoundedPixels(it.rect.width);
  int room = -1;
  switch (it.kind) {
    case RenderKind::Label: room = width - 2; break;
    case RenderKind::CheckBox:
    case RenderKind::OptionButton: room = width - 18; break;  // the mark, 1 + 13 + 4 pixels
    case RenderKind::CommandButton: room = width - 8; break;
    case RenderKind::ComboBox: room = width - 16 - 1 - 5 - 3; break;  // the button and the margins
    default: break;
  }
  if (room >= 0 && !it.text.empty()) {
    // A caption shows its access key underlined, without the '&'.
    const std::u16string shown = it.accessKeys ? parseAccessKey(it.text).shown : it.text;
    const int needed = measureText(it.font, shown).width;
    if (needed > room)
      clipped.push_back(utf8(it.text) + " (" + std::to_string(needed) + " > " + std::to_string(room) + ")");
  }
  for (const RenderItem& child : it.children) collectClippedCaptions(child, clipped);
}

inline std::vector<std::string> clippedCaptions(Form& f) {
  std::vector<std::string> clipped;
  collectClippedCaptions(f.picture(), clipped);
  return clipped;
}

}  // namespace svx::testing
