#include "platform/graphics/scroll_bar_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/graphics/form_render.h"

namespace svx {

namespace {
constexpr double kMinThumb = 8;
}  // namespace

double ScrollBarBox::arrow() const { return std::max(0.0, std::min(thickness(), length() / 2)); }

double ScrollBarBox::trackLength() const { return std::max(0.0, length() - 2 * arrow()); }

double ScrollBarBox::thumbLength() const {
  const double track = trackLength();
  if (page <= 0) return std::min(track, std::max(kMinThumb, thickness()));
  const double range = std::abs(static_cast<double>(max) - min);
  return std::min(track, std::max(kMinThumb, track * page / (range + page)));
}

bool ScrollBarBox::hasThumb() const { return enabled && max != min && trackLength() > thumbLength(); }

double ScrollBarBox::thumbStart() const {
  const double span = static_cast<double>(max) - min;
  const double fraction = span == 0 ? 0 : std::clamp((value - min) / span, 0.0, 1.0);
  return arrow() + fraction * (trackLength() - thumbLength());
}

ScrollPart ScrollBarBox::partAt(double x, double y) const {
  if (!contains(x, y) || !enabled || max == min) return ScrollPart::None;
  const double at = along(x, y);
  if (at < arrow()) return ScrollPart::ArrowToMin;
  if (at >= length() - arrow()) return ScrollPart::ArrowToMax;
  if (!hasThumb()) return ScrollPart::None;
  const double thumb = thumbStart();
  if (at < thumb) return ScrollPart::TrackToMin;
  if (at >= thumb + thumbLength()) return ScrollPart::TrackToMax;
  return ScrollPart::Thumb;
}

int ScrollBarBox::valueAtThumb(double start) const {
  const double span = trackLength() - thumbLength();
  if (span <= 0) return value;
  const double fraction = std::clamp((start - arrow()) / span, 0.0, 1.0);
  return min + static_cast<int>(std::lround(fraction * (static_cast<double>(max) - min)));
}

ListBoxLayout listBoxLayout(double width, double height, int lineHeight, int items, int topIndex,
                            int horizontalExtent, int scrollLeft) {
  ListBoxLayout l;
  lineHeight = std::max(1, lineHeight);
  const double innerW = std::max(0.0, width - 2), innerH = std::max(0.0, height - 2);
  auto rowsFor = [&](bool hbar) {
    return std::max(1, static_cast<int>(innerH - (hbar ? ScrollBarThickness : 0)) / lineHeight);
  };
  // The text of an item starts 2 pixels into the rows; the extent counts from there.
  auto hbarFor = [&](bool vbar) { return horizontalExtent > innerW - (vbar ? ScrollBarThickness : 0) - 2; };
  bool vbar = items > rowsFor(false);
  const bool hbar = hbarFor(vbar);
  if (hbar && !vbar) vbar = items > rowsFor(true);
  l.visibleRows = rowsFor(hbar);
  l.rowsWidth = std::max(0.0, innerW - (vbar ? ScrollBarThickness : 0));
  l.rowsHeight = std::max(0.0, innerH - (hbar ? ScrollBarThickness : 0));
  if (vbar) {
    ScrollBarBox v;
    v.left = 1 + l.rowsWidth;
    v.top = 1;
    v.width = ScrollBarThickness;
    v.height = l.rowsHeight;
    v.max = std::max(0, items - l.visibleRows);
    v.value = std::clamp(topIndex, 0, v.max);
    v.page = l.visibleRows;
    l.vertical = v;
  }
  if (hbar) {
    ScrollBarBox h;
    h.horizontal = true;
    h.left = 1;
    h.top = 1 + l.rowsHeight;
    h.width = l.rowsWidth;
    h.height = ScrollBarThickness;
    h.max = std::max(0, horizontalExtent - static_cast<int>(l.rowsWidth) + 2);
    h.value = std::clamp(scrollLeft, 0, h.max);
    h.page = static_cast<int>(l.rowsWidth);
    l.horizontal = h;
  }
  return l;
}

TextBoxLayout textBoxLayout(double width, double height, int scrollBars) {
  TextBoxLayout l;
  const bool hbar = scrollBars == 1 || scrollBars == 3;
  const bool vbar = scrollBars == 2 || scrollBars == 3;
  const double barsW = vbar ? ScrollBarThickness : 0, barsH = hbar ? ScrollBarThickness : 0;
  l.textLeft = RenderTextLeft;
  l.textTop = RenderTextTop;
  l.textWidth = std::max(1.0, width - 2 * RenderTextLeft - barsW);
  l.textHeight = std::max(1.0, height - 2 * RenderTextTop - barsH);
  if (vbar) {
    ScrollBarBox v;
    v.left = width - 1 - ScrollBarThickness;
    v.top = 1;
    v.width = ScrollBarThickness;
    v.height = std::max(0.0, height - 2 - barsH);
    l.vertical = v;
  }
  if (hbar) {
    ScrollBarBox h;
    h.horizontal = true;
    h.left = 1;
    h.top = height - 1 - ScrollBarThickness;
    h.width = std::max(0.0, width - 2 - barsW);
    h.height = ScrollBarThickness;
    l.horizontal = h;
  }
  return l;
}

}  // namespace svx
