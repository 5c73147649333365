#include "tests/platform/forms/forms_fixture.h"

#include <array>

#include "platform/desktop/win32.h"

namespace svx::testing {
namespace {

Variant let(Object& o, BStrView name, Variant value) {
  std::array<Variant, 1> args{std::move(value)};
  return o.invoke(name, InvokeKind::PropertyPut, args);
}
Variant get(Object& o, BStrView name) { return o.invoke(name, InvokeKind::PropertyGet, {}); }

// Property value checks, by name as scripts reach them.
TEST_F(FormsTest, RefusedPropertyValuesRaise380) {
  struct Case {
    const char16_t* array;
    const char16_t* property;
    Variant value;
    int32_t error;
  };
  const std::vector<Case> cases = {
      {u"Check", u"Value", Variant(3), 380},          {u"Check", u"Value", Variant(-1), 380},
      {u"Check", u"Value", Variant(2), 0},           {u"HScroll", u"SmallChange", Variant(0), 380},
      {u"HScroll", u"LargeChange", Variant(32767), 0}, {u"HScroll", u"Value", Variant(50), 0},
      {u"ShapeCtrl", u"Shape", Variant(6), 380},     {u"ShapeCtrl", u"FillStyle", Variant(7), 0},
      {u"ShapeCtrl", u"BorderStyle", Variant(7), 380}, {u"LineCtrl", u"BorderWidth", Variant(0), 380},
      {u"LineCtrl", u"BorderWidth", Variant(8192), 0}, {u"Label", u"BorderStyle", Variant(2), 380},
      {u"Combo", u"ListIndex", Variant(0), 380},     {u"Combo", u"ListIndex", Variant(-1), 0},
      {u"List", u"ListIndex", Variant(-2), 380},     {u"Text", u"Width", Variant(-1), 380},
      {u"LineCtrl", u"Left", Variant(0), 438},
  };
  for (const Case& c : cases) {
    Control& target = form->control(c.array);
    EXPECT_EQ(errorOf([&] { let(target, c.property, c.value); }), c.error)
        << utf8(c.array) << "." << utf8(c.property);
  }
}

TEST_F(FormsTest, CheckBoxValueRaisesClickOnlyWhenItChanges) {
  auto& check = form->add<CheckBox>(u"Check", 1);
  form->take();
  check.setValue(1);
  check.setValue(1);
  EXPECT_EQ(form->take(), Log{"Check(1).Click"});
}

TEST_F(FormsTest, ComboListIndexRangeAndTextFollowTheItem) {
  auto& combo = form->add<ComboBox>(u"ComboText", 1);
  combo.addItem(u"b");
  combo.addItem(u"a", 0);
  form->take();
  EXPECT_EQ(errorOf([&] { combo.setListIndex(2); }), 380);
  combo.setListIndex(1);
  EXPECT_EQ(combo.text(), u"b");
  EXPECT_EQ(form->take(), Log{"ComboText(1).Click"});
  combo.setText(u"typed");
  EXPECT_EQ(combo.listIndex(), -1);
  EXPECT_EQ(form->take(), Log{"ComboText(1).Change"});
  combo.clear();  // empties the list and the edit field
  EXPECT_EQ(combo.listCount(), 0);
  EXPECT_EQ(combo.text(), u"");
  EXPECT_EQ(form->take(), Log{"ComboText(1).Change"});
}

TEST_F(FormsTest, DropDownListTextMustNameAnItem) {
  auto& combo = form->add<ComboBox>(u"Combo", 1);
  combo.addItem(u"x");
  EXPECT_EQ(errorOf([&] { combo.setText(u"y"); }), 383);
  combo.setText(u"x");
  EXPECT_EQ(combo.listIndex(), 0);
  combo.removeItem(0);
  EXPECT_EQ(combo.listIndex(), -1);
  EXPECT_EQ(combo.text(), u"");
}

TEST_F(FormsTest, ScrollValueIsCheckedAgainstTheCurrentRange) {
  auto& bar = form->add<ScrollBar>(u"HScroll", 1);
  EXPECT_EQ(bar.max(), 32767);
  bar.setValue(50);
  form->take();
  bar.setMax(10);  // brings Value into the new range
  EXPECT_EQ(bar.value(), 10);
  EXPECT_EQ(form->take(), Log{"HScroll(1).Change"});
  EXPECT_EQ(errorOf([&] { bar.setValue(50); }), 380);
  bar.setMin(100);  // Min above Max: the range is 10..100
  EXPECT_EQ(bar.value(), 10);
  EXPECT_EQ(errorOf([&] { bar.setValue(101); }), 380);
  bar.setValue(60);
  EXPECT_EQ(form->take(), Log{"HScroll(1).Change"});
}

TEST_F(FormsTest, DefaultAndCancelAreUniquePerForm) {
  auto& tmpl = form->element<CommandButton>(u"Command");
  EXPECT_TRUE(tmpl.isDefault());
  EXPECT_TRUE(tmpl.isCancel());
  auto& one = form->add<CommandButton>(u"Command", 1);
  auto& two = form->add<CommandButton>(u"Command", 2);
  EXPECT_FALSE(one.isDefault());  // not copied: one per form
  one.setDefault(true);
  two.setCancel(true);
  EXPECT_FALSE(tmpl.isDefault());
  EXPECT_FALSE(tmpl.isCancel());
  EXPECT_TRUE(one.isDefault());
  EXPECT_TRUE(two.isCancel());
  EXPECT_TRUE(toBool(get(two, u"Cancel")));
}

TEST_F(FormsTest, OneOptionPerContainer) {
  auto& a = form->add<OptionButton>(u"OptionCtrl", 1);
  auto& b = form->add<OptionButton>(u"OptionCtrl", 2);
  auto& pic = form->add<PictureBox>(u"PictureCtrl", 1);
  auto& c = form->add<OptionButton>(u"OptionCtrl", 3);
  c.setContainer(&pic);
  a.setValue(true);
  c.setValue(true);
  form->take();
  b.setValue(true);
  EXPECT_FALSE(a.value());
  EXPECT_TRUE(c.value());  // another container
  EXPECT_EQ(form->take(), Log{"OptionCtrl(2).Click"});
}

TEST_F(FormsTest, CheckListSelectedRaisesItemCheck) {
  auto& list = form->add<ListBox>(u"ListCheck", 1);
  list.addItem(u"a");
  list.addItem(u"b");
  form->take();
  std::array<Variant, 2> args{Variant(1), Variant(true)};
  list.invoke(u"Selected", InvokeKind::PropertyPut, args);
  list.setSelected(1, true);
  EXPECT_EQ(form->take(), Log{"ListCheck(1).ItemCheck(1)"});
  EXPECT_EQ(list.listIndex(), -1);
  EXPECT_EQ(errorOf([&] { list.selected(2); }), 380);
}

TEST_F(FormsTest, HorizontalExtentThroughTheListWindow) {
  auto& list = form->add<ListBox>(u"List", 1);
  list.setWidth(1500);  // 100 pixels
  EXPECT_FALSE(list.hasHorizontalScrollBar());
  SendMessageA(list.hWnd(), LB_SETHORIZONTALEXTENT, 90, 0);
  EXPECT_EQ(list.horizontalExtent(), 90);
  EXPECT_FALSE(list.hasHorizontalScrollBar());
  SendMessageA(list.hWnd(), LB_SETHORIZONTALEXTENT, 400, 0);
  EXPECT_TRUE(list.hasHorizontalScrollBar());
}

TEST_F(FormsTest, TextAndCaptionChangesRaiseChangeOnce) {
  auto& text = form->add<TextBox>(u"Text", 1);
  auto& label = form->add<Label>(u"Label", 1);
  form->take();
  text.setText(u"abc");
  text.setText(u"abc");
  label.setCaption(u"Label");  // unchanged from the template
  label.setCaption(u"x");
  EXPECT_EQ(form->take(), (Log{"Text(1).Change", "Label(1).Change"}));
  text.setSelStart(1);
  text.setSelLength(5);
  EXPECT_EQ(text.selLength(), 2);
  text.setSelText(u"Z");
  EXPECT_EQ(text.text(), u"aZ");
}

TEST_F(FormsTest, ContainerRules) {
  auto& pic = form->add<PictureBox>(u"PictureCtrl", 1);
  auto& inner = form->add<PictureBox>(u"PictureCtrl", 2);
  auto& text = form->add<TextBox>(u"Text", 1);
  inner.setContainer(&pic);
  EXPECT_EQ(errorOf([&] { pic.setContainer(&pic); }), 5);
  EXPECT_EQ(errorOf([&] { pic.setContainer(&inner); }), 5);  // its own container
  EXPECT_EQ(errorOf([&] { pic.setContainer(&text); }), 380);
  // Set Container by reference, as scripts do.
  std::array<Variant, 1> args{Variant(ObjectRef(&pic))};
  text.invoke(u"Container", InvokeKind::PropertyPutRef, args);
  EXPECT_EQ(text.container(), &pic);
  std::array<Variant, 1> toForm{Variant(ObjectRef(form.get()))};
  text.invoke(u"Container", InvokeKind::PropertyPutRef, toForm);
  EXPECT_EQ(text.container(), nullptr);
}

TEST_F(FormsTest, ZOrderWithinTheContainer) {
  auto& a = form->add<TextBox>(u"Text", 1);
  auto& b = form->add<TextBox>(u"Text", 2);
  a.zOrder(0);
  EXPECT_EQ(form->zOrder().back(), &a);
  a.zOrder(1);
  EXPECT_EQ(form->zOrder().front(), &a);
  EXPECT_EQ(errorOf([&] { b.zOrder(2); }), 5);
}

}  // namespace
}  // namespace svx::testing
