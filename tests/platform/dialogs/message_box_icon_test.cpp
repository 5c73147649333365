// The icon a message box shows for the icon bits of its style word, as the
// box's picture draws it (the same picture a display puts on the screen).
#include <gtest/gtest.h>

#include <set>

#include "platform/desktop/message_loop.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"
#include "tests/platform/dialogs/services_fixture.h"

namespace svx::testing {
namespace {

// The picture of a message box of `style`, taken while it is open.
RenderItem pictureOf(int32_t style) {
  RenderItem picture;
  dialogResponder().setWaitForAnswers(true);
  messageLoop().postTask([&] {
    const ShownBox* box = dialogResponder().openSession();
    if (!box) return;
    desktop().deliver(box->window, WM_PRINTCLIENT, 0, reinterpret_cast<LPARAM>(&picture), false);
    dialogResponder().queueAnswer(DialogKind::MessageBox, Variant(vbOK));
  });
  MsgBox(Variant(u"A prompt long enough to reach the right edge of the box, and more."), Variant(style),
         Variant(u"Title"));
  return picture;
}

const RenderItem* childOf(const RenderItem& picture, RenderKind kind) {
  for (const RenderItem& c : picture.children)
    if (c.kind == kind) return &c;
  return nullptr;
}

// The icons' own colours in the box's client area at the icon's place.
std::set<uint32_t> iconColoursAt(const RasterImage& image) {
  const std::set<uint32_t> iconColours = {0xD32F2F, 0x1E63C8, 0xFFCC00};
  std::set<uint32_t> found;
  const int x0 = RenderFrameBorder + 12, y0 = RenderFrameBorder + RenderCaptionHeight + 12;
  for (int y = y0; y < y0 + 32; ++y)
    for (int x = x0; x < x0 + 32; ++x)
      if (iconColours.count(image.at(x, y) & 0xFFFFFF)) found.insert(image.at(x, y) & 0xFFFFFF);
  return found;
}

TEST_F(ServicesTest, TheIconBitsChooseTheIconAndTheTextMakesRoomForIt) {
  const struct {
    int32_t style;
    MessageIconKind icon;
    std::set<uint32_t> colours;
  } cases[] = {
      {vbOKOnly, MessageIconKind::None, {}},
      {vbYesNo | vbDefaultButton2, MessageIconKind::None, {}},
      {vbCritical, MessageIconKind::Critical, {0xD32F2F}},
      {vbQuestion | vbYesNo, MessageIconKind::Question, {0x1E63C8}},
      {vbExclamation, MessageIconKind::Exclamation, {0xFFCC00}},
      {vbInformation | vbOKCancel, MessageIconKind::Information, {0x1E63C8}},
      {vbSystemModal | vbExclamation, MessageIconKind::Exclamation, {0xFFCC00}},  // the error handler's box
      {vbCritical | vbInformation, MessageIconKind::None, {}},  // names no icon
      {0x70, MessageIconKind::None, {}},
      {0xF0, MessageIconKind::None, {}},
  };
  const double plainLeft = pictureOf(vbOKOnly).children.at(0).rect.left;
  for (const auto& c : cases) {
    const RenderItem picture = pictureOf(c.style);
    ASSERT_EQ(picture.kind, RenderKind::Form) << c.style;
    EXPECT_FALSE(picture.minMaxBoxes);  // the close box alone
    const RenderItem* icon = childOf(picture, RenderKind::MessageIcon);
    const RenderItem* prompt = childOf(picture, RenderKind::Label);
    ASSERT_TRUE(prompt);
    EXPECT_EQ(iconColoursAt(renderItems(picture)), c.colours) << c.style;
    if (c.icon == MessageIconKind::None) {
      EXPECT_FALSE(icon) << c.style;
      EXPECT_EQ(prompt->rect.left, plainLeft) << c.style;
      continue;
    }
    ASSERT_TRUE(icon) << c.style;
    EXPECT_EQ(icon->value, static_cast<int>(c.icon));
    EXPECT_EQ(icon->rect.width, pixelsToTwips(32));
    // The text starts right of the icon and still ends inside the box.
    EXPECT_GE(prompt->rect.left, icon->rect.left + icon->rect.width) << c.style;
    EXPECT_LE(prompt->rect.left + prompt->rect.width, picture.rect.width);
  }
  // The answer and the record are as without an icon.
  EXPECT_EQ(dialogResponder().sessions().back().buttons, 0xF0);
  EXPECT_EQ(dialogResponder().sessions().back().source, AnswerSource::Scripted);
}

TEST_F(ServicesTest, AnInputBoxShowsNoIcon) {
  RenderItem picture;
  dialogResponder().setWaitForAnswers(true);
  messageLoop().postTask([&] {
    desktop().deliver(dialogResponder().openSession()->window, WM_PRINTCLIENT, 0, reinterpret_cast<LPARAM>(&picture),
                      false);
    dialogResponder().queueAnswer(DialogKind::InputBox, Variant(u"x"));
  });
  EXPECT_EQ(InputBox(Variant(u"Name?")), u"x");
  EXPECT_FALSE(childOf(picture, RenderKind::MessageIcon));
  EXPECT_TRUE(iconColoursAt(renderItems(picture)).empty());
}

}  // namespace
}  // namespace svx::testing
