#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/automation/coerce.h"
#include "platform/forms/list_box.h"
#include "platform/forms/option_button.h"
#include "platform/forms/picture_box.h"
#include "platform/forms/text_box.h"
#include "platform/system/screen.h"
#include "tests/support/form_fixture.h"

namespace svx {
namespace {

using TextListOption = testing::DialogFormTest;

Variant strings(std::initializer_list<Variant> items, int32_t lower = 0) {
  return Variant(SafeArray::variants(items, lower));
}

std::vector<Variant> elements(const Variant& list) {
  std::vector<Variant> out;
  const SafeArray* a = list.asArray();
  if (!a) return out;
  for (int32_t i = a->lbound(1); i <= a->ubound(1); ++i) out.push_back(a->get(i));
  return out;
}

TEST_F(TextListOption, NewElementsCopyTheTemplatesAndGetGivesFixedTypes) {
  struct Case {
    const char16_t* load;
    const char16_t* get;
    int firstGeometry;  // position of Left among Get's parameters after Index
    size_t count;       // property parameters of Get
    float left, top, width, height;
  };
  const Case cases[] = {{u"LoadLabel", u"GetLabel", 4, 8, 90, 90, 375, 195},
                        {u"LoadText", u"GetText", 5, 9, 570, 60, 1245, 315},
                        {u"LoadMultiText", u"GetMultiText", 4, 8, 90, 3510, 2745, 1155},
                        {u"LoadList", u"GetList", 5, 9, 90, 2400, 2655, 840},
                        {u"LoadListCheck", u"GetListCheck", 6, 10, 2940, 2820, 1545, 735},
                        {u"LoadOption", u"GetOption", 4, 8, 240, 270, 1455, 315}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
    Variant n, d;
    Variant index = call(c.load, {nullptr, &n, &d});
    ASSERT_EQ(index.vt(), VT_I4);
    std::vector<Variant> out(c.count, Variant(u"untouched"));
    std::vector<Variant*> args{&index};
    for (Variant& v : out) args.push_back(&v);
    args.push_back(&n);
    args.push_back(&d);
    call(c.get, args);
    EXPECT_EQ(n, Variant::i2(0));
    const size_t g = static_cast<size_t>(c.firstGeometry);
    EXPECT_EQ(out[g], Variant::r4(c.left));
    EXPECT_EQ(out[g + 1], Variant::r4(c.top));
    EXPECT_EQ(out[g + 2], Variant::r4(c.width));
    EXPECT_EQ(out[g + 3], Variant::r4(c.height));
    const auto visible = std::find_if(out.begin(), out.end(), [](const Variant& v) { return v.vt() == VT_BOOL; });
    ASSERT_NE(visible, out.end());
  }
  Variant one(1), caption, tab, border, visible, n, d;
  call(u"GetLabel", {&one, &caption, &tab, &border, &visible, nullptr, nullptr, nullptr, nullptr, &n, &d});
  EXPECT_EQ(caption, Variant(u"Label"));
  EXPECT_EQ(tab.vt(), VT_I2);
  EXPECT_EQ(border, Variant::i2(0));
  EXPECT_EQ(visible, Variant(false));
  auto& multi = dynamic_cast<TextBox&>(form->array(u"MultiText").item(1));
  EXPECT_TRUE(multi.multiLine());
  EXPECT_EQ(multi.scrollBars(), 2);
}

TEST_F(TextListOption, AFreeIndexSetsOnlyTheErrorOutParameters) {
  const std::pair<const char16_t*, size_t> gets[] = {{u"GetLabel", 8}, {u"GetText", 9},      {u"GetMultiText", 8},
                                                      {u"GetList", 9},  {u"GetListCheck", 10}, {u"GetOption", 8}};
  for (const auto& [get, count] : gets) {
    Variant seven(7), first(u"keep"), n, d;
    std::vector<Variant*> args{&seven, &first};
    args.resize(count + 1, nullptr);
    args.push_back(&n);
    args.push_back(&d);
    call(get, args);
    EXPECT_EQ(first, Variant(u"keep"));
    EXPECT_EQ(n, Variant(340));
    EXPECT_FALSE(d.asBStr().empty());
  }
}

TEST_F(TextListOption, SetLabelStopsAtABadBorderStyleKeepingTheCaption) {
  Variant n, d;
  Variant index = call(u"LoadLabel", {nullptr, &n, &d});
  Variant caption(u"Name:"), tab(u"x"), border(5), visible(true), left(500);
  call(u"SetLabel", {&index, &caption, nullptr, &border, &visible, &left, nullptr, nullptr, nullptr, nullptr, &n, &d});
  EXPECT_EQ(n.vt(), VT_I4);
  EXPECT_NE(n.asI4(), 0);
  Control& label = form->array(u"Label").item(1);
  EXPECT_EQ(label.invoke(u"Caption", InvokeKind::PropertyGet, {}), Variant(u"Name:"));
  EXPECT_FALSE(label.visible());
  EXPECT_EQ(label.left(), 90);
  call(u"SetLabel", {&index, &caption, &tab, nullptr, &visible, nullptr, nullptr, nullptr, nullptr, nullptr, &n, &d});
  EXPECT_EQ(n, Variant(err::TypeMismatch));
  EXPECT_FALSE(label.visible());
}

TEST_F(TextListOption, SetTextKeepsALongTextAndRaisesChangeBeforeReturning) {
  Variant n, d;
  Variant index = call(u"LoadText", {nullptr, &n, &d});
  Variant text(u"abcdef"), limit(3), visible(true);
  bool visibleAtChange = true;
  onEvent = [&](BStrView name, std::span<Variant>) {
    if (name == u"TextChange") visibleAtChange = form->array(u"Text").item(1).visible();
  };
  call(u"SetText", {&index, &text, &limit, nullptr, nullptr, &visible, nullptr, nullptr, nullptr, nullptr, nullptr,
                    &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
  const std::vector<BStr> names = eventNames();
  EXPECT_EQ(std::count(names.begin(), names.end(), BStr(u"TextChange")), 1);
  EXPECT_FALSE(visibleAtChange);
  Variant outText, outLimit, outPassword;
  call(u"GetText", {&index, &outText, &outLimit, &outPassword, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                    &n, &d});
  EXPECT_EQ(outText, Variant(u"abcdef"));
  EXPECT_EQ(outLimit, Variant(3));
  EXPECT_EQ(outLimit.vt(), VT_I4);
  Variant star(u"*");
  call(u"SetText", {&index, nullptr, nullptr, &star, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                    &n, &d});
  EXPECT_EQ(dynamic_cast<TextBox&>(form->array(u"Text").item(1)).passwordChar(), u"*");
  Variant negative(-1);
  call(u"SetText", {&index, nullptr, &negative, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                    &n, &d});
  EXPECT_NE(n.asI4(), 0);
}

TEST_F(TextListOption, MultiTextKeepsLineBreaks) {
  Variant n, d;
  Variant index = call(u"LoadMultiText", {nullptr, &n, &d});
  Variant text(u"one\r\ntwo\r\nthree"), out;
  call(u"SetMultiText", {&index, &text, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &n, &d});
  call(u"GetMultiText", {&index, &out, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &n, &d});
  EXPECT_EQ(out, text);
}

TEST_F(TextListOption, SelectingAnOptionClearsTheOthersOfItsContainer) {
  Variant n, d;
  Variant a = call(u"LoadOption", {nullptr, &n, &d});
  Variant b = call(u"LoadOption", {nullptr, &n, &d});
  Variant yes(true), value;
  call(u"SetOption", {&a, nullptr, nullptr, nullptr, &yes, nullptr, nullptr, nullptr, nullptr, nullptr, &n, &d});
  call(u"SetOption", {&b, nullptr, nullptr, nullptr, &yes, nullptr, nullptr, nullptr, nullptr, nullptr, &n, &d});
  call(u"GetOption", {&a, nullptr, nullptr, nullptr, &value, nullptr, nullptr, nullptr, nullptr, &n, &d});
  EXPECT_EQ(value, Variant(false));
  call(u"GetOption", {&b, nullptr, nullptr, nullptr, &value, nullptr, nullptr, nullptr, nullptr, &n, &d});
  EXPECT_EQ(value, Variant(true));
  // Each picture box is a group of its own; the form's group keeps b.
  form->array(u"PictureCtrl").load(1);
  form->array(u"PictureCtrl").load(2);
  Variant first(1), second(2);
  Variant c = call(u"LoadOption", {&first, &n, &d});
  Variant e = call(u"LoadOption", {&second, &n, &d});
  call(u"SetOption", {&c, nullptr, nullptr, nullptr, &yes, nullptr, nullptr, nullptr, nullptr, nullptr, &n, &d});
  call(u"SetOption", {&e, nullptr, nullptr, nullptr, &yes, nullptr, nullptr, nullptr, nullptr, nullptr, &n, &d});
  for (const Variant* element : {&b, &c, &e})
    EXPECT_TRUE(dynamic_cast<OptionButton&>(form->array(u"OptionCtrl").item(toI2(*element))).value());
}

class ListFamily : public TextListOption {
 protected:
  void SetUp() override {
    TextListOption::SetUp();
    Variant n, d;
    index = call(u"LoadList", {nullptr, &n, &d});
    checkIndex = call(u"LoadListCheck", {nullptr, &n, &d});
  }
  // SetList(Index, ItemsList, TabIndex, Visible, ListIndex, Left, ...)
  void setList(Variant* items, Variant* listIndex = nullptr, Variant* visible = nullptr, Variant* left = nullptr) {
    call(u"SetList", {&index, items, nullptr, visible, listIndex, left, nullptr, nullptr, nullptr, nullptr, &n, &d});
  }
  void setListCheck(Variant* items, Variant* states, Variant* tab = nullptr) {
    call(u"SetListCheck",
         {&checkIndex, items, states, tab, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &n, &d});
  }
  ListBox& list() { return dynamic_cast<ListBox&>(form->array(u"List").item(1)); }
  ListBox& checkList() { return dynamic_cast<ListBox&>(form->array(u"ListCheck").item(1)); }
  std::vector<bool> checks() {
    std::vector<bool> out;
    for (int16_t i = 0; i < checkList().listCount(); ++i) out.push_back(checkList().selected(i));
    return out;
  }
  Variant index, checkIndex, n, d;
};

TEST_F(ListFamily, ItemsGoOutAsTheyCameInWithDuplicatesAndEmptyTexts) {
  Variant items = strings({u"a", u"", u"a"}), one(1);
  setList(&items, &one);
  EXPECT_EQ(n, Variant::i2(0));
  Variant out, listIndex, value;
  call(u"GetList", {&index, &out, nullptr, nullptr, &listIndex, &value, nullptr, nullptr, nullptr, nullptr, &n, &d});
  ASSERT_EQ(out.vt(), VT_ARRAY | VT_VARIANT);
  EXPECT_EQ(out.asArray()->lbound(1), 0);
  EXPECT_EQ(elements(out), (std::vector<Variant>{Variant(u"a"), Variant(u""), Variant(u"a")}));
  EXPECT_EQ(listIndex, Variant::i2(1));
  EXPECT_EQ(value, Variant(u""));
  Variant numbers = strings({Variant(2.5), Variant(7)});
  setList(&numbers);
  EXPECT_EQ(list().list(0), u"2.5");
  EXPECT_EQ(list().list(1), u"7");
}

TEST_F(ListFamily, AnEmptyListGoesOutAsAnArrayWithoutBounds) {
  Variant out, listIndex, value(u"keep");
  call(u"GetList", {&index, &out, nullptr, nullptr, &listIndex, &value, nullptr, nullptr, nullptr, nullptr, &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
  EXPECT_EQ(out.vt(), VT_ARRAY | VT_VARIANT);
  EXPECT_EQ(out.asArray(), nullptr);
  EXPECT_EQ(listIndex, Variant::i2(-1));
  EXPECT_EQ(value, Variant(u""));
  // Taking that value back in fails: it has no bounds to walk.
  setList(&out);
  EXPECT_EQ(n, Variant(err::SubscriptOutOfRange));
}

TEST_F(ListFamily, OnlyAnArrayOfVariantsIsTaken) {
  Variant items = strings({u"x"});
  setList(&items);
  Variant typed(SafeArray(VT_BSTR, {{0, 2}}));
  for (Variant bad : {Variant(u"abc"), Variant(12), typed, Variant(SafeArray(VT_VARIANT, {{0, 0}}))}) {
    setList(&bad);
    EXPECT_EQ(n, Variant::i2(0));
    EXPECT_EQ(list().listCount(), 0);
  }
  Variant twoDim(SafeArray(VT_VARIANT, {{0, 2}, {0, 2}}));
  setList(&twoDim);
  EXPECT_NE(n.asI4(), 0);
  EXPECT_EQ(list().listCount(), 0);
}

TEST_F(ListFamily, AListIndexOnTheEmptiedListStopsTheRest) {
  Variant zero(0), visible(true), left(1000);
  setList(nullptr, &zero, &visible, &left);
  EXPECT_EQ(n, Variant(380));
  EXPECT_FALSE(list().visible());
  EXPECT_EQ(list().left(), 90);
  Variant none(-1);
  setList(nullptr, &none, &visible, &left);
  EXPECT_EQ(n, Variant::i2(0));
  EXPECT_TRUE(list().visible());
  EXPECT_EQ(list().left(), 1000);
}

// Item positions are 16-bit: a list and a combo box hold at most 32767
// items; the item after that is refused and the ones before it stay.
TEST_F(ListFamily, AFullListRefusesTheNextItemAndKeepsTheRest) {
  SafeArray many(VT_VARIANT, {{0, 32768}});
  for (int32_t i = 0; i < 32768; ++i) many.set(i, Variant(i));
  Variant items(std::move(many)), visible(true);
  setList(&items, nullptr, &visible);
  EXPECT_EQ(n, Variant(err::OutOfMemory));
  EXPECT_FALSE(list().visible());
  EXPECT_EQ(list().listCount(), 32767);
  Variant out;
  call(u"GetList", {&index, &out, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &n, &d});
  ASSERT_NE(out.asArray(), nullptr);
  EXPECT_EQ(out.asArray()->ubound(1), 32766);
  EXPECT_EQ(out.asArray()->get(32766), Variant(u"32766"));
  Variant fewer(SafeArray::variants({u"a", u"b"}));
  Variant combo(1), cn, cd;
  call(u"LoadCombo", {nullptr, &cn, &cd});
  call(u"SetCombo", {&combo, &items, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &cn, &cd});
  EXPECT_EQ(cn, Variant(err::OutOfMemory));
  call(u"GetCombo", {&combo, &out, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &cn, &cd});
  ASSERT_NE(out.asArray(), nullptr);
  EXPECT_EQ(out.asArray()->ubound(1), 32766);
  EXPECT_EQ(out.asArray()->get(32766), Variant(u"32766"));
  call(u"SetCombo", {&combo, &fewer, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &cn, &cd});
  EXPECT_EQ(cn, Variant::i2(0));
}

TEST_F(ListFamily, CheckStatesFollowTheArrayIndexes) {
  struct Case {
    Variant states;
    std::vector<bool> checks;
    bool fails;
  };
  const Case cases[] = {
      {strings({true, false, true}), {true, false, true}, false},
      {strings({true}), {true, false, false}, false},
      {strings({true, true, true, true}), {true, true, true}, true},
      {strings({true, true, true}, 1), {false, true, true}, true},
      {strings({Variant(1), Variant(0), Variant(u"True")}), {true, false, true}, false},
      {strings({Variant(u"False"), Variant(), Variant(u"maybe")}), {false, false, false}, true},
  };
  for (const Case& c : cases) {
    Variant items = strings({u"a", u"b", u"c"}), states = c.states, tab(3);
    setListCheck(&items, &states, &tab);
    EXPECT_EQ(checks(), c.checks);
    EXPECT_EQ(toI4(n) != 0, c.fails);
    EXPECT_EQ(checkList().tabIndex() == 3, !c.fails);
    Variant reset(13);
    setListCheck(nullptr, nullptr, &reset);
  }
  Variant one = strings({true}), empty(SafeArray(VT_VARIANT, {{0, 0}}));
  setListCheck(nullptr, &empty);
  EXPECT_EQ(n, Variant::i2(0));
  setListCheck(nullptr, &one);
  EXPECT_EQ(n, Variant(380));
}

// Each check state raises ItemCheck; a handler that unloads the list ends
// the Set at the next state, and one that loads a new list under the same
// index sends the next state to that list.
TEST_F(ListFamily, AnItemCheckHandlerThatUnloadsTheListEndsTheSetAtTheNextState) {
  struct Case {
    bool reload;
    int32_t number;
  };
  for (const Case& c : {Case{false, 340}, Case{true, 380}}) {
    int checks = 0;
    onEvent = [&](BStrView name, std::span<Variant>) {
      if (name != u"ListCheckItemCheck" || ++checks > 1) return;
      Variant en, ed;
      call(u"UnloadListCheck", {&checkIndex, &en, &ed});
      if (c.reload) call(u"LoadListCheck", {nullptr, &en, &ed});  // the same index, empty
    };
    Variant items = strings({u"a", u"b", u"c"}), states = strings({true, true, true}), tab(3);
    setListCheck(&items, &states, &tab);
    onEvent = nullptr;
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(n, Variant(c.number));
    EXPECT_EQ(form->array(u"ListCheck").exists(1), c.reload);
    if (!c.reload) checkIndex = call(u"LoadListCheck", {nullptr, &n, &d});
    EXPECT_EQ(checkIndex, Variant(1));
  }
}

TEST_F(ListFamily, CheckListsRoundTripThroughGetAndSet) {
  Variant items = strings({u"a", u"b"}), states = strings({false, true});
  setListCheck(&items, &states);
  Variant outItems, outStates;
  call(u"GetListCheck", {&checkIndex, &outItems, &outStates, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, &n, &d});
  EXPECT_EQ(elements(outItems), (std::vector<Variant>{Variant(u"a"), Variant(u"b")}));
  EXPECT_EQ(elements(outStates), (std::vector<Variant>{Variant(false), Variant(true)}));
  setListCheck(nullptr, nullptr);
  setListCheck(&outItems, &outStates);
  EXPECT_EQ(n, Variant::i2(0));
  EXPECT_EQ(checks(), (std::vector<bool>{false, true}));
}

TEST_F(ListFamily, TheExtentIsTheWidestItemPlusMarginsInPixels) {
  struct Case {
    float twipsPerPixel;
    int32_t plain, checked;
  };
  for (const Case& c : {Case{15, 4, 20}, Case{12, 5, 25}}) {
    screen().setTwipsPerPixel(c.twipsPerPixel, c.twipsPerPixel);
    call(u"ListShowHScrollBar", {&index, &n, &d});
    EXPECT_EQ(n, Variant::i2(0));
    EXPECT_EQ(list().horizontalExtent(), c.plain);
    call(u"ListCheckShowHScrollBar", {&checkIndex, &n, &d});
    EXPECT_EQ(checkList().horizontalExtent(), c.checked);
  }
  screen().setTwipsPerPixel(15, 15);
  Variant items = strings({u"short", u"a much longer item text", u"mid"});
  setList(&items);
  call(u"ListShowHScrollBar", {&index, &n, &d});
  auto& picture = dynamic_cast<PictureBox&>(form->array(u"PictureCtrl").item(0));
  EXPECT_EQ(picture.surface().font(), list().font());
  const double widest = picture.surface().TextWidth(u"a much longer item text");
  EXPECT_EQ(list().horizontalExtent(), static_cast<int32_t>(std::nearbyint(static_cast<float>(widest) + 60)) / 15);
  EXPECT_FALSE(list().hasHorizontalScrollBar());
  // Replacing the items does not recompute the extent.
  const int32_t measured = list().horizontalExtent();
  Variant wider = strings({u"an item that is a good deal wider than any item before it"});
  setList(&wider);
  EXPECT_EQ(list().horizontalExtent(), measured);
  call(u"ListShowHScrollBar", {&index, &n, &d});
  EXPECT_GT(list().horizontalExtent(), measured);
  EXPECT_TRUE(list().hasHorizontalScrollBar());
  Variant unloaded(9);
  call(u"ListShowHScrollBar", {&unloaded, &n, &d});
  EXPECT_EQ(n, Variant(340));
}

TEST_F(ListFamily, AdjustingReportsAMissingListBox) {
  Variant notAList(u"x"), picture(ObjectRef(&form->array(u"PictureCtrl").item(0)));
  call(u"AdjustListBoxForHScrollBar", {&notAList, &picture, &n, &d});
  EXPECT_EQ(n, Variant(err::ObjectRequired));
  Variant listBox{ObjectRef(&list())};
  call(u"AdjustListBoxForHScrollBar", {&listBox, &picture, &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
  EXPECT_EQ(list().horizontalExtent(), 4);
}

}  // namespace
}  // namespace svx
