#include "platform/graphics/form_render.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <functional>

#include "platform/graphics/draw_surface.h"
#include "platform/graphics/image_codec.h"
#include "platform/graphics/text_layout.h"
#include "platform/graphics/units.h"
#include "tests/platform/graphics/graphics_test_util.h"
#include "tests/support/child_process.h"

namespace svx {
namespace {

constexpr int clientX = RenderFrameBorder;
constexpr int clientY = RenderFrameBorder + RenderCaptionHeight;

uint32_t rgb(const RasterImage& image, int x, int y) { return image.at(x, y) & 0xFFFFFF; }

bool dark(uint32_t p) { return ((p >> 16) & 0xFF) < 100 && ((p >> 8) & 0xFF) < 100 && (p & 0xFF) < 100; }

// Dark pixels inside the box (x, y, w, h) of the image, in pixels.
int darkPixels(const RasterImage& image, int x, int y, int w, int h) {
  int n = 0;
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) n += dark(rgb(image, i, j));
  return n;
}

RenderItem item(RenderKind kind, int leftPx, int topPx, int widthPx, int heightPx) {
  RenderItem it;
  it.kind = kind;
  it.rect = {pixelsToTwips(leftPx), pixelsToTwips(topPx), pixelsToTwips(widthPx), pixelsToTwips(heightPx)};
  return it;
}

class FormRender : public ::testing::Test {
 protected:
  FormRender() : surface_(40, 30) {
    surface_.setBackColor(0x0000FF);  // red

    form_ = item(RenderKind::Form, 0, 0, 200, 150);
    form_.text = u"Test form";
    form_.backColor = 0xFFFFFF;

    RenderItem checked = item(RenderKind::CheckBox, 10, 10, 100, 17);
    checked.text = u"Checked";
    checked.value = 1;
    RenderItem unchecked = item(RenderKind::CheckBox, 10, 30, 100, 17);
    unchecked.text = u"Unchecked";
    RenderItem option = item(RenderKind::OptionButton, 10, 50, 100, 17);
    option.value = 1;
    RenderItem picture = item(RenderKind::PictureBox, 120, 10, 42, 32);
    picture.surface = &surface_;
    RenderItem hidden = item(RenderKind::CommandButton, 0, 100, 200, 50);
    hidden.visible = false;
    RenderItem list = item(RenderKind::ListBox, 10, 80, 80, 40);
    list.items = {u"one", u"two", u"three", u"four", u"five"};
    list.selectedIndex = 1;
    RenderItem scroll = item(RenderKind::HScrollBar, 100, 130, 90, 16);
    scroll.scrollMax = 10;
    form_.children = {checked, unchecked, option, picture, hidden, list, scroll};
  }

  DrawSurface surface_;
  RenderItem form_;
};

TEST_F(FormRender, FrameCaptionAndClientArea) {
  const RasterImage image = renderItems(form_);
  EXPECT_EQ(image.width, 200 + 2 * RenderFrameBorder);
  EXPECT_EQ(image.height, 150 + 2 * RenderFrameBorder + RenderCaptionHeight);
  EXPECT_EQ(rgb(image, 0, 0), 0x3C4B64u);  // frame
  EXPECT_EQ(rgb(image, 2, image.height - 1), 0x3C4B64u);
  EXPECT_EQ(rgb(image, image.width - RenderFrameBorder - 2, RenderFrameBorder + 2), 0x4A6FA5u);  // caption bar
  // Caption text is white on the bar (antialiased: light pixels).
  auto light = [](uint32_t c) { return (c >> 16) > 0xD0 && ((c >> 8) & 0xFF) > 0xD0 && (c & 0xFF) > 0xD0; };
  int white = 0;
  for (int x = clientX; x < 80; ++x)
    for (int y = RenderFrameBorder; y < clientY; ++y) white += light(rgb(image, x, y));
  EXPECT_GT(white, 10);
  EXPECT_EQ(rgb(image, clientX + 195, clientY + 70), 0xFFFFFFu);  // client background
}

TEST_F(FormRender, CheckMarksAndOptionDots) {
  const RasterImage image = renderItems(form_);
  // The mark boxes are 13 pixels, one pixel in from the control's left edge.
  const int boxX = clientX + 10 + 1 + 2, boxW = 9;
  EXPECT_GT(darkPixels(image, boxX, clientY + 12 + 2, boxW, boxW), 8);   // checked
  EXPECT_EQ(darkPixels(image, boxX, clientY + 32 + 2, boxW, boxW), 0);   // unchecked
  EXPECT_GT(darkPixels(image, boxX + 2, clientY + 52 + 4, 5, 5), 8);     // option dot
}

TEST_F(FormRender, PictureBoxShowsItsSurfaceInsideItsBorder) {
  const RasterImage image = renderItems(form_);
  EXPECT_TRUE(dark(rgb(image, clientX + 120, clientY + 20)));           // border
  EXPECT_EQ(rgb(image, clientX + 121, clientY + 11), 0xFF0000u);        // surface
  EXPECT_EQ(rgb(image, clientX + 160, clientY + 40), 0xFF0000u);
  surface_.Line(0, 0, pixelsToTwips(39), pixelsToTwips(29), 0xFF0000, LineShape::FilledBox);
  EXPECT_EQ(rgb(renderItems(form_), clientX + 125, clientY + 15), 0x0000FFu);
}

TEST_F(FormRender, ListShowsTheSelectionAndAScrollBar) {
  const RasterImage image = renderItems(form_);
  const int lineHeight = fontLineHeight(form_.children[5].font);
  EXPECT_EQ(rgb(image, clientX + 60, clientY + 81 + lineHeight + 1), 0x3366CCu);  // second item, right of its text
  EXPECT_NE(rgb(image, clientX + 60, clientY + 81 + 1), 0x3366CCu);
  // Five items do not fit in 40 pixels: a vertical bar on the right.
  EXPECT_NE(rgb(image, clientX + 80, clientY + 100), 0xFFFFFFu);
}

TEST_F(FormRender, HiddenItemsAreNotDrawn) {
  const RasterImage image = renderItems(form_);
  EXPECT_EQ(rgb(image, clientX + 195, clientY + 120), 0xFFFFFFu);
}

TEST_F(FormRender, WritesAPng) {
  test::TempDir dir;
  renderItemsToPng(form_, dir / "form.png");
  const auto decoded = decodeImage(test::readFile(dir / "form.png"));
  ASSERT_TRUE(decoded);
  EXPECT_EQ(*decoded, renderItems(form_));
  EXPECT_EQ(test::errorOf([&] { renderItemsToPng(form_, dir / "no/dir/form.png"); }), err::PathFileAccessError);
}

// A picture larger than the process's file size limit is 75 with no file
// (not a cut-off one) left behind, and the process goes on (a plain write
// would end it with SIGXFSZ).
TEST_F(FormRender, APngPastTheFileSizeLimitIsRefusedWhole) {
  test::TempDir dir;
  const auto file = dir / "form.png";
  EXPECT_EQ(testing::inChildProcess(
                [&] {
                  if (!testing::lowerFileSizeLimit(encodePng(renderItems(form_)).size() / 2)) return 10;
                  return test::errorOf([&] { renderItemsToPng(form_, file); }) == err::PathFileAccessError ? 0 : 11;
                },
                30),
            0);
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(FormRenderItems, ChildrenAreClippedByTheirContainer) {
  RenderItem box = item(RenderKind::PictureBox, 0, 0, 20, 20);
  box.backColor = 0xFFFFFF;
  RenderItem inner = item(RenderKind::Shape, 10, 10, 30, 30);
  inner.filled = true;
  inner.backColor = 0x00FF00;
  box.children = {inner};
  const RasterImage image = renderItems(box);
  EXPECT_EQ(image.width, 20);
  EXPECT_EQ(rgb(image, 15, 15), 0x00FF00u);
  EXPECT_EQ(rgb(image, 5, 5), 0xFFFFFFu);
}

// What a person notices: the focus, the default button, the caret, a list
// wider than its box, the caption's control box; each changes the pixels
// only where it belongs.
TEST(FormRenderMarks, FocusDefaultCaretExtentAndControlBoxAreDrawn) {
  struct Case {
    const char* name;
    RenderItem plain;
    std::function<void(RenderItem&)> mark;
  };
  RenderItem button = item(RenderKind::CommandButton, 0, 0, 80, 24);
  button.text = u"OK";
  RenderItem text = item(RenderKind::TextBox, 0, 0, 80, 21);
  text.text = u"abc";
  RenderItem list = item(RenderKind::ListBox, 0, 0, 80, 60);
  list.items = {u"one", u"two"};
  list.selectedIndex = 0;
  RenderItem check = item(RenderKind::CheckBox, 0, 0, 80, 17);
  check.text = u"Check";
  RenderItem dropDownList = item(RenderKind::ComboBox, 0, 0, 100, 21);
  dropDownList.text = u"Item";
  RenderItem editable = dropDownList;
  editable.caret = 2;
  const Case cases[] = {
      {"default button", button, [](RenderItem& r) { r.isDefault = true; }},
      {"focused button", button, [](RenderItem& r) { r.focused = true; }},
      {"caret", text, [](RenderItem& r) { r.focused = true; r.caret = 1; }},
      {"focused list", list, [](RenderItem& r) { r.focused = true; }},
      {"wide list", list, [](RenderItem& r) { r.horizontalExtent = 400; }},
      {"focused check box", check, [](RenderItem& r) { r.focused = true; }},
      {"focused drop-down list", dropDownList, [](RenderItem& r) { r.focused = true; }},
      {"focused editable combo", editable, [](RenderItem& r) { r.focused = true; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RenderItem marked = c.plain;
    c.mark(marked);
    EXPECT_NE(renderItems(c.plain), renderItems(marked));
  }
  // A caret without the focus is not drawn.
  RenderItem unfocused = text;
  unfocused.caret = 1;
  EXPECT_EQ(renderItems(text), renderItems(unfocused));
  // The wide list's scroll bar takes the bottom of the box.
  RenderItem wide = list;
  wide.horizontalExtent = 400;
  const RasterImage a = renderItems(list), b = renderItems(wide);
  EXPECT_GT(darkPixels(b, 1, 60 - 17, 78, 16), darkPixels(a, 1, 60 - 17, 78, 16));
}

// A scroll bar with the focus shows a dotted rectangle in its thumb (along
// its track while it has no thumb); without the focus the thumb is plain.
TEST(FormRenderMarks, AFocusedScrollBarMarksItsThumb) {
  for (const bool horizontal : {true, false}) {
    SCOPED_TRACE(horizontal ? "horizontal" : "vertical");
    RenderItem bar = horizontal ? item(RenderKind::HScrollBar, 0, 0, 200, 17) : item(RenderKind::VScrollBar, 0, 0, 17, 200);
    bar.scrollMax = 100;
    bar.scrollValue = 40;
    ScrollBarBox b;
    b.horizontal = horizontal;
    b.width = horizontal ? 200 : 17;
    b.height = horizontal ? 17 : 200;
    b.max = 100;
    b.value = 40;
    // The thumb's inside, within its raised edges.
    const int start = static_cast<int>(b.thumbStart()) + 2, length = static_cast<int>(b.thumbLength()) - 4;
    auto inThumb = [&](const RasterImage& image) {
      return horizontal ? darkPixels(image, start, 3, length, 11) : darkPixels(image, 3, start, 11, length);
    };
    RenderItem focused = bar;
    focused.focused = true;
    EXPECT_EQ(inThumb(renderItems(bar)), 0);
    EXPECT_GT(inThumb(renderItems(focused)), 8);
    // Nothing to scroll: no thumb, the mark lies along the track.
    bar.scrollMax = 0;
    focused.scrollMax = 0;
    auto inTrack = [&](const RasterImage& image) {
      return horizontal ? darkPixels(image, 18, 1, 164, 15) : darkPixels(image, 1, 18, 15, 164);
    };
    EXPECT_EQ(inTrack(renderItems(bar)), 0);
    EXPECT_GT(inTrack(renderItems(focused)), 40);
  }
}

TEST(FormRenderText, AComboShowsItsTextInItsFieldAndTheFocusedListsTextHighlighted) {
  RenderItem combo = item(RenderKind::ComboBox, 0, 0, 100, 21);
  combo.text = u"A printer name far longer than the box that shows it";
  auto highlighted = [](const RasterImage& image, int x0, int x1) {
    int n = 0;
    for (int y = 0; y < image.height; ++y)
      for (int x = x0; x < x1; ++x) n += rgb(image, x, y) == 0x3366CC;
    return n;
  };
  // The button keeps its face: no text is drawn over it.
  const RasterImage plain = renderItems(combo);
  RenderItem empty = combo;
  empty.text.clear();
  const RasterImage bare = renderItems(empty);
  for (int y = 0; y < 21; ++y)
    for (int x = 100 - 17; x < 100; ++x) ASSERT_EQ(plain.at(x, y), bare.at(x, y)) << x << "," << y;
  EXPECT_EQ(highlighted(plain, 0, 100), 0);
  combo.focused = true;
  const RasterImage focused = renderItems(combo);
  EXPECT_GT(highlighted(focused, 0, 100 - 17), 100);
  EXPECT_EQ(highlighted(focused, 100 - 17, 100), 0);
}

TEST(FormRenderText, ASelectionIsHighlightedAndLinesShowFromTheFirstLineScrolledTo) {
  RenderItem box = item(RenderKind::TextBox, 0, 0, 120, 60);
  box.text = u"one two\r\nthree\r\nfour\r\nfive\r\nsix";
  box.focused = true;
  box.caret = 0;
  auto highlighted = [](const RasterImage& image) {
    int n = 0;
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x) n += rgb(image, x, y) == 0x3366CC;
    return n;
  };
  EXPECT_EQ(highlighted(renderItems(box)), 0);
  box.selectionStart = 4;
  box.selectionLength = 3;
  EXPECT_GT(highlighted(renderItems(box)), 20);
  box.focused = false;  // shown only with the focus
  EXPECT_EQ(highlighted(renderItems(box)), 0);

  // From line 2 on, the box shows what a box holding those lines shows.
  box.selectionLength = 0;
  box.topIndex = 2;
  RenderItem rest = box;
  rest.topIndex = 0;
  rest.text = u"four\r\nfive\r\nsix";
  EXPECT_EQ(renderItems(box), renderItems(rest));
  // Past the last line: the last line at the top.
  box.topIndex = 40;
  rest.text = u"six";
  EXPECT_EQ(renderItems(box), renderItems(rest));
  // The hit test agrees: the start of the first line shown.
  EXPECT_EQ(textIndexAt(box.text, box.font, 120 - 2 * RenderTextLeft, 2, 0, 1), 16);
  EXPECT_EQ(textLineCount(box.text, box.font, 114), 5);
  EXPECT_EQ(textLineCount(u"", box.font, 114), 1);
}

TEST(FormRenderMarks, TheCaptionShowsTheControlBoxAndTheClientAreaMatchesTheWholePicture) {
  RenderItem form = item(RenderKind::Form, 0, 0, 200, 100);
  form.text = u"Caption";
  RenderItem button = item(RenderKind::CommandButton, 10, 10, 80, 24);
  button.text = u"OK";
  form.children = {button};
  const RasterImage whole = renderItems(form);
  // The close box: dark strokes at the caption's right end.
  EXPECT_GT(darkPixels(whole, whole.width - RenderFrameBorder - 20, RenderFrameBorder + 2, 18, 18), 10);
  const RasterImage client = renderClientArea(form);
  ASSERT_EQ(client.width, 200);
  ASSERT_EQ(client.height, 100);
  for (int y = 0; y < client.height; ++y)
    for (int x = 0; x < client.width; ++x) ASSERT_EQ(client.at(x, y), whole.at(x + clientX, y + clientY));
  // Twice the scale: twice the pixels of the same scene.
  const RasterImage big = renderClientArea(form, 2);
  EXPECT_EQ(big.width, 400);
  EXPECT_EQ(big.height, 200);
  EXPECT_EQ(big.at(0, 0), client.at(0, 0));
  EXPECT_EQ(big.at(2 * 15 + 1, 2 * 15 + 1) & 0xFFFFFF, client.at(15, 15) & 0xFFFFFF);
}

}  // namespace
}  // namespace svx

namespace svx {
namespace {

// A one-line field keeps its caret in sight; the caret at the start of
// unscrolled left-to-right text needs no scroll, while right-to-left text
// puts its start at the right and is measured.
TEST(FieldScroll, KeepsTheCaretInSight) {
  const Font font{u"Tahoma", 8.25};
  const std::u16string text(200, u'W');
  EXPECT_EQ(fieldScroll(text, font, 100, 0, 0), 0);
  const int atEnd = fieldScroll(text, font, 100, 200, 0);
  EXPECT_GT(atEnd, 0);
  EXPECT_EQ(atEnd, gfx::lineWidth(font, text) + 1 - 100);
  EXPECT_EQ(fieldScroll(text, font, 100, 0, atEnd), 0);
  const std::u16string hebrew(200, u'\u05D0');
  EXPECT_EQ(fieldScroll(hebrew, font, 100, 0, 0), std::max(0, gfx::lineWidth(font, hebrew) + 1 - 100));
}

}  // namespace
}  // namespace svx
