// The objects that the families' Object members hand out, used as a script
// uses them: the font, the form's and controls' names, the text box's
// alignment, pictures, the picture box's drawing state, and scroll bars
// moved by keys, arrows and the track.
#include <gtest/gtest.h>

#include "platform/forms/picture_box.h"
#include "platform/forms/scroll_bar.h"
#include "platform/forms/person.h"
#include "platform/graphics/picture.h"
#include "tests/support/form_fixture.h"

namespace svx {
namespace {

class ControlObjects : public testing::DialogFormTest {
 protected:
  // Loads an element of the family and returns its object.
  ObjectRef loaded(const std::u16string& family) {
    Variant n, d;
    const Variant index = call(u"Load" + family, {nullptr, &n, &d});
    Variant i = index;
    Variant r = call(family + u"Object", {&i, &n, &d});
    EXPECT_TRUE(r.isObject()) << utf8(family);
    return r.asObject();
  }
  static Variant get(const ObjectRef& o, BStrView name) { return o->invoke(name, InvokeKind::PropertyGet, {}); }
  static void let(const ObjectRef& o, BStrView name, Variant v) {
    std::vector<Variant> a{std::move(v)};
    o->invoke(name, InvokeKind::PropertyPut, a);
  }
  static Variant method(const ObjectRef& o, BStrView name, std::vector<Variant> args) {
    return o->invoke(name, InvokeKind::Method, args);
  }
};

TEST_F(ControlObjects, EveryControlWithTextHasAFontThatChangesIt) {
  for (const std::u16string family : {u"Command", u"Label", u"Text", u"MultiText", u"List", u"ListCheck", u"Check",
                                      u"Combo", u"ComboText", u"Frame", u"Option", u"PictureCtrl"}) {
    SCOPED_TRACE(utf8(family));
    ObjectRef control = loaded(family);
    ASSERT_TRUE(control->classInfo().find(u"Font", InvokeKind::PropertyGet));
    ObjectRef font = get(control, u"Font").asObject();
    let(font, u"Bold", Variant(true));
    let(font, u"Size", Variant(12));
    let(font, u"Name", Variant(u"Courier New"));
    const Font f = dynamic_cast<Control&>(*control).font();
    EXPECT_TRUE(f.bold);
    EXPECT_EQ(f.size, 12);
    EXPECT_EQ(f.name, u"Courier New");
    // A font object read afresh sees the change; a bad size is refused.
    EXPECT_EQ(get(get(control, u"Font").asObject(), u"Bold"), Variant(true));
    EXPECT_THROW(let(font, u"Size", Variant(0)), RuntimeError);
    EXPECT_EQ(get(control, u"Name").asBStr(), dynamic_cast<Control&>(*control).array()->name());
  }
  // Kinds without text have no font.
  EXPECT_FALSE(loaded(u"HScrollBar")->classInfo().find(u"Font", InvokeKind::PropertyGet));
}

TEST_F(ControlObjects, TheFormHasItsNameAndTextBoxesTheirAlignment) {
  EXPECT_EQ(form->invoke(u"Name", InvokeKind::PropertyGet, {}).asBStr(), u"DialogForm");
  ObjectRef text = loaded(u"Text");
  let(text, u"Alignment", Variant(2));
  EXPECT_EQ(get(text, u"Alignment"), Variant::i2(2));
  EXPECT_THROW(let(text, u"Alignment", Variant(3)), RuntimeError);
}

TEST_F(ControlObjects, PicturesGoOutAndComeBackAsPictureObjects) {
  ObjectRef image = loaded(u"Image");
  ObjectRef box = loaded(u"PictureCtrl");
  EXPECT_EQ(get(get(image, u"Picture").asObject(), u"Type"), Variant::i2(0));
  const Picture red = Picture::fromImage(RasterImage(4, 3, 0xFFFF0000u));
  dynamic_cast<PictureBox&>(*box).setPicture(red);
  Variant picture = get(box, u"Picture");
  EXPECT_EQ(get(picture.asObject(), u"Type"), Variant::i2(1));
  std::vector<Variant> a{picture};
  image->invoke(u"Picture", InvokeKind::PropertyPutRef, a);
  EXPECT_EQ(get(get(image, u"Picture").asObject(), u"Width"), get(picture.asObject(), u"Width"));
}

// ForeColor and BackColor set through the object reach the drawing surface:
// a circle without a colour takes the ForeColor, the background the BackColor.
TEST_F(ControlObjects, APictureBoxDrawsAndPaintsInTheColoursOfItsObject) {
  ObjectRef box = loaded(u"PictureCtrl");
  auto& b = dynamic_cast<PictureBox&>(*box);
  let(box, u"BackColor", Variant(0x00FF00));
  EXPECT_EQ(b.surface().Point(300, 300), 0x00FF00);
  let(box, u"ForeColor", Variant(0x0000FF));
  let(box, u"DrawWidth", Variant(3));
  method(box, u"Circle", {Variant(300), Variant(300), Variant(150)});
  EXPECT_EQ(b.surface().Point(450, 300), 0x0000FF);
  EXPECT_EQ(get(box, u"CurrentX"), Variant(300.0f));
  let(box, u"FillStyle", Variant(0));
  let(box, u"FillColor", Variant(0xFF0000));
  method(box, u"Line", {Variant(30), Variant(30), Variant(90), Variant(90), Variant(0x0000FF), Variant(true)});
  EXPECT_EQ(b.surface().Point(60, 60), 0xFF0000);
  method(box, u"Cls", {});
  EXPECT_EQ(b.surface().Point(450, 300), 0x00FF00);
  EXPECT_THROW(let(box, u"DrawMode", Variant(17)), RuntimeError);
}

struct ScrollCase {
  const char* label;
  int16_t key;
  int16_t expected;
};

TEST_F(ControlObjects, ScrollBarsMoveByKeysArrowsAndTrack) {
  ObjectRef object = loaded(u"HScrollBar");
  auto& bar = dynamic_cast<ScrollBar&>(*object);
  bar.setMax(100);
  bar.setSmallChange(5);
  bar.setLargeChange(20);
  bar.setVisible(true);
  form->show();
  const ScrollCase keys[] = {
      {"Right", 39, 5}, {"Down", 40, 10}, {"Page Down", 34, 30}, {"Left", 37, 25}, {"Page Up", 33, 5},
      {"Page Up at the start", 33, 0}, {"End", 35, 100}, {"Right at the end", 39, 100}, {"Home", 36, 0},
  };
  for (const ScrollCase& c : keys) {
    SCOPED_TRACE(c.label);
    events.clear();
    const int16_t before = bar.value();
    person::keyStroke(bar, c.key);
    EXPECT_EQ(bar.value(), c.expected);
    EXPECT_EQ(last(u"HScrollChange") != nullptr, before != c.expected);
  }
  person::clickScrollPart(bar, false, 1);
  EXPECT_EQ(bar.value(), 5);
  person::clickScrollPart(bar, true, 1);
  EXPECT_EQ(bar.value(), 25);
  person::clickScrollPart(bar, true, -1);
  EXPECT_EQ(bar.value(), 5);
  // A click at the far end lands on the arrow towards Max.
  person::clickAt(bar, bar.width() - 10, bar.height() / 2);
  EXPECT_EQ(bar.value(), 10);
  // A KeyDown whose handler clears KeyCode leaves the bar alone.
  onEvent = [](BStrView name, std::span<Variant> args) {
    if (name == u"HScrollKeyDown") args[1].assign(Variant::i2(0));
  };
  person::keyStroke(bar, 39);
  EXPECT_EQ(bar.value(), 10);
  // A click on the form's client area over the bar's arrow towards Min.
  bar.move(120, 150);
  person::clickAt(*form, 130, 150 + bar.height() / 2);
  EXPECT_EQ(bar.value(), 5);
}

}  // namespace
}  // namespace svx
