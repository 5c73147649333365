// Text in the scripts people write renders with real glyphs: the installed
// fonts cover Latin with accents, Greek, Cyrillic and CJK.
#include <gtest/gtest.h>

#include "platform/graphics/form_render.h"
#include "platform/graphics/image_codec.h"
#include "platform/graphics/text_layout.h"
#include "platform/graphics/units.h"
#include "tests/platform/graphics/graphics_test_util.h"

namespace svx {
namespace {

struct Sample {
  const char* name;
  const char16_t* text;
};

const Sample kSamples[] = {
    {"LatinWithAccents", u"Crème brûlée, façade, Ærøskøbing, Łódź, Ğüneş, Šťastný"},
    {"Greek", u"Καλημέρα κόσμε, ΑΒΓΔ αβγδ"},
    {"Cyrillic", u"Съешь же ещё этих мягких булок, ЁЖЗ"},
    {"Chinese", u"你好，世界。简体中文，繁體中文"},
    {"Japanese", u"こんにちは、世界。カタカナ、日本語"},
    {"Korean", u"안녕하세요 세계"},
};

void PrintTo(const Sample& s, std::ostream* os) { *os << s.name; }

class ScriptText : public ::testing::TestWithParam<Sample> {};

TEST_P(ScriptText, DrawsWithoutReplacementBoxes) {
  const Sample& s = GetParam();
  // The renderer's own layouts: regular and bold, the sizes of captions and
  // controls.
  for (const Font& font : {Font{u"Tahoma", 8.25}, Font{u"MS Sans Serif", 12, true}}) {
    gfx::LayoutPtr layout = gfx::makeLayout(nullptr, font, s.text);
    EXPECT_EQ(pango_layout_get_unknown_glyphs_count(layout.get()), 0) << utf8(font.name);
  }

  // A snapshot of a form with the text as its caption and in a label.
  RenderItem form;
  form.kind = RenderKind::Form;
  form.rect = {0, 0, pixelsToTwips(400), pixelsToTwips(60)};
  form.text = s.text;
  form.backColor = 0xFFFFFF;
  RenderItem label;
  label.kind = RenderKind::Label;
  label.rect = {pixelsToTwips(8), pixelsToTwips(8), pixelsToTwips(380), pixelsToTwips(30)};
  label.text = s.text;
  label.backColor = 0xFFFFFF;
  form.children = {label};
  test::TempDir dir;
  renderItemsToPng(form, dir / "text.png");
  const auto image = decodeImage(test::readFile(dir / "text.png"));
  ASSERT_TRUE(image);
  int ink = 0;
  for (int y = 0; y < image->height; ++y)
    for (int x = 0; x < image->width; ++x) ink += (image->at(x, y) & 0xFFFFFF) < 0x404040;
  EXPECT_GT(ink, 50) << "the label's text is drawn";
}

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptText, ::testing::ValuesIn(kSamples),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace svx
