#include <gtest/gtest.h>

#include <typeinfo>

#include "controls/standard_families.h"
#include "platform/automation/coerce.h"
#include "platform/automation/error.h"
#include "platform/forms/person.h"
#include "tests/support/error_of.h"
#include "tests/support/form_fixture.h"

namespace svx {
namespace {

using Families = testing::DialogFormTest;
using testing::errorOf;

TEST_F(Families, IndexesAreReusedLowestFirstAndEachFamilyCountsAlone) {
  Variant n, d;
  EXPECT_EQ(call(u"LoadCommand", {nullptr, &n, &d}), Variant(1));
  EXPECT_EQ(n.vt(), VT_I2);
  EXPECT_EQ(call(u"LoadCommand", {nullptr, &n, &d}).asI4(), 2);
  EXPECT_EQ(call(u"LoadCommand", {nullptr, &n, &d}).asI4(), 3);
  EXPECT_EQ(call(u"LoadCheck", {nullptr, &n, &d}).asI4(), 1);
  Variant two(2);
  call(u"UnloadCommand", {&two, &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
  EXPECT_EQ(call(u"LoadCommand", {nullptr, &n, &d}).asI4(), 2);
  EXPECT_EQ(call(u"LoadCommand", {nullptr, &n, &d}).asI4(), 4);
}

TEST_F(Families, AFullArrayRefusesTheNextLoad) {
  Variant n, d;
  for (int i = 1; i <= 255; ++i) ASSERT_EQ(call(u"LoadShape", {nullptr, &n, &d}).asI4(), i);
  const Variant r = call(u"LoadShape", {nullptr, &n, &d});
  EXPECT_EQ(r, Variant::i2(-1));
  EXPECT_EQ(n, Variant(-200));
  EXPECT_EQ(d.asBStr(), u"The maximum number of elements that can be added to the control array (255) has been reached!");
  Variant k(17);
  call(u"UnloadShape", {&k, &n, &d});
  EXPECT_EQ(call(u"LoadShape", {nullptr, &n, &d}).asI4(), 17);
}

TEST_F(Families, TheContainerRuleTakesOnlyLoadedPictureBoxes) {
  form->array(u"PictureCtrl").load(2);
  Variant n, d;
  const std::pair<Variant, bool> cases[] = {{Variant(2), true},   {Variant(1.5), true}, {Variant(0.5), false},
                                            {Variant(0), false},  {Variant(-1), false}, {Variant(40000), false},
                                            {Variant(u"abc"), false}, {Variant(1), false}};
  for (const auto& [container, inPicture] : cases) {
    Variant c = container;
    const int16_t index = static_cast<int16_t>(call(u"LoadCommand", {&c, &n, &d}).asI4());
    EXPECT_EQ(n, Variant::i2(0));
    Control& button = form->array(u"Command").item(index);
    if (inPicture)
      EXPECT_EQ(button.container(), &form->array(u"PictureCtrl").item(2));
    else
      EXPECT_EQ(button.container(), nullptr);
  }
}

TEST_F(Families, HalfIndexesRoundToEvenAndIndexZeroIsTheTemplate) {
  Variant n, d;
  for (int i = 0; i < 4; ++i) call(u"LoadCommand", {nullptr, &n, &d});
  Variant caption(u"two"), caption4(u"four"), idx25(2.5), idx35(3.5);
  Variant none = Variant::missing();
  call(u"SetCommand", {&idx25, &caption, &none, &none, &none, &none, &none, &none, &none, &none, &none, &n, &d});
  call(u"SetCommand", {&idx35, &caption4, &none, &none, &none, &none, &none, &none, &none, &none, &none, &n, &d});
  Variant got, i2(2), i4(4);
  call(u"GetCommand", {&i2, &got, &none, &none, &none, &none, &none, &none, &none, &none, &n, &d});
  EXPECT_EQ(got.asBStr(), u"two");
  call(u"GetCommand", {&i4, &got, &none, &none, &none, &none, &none, &none, &none, &none, &n, &d});
  EXPECT_EQ(got.asBStr(), u"four");
  // A Set on the template changes what later Loads make.
  Variant zero(0), templ(u"from template");
  call(u"SetCommand", {&zero, &templ, &none, &none, &none, &none, &none, &none, &none, &none, &none, &n, &d});
  const Variant fresh(call(u"LoadCommand", {nullptr, &n, &d}));
  Variant idx = fresh;
  call(u"GetCommand", {&idx, &got, &none, &none, &none, &none, &none, &none, &none, &none, &n, &d});
  EXPECT_EQ(got.asBStr(), u"from template");
  // The template cannot be unloaded.
  call(u"UnloadCommand", {&zero, &n, &d});
  EXPECT_EQ(n.vt(), VT_I4);
  EXPECT_EQ(n.asI4(), 362);
}

TEST_F(Families, SetStopsAtTheFirstFailureAndGetWritesOnlyWhatWasPassed) {
  Variant n, d, none = Variant::missing();
  Variant index = call(u"LoadCommand", {nullptr, &n, &d});
  Variant caption(u"OK"), width(u"abc"), visible(true);
  // Index, Caption, Default, Cancel, TabIndex, Visible, Left, Top, Width, Height, intZOrder
  call(u"SetCommand", {&index, &caption, &none, &none, &none, &visible, &none, &none, &width, &none, &none, &n, &d});
  EXPECT_EQ(n, Variant(13));
  Variant gotCaption(u"keep"), gotVisible(u"keep"), gotLeft(u"keep");
  call(u"GetCommand", {&index, &gotCaption, &none, &none, &none, &gotVisible, &none, &none, &none, &none, &n, &d});
  EXPECT_EQ(gotCaption.asBStr(), u"OK");
  EXPECT_EQ(gotVisible, Variant(false));
  EXPECT_EQ(gotLeft.asBStr(), u"keep");
  EXPECT_EQ(n, Variant::i2(0));
  // A missing element: only the error parameters are written.
  Variant missingIndex(9);
  call(u"GetCommand", {&missingIndex, &gotCaption, &none, &none, &none, &none, &none, &none, &none, &none, &n, &d});
  EXPECT_EQ(n, Variant(340));
  EXPECT_EQ(gotCaption.asBStr(), u"OK");
  Variant obj = call(u"CommandObject", {&missingIndex, &n, &d});
  EXPECT_TRUE(obj.isObject());
  EXPECT_FALSE(obj.asObject());
}

TEST_F(Families, ScrollBarValueIsCheckedAgainstTheOldRange) {
  Variant n, d, none = Variant::missing();
  Variant index = call(u"LoadHScrollBar", {nullptr, &n, &d});
  Variant v50(50), min0(0), max100(100);
  // Index, TabIndex, Visible, Value, Min, Max, Small, Large, Left, Top, Width, Height, ZOrder
  call(u"SetHScrollBar", {&index, &none, &none, &v50, &min0, &max100, &none, &none, &none, &none, &none, &none, &none,
                          &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
  Variant v250(250), min200(200), max300(300);
  call(u"SetHScrollBar", {&index, &none, &none, &v250, &min200, &max300, &none, &none, &none, &none, &none, &none,
                          &none, &n, &d});
  EXPECT_EQ(n, Variant(380));
  Variant gotMin, gotMax;
  call(u"GetHScrollBar", {&index, &none, &none, &none, &gotMin, &gotMax, &none, &none, &none, &none, &none, &none,
                          &n, &d});
  EXPECT_EQ(gotMin, Variant::i2(0));
  EXPECT_EQ(gotMax, Variant::i2(100));
  // Range first, then the value: accepted.
  call(u"SetHScrollBar", {&index, &none, &none, &none, &none, &max300, &none, &none, &none, &none, &none, &none,
                          &none, &n, &d});
  call(u"SetHScrollBar", {&index, &none, &none, &v250, &min200, &none, &none, &none, &none, &none, &none, &none,
                          &none, &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
}

TEST_F(Families, ComboListsComeOnlyFromVariantArrays) {
  Variant n, d, none = Variant::missing();
  Variant index = call(u"LoadCombo", {nullptr, &n, &d});
  Variant items(SafeArray::variants({u"a", u"b", u"c"}, 1)), one(1);
  // Index, ItemsList, TabIndex, Visible, ListIndex, Left, Top, Width, Height, ZOrder
  call(u"SetCombo", {&index, &items, &none, &none, &one, &none, &none, &none, &none, &none, &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
  Variant gotItems, gotIndex, gotValue;
  call(u"GetCombo", {&index, &gotItems, &none, &none, &gotIndex, &gotValue, &none, &none, &none, &none, &n, &d});
  ASSERT_EQ(gotItems.vt(), VT_ARRAY | VT_VARIANT);
  EXPECT_EQ(gotItems.asArray()->lbound(), 0);
  EXPECT_EQ(gotItems.asArray()->ubound(), 2);
  EXPECT_EQ(gotItems.asArray()->get(2).asBStr(), u"c");
  EXPECT_EQ(gotIndex, Variant::i2(1));
  EXPECT_EQ(gotValue.asBStr(), u"b");
  // A list whose last index is the highest Long arrives whole, once.
  Variant high(SafeArray::variants({u"x", u"y"}, INT32_MAX - 1));
  call(u"SetCombo", {&index, &high, &none, &none, &none, &none, &none, &none, &none, &none, &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
  call(u"GetCombo", {&index, &gotItems, &none, &none, &none, &none, &none, &none, &none, &none, &n, &d});
  ASSERT_EQ(gotItems.vt(), VT_ARRAY | VT_VARIANT);
  EXPECT_EQ(gotItems.asArray()->ubound(), 1);
  EXPECT_EQ(gotItems.asArray()->get(1).asBStr(), u"y");
  call(u"SetCombo", {&index, &items, &none, &none, &one, &none, &none, &none, &none, &none, &n, &d});
  // A Set that passes no list empties it; a selection in an empty list fails.
  Variant zero(0), visible(true);
  call(u"SetCombo", {&index, &none, &none, &visible, &zero, &none, &none, &none, &none, &none, &n, &d});
  EXPECT_EQ(n, Variant(380));
  EXPECT_FALSE(form->array(u"Combo").item(1).visible());
  // A string or an array of strings adds nothing.
  Variant text(u"abc"), strings(SafeArray(VT_BSTR, {{0, 2}}));
  for (Variant* list : {&text, &strings}) {
    call(u"SetCombo", {&index, list, &none, &none, &none, &none, &none, &none, &none, &none, &n, &d});
    EXPECT_EQ(n, Variant::i2(0));
    EXPECT_EQ(form->array(u"Combo").item(1).invoke(u"ListCount", InvokeKind::PropertyGet, {}).value(), Variant::i2(0));
  }
}

TEST_F(Families, ComboTextLosesItsTextUnlessAnItemIsSelected) {
  Variant n, d, none = Variant::missing();
  Variant index = call(u"LoadComboText", {nullptr, &n, &d});
  Control& combo = form->array(u"ComboText").item(1);
  EXPECT_EQ(combo.invoke(u"Text", InvokeKind::PropertyGet, {}).asBStr(), u"ComboText");
  Variant text(u"typed");
  call(u"SetComboText", {&index, &text, &none, &none, &none, &none, &none, &none, &none, &none, &none, &n, &d});
  EXPECT_EQ(combo.invoke(u"Text", InvokeKind::PropertyGet, {}).asBStr(), u"");
  Variant items(SafeArray::variants({u"first", u"second"})), zero(0);
  call(u"SetComboText", {&index, &text, &items, &none, &none, &zero, &none, &none, &none, &none, &none, &n, &d});
  EXPECT_EQ(combo.invoke(u"Text", InvokeKind::PropertyGet, {}).asBStr(), u"first");
}

TEST_F(Families, LineCoordinatesRunXThenY) {
  Variant n, d, none = Variant::missing();
  Variant index = call(u"LoadLine", {nullptr, &n, &d});
  Variant x1(100), x2(200), y1(300), y2(400), colour(static_cast<int32_t>(0x80000005u));
  call(u"SetLine", {&index, &colour, &none, &none, &none, &x1, &x2, &y1, &y2, &none, &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
  Control& line = form->array(u"LineCtrl").item(1);
  EXPECT_EQ(line.invoke(u"Y1", InvokeKind::PropertyGet, {}).value(), Variant(300.0f));
  Variant gotColour;
  call(u"GetLine", {&index, &gotColour, &none, &none, &none, &none, &none, &none, &none, &n, &d});
  EXPECT_EQ(gotColour.vt(), VT_I4);
  EXPECT_LT(gotColour.asI4(), 0);
}

TEST_F(Families, EventsOfLoadedElementsReachTheListenerWithTheirIndex) {
  Variant n, d, none = Variant::missing();
  call(u"LoadCommand", {nullptr, &n, &d});
  Variant index = call(u"LoadCommand", {nullptr, &n, &d});
  Variant visible(true);
  call(u"SetCommand", {&index, &none, &none, &none, &none, &visible, &none, &none, &none, &none, &none, &n, &d});
  events.clear();
  form->show(false);
  person::click(form->array(u"Command").item(2));
  const testing::RecordedEvent* click = last(u"CommandClick");
  ASSERT_NE(click, nullptr);
  EXPECT_EQ(click->args.size(), 1u);
  EXPECT_EQ(click->args[0], Variant::i2(2));
}

TEST_F(Families, GetConvertsToEachRowsTypeAndWritesThroughTypedReferences) {
  Variant n, d, none = Variant::missing();
  Variant index = call(u"LoadCommand", {nullptr, &n, &d});
  Variant caption(u"12"), left(150), yes(true);
  call(u"SetCommand", {&index, &caption, &none, &none, &none, &yes, &left, &none, &none, &none, &none, &n, &d});
  ASSERT_EQ(n, Variant::i2(0));
  BStr captionText;
  int16_t captionNumber = 7;
  int32_t tabIndex = -1;
  double leftTwips = 0;
  BStr topText;
  Variant visible(u"keep"), width = Variant::i2(1);
  Variant args[] = {Variant::byRef(captionText), Variant::missing(), Variant::missing(), Variant::byRef(tabIndex),
                    Variant::byRef(visible), Variant::byRef(leftTwips), Variant::byRef(topText),
                    Variant::byRef(width), Variant::missing()};
  std::vector<Variant*> pointers{&index};
  for (Variant& a : args) pointers.push_back(&a);
  pointers.insert(pointers.end(), {&n, &d});
  call(u"GetCommand", pointers);
  EXPECT_EQ(n, Variant::i2(0));
  EXPECT_EQ(captionText, u"12");
  EXPECT_EQ(tabIndex, toI4(form->array(u"Command").item(toI2(index)).invoke(u"TabIndex", InvokeKind::PropertyGet, {})));
  EXPECT_EQ(visible, Variant(true));
  EXPECT_EQ(leftTwips, 150.0);
  EXPECT_FALSE(topText.empty());
  EXPECT_EQ(width.vt(), VT_R4);
  // A caption into a 16-bit integer: converted when it is a number, else the
  // integer keeps its value.
  args[0] = Variant::byRef(captionNumber);
  call(u"GetCommand", pointers);
  EXPECT_EQ(captionNumber, 12);
  caption = Variant(u"OK");
  call(u"SetCommand", {&index, &caption, &none, &none, &none, &none, &none, &none, &none, &none, &none, &n, &d});
  call(u"GetCommand", pointers);
  EXPECT_EQ(captionNumber, 12);
  EXPECT_EQ(n, Variant::i2(0));
}

// Per family: a Set whose later value the element or its conversion refuses
// keeps the earlier value, reports the refusal and does not show the element.
TEST_F(Families, ARefusedValueEndsEachFamilysSetBeforeVisible) {
  struct Case {
    const char16_t* family;   // Load<family>, Set<set>
    const char16_t* set;
    const char16_t* array;
    size_t params;            // Set's values after Index, intZOrder included
    size_t earlierAt;         // 1-based, after Index
    Variant earlier;
    const char16_t* earlierProperty;
    size_t failingAt;
    Variant failing;
    size_t visibleAt;
    int32_t number;
  };
  const Variant null = Variant::null();
  const Case cases[] = {
      {u"Command", u"Command", u"Command", 10, 1, Variant(u"OK"), u"Caption", 4, Variant(40000), 5, err::Overflow},
      {u"Check", u"Check", u"Check", 9, 1, Variant(u"c"), u"Caption", 4, Variant(true), 3, err::InvalidPropertyValue},
      {u"Check", u"Check", u"Check", 9, 2, Variant(7), u"TabIndex", 4, Variant(3), 3, err::InvalidPropertyValue},
      {u"Frame", u"Frame", u"Frame", 8, 1, Variant(u"Options"), u"Caption", 2, Variant(u"x"), 3, err::TypeMismatch},
      {u"HScrollBar", u"HScrollBar", u"HScroll", 12, 3, Variant(5), u"Value", 6, Variant(0), 2,
       err::InvalidPropertyValue},
      {u"VScrollBar", u"VScrollBar", u"VScroll", 12, 1, Variant(3), u"TabIndex", 3, Variant(40000), 2, err::Overflow},
      {u"Shape", u"Shape", u"ShapeCtrl", 9, 1, Variant(3), u"Shape", 2, Variant(8), 3, err::InvalidPropertyValue},
      {u"Line", u"Line", u"LineCtrl", 9, 2, Variant(2), u"BorderStyle", 4, Variant(0), 3, err::InvalidPropertyValue},
      {u"Label", u"Label", u"Label", 9, 1, Variant(u"x"), u"Caption", 3, Variant(2), 4, err::InvalidPropertyValue},
      {u"Text", u"Text", u"Text", 10, 1, Variant(u"abc"), u"Text", 3, Variant(u"**"), 5, err::InvalidPropertyValue},
      {u"MultiText", u"MultiText", u"MultiText", 9, 1, Variant(u"abc"), u"Text", 2, Variant(-1), 4,
       err::InvalidPropertyValue},
      {u"Option", u"Option", u"OptionCtrl", 9, 1, Variant(u"x"), u"Caption", 4, null, 3, err::InvalidUseOfNull},
      {u"Image", u"ImageCtrl", u"ImageCtrl", 10, 2, Variant(1), u"BorderStyle", 6, Variant(u"x"), 5,
       err::TypeMismatch},
      {u"PictureCtrl", u"PictureCtrl", u"PictureCtrl", 11, 2, Variant(0), u"BorderStyle", 6, Variant(-1), 5,
       err::InvalidPropertyValue},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utf8(c.family));
    Variant n, d;
    Variant index = call(u"Load" + BStr(c.family), {nullptr, &n, &d});
    ASSERT_EQ(n, Variant::i2(0));
    std::vector<Variant> values(c.params, Variant::missing());
    values[c.earlierAt - 1] = c.earlier;
    values[c.failingAt - 1] = c.failing;
    values[c.visibleAt - 1] = Variant(true);
    std::vector<Variant*> args{&index};
    for (Variant& v : values) args.push_back(v.isMissing() ? nullptr : &v);
    args.push_back(&n);
    args.push_back(&d);
    call(u"Set" + BStr(c.set), args);
    EXPECT_EQ(n, Variant(c.number));
    EXPECT_FALSE(d.asBStr().empty());
    Control& element = form->array(c.array).item(toI2(index));
    EXPECT_EQ(toBStr(element.invoke(c.earlierProperty, InvokeKind::PropertyGet, {})), toBStr(c.earlier));
    EXPECT_FALSE(element.visible());
  }
}

TEST_F(Families, MembersReachTheFormTheyAreCalledOnAndNoOtherObject) {
  Variant n, d, none = Variant::missing();
  Variant zero(0), caption(u"first");
  call(u"SetCommand", {&zero, &caption, &none, &none, &none, &none, &none, &none, &none, &none, &none, &n, &d});
  Ref<DialogForm> other = makeRef<DialogForm>();
  const MemberInfo* get = form->classInfo().find(u"GetCommand", InvokeKind::Method);
  ASSERT_NE(get, nullptr);
  for (int pass = 0; pass < 2; ++pass) {
    Variant got(u"keep");
    std::vector<Variant> args{Variant(0), Variant::byRef(got)};
    invokeMember(*other, *get, args);
    EXPECT_NE(got.asBStr(), u"first");
    invokeMember(*form, *get, args);
    EXPECT_EQ(got.asBStr(), u"first");
    // A control is no form, whatever forms came before it.
    EXPECT_EQ(errorOf([&] { invokeMember(form->array(u"Command").item(0), *get, args); }), err::AutomationError);
  }
  other.reset();
}

}  // namespace
}  // namespace svx
