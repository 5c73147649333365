#include "platform/graphics/form_render.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/automation/error.h"
#include "platform/files/regular_file.h"
#include "platform/graphics/access_key.h"
#include "platform/graphics/cairo_util.h"
#include "platform/graphics/draw_surface.h"
#include "platform/graphics/image_codec.h"
#include "platform/graphics/text_layout.h"
#include "platform/graphics/units.h"

namespace svx {

namespace {

// The look: 0xRRGGBB.
constexpr uint32_t frameColour = 0x3C4B64;
constexpr uint32_t captionColour = 0x4A6FA5;
constexpr uint32_t captionTextColour = 0xFFFFFF;
constexpr uint32_t borderColour = 0x404040;
constexpr uint32_t shadowColour = 0x808080;
constexpr uint32_t lightColour = 0xFFFFFF;
constexpr uint32_t fieldColour = 0xFFFFFF;
constexpr uint32_t markColour = 0x000000;
constexpr uint32_t disabledTextColour = 0x8D8D8D;
constexpr uint32_t highlightColour = 0x3366CC;
constexpr uint32_t highlightTextColour = 0xFFFFFF;
constexpr uint32_t trackColour = 0xDCDCDC;
constexpr uint32_t stopColour = 0xD32F2F;
constexpr uint32_t noticeColour = 0x1E63C8;
constexpr uint32_t warningColour = 0xFFCC00;
constexpr uint32_t warningEdgeColour = 0x8A6D00;
constexpr int markBoxSize = 13;

int px(double twips) { return twipsToRoundedPixels(twips); }

uint32_t rgbOf(OleColor colour, uint32_t fallback) {
  auto c = translateOleColor(colour);
  return c ? rgbToOle(*c) : fallback;
}

struct Box {
  double x, y, w, h;
};

// Wrapped text, as text boxes and labels show it; a negative width wraps
// nothing.
gfx::LayoutPtr wrappedLayout(cairo_t* cr, const Font& font, std::u16string_view s, double width) {
  gfx::LayoutPtr layout = gfx::makeLayout(cr, font, s);
  if (width < 0) return layout;
  pango_layout_set_width(layout.get(), static_cast<int>(std::max(1.0, width)) * PANGO_SCALE);
  pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
  return layout;
}

// The height (pango units) above line `n` of a layout (clamped to its lines).
int lineOffset(PangoLayout* layout, int n) {
  n = std::clamp(n, 0, pango_layout_get_line_count(layout) - 1);
  if (n <= 0) return 0;
  PangoRectangle pos{};
  pango_layout_index_to_pos(layout, pango_layout_get_line_readonly(layout, n)->start_index, &pos);
  return pos.y;
}

// Byte offset in UTF-8 of a UTF-16 index, and back.
int byteOffset(std::u16string_view s, int index) {
  return static_cast<int>(utf8(s.substr(0, std::min<std::size_t>(static_cast<std::size_t>(std::max(0, index)), s.size()))).size());
}
int unitIndex(const std::string& u8, int bytes) {
  return static_cast<int>(utf16(std::string_view(u8).substr(0, static_cast<std::size_t>(bytes))).size());
}

// An item's caption as drawn: without its access-key marks when it takes
// access keys, with the key's character to underline.
struct Caption {
  std::u16string shown;
  int underlined = -1;
};

Caption caption(const RenderItem& it) {
  if (!it.accessKeys) return {it.text, -1};
  AccessKeyText parsed = parseAccessKey(it.text);
  return {std::move(parsed.shown), parsed.underlined};
}

class Renderer {
 public:
  explicit Renderer(cairo_t* cr) : cr_(cr) {}

  void item(const RenderItem& it, double originX, double originY) {
    if (!it.visible) return;
    if (it.kind == RenderKind::LineItem) {
      lineItem(it, originX, originY);
      return;
    }
    const Box b{originX + px(it.rect.left), originY + px(it.rect.top), static_cast<double>(px(it.rect.width)),
                static_cast<double>(px(it.rect.height))};
    if (b.w <= 0 || b.h <= 0) return;
    cairo_save(cr_);
    cairo_rectangle(cr_, b.x, b.y, b.w, b.h);
    cairo_clip(cr_);
    const Box inner = body(it, b);
    cairo_restore(cr_);

    cairo_save(cr_);
    cairo_rectangle(cr_, inner.x, inner.y, inner.w, inner.h);
    cairo_clip(cr_);
    for (const auto& child : it.children) item(child, inner.x, inner.y);
    cairo_restore(cr_);
  }

  void form(const RenderItem& it) {
    const double w = px(it.rect.width) + 2 * RenderFrameBorder;
    const double h = px(it.rect.height) + 2 * RenderFrameBorder + RenderCaptionHeight;
    fill({0, 0, w, h}, frameColour);
    fill({RenderFrameBorder, RenderFrameBorder, w - 2 * RenderFrameBorder, RenderCaptionHeight}, captionColour);
    Font captionFont = it.font;
    captionFont.bold = true;
    const double boxes = controlBox(w, it.minMaxBoxes);
    double textLeft = RenderFrameBorder + 6;
    if (!it.icon.isNone()) {
      constexpr double side = RenderCaptionHeight - 6;
      image(it.icon.image(), {RenderFrameBorder + 3, RenderFrameBorder + 3, side, side}, true, CAIRO_FILTER_GOOD);
      textLeft = RenderFrameBorder + 3 + side + 4;
    }
    text(it.text, captionFont, {textLeft, RenderFrameBorder, w - boxes - textLeft - 6, RenderCaptionHeight},
         captionTextColour, Align::Left);
    const Box client{RenderFrameBorder, RenderFrameBorder + RenderCaptionHeight, static_cast<double>(px(it.rect.width)),
                     static_cast<double>(px(it.rect.height))};
    fill(client, rgbOf(it.backColor, 0xF0F0F0));
    if (it.surface) image(it.surface->image(), client, false);
    else if (!it.picture.isNone()) image(it.picture.image(), client, false);
    cairo_save(cr_);
    cairo_rectangle(cr_, client.x, client.y, client.w, client.h);
    cairo_clip(cr_);
    for (const auto& child : it.children) item(child, client.x, client.y);
    cairo_restore(cr_);
  }

 private:
  enum class Align { Left, Centre };

  // The caption's minimise, maximise (unless left out) and close boxes at
  // its right end; returns the width they take.
  double controlBox(double frameWidth, bool minMax) {
    constexpr double size = RenderCaptionHeight - 6;
    const double top = RenderFrameBorder + 3;
    double x = frameWidth - RenderFrameBorder - 3 - size;
    for (int box = 2; box >= (minMax ? 0 : 2) && x > RenderFrameBorder + size; --box, x -= size + 2) {
      const Box b{x, top, size, size};
      raised(b);
      gfx::setSourceRgb(cr_, markColour);
      cairo_set_line_width(cr_, 1.5);
      const double l = b.x + 4, r = b.x + b.w - 4, t = b.y + 4, bt = b.y + b.h - 4;
      if (box == 2) {  // close
        cairo_move_to(cr_, l, t);
        cairo_line_to(cr_, r, bt);
        cairo_move_to(cr_, r, t);
        cairo_line_to(cr_, l, bt);
      } else if (box == 1) {  // maximise
        cairo_rectangle(cr_, l, t, r - l, bt - t);
      } else {  // minimise
        cairo_move_to(cr_, l, bt - 0.5);
        cairo_line_to(cr_, r, bt - 0.5);
      }
      cairo_stroke(cr_);
    }
    return frameWidth - RenderFrameBorder - x - size;
  }

  // A dotted focus rectangle: every other pixel of its edges, from its
  // top-left corner, on whole pixels wherever the box lies.
  void focusRect(const Box& b) {
    if (b.w <= 2 || b.h <= 2) return;
    const double x = std::round(b.x), y = std::round(b.y);
    const int w = static_cast<int>(std::round(b.x + b.w) - x), h = static_cast<int>(std::round(b.y + b.h) - y);
    gfx::setSourceRgb(cr_, markColour);
    for (int i = 0; i < w; i += 2) {
      cairo_rectangle(cr_, x + i, y, 1, 1);
      cairo_rectangle(cr_, x + i, y + h - 1, 1, 1);
    }
    for (int j = 0; j < h; j += 2) {
      cairo_rectangle(cr_, x, y + j, 1, 1);
      cairo_rectangle(cr_, x + w - 1, y + j, 1, 1);
    }
    cairo_fill(cr_);
  }

  void fill(const Box& b, uint32_t rgb) {
    gfx::setSourceRgb(cr_, rgb);
    cairo_rectangle(cr_, b.x, b.y, b.w, b.h);
    cairo_fill(cr_);
  }

  void frame(const Box& b, uint32_t rgb) {
    gfx::setSourceRgb(cr_, rgb);
    cairo_set_line_width(cr_, 1);
    cairo_rectangle(cr_, b.x + 0.5, b.y + 0.5, b.w - 1, b.h - 1);
    cairo_stroke(cr_);
  }

  void hline(double x1, double x2, double y, uint32_t rgb) { fill({x1, y, x2 - x1, 1}, rgb); }
  void vline(double x, double y1, double y2, uint32_t rgb) { fill({x, y1, 1, y2 - y1}, rgb); }

  void raised(const Box& b) {
    fill(b, rgbOf(vbButtonFace, 0xF0F0F0));
    hline(b.x, b.x + b.w, b.y, lightColour);
    vline(b.x, b.y, b.y + b.h, lightColour);
    hline(b.x, b.x + b.w, b.y + b.h - 1, borderColour);
    vline(b.x + b.w - 1, b.y, b.y + b.h, borderColour);
  }

  // Lines centred vertically in the box; the character at UTF-16 index
  // `underlined` (an access key) underlined.
  void text(std::u16string_view s, const Font& font, const Box& b, uint32_t rgb, Align align, int underlined = -1) {
    if (s.empty()) return;
    const int lineHeight = fontLineHeight(font);
    const auto lines = gfx::splitLines(s);
    double y = b.y + std::max(0.0, std::floor((b.h - lineHeight * static_cast<double>(lines.size())) / 2));
    gfx::setSourceRgb(cr_, rgb);
    for (auto line : lines) {
      double x = b.x;
      if (align == Align::Centre) x += std::floor((b.w - gfx::lineWidth(font, line)) / 2);
      gfx::drawLine(cr_, font, line, x, y);
      const int at = underlined - static_cast<int>(line.data() - s.data());
      if (at >= 0 && at < static_cast<int>(line.size())) underline(font, line, at, x, y);
      y += lineHeight;
    }
  }

  // A line under the character at `index` of a line drawn at (x, y).
  void underline(const Font& font, std::u16string_view line, int index, double x, double y) {
    gfx::LayoutPtr layout = gfx::makeLayout(cr_, font, line);
    PangoRectangle pos{};
    pango_layout_index_to_pos(layout.get(), byteOffset(line, index), &pos);
    underlineChar(pos, x, y + pango_layout_get_baseline(layout.get()) / double(PANGO_SCALE));
  }

  // One whole pixel row below `baseline` under a character whose place in
  // a layout drawn from `left` is `pos` (its width negative in right-to-left
  // text).
  void underlineChar(const PangoRectangle& pos, double left, double baseline) {
    const double x = std::floor(left + std::min(pos.x, pos.x + pos.width) / double(PANGO_SCALE));
    const double width = std::max(1.0, std::round(std::abs(pos.width) / double(PANGO_SCALE)));
    cairo_rectangle(cr_, x, std::floor(baseline) + 1, width, 1);
    cairo_fill(cr_);
  }

  // Text from the top-left corner, wrapped at the box's width (unless
  // `wrap` is false: then moved `scrollLeft` pixels to the left); with a
  // caret (a UTF-16 index), a bar before that character.
  // From line `firstLine` on; the characters from `selFrom` (UTF-16) for
  // `selLength` highlighted; the character at `underlined` underlined.
  void wrapped(std::u16string_view s, const Font& font, const Box& b, uint32_t rgb, int caret = -1,
               int firstLine = 0, int selFrom = 0, int selLength = 0, bool wrap = true, double scrollLeft = 0,
               int underlined = -1) {
    if (s.empty() && caret < 0) return;
    gfx::LayoutPtr layout = wrappedLayout(cr_, font, s, wrap ? std::max(1.0, b.w) : -1);
    const double left = b.x - (wrap ? 0 : scrollLeft);
    if (selLength > 0) {
      PangoAttrList* attrs = pango_attr_list_copy(pango_layout_get_attributes(layout.get()));
      if (!attrs) attrs = pango_attr_list_new();
      const auto from = static_cast<guint>(byteOffset(s, selFrom));
      const auto to = static_cast<guint>(byteOffset(s, selFrom + selLength));
      auto colour = [](uint32_t c, int shift) { return static_cast<guint16>(((c >> shift) & 0xFF) * 257); };
      PangoAttribute* back = pango_attr_background_new(colour(highlightColour, 16), colour(highlightColour, 8),
                                                       colour(highlightColour, 0));
      PangoAttribute* fore = pango_attr_foreground_new(colour(highlightTextColour, 16),
                                                       colour(highlightTextColour, 8), colour(highlightTextColour, 0));
      back->start_index = fore->start_index = from;
      back->end_index = fore->end_index = to;
      pango_attr_list_insert(attrs, back);
      pango_attr_list_insert(attrs, fore);
      pango_layout_set_attributes(layout.get(), attrs);
      pango_attr_list_unref(attrs);
    }
    const double top = b.y - lineOffset(layout.get(), firstLine) / double(PANGO_SCALE);
    gfx::setSourceRgb(cr_, rgb);
    cairo_move_to(cr_, left, top);
    pango_cairo_show_layout(cr_, layout.get());
    if (underlined >= 0 && underlined < static_cast<int>(s.size())) {
      // Under the character, below its line's baseline.
      PangoRectangle pos{}, logical{};
      const int index = byteOffset(s, underlined);
      pango_layout_index_to_pos(layout.get(), index, &pos);
      int line = 0, lineX = 0;
      pango_layout_index_to_line_x(layout.get(), index, FALSE, &line, &lineX);
      pango_layout_line_get_extents(pango_layout_get_line_readonly(layout.get(), line), nullptr, &logical);
      underlineChar(pos, left, top + (pos.y - logical.y) / double(PANGO_SCALE));
    }
    if (caret < 0) return;
    PangoRectangle pos{};
    pango_layout_index_to_pos(layout.get(), byteOffset(s, caret), &pos);
    const double x = std::floor(left + pos.x / double(PANGO_SCALE));
    const double y = top + pos.y / double(PANGO_SCALE);
    const double h = std::max(pos.height / double(PANGO_SCALE), double(fontLineHeight(font)));
    fill({std::min(x, b.x + b.w - 1), y, 1, h}, markColour);
  }

  void image(const RasterImage& src, const Box& b, bool stretch, cairo_filter_t filter = CAIRO_FILTER_NEAREST) {
    if (src.empty()) return;
    RasterImage copy = src;
    gfx::SurfacePtr s = gfx::surfaceOver(copy);
    cairo_save(cr_);
    cairo_rectangle(cr_, b.x, b.y, b.w, b.h);
    cairo_clip(cr_);
    cairo_translate(cr_, b.x, b.y);
    if (stretch) cairo_scale(cr_, b.w / src.width, b.h / src.height);
    cairo_set_source_surface(cr_, s.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr_), filter);
    cairo_paint(cr_);
    cairo_restore(cr_);
  }

  void checkMark(const Box& box) {
    gfx::setSourceRgb(cr_, markColour);
    cairo_set_line_width(cr_, 2);
    cairo_move_to(cr_, box.x + 3, box.y + box.h / 2);
    cairo_line_to(cr_, box.x + box.w * 0.42, box.y + box.h - 3.5);
    cairo_line_to(cr_, box.x + box.w - 3, box.y + 3);
    cairo_stroke(cr_);
  }

  void markBox(const Box& box, int value, bool enabled) {
    fill(box, value == 2 || !enabled ? 0xE0E0E0 : fieldColour);
    frame(box, borderColour);
    if (value != 0) checkMark(box);
  }

  uint32_t textColour(const RenderItem& it, uint32_t fallback) const {
    return it.enabled ? rgbOf(it.foreColor, fallback) : disabledTextColour;
  }

  // A scroll bar whose box lies at (ox, oy): arrows at the ends, the track
  // and the thumb where the shared layout puts them; the part held down by
  // the pointer drawn pushed in, a bar without thumb with greyed arrows.
  // A bar with the focus (a scroll bar control) shows a dotted rectangle in
  // its thumb, or along its track while it has none.
  void scrollBar(const ScrollBarBox& sb, double ox, double oy, bool focused = false) {
    const Box b{ox + sb.left, oy + sb.top, sb.width, sb.height};
    if (b.w <= 0 || b.h <= 0) return;
    const bool horizontal = sb.horizontal;
    fill(b, trackColour);
    const double arrow = sb.arrow();
    auto along = [&](double from, double length) {
      return horizontal ? Box{b.x + from, b.y, length, b.h} : Box{b.x, b.y + from, b.w, length};
    };
    const bool live = sb.enabled && sb.max != sb.min;
    for (int end = 0; end < 2; ++end) {
      const Box a = end == 0 ? along(0, arrow) : along(sb.length() - arrow, arrow);
      const bool down = sb.pressed == (end == 0 ? ScrollPart::ArrowToMin : ScrollPart::ArrowToMax);
      if (down) {
        fill(a, rgbOf(vbButtonFace, 0xF0F0F0));
        frame(a, shadowColour);
      } else {
        raised(a);
      }
      const double shift = down ? 1 : 0;
      const double cx = a.x + a.w / 2 + shift, cy = a.y + a.h / 2 + shift, s = std::max(2.0, std::min(a.w, a.h) / 4);
      const double dir = end == 0 ? -1 : 1;  // the first arrow points left or up
      gfx::setSourceRgb(cr_, live ? markColour : disabledTextColour);
      if (horizontal) {
        cairo_move_to(cr_, cx + dir * s, cy);
        cairo_line_to(cr_, cx - dir * s, cy - s);
        cairo_line_to(cr_, cx - dir * s, cy + s);
      } else {
        cairo_move_to(cr_, cx, cy + dir * s);
        cairo_line_to(cr_, cx - s, cy - dir * s);
        cairo_line_to(cr_, cx + s, cy - dir * s);
      }
      cairo_close_path(cr_);
      cairo_fill(cr_);
    }
    if (!sb.hasThumb()) {
      if (focused) {
        const Box track = along(arrow + 2, sb.length() - 2 * arrow - 4);
        focusRect(horizontal ? Box{track.x, track.y + 2, track.w, track.h - 4}
                             : Box{track.x + 2, track.y, track.w - 4, track.h});
      }
      return;
    }
    const double thumb = sb.thumbStart(), length = sb.thumbLength();
    if (sb.pressed == ScrollPart::TrackToMin) fill(along(arrow, thumb - arrow), shadowColour);
    if (sb.pressed == ScrollPart::TrackToMax)
      fill(along(thumb + length, sb.length() - arrow - thumb - length), shadowColour);
    const Box t = horizontal ? Box{b.x + thumb, b.y + 1, length, b.h - 2} : Box{b.x + 1, b.y + thumb, b.w - 2, length};
    raised(t);
    frame(t, shadowColour);
    if (focused) focusRect({t.x + 2, t.y + 2, t.w - 4, t.h - 4});
  }

  // The bars of a list or text box, with the part held down marked.
  void boxBars(const RenderItem& it, std::optional<ScrollBarBox> vertical, std::optional<ScrollBarBox> horizontal,
               const Box& b) {
    for (auto* sb : {&vertical, &horizontal}) {
      if (!*sb) continue;
      (*sb)->enabled = (*sb)->enabled && it.enabled;
      if (it.scrollPressedHorizontal == (*sb)->horizontal) (*sb)->pressed = it.scrollPressed;
      scrollBar(**sb, b.x, b.y);
    }
    if (vertical && horizontal)  // the corner between them
      fill({b.x + vertical->left, b.y + horizontal->top, vertical->width, horizontal->height},
           rgbOf(vbButtonFace, 0xF0F0F0));
  }

  void listBox(const RenderItem& it, const Box& b) {
    fill(b, rgbOf(it.backColor, fieldColour));
    frame(b, borderColour);
    const int lineHeight = fontLineHeight(it.font);
    const ListBoxLayout l = listBoxLayout(b.w, b.h, lineHeight, static_cast<int>(it.items.size()), it.topIndex,
                                          it.horizontalExtent, it.scrollLeft);
    const Box rows{b.x + l.rowsLeft, b.y + l.rowsTop, l.rowsWidth, l.rowsHeight};
    const double shift = l.horizontal ? l.horizontal->value : 0;
    cairo_save(cr_);
    cairo_rectangle(cr_, rows.x, rows.y, rows.w, rows.h);
    cairo_clip(cr_);
    const bool checks = !it.itemChecked.empty();
    double y = rows.y;
    for (int i = std::max(0, it.topIndex); i < static_cast<int>(it.items.size()) && y < rows.y + rows.h; ++i) {
      const bool selected = it.itemSelected.empty()
                                ? i == it.selectedIndex
                                : i < static_cast<int>(it.itemSelected.size()) && it.itemSelected[static_cast<std::size_t>(i)];
      const Box row{rows.x, y, rows.w, static_cast<double>(lineHeight)};
      if (selected) fill(row, highlightColour);
      double x = rows.x + 2 - shift;
      if (checks) {
        const double s = std::min<double>(markBoxSize, lineHeight - 2);
        markBox({x, y + (lineHeight - s) / 2, s, s}, i < static_cast<int>(it.itemChecked.size()) && it.itemChecked[i],
                it.enabled);
        x += s + 4;
      }
      text(it.items[i], it.font, {x, y, rows.x + rows.w - x + shift, static_cast<double>(lineHeight)},
           selected ? highlightTextColour : textColour(it, 0), Align::Left);
      if (i == it.selectedIndex && it.focused) focusRect(row);
      y += lineHeight;
    }
    if (it.focused && it.selectedIndex < 0) focusRect({rows.x, rows.y, rows.w, static_cast<double>(lineHeight)});
    cairo_restore(cr_);
    boxBars(it, l.vertical, l.horizontal, b);
  }

  // A raised frame; each item's caption with its access key underlined,
  // the marked one highlighted, the greyed ones grey, separators etched.
  void menu(const RenderItem& it, const Box& b) {
    raised(b);
    hline(b.x + 1, b.x + b.w - 1, b.y + b.h - 2, shadowColour);
    vline(b.x + b.w - 2, b.y + 1, b.y + b.h - 1, shadowColour);
    double y = b.y + RenderMenuFrame;
    for (std::size_t i = 0; i < it.items.size(); ++i) {
      if (it.items[i].empty()) {
        const double mid = y + RenderMenuSeparatorHeight / 2.0 - 1;
        hline(b.x + RenderMenuFrame + 1, b.x + b.w - RenderMenuFrame - 1, mid, shadowColour);
        hline(b.x + RenderMenuFrame + 1, b.x + b.w - RenderMenuFrame - 1, mid + 1, lightColour);
        y += RenderMenuSeparatorHeight;
        continue;
      }
      const Box row{b.x + RenderMenuFrame, y, b.w - 2 * RenderMenuFrame, static_cast<double>(RenderMenuItemHeight)};
      const bool marked = static_cast<int>(i) == it.selectedIndex;
      const bool greyed = i < it.itemGreyed.size() && it.itemGreyed[i];
      if (marked) fill(row, highlightColour);
      const AccessKeyText c = parseAccessKey(it.items[i]);
      const uint32_t colour = greyed ? disabledTextColour : marked ? highlightTextColour : textColour(it, 0);
      text(c.shown, it.font, {row.x + RenderMenuTextLeft, row.y, row.w - RenderMenuTextLeft, row.h}, colour,
           Align::Left, c.underlined);
      y += RenderMenuItemHeight;
    }
  }

  void shapeItem(const RenderItem& it, const Box& b) {
    double w = b.w, h = b.h, x = b.x, y = b.y;
    if (it.shape == 1 || it.shape == 3 || it.shape == 5) {
      const double s = std::min(w, h);
      x += (w - s) / 2;
      y += (h - s) / 2;
      w = h = s;
    }
    const double lw = std::max(1, it.lineWidth);
    const double inset = lw / 2;
    cairo_new_path(cr_);
    if (it.shape == 2 || it.shape == 3) {
      cairo_save(cr_);
      cairo_translate(cr_, x + w / 2, y + h / 2);
      cairo_scale(cr_, std::max(1.0, w / 2 - inset), std::max(1.0, h / 2 - inset));
      cairo_arc(cr_, 0, 0, 1, 0, 2 * std::numbers::pi);
      cairo_restore(cr_);
    } else if (it.shape == 4 || it.shape == 5) {
      const double r = std::min(w, h) / 6;
      const double l = x + inset, t = y + inset, rr = x + w - inset, bb = y + h - inset;
      cairo_arc(cr_, rr - r, t + r, r, -std::numbers::pi / 2, 0);
      cairo_arc(cr_, rr - r, bb - r, r, 0, std::numbers::pi / 2);
      cairo_arc(cr_, l + r, bb - r, r, std::numbers::pi / 2, std::numbers::pi);
      cairo_arc(cr_, l + r, t + r, r, std::numbers::pi, 3 * std::numbers::pi / 2);
      cairo_close_path(cr_);
    } else {
      cairo_rectangle(cr_, x + inset, y + inset, w - lw, h - lw);
    }
    if (it.filled) {
      gfx::setSourceRgb(cr_, rgbOf(it.backColor, 0xFFFFFF));
      cairo_fill_preserve(cr_);
    }
    gfx::setSourceRgb(cr_, rgbOf(it.foreColor, 0));
    cairo_set_line_width(cr_, lw);
    cairo_stroke(cr_);
  }

  // A message box's icon in the top-left 32 x 32 pixels of `b`: a red disc
  // with a white cross, a blue disc with a white question mark or "i", a
  // yellow triangle with a black "!".
  void messageIcon(MessageIconKind kind, const Box& b) {
    if (kind == MessageIconKind::None) return;
    constexpr double side = 32;
    const double cx = b.x + side / 2, cy = b.y + side / 2;
    cairo_save(cr_);
    cairo_new_path(cr_);
    cairo_set_line_width(cr_, 1);
    if (kind == MessageIconKind::Exclamation) {
      cairo_move_to(cr_, cx, b.y + 1.5);
      cairo_line_to(cr_, b.x + side - 1, b.y + side - 2);
      cairo_line_to(cr_, b.x + 1, b.y + side - 2);
      cairo_close_path(cr_);
      gfx::setSourceRgb(cr_, warningColour);
      cairo_fill_preserve(cr_);
      gfx::setSourceRgb(cr_, warningEdgeColour);
      cairo_stroke(cr_);
      fill({cx - 1.5, b.y + 10, 3, 11}, markColour);
      fill({cx - 1.5, b.y + 23, 3, 3}, markColour);
    } else {
      cairo_arc(cr_, cx, cy, side / 2 - 1, 0, 2 * std::numbers::pi);
      gfx::setSourceRgb(cr_, kind == MessageIconKind::Critical ? stopColour : noticeColour);
      cairo_fill_preserve(cr_);
      gfx::setSourceRgb(cr_, borderColour);
      cairo_stroke(cr_);
      gfx::setSourceRgb(cr_, lightColour);
      if (kind == MessageIconKind::Critical) {
        cairo_set_line_width(cr_, 3.5);
        cairo_move_to(cr_, cx - 6.5, cy - 6.5);
        cairo_line_to(cr_, cx + 6.5, cy + 6.5);
        cairo_move_to(cr_, cx + 6.5, cy - 6.5);
        cairo_line_to(cr_, cx - 6.5, cy + 6.5);
        cairo_stroke(cr_);
      } else if (kind == MessageIconKind::Information) {
        fill({cx - 2, b.y + 7, 4, 4}, lightColour);
        fill({cx - 2, b.y + 13, 4, 12}, lightColour);
      } else {
        // The question mark: a hook and a dot.
        cairo_set_line_width(cr_, 3.5);
        cairo_arc(cr_, cx, cy - 4, 5.5, std::numbers::pi, 2.35 * std::numbers::pi);
        cairo_line_to(cr_, cx, cy + 4);
        cairo_stroke(cr_);
        fill({cx - 2, cy + 7, 4, 4}, lightColour);
      }
    }
    cairo_restore(cr_);
  }

  void lineItem(const RenderItem& it, double ox, double oy) {
    gfx::setSourceRgb(cr_, rgbOf(it.foreColor, 0));
    cairo_set_line_width(cr_, std::max(1, it.lineWidth));
    cairo_move_to(cr_, ox + px(it.rect.left) + 0.5, oy + px(it.rect.top) + 0.5);
    cairo_line_to(cr_, ox + px(it.rect.left + it.rect.width) + 0.5, oy + px(it.rect.top + it.rect.height) + 0.5);
    cairo_stroke(cr_);
  }

  // Draws the item's own look; returns the inner area for its children.
  Box body(const RenderItem& it, const Box& b) {
    const uint32_t back = rgbOf(it.backColor, 0xF0F0F0);
    switch (it.kind) {
      case RenderKind::Form:
      case RenderKind::Generic:
        fill(b, back);
        frame(b, borderColour);
        text(it.text, it.font, b, textColour(it, 0), Align::Centre);
        return {b.x + 1, b.y + 1, b.w - 2, b.h - 2};
      case RenderKind::CommandButton: {
        raised(b);
        frame(b, borderColour);
        if (it.isDefault) frame({b.x + 1, b.y + 1, b.w - 2, b.h - 2}, markColour);
        const Caption c = caption(it);
        text(c.shown, it.font, b, textColour(it, 0), Align::Centre, c.underlined);
        if (it.focused) focusRect({b.x + 4, b.y + 4, b.w - 8, b.h - 8});
        return b;
      }
      case RenderKind::Label: {
        if (!it.transparent) fill(b, back);
        if (it.border) frame(b, borderColour);
        const Caption c = caption(it);
        wrapped(c.shown, it.font, {b.x + 1, b.y + 1, b.w - 2, b.h - 2}, textColour(it, 0), -1, 0, 0, 0, true, 0,
                c.underlined);
        return b;
      }
      case RenderKind::TextBox: {
        fill(b, rgbOf(it.backColor, fieldColour));
        if (it.border) frame(b, borderColour);
        if (it.scrollBars == 0) {
          cairo_save(cr_);
          cairo_rectangle(cr_, b.x + 1, b.y + 1, std::max(0.0, b.w - 2), std::max(0.0, b.h - 2));
          cairo_clip(cr_);
          wrapped(it.text, it.font,
                  {b.x + RenderTextLeft, b.y + RenderTextTop, b.w - 2 * RenderTextLeft, b.h - 2 * RenderTextTop},
                  textColour(it, 0), it.focused ? it.caret : -1, it.singleLine ? 0 : it.topIndex, it.selectionStart,
                  it.focused ? it.selectionLength : 0, !it.singleLine, it.singleLine ? it.scrollLeft : 0);
          cairo_restore(cr_);
          return b;
        }
        const TextBoxLayout l = textBoxScroll(it.text, it.font, b.w, b.h, it.scrollBars, it.topIndex, it.scrollLeft);
        const Box area{b.x + l.textLeft, b.y + l.textTop, l.textWidth, l.textHeight};
        cairo_save(cr_);
        cairo_rectangle(cr_, area.x, area.y, area.w, area.h);
        cairo_clip(cr_);
        wrapped(it.text, it.font, area, textColour(it, 0), it.focused ? it.caret : -1,
                l.vertical ? l.vertical->value : it.topIndex, it.selectionStart, it.focused ? it.selectionLength : 0, l.wraps(),
                l.horizontal ? l.horizontal->value : 0);
        cairo_restore(cr_);
        boxBars(it, l.vertical, l.horizontal, b);
        return b;
      }
      case RenderKind::CheckBox:
      case RenderKind::OptionButton: {
        if (!it.transparent) fill(b, back);
        const double s = std::min<double>(markBoxSize, b.h);
        const Box mark{b.x + 1, b.y + std::floor((b.h - s) / 2), s, s};
        if (it.kind == RenderKind::CheckBox) {
          markBox(mark, it.value, it.enabled);
        } else {
          const double cx = mark.x + s / 2, cy = mark.y + s / 2;
          cairo_new_path(cr_);
          cairo_arc(cr_, cx, cy, s / 2 - 0.5, 0, 2 * std::numbers::pi);
          gfx::setSourceRgb(cr_, it.enabled ? fieldColour : 0xE0E0E0);
          cairo_fill_preserve(cr_);
          gfx::setSourceRgb(cr_, borderColour);
          cairo_set_line_width(cr_, 1);
          cairo_stroke(cr_);
          if (it.value != 0) {
            gfx::setSourceRgb(cr_, markColour);
            cairo_arc(cr_, cx, cy, s / 4, 0, 2 * std::numbers::pi);
            cairo_fill(cr_);
          }
        }
        const Caption c = caption(it);
        text(c.shown, it.font, {mark.x + s + 4, b.y, b.w - s - 5, b.h}, textColour(it, 0), Align::Left, c.underlined);
        if (it.focused && !c.shown.empty()) {
          const double tw = std::min<double>(gfx::lineWidth(it.font, c.shown) + 4, b.w - s - 3);
          const double th = std::min<double>(fontLineHeight(it.font) + 2, b.h);
          focusRect({mark.x + s + 2, b.y + std::floor((b.h - th) / 2), tw, th});
        }
        return b;
      }
      case RenderKind::Frame: {
        fill(b, back);
        const int lineHeight = fontLineHeight(it.font);
        const double top = b.y + lineHeight / 2.0;
        frame({b.x, top, b.w, b.y + b.h - top}, shadowColour);
        frame({b.x + 1, top + 1, b.w - 1, b.y + b.h - top - 1}, lightColour);
        const Caption c = caption(it);
        if (!c.shown.empty()) {
          const double w = gfx::lineWidth(it.font, c.shown);
          fill({b.x + 6, b.y, w + 4, static_cast<double>(lineHeight)}, back);
          text(c.shown, it.font, {b.x + 8, b.y, w, static_cast<double>(lineHeight)}, textColour(it, 0), Align::Left,
               c.underlined);
        }
        return b;
      }
      case RenderKind::ListBox:
        listBox(it, b);
        return b;
      case RenderKind::ComboBox: {
        fill(b, rgbOf(it.backColor, fieldColour));
        frame(b, borderColour);
        const double bw = std::min<double>(ScrollBarThickness, b.w / 2);
        const Box button{b.x + b.w - bw - 1, b.y + 1, bw, b.h - 2};
        raised(button);
        const double cx = button.x + bw / 2, cy = button.y + button.h / 2;
        gfx::setSourceRgb(cr_, markColour);
        cairo_move_to(cr_, cx - 4, cy - 2);
        cairo_line_to(cr_, cx + 4, cy - 2);
        cairo_line_to(cr_, cx, cy + 2);
        cairo_close_path(cr_);
        cairo_fill(cr_);
        // The text stays in its field, left of the button.
        const Box field{b.x + 2, b.y + 2, std::max(0.0, b.w - bw - 4), std::max(0.0, b.h - 4)};
        cairo_save(cr_);
        cairo_rectangle(cr_, field.x, field.y, field.w, field.h);
        cairo_clip(cr_);
        const Box textBox{b.x + 3, b.y, comboTextWidth(b.w), b.h};
        if (it.focused && it.caret < 0) {
          // A drop-down list with the focus: its text highlighted in a focus rectangle.
          fill(field, highlightColour);
          text(it.text, it.font, textBox, highlightTextColour, Align::Left);
          focusRect(field);
        } else if (it.focused) {
          // An editable combo with the focus: the caret and the selection, as a text box shows them.
          const int lineHeight = fontLineHeight(it.font);
          const double top = b.y + std::max(0.0, std::floor((b.h - lineHeight) / 2));
          wrapped(it.text, it.font, {textBox.x, top, textBox.w, static_cast<double>(lineHeight)}, textColour(it, 0),
                  it.caret, 0, it.selectionStart, it.selectionLength, false, it.scrollLeft);
        } else {
          text(it.text, it.font, textBox, textColour(it, 0), Align::Left);
        }
        cairo_restore(cr_);
        return b;
      }
      case RenderKind::HScrollBar:
      case RenderKind::VScrollBar: {
        ScrollBarBox sb;
        sb.width = b.w;
        sb.height = b.h;
        sb.horizontal = it.kind == RenderKind::HScrollBar;
        sb.value = it.scrollValue;
        sb.min = it.scrollMin;
        sb.max = it.scrollMax;
        sb.enabled = it.enabled;
        sb.pressed = it.scrollPressed;
        scrollBar(sb, b.x, b.y, it.focused);
        return b;
      }
      case RenderKind::PictureBox: {
        fill(b, back);
        const Box inner = it.border ? Box{b.x + 1, b.y + 1, b.w - 2, b.h - 2} : b;
        if (it.surface) image(it.surface->image(), inner, false);
        else if (!it.picture.isNone()) image(it.picture.image(), inner, false);
        if (it.border) frame(b, borderColour);
        return inner;
      }
      case RenderKind::Image:
        if (!it.picture.isNone()) image(it.picture.image(), b, it.stretch);
        if (it.border) frame(b, borderColour);
        return b;
      case RenderKind::Shape:
        shapeItem(it, b);
        return b;
      case RenderKind::LineItem:
        return b;
      case RenderKind::MessageIcon:
        messageIcon(static_cast<MessageIconKind>(it.value), b);
        return b;
      case RenderKind::Menu:
        menu(it, b);
        return b;
    }
    return b;
  }

  cairo_t* cr_;
};

}  // namespace

namespace {

// The layout that the measuring functions below ask: the last one is kept,
// since the keys, the pointer and the scroll bars of one box ask about the
// same text several times for one input, and laying out a long text is what
// costs. Valid until the next call.
PangoLayout* measured(const Font& font, std::u16string_view text, double width) {
  struct Last {
    Font font;
    std::u16string text;
    double width = 0;
    gfx::LayoutPtr layout;
  };
  static Last last;
  if (!last.layout || last.width != width || !(last.font == font) || last.text != text) {
    last.layout = wrappedLayout(nullptr, font, text, width);
    last.font = font;
    last.text = text;
    last.width = width;
  }
  return last.layout.get();
}

}  // namespace

int textIndexAt(std::u16string_view text, const Font& font, double width, int firstLine, double x, double y) {
  PangoLayout* layout = measured(font, text, width);
  const int top = lineOffset(layout, firstLine);
  int index = 0, trailing = 0;
  pango_layout_xy_to_index(layout, static_cast<int>(x * PANGO_SCALE), static_cast<int>(y * PANGO_SCALE) + top,
                           &index, &trailing);
  const std::string u8 = utf8(text);
  // Past the middle of a character: the boundary after it.
  const char* p = u8.c_str() + std::clamp<std::size_t>(static_cast<std::size_t>(std::max(0, index)), 0, u8.size());
  for (; trailing > 0 && *p; --trailing) p = g_utf8_next_char(p);
  int at = unitIndex(u8, static_cast<int>(p - u8.c_str()));
  // Never between the two characters of a line break.
  if (at > 0 && at < static_cast<int>(text.size()) && text[static_cast<std::size_t>(at) - 1] == u'\r' &&
      text[static_cast<std::size_t>(at)] == u'\n')
    --at;
  return at;
}

int textLineCount(std::u16string_view text, const Font& font, double width) {
  PangoLayout* layout = measured(font, text, width);
  return pango_layout_get_line_count(layout);
}

int textLineOf(std::u16string_view text, const Font& font, double width, int index) {
  PangoLayout* layout = measured(font, text, width);
  int line = 0, x = 0;
  pango_layout_index_to_line_x(layout, byteOffset(text, index), FALSE, &line, &x);
  return std::max(0, line);
}

int textLineMove(std::u16string_view text, const Font& font, double width, int index, LineMove move, int lines) {
  PangoLayout* layout = measured(font, text, width);
  const std::string u8 = utf8(text);
  int line = 0, x = 0;
  pango_layout_index_to_line_x(layout, byteOffset(text, index), FALSE, &line, &x);
  const int count = pango_layout_get_line_count(layout);
  line = std::clamp(line, 0, count - 1);
  if (move == LineMove::Up || move == LineMove::Down) {
    const int target = std::clamp(line + (move == LineMove::Up ? -lines : lines), 0, count - 1);
    if (target == line) return index;
    int at = 0, trailing = 0;
    pango_layout_line_x_to_index(pango_layout_get_line_readonly(layout, target), x, &at, &trailing);
    const PangoLayoutLine* l = pango_layout_get_line_readonly(layout, target);
    // Past the middle of a character: after it, but never past the line's end.
    const char* p = u8.c_str() + std::clamp<std::size_t>(static_cast<std::size_t>(std::max(0, at)), 0, u8.size());
    for (; trailing > 0 && *p && p - u8.c_str() < l->start_index + l->length; --trailing) p = g_utf8_next_char(p);
    return unitIndex(u8, static_cast<int>(p - u8.c_str()));
  }
  const PangoLayoutLine* l = pango_layout_get_line_readonly(layout, line);
  if (move == LineMove::Start) return unitIndex(u8, l->start_index);
  // The end: before the line break, or before the space a wrapped line ends with.
  int end = l->start_index + l->length;
  const bool wrapped = line + 1 < count && end == pango_layout_get_line_readonly(layout, line + 1)->start_index;
  if (wrapped && end > l->start_index && u8[static_cast<std::size_t>(end) - 1] == ' ') --end;
  return unitIndex(u8, end);
}

double textCaretX(std::u16string_view text, const Font& font, double width, int index) {
  PangoLayout* layout = measured(font, text, width);
  int line = 0, x = 0;
  pango_layout_index_to_line_x(layout, byteOffset(text, index), FALSE, &line, &x);
  return x / double(PANGO_SCALE);
}

double comboTextWidth(double width) { return width - std::min<double>(ScrollBarThickness, width / 2) - 5; }

int fieldScroll(std::u16string_view text, const Font& font, double shown, int caret, int scrollLeft) {
  // The caret at the start of left-to-right text, unscrolled: it stays in
  // sight without measuring (text set by a program, a form being built).
  if (caret <= 0 && scrollLeft <= 0 &&
      std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x0590 || (c >= 0x0900 && c < 0xD800); }))
    return 0;
  const int width = std::max(1, static_cast<int>(shown));
  // Room for the caret after the last character.
  const int most = std::max(0, gfx::lineWidth(font, text) + 1 - width);
  const int x = static_cast<int>(textCaretX(text, font, -1, std::clamp<int>(caret, 0, static_cast<int>(text.size()))));
  if (x < scrollLeft) scrollLeft = x - width / 4;
  else if (x >= scrollLeft + width) scrollLeft = x - width + width / 4;
  return std::clamp(scrollLeft, 0, most);
}

TextBoxLayout textBoxScroll(std::u16string_view text, const Font& font, double width, double height, int scrollBars,
                            int topLine, int scrollLeft) {
  TextBoxLayout l = textBoxLayout(width, height, scrollBars);
  PangoLayout* layout = measured(font, text, l.wraps() ? l.textWidth : -1);
  if (l.vertical) {
    const int rows = std::max(1, static_cast<int>(l.textHeight) / std::max(1, fontLineHeight(font)));
    l.vertical->max = std::max(0, pango_layout_get_line_count(layout) - rows);
    l.vertical->value = std::clamp(topLine, 0, l.vertical->max);
    l.vertical->page = rows;
  }
  if (l.horizontal) {
    PangoRectangle ink{}, logical{};
    pango_layout_get_pixel_extents(layout, &ink, &logical);
    // Room for the caret after the longest line.
    const int widest = logical.x + logical.width + 1;
    l.horizontal->max = std::max(0, widest - static_cast<int>(l.textWidth));
    l.horizontal->value = std::clamp(scrollLeft, 0, l.horizontal->max);
    l.horizontal->page = static_cast<int>(l.textWidth);
  }
  return l;
}

RasterImage renderItems(const RenderItem& root, double scale) {
  const bool isForm = root.kind == RenderKind::Form;
  scale = std::max(1.0, scale);
  const int w = std::max(1, px(root.rect.width) + (isForm ? 2 * RenderFrameBorder : 0));
  const int h = std::max(1, px(root.rect.height) + (isForm ? 2 * RenderFrameBorder + RenderCaptionHeight : 0));
  // As large as a drawing surface can be; what lies beyond is cut off.
  RasterImage image(DrawSurface::boundedSide(saturatedPixels(std::round(w * scale))),
                    DrawSurface::boundedSide(saturatedPixels(std::round(h * scale))), 0xFFFFFFFFu);
  {
    gfx::SurfacePtr surface = gfx::surfaceOver(image);
    gfx::ContextPtr cr(cairo_create(surface.get()));
    if (scale != 1) cairo_scale(cr.get(), scale, scale);
    Renderer renderer(cr.get());
    if (isForm) {
      renderer.form(root);
    } else {
      RenderItem alone = root;
      alone.rect.left = alone.rect.top = 0;
      renderer.item(alone, 0, 0);
    }
    cairo_surface_flush(surface.get());
  }
  return image;
}

RasterImage renderClientArea(const RenderItem& form, double scale) {
  const RasterImage whole = renderItems(form, scale);
  scale = std::max(1.0, scale);
  const int x0 = static_cast<int>(std::lround(RenderFrameBorder * scale));
  const int y0 = static_cast<int>(std::lround((RenderFrameBorder + RenderCaptionHeight) * scale));
  const int w = std::max(1, static_cast<int>(std::lround(std::max(1, px(form.rect.width)) * scale)));
  const int h = std::max(1, static_cast<int>(std::lround(std::max(1, px(form.rect.height)) * scale)));
  RasterImage client(w, h, 0xFFFFFFFFu);
  for (int y = 0; y < h && y0 + y < whole.height; ++y)
    for (int x = 0; x < w && x0 + x < whole.width; ++x) client.at(x, y) = whole.at(x0 + x, y0 + y);
  return client;
}

void renderItemsToPng(const RenderItem& root, const std::filesystem::path& file) {
  // Written whole or not at all (75): a full disk or the file size limit
  // leaves no cut-off picture behind and does not end the process.
  writeWholeFile(file.string(), encodePng(renderItems(root)));
}

}  // namespace svx
