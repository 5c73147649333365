// The program's icon (its file, size and colours) and the icons a form
// picture shows: the window's icon in its caption, a message box's icon, the
// control boxes of a fixed dialog frame; a form's icon and frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/desktop/desktop.h"
#include "platform/forms/form.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/image_codec.h"
#include "platform/graphics/program_icon.h"
#include "platform/graphics/units.h"

namespace svx {
namespace {

uint32_t rgb(const RasterImage& image, int x, int y) { return image.at(x, y) & 0xFFFFFF; }

RenderItem formItem(int widthPx, int heightPx) {
  RenderItem it;
  it.kind = RenderKind::Form;
  it.rect = {0, 0, pixelsToTwips(widthPx), pixelsToTwips(heightPx)};
  it.text = u"Caption";
  it.backColor = 0xFFFFFF;
  return it;
}

// Distinct colours in a box of the image.
std::set<uint32_t> coloursIn(const RasterImage& image, int x, int y, int w, int h) {
  std::set<uint32_t> out;
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) out.insert(rgb(image, i, j));
  return out;
}

TEST(ProgramIcon, IsOneThirtyTwoPixelSixteenColourIcon) {
  const auto file = programIconFile();
  ASSERT_EQ(sniffImageFormat(file), ImageFormat::Icon);
  const auto dir = readIconDirectory(file);
  ASSERT_TRUE(dir);
  ASSERT_EQ(dir->size(), 1u);
  EXPECT_EQ((*dir)[0].width, 32);
  EXPECT_EQ((*dir)[0].height, 32);
  EXPECT_EQ((*dir)[0].bitCount, 4);
  EXPECT_EQ((*dir)[0].offset + (*dir)[0].size, file.size());

  const Picture& icon = programIcon();
  EXPECT_EQ(icon.type(), PictureType::Icon);
  EXPECT_EQ(icon.widthPixels(), 32);
  EXPECT_EQ(icon.heightPixels(), 32);
  EXPECT_EQ(&programIcon(), &icon);  // made once
}

TEST(ProgramIcon, EveryPixelIsTransparentOrOneOfTheSixteenStandardColours) {
  const std::set<uint32_t> standard = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                       0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                       0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  const RasterImage& image = programIcon().image();
  std::set<uint32_t> used;
  int transparent = 0;
  for (uint32_t p : image.pixels) {
    const uint32_t alpha = p >> 24;
    ASSERT_TRUE(alpha == 0 || alpha == 0xFF) << std::hex << p;
    if (alpha == 0) {
      ++transparent;
      continue;
    }
    EXPECT_TRUE(standard.count(p & 0xFFFFFF)) << std::hex << p;
    used.insert(p & 0xFFFFFF);
  }
  EXPECT_GE(used.size(), 6u);  // a picture, not a blot
  EXPECT_GT(transparent, 0);
  EXPECT_EQ(image.at(0, 0) >> 24, 0u);  // the corner shows what lies behind
}

TEST(FormPicture, TheIconSitsAtTheCaptionsLeftAndTheTextMovesAside) {
  RenderItem plain = formItem(200, 80);
  RenderItem withIcon = plain;
  withIcon.icon = programIcon();
  const RasterImage a = renderItems(plain), b = renderItems(withIcon);
  ASSERT_EQ(a.width, b.width);
  // Without an icon the caption's left end is one colour (text aside).
  constexpr int top = RenderFrameBorder + 3, side = RenderCaptionHeight - 6;
  EXPECT_EQ(coloursIn(a, RenderFrameBorder + 1, top, 4, side).size(), 1u);
  const auto iconColours = coloursIn(b, RenderFrameBorder + 3, top, side, side);
  EXPECT_GE(iconColours.size(), 4u);
  // The client area is untouched.
  for (int y = RenderFrameBorder + RenderCaptionHeight; y < a.height - RenderFrameBorder; y += 7)
    for (int x = RenderFrameBorder; x < a.width - RenderFrameBorder; x += 7) ASSERT_EQ(a.at(x, y), b.at(x, y));
}

TEST(FormPicture, AFixedDialogShowsOnlyTheCloseBox) {
  RenderItem sizable = formItem(200, 80);
  RenderItem fixed = sizable;
  fixed.minMaxBoxes = false;
  const RasterImage a = renderItems(sizable), b = renderItems(fixed);
  const int w = a.width;
  constexpr int size = RenderCaptionHeight - 6, y = RenderFrameBorder + 3 + size / 2;
  const int close = w - RenderFrameBorder - 3 - size / 2;
  const int maximise = close - size - 2, minimise = maximise - size - 2;
  EXPECT_EQ(rgb(a, close, y - 5), rgb(b, close, y - 5));  // the close box is in both
  const uint32_t caption = rgb(b, RenderFrameBorder + 1, y);
  EXPECT_NE(rgb(a, maximise - size / 2 + 1, y), caption);
  EXPECT_EQ(rgb(b, maximise - size / 2 + 1, y), caption);
  EXPECT_EQ(rgb(b, minimise, y), caption);
}

TEST(MessageIcon, EachKindHasItsColoursAndNoneDrawsNothing) {
  const struct {
    MessageIconKind kind;
    uint32_t body;  // at (5, 16): inside the shape, beside the glyph
    uint32_t glyph;
    int gx, gy;  // a pixel of the glyph
  } cases[] = {
      {MessageIconKind::Critical, 0xD32F2F, 0xFFFFFF, 16, 16},
      {MessageIconKind::Question, 0x1E63C8, 0xFFFFFF, 16, 25},
      {MessageIconKind::Information, 0x1E63C8, 0xFFFFFF, 16, 18},
      {MessageIconKind::Exclamation, 0xFFCC00, 0x000000, 16, 15},
  };
  RenderItem form = formItem(100, 60);
  form.children.resize(1);
  RenderItem& icon = form.children[0];
  icon.kind = RenderKind::MessageIcon;
  icon.rect = {pixelsToTwips(10), pixelsToTwips(10), pixelsToTwips(32), pixelsToTwips(32)};
  const int ox = RenderFrameBorder + 10, oy = RenderFrameBorder + RenderCaptionHeight + 10;
  for (const auto& c : cases) {
    icon.value = static_cast<int>(c.kind);
    const RasterImage image = renderItems(form);
    const int bx = c.kind == MessageIconKind::Exclamation ? 8 : 5, by = c.kind == MessageIconKind::Exclamation ? 27 : 16;
    EXPECT_EQ(rgb(image, ox + bx, oy + by), c.body) << static_cast<int>(c.kind);
    EXPECT_EQ(rgb(image, ox + c.gx, oy + c.gy), c.glyph) << static_cast<int>(c.kind);
    EXPECT_EQ(rgb(image, ox + 40, oy + 16), 0xFFFFFFu);  // nothing beyond its 32 pixels
  }
  icon.value = static_cast<int>(MessageIconKind::None);
  EXPECT_EQ(coloursIn(renderItems(form), ox, oy, 32, 32), std::set<uint32_t>{0xFFFFFF});
}

TEST(FormIcon, TheDesignsIconElseTheProgramsAndTheFrameOfItsBorderStyle) {
  desktop().reset();
  const Picture own = Picture::fromImage(RasterImage(16, 16, 0xFF00FF00));
  const struct {
    Picture icon;
    FormBorderStyle border;
    bool inTaskbar;
  } cases[] = {
      {Picture(), FormBorderStyle::Sizable, true},
      {own, FormBorderStyle::Sizable, true},
      {Picture(), FormBorderStyle::FixedDialog, false},
      {own, FormBorderStyle::FixedDialog, true},
  };
  for (const auto& c : cases) {
    FormDesign design;
    design.icon = c.icon;
    design.borderStyle = c.border;
    design.showInTaskbar = c.inTaskbar;
    Ref<Form> form = makeRef<Form>(design);
    const RenderItem picture = form->picture();
    EXPECT_EQ(picture.icon, c.icon.isNone() ? programIcon() : c.icon);
    const bool fixed = c.border == FormBorderStyle::FixedDialog;
    EXPECT_EQ(picture.minMaxBoxes, !fixed);
    const Window& w = desktop().window(form->hWnd());
    EXPECT_EQ((w.style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) != 0, !fixed);
    EXPECT_EQ((w.exStyle & WS_EX_DLGMODALFRAME) != 0, fixed);
    EXPECT_EQ((w.exStyle & WS_EX_TOOLWINDOW) != 0, !c.inTaskbar);
    // Unloaded and loaded again, the window has the same frame.
    form->unload();
    form->load();
    EXPECT_EQ(desktop().window(form->hWnd()).style & WS_THICKFRAME, fixed ? 0u : WS_THICKFRAME);
    form->unload();
  }
  desktop().reset();
}

}  // namespace
}  // namespace svx
