// Pango layouts for drawing and measuring text (internal to platform/graphics).
#pragma once

#include <string_view>
#include <vector>

#include "platform/graphics/cairo_util.h"
#include "platform/graphics/font.h"

namespace svx::gfx {

// A layout of one line of `text` in `font` for `cr` (a shared measuring
// context when null), with the fixed font options of the graphics area.
LayoutPtr makeLayout(cairo_t* cr, const Font& font, std::u16string_view text);
// Width in pixels of one line of text.
int lineWidth(const Font& font, std::u16string_view line);
// The lines of `text` (split at CR LF, LF or CR; an empty text is one line).
std::vector<std::u16string_view> splitLines(std::u16string_view text);
// Draws one line with its top-left corner at (x, y) in the current source.
void drawLine(cairo_t* cr, const Font& font, std::u16string_view line, double x, double y);

}  // namespace svx::gfx
