// A picture of a form: a tree of drawable items (the window frame with its
// caption, and control boxes inside it) rendered into pixels or a PNG file
// with a plain look of the system's own.
//
// The forms runtime maps each of its controls onto one RenderItem. Every
// rectangle is in twips, relative to the inner area of the parent item (for
// the form: its client area); children are clipped by their parent and drawn
// after it, in vector order (the last one on top).
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/graphics/colour.h"
#include "platform/graphics/font.h"
#include "platform/graphics/picture.h"
#include "platform/graphics/raster_image.h"
#include "platform/graphics/scroll_bar_layout.h"

namespace svx {

class DrawSurface;

enum class RenderKind {
  Form,           // window frame, caption bar with `icon` and `text`, client area (`surface` or backColor)
  CommandButton,  // raised button with `text` centred
  Label,          // `text`, wrapped, on backColor unless `transparent`
  TextBox,        // white field with `text` (several lines when it holds line breaks)
  CheckBox,       // box with a check mark when `value` is 1 (2: greyed), `text` on the right
  OptionButton,   // circle with a dot when `value` is 1, `text` on the right
  Frame,          // etched border with `text` as its title
  ListBox,        // `items` from `topIndex`, `selectedIndex` (or each of `itemSelected`) highlighted,
                  // `itemChecked` boxes; focused: a focus rectangle on `selectedIndex`
  ComboBox,       // field with `text` and a drop-down button; focused: the text highlighted in a focus
                  // rectangle, or (editable: `caret` >= 0) the caret and the selection
  HScrollBar,     // arrows and a thumb at `scrollValue` within `scrollMin`..`scrollMax`; focused: a
                  // focus rectangle in the thumb (along the track while there is none)
  VScrollBar,
  PictureBox,     // border, `surface` (or `picture`) in its inner area
  Image,          // `picture`, stretched to the rect when `stretch`
  Shape,          // `shape`: 0 rectangle, 1 square, 2 oval, 3 circle, 4 rounded rectangle,
                  // 5 rounded square; outline in foreColor, filled with backColor when `filled`
  LineItem,       // a line from (rect.left, rect.top) to (left + width, top + height)
  Generic,        // a labelled box (hosted controls and anything else)
  MessageIcon,    // a message box's icon of kind `value` (MessageIconKind), 32 x 32 pixels
  Menu,           // a popup menu: `items` (an empty one is a separator) with their access keys marked by
                  // '&', `selectedIndex` highlighted, `itemGreyed` drawn grey
};

// The icons of a message box, by the icon bits of its style word / 16.
enum class MessageIconKind { None = 0, Critical = 1, Question = 2, Exclamation = 3, Information = 4 };

struct RenderRect {
  double left = 0;  // twips
  double top = 0;
  double width = 0;
  double height = 0;
};

struct RenderItem {
  RenderKind kind = RenderKind::Generic;
  RenderRect rect;
  std::u16string text;  // caption or contents
  int value = 0;        // check state (0, 1, 2 greyed) or option selected (1)
  std::vector<std::u16string> items;  // list items
  std::vector<bool> itemChecked;      // check boxes of a check-box list (empty: none)
  std::vector<bool> itemSelected;     // multiple selection: the items highlighted (empty: selectedIndex alone)
  std::vector<bool> itemGreyed;       // menus: the items that cannot act now
  int selectedIndex = -1;
  int topIndex = 0;
  int scrollValue = 0;
  int scrollMin = 0;
  int scrollMax = 0;
  bool visible = true;
  bool enabled = true;
  bool border = true;       // fixed single border (picture boxes, images, labels, text boxes)
  bool transparent = false; // labels: no background
  bool stretch = false;     // images
  bool filled = false;      // shapes
  bool focused = false;     // has the focus: focus rectangle (text boxes: the caret)
  bool isDefault = false;   // command buttons: the default button's dark frame
  bool accessKeys = false;  // captions (buttons, check boxes, options, labels, frames): an '&' marks the
                            // access key, drawn underlined; "&&" is one '&' (access_key.h)
  int caret = -1;           // text boxes with the focus: caret before this character
  int selectionStart = 0;   // text boxes with the focus: the selected characters, highlighted
  int selectionLength = 0;
  int horizontalExtent = 0; // list boxes: scrollable width in pixels (wider than the box: a scroll bar)
  int scrollLeft = 0;       // list and text boxes: pixels scrolled to the left
  int scrollBars = 0;       // multi-line text boxes: 1 horizontal (no wrapping), 2 vertical, 3 both
  bool singleLine = false;  // text boxes: one line, never wrapped, scrolled `scrollLeft` pixels
  // The part of a scroll bar held down by the pointer: of the control's own
  // bar, or (lists and text boxes) of the vertical or the horizontal one.
  ScrollPart scrollPressed = ScrollPart::None;
  bool scrollPressedHorizontal = false;
  int shape = 0;
  int lineWidth = 1;        // shapes and lines, pixels
  OleColor foreColor = vbButtonText;
  OleColor backColor = vbButtonFace;
  Font font{u"Tahoma", 8.25};
  const DrawSurface* surface = nullptr;  // drawn image of a form or picture box (not owned)
  Picture picture;                       // picture of an image (or of a picture box without surface)
  Picture icon;                          // forms: the window's icon, shown at the caption's left (none: no icon)
  bool minMaxBoxes = true;               // forms: minimise and maximise boxes beside the close box
  std::vector<RenderItem> children;
};

// The picture of a dialog box's window (message, input, colour and folder
// boxes): a form whose caption has the close box alone.
inline RenderItem dialogBoxPicture(RenderRect rect, std::u16string caption) {
  RenderItem root;
  root.kind = RenderKind::Form;
  root.minMaxBoxes = false;
  root.rect = rect;
  root.text = std::move(caption);
  return root;
}

// Frame metrics of the form picture, in pixels.
inline constexpr int RenderFrameBorder = 4;
inline constexpr int RenderCaptionHeight = 22;

// A popup menu's metrics (pixels): its frame, the height of an item and of
// a separator, the margin left of an item's caption, and its width.
inline constexpr int RenderMenuFrame = 3;
inline constexpr int RenderMenuItemHeight = 18;
inline constexpr int RenderMenuSeparatorHeight = 8;
inline constexpr int RenderMenuTextLeft = 18;
inline constexpr int RenderMenuWidth = 130;

// A text box's text lies in its box inset by these margins (pixels), wrapped
// at the inner width, shown from line `topIndex`.
inline constexpr int RenderTextLeft = 3;
inline constexpr int RenderTextTop = 2;
// Where the renderer puts a text box's text, for placing a caret: the
// boundary between characters nearest to a point (pixels from the text's
// top-left corner, with `firstLine` at the top), as a UTF-16 index; and the
// number of lines the text takes at `width` pixels. A negative width wraps
// no line.
int textIndexAt(std::u16string_view text, const Font& font, double width, int firstLine, double x, double y);
int textLineCount(std::u16string_view text, const Font& font, double width);
// The line (from 0) that holds the boundary before UTF-16 index `index`, and
// that boundary's distance from the line's start (pixels).
int textLineOf(std::u16string_view text, const Font& font, double width, int index);
// Where a caret at `index` goes by line: the start or the end of its line
// as drawn, or the nearest boundary on the line above or below (the same
// index on the first or last line).
enum class LineMove { Start, End, Up, Down };
// Up and Down go `lines` lines (at most to the first or the last line).
int textLineMove(std::u16string_view text, const Font& font, double width, int index, LineMove move, int lines = 1);
double textCaretX(std::u16string_view text, const Font& font, double width, int index);
// The width of the text in a combo box `width` pixels wide, left of its button.
double comboTextWidth(double width);
// A one-line field `shown` pixels wide that was scrolled `scrollLeft` pixels
// to the left: how far it scrolls so that the caret at `caret` stays in
// sight (by a quarter of the width past the edge it left), never further
// than the text's end allows.
int fieldScroll(std::u16string_view text, const Font& font, double shown, int caret, int scrollLeft);
// A multi-line text box of `width` x `height` pixels showing `text` from line
// `topLine` on, scrolled `scrollLeft` pixels to the left: its layout with
// the bars' ranges (the vertical bar in lines, the horizontal one in pixels)
// and values.
TextBoxLayout textBoxScroll(std::u16string_view text, const Font& font, double width, double height, int scrollBars,
                            int topLine, int scrollLeft);

// Renders `root` (normally a Form) into pixels: a Form item's image is its
// client size plus the frame; any other item is rendered alone at its size.
// `scale` > 1 draws the same scene with that many device pixels per pixel.
RasterImage renderItems(const RenderItem& root, double scale = 1);
// The client area of a Form item, as renderItems draws it (same pixels).
RasterImage renderClientArea(const RenderItem& form, double scale = 1);
// renderItems into a PNG file; raises 75 when the file cannot be written.
void renderItemsToPng(const RenderItem& root, const std::filesystem::path& file);

}  // namespace svx
