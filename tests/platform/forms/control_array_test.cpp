#include "tests/platform/forms/forms_fixture.h"

#include <array>

namespace svx::testing {
namespace {

TEST_F(FormsTest, BoundsFollowLoadedElementsWithGaps) {
  ControlArray& text = form->array(u"Text");
  text.load(1);
  text.load(2);
  text.load(3);
  text.unload(2);
  EXPECT_EQ(text.lBound(), 0);
  EXPECT_EQ(text.uBound(), 3);
  EXPECT_EQ(text.count(), 3);
  EXPECT_EQ(errorOf([&] { text.item(2); }), 340);
  EXPECT_EQ(errorOf([&] { text.unload(2); }), 340);
  EXPECT_EQ(errorOf([&] { text.load(3); }), 360);
  EXPECT_EQ(errorOf([&] { text.unload(0); }), 362);
  text.unload(3);
  EXPECT_EQ(text.uBound(), 1);
}

TEST_F(FormsTest, LateBoundBoundsAndElementTags) {
  ControlArray& text = form->array(u"Text");
  text.load(2).setTag(u"two");
  EXPECT_EQ(toI4(text.invoke(u"UBound", InvokeKind::PropertyGet, {})), 2);
  EXPECT_EQ(toI4(text.invoke(u"LBound", InvokeKind::PropertyGet, {})), 0);
  std::array<Variant, 1> two{Variant(2.4)};  // indexes round to 16-bit integers
  Variant element = text.invoke(0, InvokeKind::PropertyGet, two);  // the default member
  EXPECT_EQ(toBStr(element.asObject()->invoke(u"Tag", InvokeKind::PropertyGet, {})), u"two");
  std::array<Variant, 1> one{Variant(1)};
  try {
    text.invoke(u"Item", InvokeKind::PropertyGet, one);
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 340);
    EXPECT_EQ(e.description(), u"Control array element '1' doesn't exist");
  }
}

TEST_F(FormsTest, NewElementsCopyTheTemplateAsItIsNow) {
  auto& tmpl = form->element<Label>(u"Label");
  auto& first = form->array(u"Label").load(1);
  EXPECT_FALSE(first.visible());
  EXPECT_EQ(dynamic_cast<Label&>(first).caption(), u"Label");
  std::array<Variant, 1> caption{Variant(u"Changed")};
  tmpl.invoke(u"Caption", InvokeKind::PropertyPut, caption);
  tmpl.setTag(u"t");
  tmpl.move(10, 20, 30, 40);
  auto& second = dynamic_cast<Label&>(form->array(u"Label").load(2));
  EXPECT_EQ(second.caption(), u"Changed");
  EXPECT_EQ(second.tag(), u"t");
  EXPECT_EQ(second.width(), 30);
  EXPECT_EQ(dynamic_cast<Label&>(first).caption(), u"Label");
}

TEST_F(FormsTest, LoadCopiesTheContainerButNotTheContainedControls) {
  auto& frame1 = form->array(u"Frame").load(1);
  EXPECT_TRUE(form->childrenOf(&frame1).empty());
  auto& option1 = form->array(u"OptionCtrl").load(1);
  EXPECT_EQ(option1.container(), &form->control(u"Frame"));
}

TEST_F(FormsTest, UnloadingAPictureBoxTakesItsElementsAlong) {
  auto& pic = form->add<PictureBox>(u"PictureCtrl", 1);
  auto& inner = form->add<PictureBox>(u"PictureCtrl", 2);
  form->add(u"Text", 1).setContainer(&inner);
  form->add(u"Check", 1).setContainer(&pic);
  inner.setContainer(&pic);
  form->array(u"PictureCtrl").unload(1);
  EXPECT_FALSE(form->array(u"PictureCtrl").exists(2));
  EXPECT_FALSE(form->array(u"Text").exists(1));
  EXPECT_FALSE(form->array(u"Check").exists(1));
  for (Control* c : form->zOrder()) EXPECT_TRUE(c->container() == nullptr || c->container()->loaded());
}

TEST_F(FormsTest, TabIndexRenumbersTheOthers) {
  form->load();
  auto& a = form->add(u"Text", 1);
  auto& b = form->add(u"Text", 2);
  const int16_t last = b.tabIndex();
  EXPECT_EQ(a.tabIndex(), last - 1);
  b.setTabIndex(0);
  EXPECT_EQ(b.tabIndex(), 0);
  EXPECT_EQ(form->control(u"Label").tabIndex(), 1);
  EXPECT_EQ(a.tabIndex(), last);
  b.setTabIndex(999);  // beyond the end: the last place
  EXPECT_EQ(b.tabIndex(), last);
  EXPECT_EQ(errorOf([&] { form->control(u"ShapeCtrl").tabIndex(); }), 438);
}

}  // namespace
}  // namespace svx::testing
