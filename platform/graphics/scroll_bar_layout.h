// Where the parts of a scroll bar lie, for drawing it and for hitting it with
// the pointer alike: an arrow at each end as long as the bar is thick, the
// track between them, and on the track the thumb, placed by the value within
// the range. Also where the bars of a list box and of a multi-line text box
// go. Every length is in pixels.
#pragma once

#include <optional>

namespace svx {

enum class ScrollPart { None, ArrowToMin, TrackToMin, Thumb, TrackToMax, ArrowToMax };

inline constexpr int ScrollBarThickness = 16;  // the bars at the edges of list and text boxes

struct ScrollBarBox {
  double left = 0, top = 0, width = 0, height = 0;  // in the owner's pixels
  bool horizontal = false;
  int value = 0;
  int min = 0;
  int max = 0;  // may lie below min: the thumb then moves the other way
  // The part of the range shown at once (a list's rows): the thumb is as
  // long as that share of the track; 0 gives a square thumb.
  int page = 0;
  bool enabled = true;
  ScrollPart pressed = ScrollPart::None;  // drawn pushed in

  double length() const { return horizontal ? width : height; }
  double thickness() const { return horizontal ? height : width; }
  double arrow() const;
  // The track between the arrows, and the thumb on it (from the bar's start).
  double trackLength() const;
  double thumbLength() const;
  double thumbStart() const;
  // Whether there is a thumb: enabled, a range to move in and room for it.
  bool hasThumb() const;
  bool contains(double x, double y) const {
    return x >= left && y >= top && x < left + width && y < top + height;
  }
  // The distance of a point from the bar's start, along the bar.
  double along(double x, double y) const { return horizontal ? x - left : y - top; }
  // The part under a point (None: off the bar, or on a bar without thumb).
  ScrollPart partAt(double x, double y) const;
  // The value that puts the thumb's start `start` pixels from the bar's
  // start, within the range.
  int valueAtThumb(double start) const;
};

// A list box of `width` x `height` pixels (its border included) with
// `items` rows of `lineHeight`: the area of the rows and the bars it shows.
// The vertical bar shows when the items do not fit, the horizontal one when
// the horizontal extent is wider than the rows.
struct ListBoxLayout {
  double rowsLeft = 1, rowsTop = 1, rowsWidth = 0, rowsHeight = 0;
  int visibleRows = 1;
  std::optional<ScrollBarBox> vertical;    // value: the top row
  std::optional<ScrollBarBox> horizontal;  // value: the pixels scrolled to the left
};
ListBoxLayout listBoxLayout(double width, double height, int lineHeight, int items, int topIndex,
                            int horizontalExtent, int scrollLeft);

// A multi-line text box of `width` x `height` pixels with ScrollBars
// `scrollBars` (1 horizontal, 2 vertical, 3 both; 0 none): the area of the
// text and the bars, which always show (without a thumb while there is
// nothing to scroll). A horizontal bar means the lines are not wrapped.
struct TextBoxLayout {
  double textLeft = 0, textTop = 0, textWidth = 0, textHeight = 0;
  std::optional<ScrollBarBox> vertical;
  std::optional<ScrollBarBox> horizontal;
  bool wraps() const { return !horizontal; }
};
TextBoxLayout textBoxLayout(double width, double height, int scrollBars);

}  // namespace svx
