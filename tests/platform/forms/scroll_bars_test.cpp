// Scroll bars under the pointer, as a display delivers a person's input
// (window messages on the virtual clock) and through the simulated user's
// positioned clicks: the scroll bar controls, the bars of list boxes and of
// multi-line text boxes.
#include "tests/platform/forms/forms_fixture.h"

#include "platform/desktop/display_messages.h"
#include "platform/desktop/message_loop.h"
#include "platform/forms/person.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/image_codec.h"
#include "platform/graphics/units.h"
#include "tests/support/test_folder.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace svx::testing {
namespace {

constexpr int64_t kDelay = 400, kInterval = 50;  // the repeat's delay and interval

class ScrollBarsTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    form->show();
    form->take();
  }
  LRESULT send(UINT msg, WPARAM w = 0, LPARAM l = 0) { return desktop().deliver(form->hWnd(), msg, w, l, false); }
  void press(double x, double y) { send(WM_LBUTTONDOWN, packButtons(1, 0), at(x, y)); }
  void drag(double x, double y) { send(WM_MOUSEMOVE, packButtons(1, 0), at(x, y)); }
  void release(double x, double y) {
    send(WM_LBUTTONUP, packButtons(1, 0), at(x, y));
    Clock::advance(person::kDoubleClickMs + 1);  // no double clicks between steps
  }
  void click(double x, double y) {
    press(x, y);
    release(x, y);
  }
  // Time passes with the button held: the loop serves the repeat's ticks.
  void hold(int64_t ms) {
    for (int64_t t = 0; t < ms; t += 10) {
      Clock::advance(10);
      messageLoop().doEvents();
    }
  }
  static LPARAM at(double x, double y) {
    return packPoint(static_cast<int32_t>(std::lround(x)), static_cast<int32_t>(std::lround(y)));
  }
  // The middle of a part of a bar that lies at (ox, oy) of the form (pixels).
  static std::pair<double, double> partPoint(const ScrollBarBox& b, ScrollPart part, double ox, double oy) {
    double along = 0;
    switch (part) {
      case ScrollPart::ArrowToMin: along = b.arrow() / 2; break;
      case ScrollPart::ArrowToMax: along = b.length() - b.arrow() / 2; break;
      case ScrollPart::TrackToMin: along = (b.arrow() + b.thumbStart()) / 2; break;
      case ScrollPart::TrackToMax: along = (b.thumbStart() + b.thumbLength() + b.length() - b.arrow()) / 2; break;
      default: along = b.thumbStart() + b.thumbLength() / 2; break;
    }
    const double across = b.thickness() / 2;
    return b.horizontal ? std::pair{ox + b.left + along, oy + b.top + across}
                        : std::pair{ox + b.left + across, oy + b.top + along};
  }
  RenderItem picture() {
    RenderItem p;
    send(WM_PRINTCLIENT, 0, reinterpret_cast<LPARAM>(&p));
    return p;
  }
  static const RenderItem& shown(const RenderItem& p, RenderKind kind) {
    for (const auto& c : p.children)
      if (c.kind == kind && c.visible) return c;
    throw std::runtime_error("no such item");
  }
  static size_t count(const Log& log, const std::string& entry) {
    return static_cast<size_t>(std::count(log.begin(), log.end(), entry));
  }
};

// A horizontal scroll bar at pixels (10, 10), 200 x 17; range 0..100.
class ScrollBarControlTest : public ScrollBarsTest {
 protected:
  void SetUp() override {
    ScrollBarsTest::SetUp();
    bar = &form->add<ScrollBar>(u"HScroll", 1, 150, 150);
    bar->move(150, 150, 3000, 255);
    bar->setMax(100);
    bar->setLargeChange(10);
    form->take();
  }
  ScrollBarBox box() const {
    ScrollBarBox b;
    b.horizontal = true;
    b.width = 200;
    b.height = 17;
    b.value = bar->value();
    b.max = 100;
    return b;
  }
  std::pair<double, double> point(ScrollPart part) const { return partPoint(box(), part, 10, 10); }
  ScrollBar* bar = nullptr;
};

TEST_F(ScrollBarControlTest, AnArrowStepsAtThePressThenRepeatsWhileHeldAndPausesOffTheArrow) {
  const auto [x, y] = point(ScrollPart::ArrowToMax);
  press(x, y);
  EXPECT_EQ(bar->value(), 1);
  EXPECT_EQ(form->take(), (Log{"HScroll(1).GotFocus", "HScroll(1).Change"}));
  hold(kDelay - 10);
  EXPECT_EQ(bar->value(), 1);
  hold(10);
  EXPECT_EQ(bar->value(), 2);
  hold(4 * kInterval);
  EXPECT_EQ(bar->value(), 6);
  EXPECT_EQ(form->take(), Log(5, "HScroll(1).Change"));
  EXPECT_EQ(shown(picture(), RenderKind::HScrollBar).scrollPressed, ScrollPart::ArrowToMax);
  // Off the arrow the repeat pauses, and the arrow is drawn up again.
  drag(x, y + 40);
  hold(4 * kInterval);
  EXPECT_EQ(bar->value(), 6);
  EXPECT_EQ(shown(picture(), RenderKind::HScrollBar).scrollPressed, ScrollPart::None);
  drag(x, y);
  hold(2 * kInterval);
  EXPECT_EQ(bar->value(), 8);
  release(x, y);
  hold(4 * kInterval);
  EXPECT_EQ(bar->value(), 8);
  EXPECT_EQ(messageLoop().timerCount(), 0u);
  // The other arrow steps by SmallChange towards Min; quick presses are
  // presses, not double clicks.
  bar->setSmallChange(3);
  form->take();
  const auto [lx, ly] = point(ScrollPart::ArrowToMin);
  press(lx, ly);
  send(WM_LBUTTONUP, packButtons(1, 0), at(lx, ly));
  Clock::advance(100);
  press(lx, ly);
  send(WM_LBUTTONUP, packButtons(1, 0), at(lx, ly));
  EXPECT_EQ(bar->value(), 2);
  EXPECT_EQ(form->take(), (Log{"HScroll(1).Change", "HScroll(1).Change"}));
}

TEST_F(ScrollBarControlTest, TheTrackPagesByLargeChangeUntilTheThumbReachesThePointer) {
  const double x = 10 + 17 + 0.6 * (200 - 2 * 17), y = 18;  // on the track, 60% along
  press(x, y);
  EXPECT_EQ(bar->value(), 10);
  hold(kDelay + 20 * kInterval);
  // Under the pointer the thumb stops: it covers the pointer now.
  EXPECT_EQ(box().partAt(x - 10, y - 10), ScrollPart::Thumb);
  const int16_t stopped = bar->value();
  EXPECT_GT(stopped, 40);
  EXPECT_LT(stopped, 80);
  EXPECT_EQ(stopped % 10, 0);
  release(x, y);
  Log expected(static_cast<size_t>(stopped / 10), "HScroll(1).Change");
  expected.insert(expected.begin(), "HScroll(1).GotFocus");
  EXPECT_EQ(form->take(), expected);
  // The track before the thumb pages back.
  const auto [bx, by] = point(ScrollPart::TrackToMin);
  click(bx, by);
  EXPECT_EQ(bar->value(), stopped - 10);
}

TEST_F(ScrollBarControlTest, TheThumbFollowsThePointerWithScrollEventsAndOneChangeAtTheRelease) {
  bar->setValue(20);
  form->take();
  const ScrollBarBox b = box();
  // Taken near its right end: the offset stays, so the thumb does not jump.
  const double grab = b.thumbLength() - 2;
  const double x = 10 + b.thumbStart() + grab, y = 18;
  press(x, y);
  EXPECT_EQ(bar->value(), 20);
  EXPECT_EQ(form->take(), Log{"HScroll(1).GotFocus"});
  drag(x + 30, y);
  const int expected = b.valueAtThumb(b.thumbStart() + 30);
  EXPECT_EQ(bar->value(), expected);
  drag(x + 60, y + 30);  // off the bar: it still follows along the bar
  const int further = b.valueAtThumb(b.thumbStart() + 60);
  EXPECT_EQ(bar->value(), further);
  EXPECT_EQ(form->take(), (Log{"HScroll(1).Scroll", "HScroll(1).Scroll"}));
  drag(x + 500, y);  // beyond the end: Max
  EXPECT_EQ(bar->value(), 100);
  form->take();
  release(x + 500, y);
  EXPECT_EQ(bar->value(), 100);
  EXPECT_EQ(form->take(), Log{"HScroll(1).Change"});
  // Dropped where it was taken: no Change.
  const auto [tx, ty] = point(ScrollPart::Thumb);
  press(tx, ty);
  drag(tx - 40, ty);
  drag(tx, ty);
  release(tx, ty);
  EXPECT_EQ(bar->value(), 100);
  EXPECT_EQ(form->take(), (Log{"HScroll(1).Scroll", "HScroll(1).Scroll"}));
}

TEST_F(ScrollBarControlTest, ARangeFromHighToLowMovesTheThumbTheOtherWay) {
  bar->setMin(100);
  bar->setMax(0);
  bar->setValue(100);
  form->take();
  const auto [x, y] = point(ScrollPart::ArrowToMax);
  click(x, y);
  EXPECT_EQ(bar->value(), 99);
  ScrollBarBox b = box();
  b.min = 100;
  b.max = 0;
  const auto [tx, ty] = partPoint(b, ScrollPart::Thumb, 10, 10);
  EXPECT_LT(tx, 10 + 17 + b.thumbLength());  // the thumb sits at the left end
  press(tx, ty);
  drag(tx + 1000, ty);
  release(tx + 1000, ty);
  EXPECT_EQ(bar->value(), 0);
}

TEST_F(ScrollBarControlTest, TheRepeatEndsWhenTheBarIsHiddenDisabledOrItsWindowBlocked) {
  const auto [x, y] = point(ScrollPart::ArrowToMax);
  press(x, y);
  bar->setVisible(false);
  hold(kDelay + 5 * kInterval);
  EXPECT_EQ(bar->value(), 1);
  release(x, y);
  bar->setVisible(true);

  press(x, y);
  bar->setEnabled(false);
  hold(kDelay + 5 * kInterval);
  EXPECT_EQ(bar->value(), 2);
  release(x, y);
  bar->setEnabled(true);

  // A Change handler that shows a box (the form is disabled meanwhile).
  form->react = [&](ControlArray&, ControlEvent e, int16_t, std::span<Variant>) {
    if (e == ControlEvent::Change) EnableWindow(form->hWnd(), 0);
  };
  press(x, y);
  hold(kDelay + 5 * kInterval);
  EXPECT_EQ(bar->value(), 3);
  EXPECT_EQ(messageLoop().timerCount(), 0u);
  form->react = nullptr;
  EnableWindow(form->hWnd(), 1);
  release(x, y);
  // And unloaded while held: nothing is left running.
  press(x, y);
  form->array(u"HScroll").unload(1);
  hold(kDelay + 5 * kInterval);
  EXPECT_EQ(messageLoop().timerCount(), 0u);
  release(x, y);
}

TEST_F(ScrollBarControlTest, TheSimulatedUsersClickAtIsAPressAndARelease) {
  const auto [x, y] = point(ScrollPart::ArrowToMax);
  person::clickAt(*bar, pixelsToTwips(x - 10), pixelsToTwips(y - 10));
  EXPECT_EQ(bar->value(), 1);
  person::clickAt(*form, pixelsToTwips(x), pixelsToTwips(y));
  EXPECT_EQ(bar->value(), 2);
  const auto [tx, ty] = point(ScrollPart::TrackToMax);
  person::clickAt(*form, pixelsToTwips(tx), pixelsToTwips(ty));
  EXPECT_EQ(bar->value(), 12);
  hold(kDelay + 5 * kInterval);  // released: no repeat
  EXPECT_EQ(bar->value(), 12);
  EXPECT_EQ(form->take(), (Log{"HScroll(1).GotFocus", "HScroll(1).Change", "HScroll(1).Change",
                               "HScroll(1).Change"}));
  // The older calls keep working.
  person::clickScrollPart(*bar, false, -1);
  person::clickScrollPart(*bar, true, 1);
  EXPECT_EQ(bar->value(), 21);
  person::scroll(*bar, 50);
  EXPECT_EQ(bar->value(), 50);
}

// The wheel over a scroll bar: an arrow's step a notch, away from the person
// towards Min, each step with its Change; the focus stays where it was.
TEST_F(ScrollBarControlTest, TheWheelStepsTheBarBySmallChangeANotchTowardsTheArrowsEnd) {
  bar->setValue(50);
  bar->setSmallChange(3);
  TextBox& text = form->add<TextBox>(u"Text", 1, 150, 1500);
  text.setFocus();
  form->take();
  auto wheel = [&](int16_t notches) { send(WM_MOUSEWHEEL, packWheel(notches, 0), at(110, 18)); };
  wheel(-1);  // towards the person: towards Max, as the right arrow
  EXPECT_EQ(bar->value(), 53);
  EXPECT_EQ(form->take(), Log{"HScroll(1).Change"});
  wheel(2);
  EXPECT_EQ(bar->value(), 47);
  EXPECT_EQ(form->take(), Log(2, "HScroll(1).Change"));
  EXPECT_EQ(form->activeControl(), &text);
  // At the end of the range the notches left over do nothing.
  bar->setValue(98);
  form->take();
  wheel(-5);
  EXPECT_EQ(bar->value(), 100);
  EXPECT_EQ(form->take(), Log{"HScroll(1).Change"});
  // A range from high to low: towards the person is still towards Max.
  bar->setMin(100);
  bar->setMax(0);
  wheel(-1);
  EXPECT_EQ(bar->value(), 97);
  // A disabled bar takes nothing; the simulated user's wheel takes the same path.
  bar->setEnabled(false);
  wheel(1);
  EXPECT_EQ(bar->value(), 97);
  bar->setEnabled(true);
  form->take();
  person::wheelAt(*form, 1, pixelsToTwips(110), pixelsToTwips(18));
  EXPECT_EQ(bar->value(), 100);
  EXPECT_EQ(form->take(), Log{"HScroll(1).Change"});
}

TEST_F(ScrollBarsTest, TheWheelOverAVerticalBarMovesItDownTowardsThePerson) {
  form->unload();
  FormDesign d = testDesign();
  d.controls.push_back({u"VScroll", ControlKind::VScrollBar, {}, {{u"Visible", Variant(false)}}, {}});
  form = makeRef<TestForm>(d);
  auto& bar = form->add<ScrollBar>(u"VScroll", 1, 150, 150);  // pixels 10,10, 17 x 81
  bar.move(150, 150, 255, 1215);
  bar.setMax(10);
  form->show();
  form->take();
  send(WM_MOUSEWHEEL, packWheel(-2, 0), at(18, 50));
  EXPECT_EQ(bar.value(), 2);
  send(WM_MOUSEWHEEL, packWheel(1, 0), at(18, 50));
  EXPECT_EQ(bar.value(), 1);
  person::wheelAt(*form, -3, pixelsToTwips(18), pixelsToTwips(50));
  EXPECT_EQ(bar.value(), 4);
  EXPECT_EQ(form->take(), Log(6, "VScroll(1).Change"));
}

// The wheel over a closed drop-down list with the focus chooses an item a
// notch, as Up and Down do (Click); over one without the focus, or over a
// drop-down combo, it chooses nothing.
TEST_F(ScrollBarsTest, TheWheelOverAFocusedClosedDropDownListChoosesAnItemANotch) {
  auto& combo = form->add<ComboBox>(u"Combo", 1, 150, 150);  // pixels 10,10 .. 91,31; style 2
  auto& editable = form->add<ComboBox>(u"ComboText", 1, 150, 750);  // pixels 10,50; style 0
  for (ComboBox* c : {&combo, &editable})
    for (int i = 0; i < 5; ++i) c->addItem(u"item " + BStr(1, static_cast<char16_t>(u'a' + i)));
  TextBox& text = form->add<TextBox>(u"Text", 1, 2000, 150);
  text.setFocus();
  form->take();
  auto wheel = [&](int16_t notches, double y = 20) { send(WM_MOUSEWHEEL, packWheel(notches, 0), at(40, y)); };
  wheel(-1);
  EXPECT_EQ(combo.listIndex(), -1);
  combo.setFocus();
  form->take();
  wheel(-1);  // towards the person: the next item, from none the first
  EXPECT_EQ(combo.listIndex(), 0);
  wheel(-2);
  EXPECT_EQ(combo.listIndex(), 2);
  wheel(1);
  EXPECT_EQ(combo.listIndex(), 1);
  wheel(4);  // the first item stops it
  EXPECT_EQ(combo.listIndex(), 0);
  EXPECT_FALSE(combo.listOpen());
  EXPECT_EQ(form->take(), Log(5, "Combo(1).Click"));
  person::wheelAt(*form, -1, pixelsToTwips(40), pixelsToTwips(20));
  EXPECT_EQ(combo.listIndex(), 1);
  // An open list scrolls instead, and chooses nothing.
  combo.openList();
  form->take();
  wheel(-1);
  EXPECT_EQ(combo.listIndex(), 1);
  EXPECT_TRUE(combo.listOpen());
  combo.closeList();
  // A drop-down combo with the focus keeps its item.
  editable.setFocus();
  form->take();
  wheel(-1, 60);
  EXPECT_EQ(editable.listIndex(), -1);
  EXPECT_EQ(form->take(), Log{});
}

// A list of 20 items at pixels (10, 100), 100 wide, 4 rows high.
class ListScrollTest : public ScrollBarsTest {
 protected:
  void SetUp() override {
    ScrollBarsTest::SetUp();
    text = &form->add<TextBox>(u"Text", 1, 150, 150);
    list = &form->add<ListBox>(u"List", 1, 150, 1500);
    lh = fontLineHeight(list->font());
    list->move(150, 1500, 1500, (4 * lh + 2) * 15);
    for (int i = 0; i < 20; ++i) list->addItem(u"item " + BStr(1, static_cast<char16_t>(u'a' + i)));
    text->setFocus();
    form->take();
  }
  ListBoxLayout layout() const {
    return listBoxLayout(100, 4 * lh + 2, lh, list->listCount(), list->topIndex(), list->horizontalExtent(),
                         list->scrollLeft());
  }
  std::pair<double, double> point(ScrollPart part, bool horizontal = false) const {
    const ListBoxLayout l = layout();
    return partPoint(horizontal ? *l.horizontal : *l.vertical, part, 10, 100);
  }
  TextBox* text = nullptr;
  ListBox* list = nullptr;
  int lh = 0;
};

TEST_F(ListScrollTest, TheBarsArrowsTrackAndThumbScrollWithoutChoosingAnItem) {
  ASSERT_EQ(list->visibleRows(), 4);
  ASSERT_TRUE(layout().vertical);
  const auto [x, y] = point(ScrollPart::ArrowToMax);
  press(x, y);
  EXPECT_EQ(list->topIndex(), 1);
  hold(kDelay + 2 * kInterval);
  EXPECT_EQ(list->topIndex(), 4);
  release(x, y);
  hold(kDelay);
  EXPECT_EQ(list->topIndex(), 4);
  // No mouse events, no focus, no Click, nothing chosen: only Scroll.
  EXPECT_EQ(form->take(), Log(4, "List(1).Scroll"));
  EXPECT_EQ(list->listIndex(), -1);
  EXPECT_EQ(form->activeControl(), text);

  const auto [tx, ty] = point(ScrollPart::TrackToMax);
  click(tx, ty);
  EXPECT_EQ(list->topIndex(), 8);  // a page: the rows shown
  const auto [ux, uy] = point(ScrollPart::ArrowToMin);
  click(ux, uy);
  EXPECT_EQ(list->topIndex(), 7);

  // The thumb dragged to the bottom shows the last rows.
  const auto [gx, gy] = point(ScrollPart::Thumb);
  press(gx, gy);
  drag(gx + 30, gy + 200);
  EXPECT_EQ(list->topIndex(), 16);
  release(gx + 30, gy + 200);
  EXPECT_EQ(list->listIndex(), -1);
  EXPECT_EQ(form->take(), Log(3, "List(1).Scroll"));

  // A click on the rows still chooses, and a person's press on the bar
  // later keeps that choice.
  click(20, 100 + 1 + lh / 2);
  EXPECT_EQ(list->listIndex(), 16);
  const auto [ax, ay] = point(ScrollPart::ArrowToMin);
  click(ax, ay);
  EXPECT_EQ(list->listIndex(), 16);
  EXPECT_EQ(list->topIndex(), 15);
  EXPECT_EQ(shown(picture(), RenderKind::ListBox).topIndex, 15);
}

TEST_F(ListScrollTest, TheSimulatedUsersClickAtOnTheBarScrolls) {
  const auto [x, y] = point(ScrollPart::ArrowToMax);
  person::clickAt(*list, pixelsToTwips(x - 10), pixelsToTwips(y - 100));
  EXPECT_EQ(list->topIndex(), 1);
  person::clickAt(*form, pixelsToTwips(x), pixelsToTwips(y));
  EXPECT_EQ(list->topIndex(), 2);
  const auto [tx, ty] = point(ScrollPart::TrackToMax);
  person::clickAt(*form, pixelsToTwips(tx), pixelsToTwips(ty));
  EXPECT_EQ(list->topIndex(), 6);
  EXPECT_EQ(list->listIndex(), -1);
  EXPECT_EQ(form->take(), Log(3, "List(1).Scroll"));
  // A check-box list the same: no check changes.
  ListBox& checks = form->add<ListBox>(u"ListCheck", 1, 2000, 1500);
  checks.move(2000, 1500, 1500, (4 * lh + 2) * 15);
  for (int i = 0; i < 10; ++i) checks.addItem(u"c");
  form->take();
  person::clickAt(checks, 1500 - 8 * 15, (4 * lh + 2) * 15 - 8 * 15);  // the down arrow
  EXPECT_EQ(checks.topIndex(), 1);
  EXPECT_EQ(checks.selCount(), 0);
  EXPECT_EQ(form->take(), Log{"ListCheck(1).Scroll"});
}

TEST_F(ListScrollTest, TheHorizontalBarOfAWideListScrollsItsItemsAcross) {
  list->clear();
  list->addItem(u"short");
  SendMessageA(list->hWnd(), LB_SETHORIZONTALEXTENT, 400, 0);
  form->take();
  ASSERT_TRUE(list->hasHorizontalScrollBar());
  ASSERT_FALSE(layout().vertical);
  const ScrollBarBox h = *layout().horizontal;
  EXPECT_EQ(h.max, 400 - 98 + 2);
  const auto [x, y] = point(ScrollPart::ArrowToMax, true);
  press(x, y);
  const int step = list->scrollLeft();
  EXPECT_GT(step, 0);
  hold(kDelay + kInterval);
  EXPECT_EQ(list->scrollLeft(), 3 * step);
  release(x, y);
  const auto [tx, ty] = point(ScrollPart::TrackToMax, true);
  click(tx, ty);
  EXPECT_EQ(list->scrollLeft(), 3 * step + 98);
  const auto [gx, gy] = point(ScrollPart::Thumb, true);
  press(gx, gy);
  drag(gx + 200, gy);
  release(gx + 200, gy);
  EXPECT_EQ(list->scrollLeft(), h.max);
  EXPECT_EQ(shown(picture(), RenderKind::ListBox).scrollLeft, h.max);
  EXPECT_EQ(list->listIndex(), -1);
  EXPECT_EQ(count(form->take(), "List(1).Scroll"), 5u);
  // A narrower extent takes the bar away, and the items come back.
  SendMessageA(list->hWnd(), LB_SETHORIZONTALEXTENT, 10, 0);
  EXPECT_FALSE(list->hasHorizontalScrollBar());
  EXPECT_EQ(list->scrollLeft(), 0);
}

TEST_F(ScrollBarsTest, AnOpenComboListsBarScrollsItWithoutChoosingAndKeepsItOpen) {
  auto& combo = form->add<ComboBox>(u"Combo", 1, 150, 150);  // pixels 10,10 .. 91,31; style 2
  for (int i = 0; i < 20; ++i) combo.addItem(u"item " + BStr(1, static_cast<char16_t>(u'a' + i)));
  const int lh = fontLineHeight(combo.font());
  click(20, 20);
  ASSERT_TRUE(combo.listOpen());
  form->take();
  const RenderRect r = combo.listRect();
  const ListBoxLayout l =
      listBoxLayout(twipsToRoundedPixels(r.width), ComboBox::kListRows * lh + 2, lh, 20, 0, 0, 0);
  ASSERT_TRUE(l.vertical);
  const double ox = twipsToRoundedPixels(r.left), oy = twipsToRoundedPixels(r.top);
  const auto [x, y] = partPoint(*l.vertical, ScrollPart::ArrowToMax, ox, oy);
  press(x, y);
  EXPECT_EQ(combo.listTop(), 1);
  hold(kDelay + kInterval);
  EXPECT_EQ(combo.listTop(), 3);
  release(x, y);
  EXPECT_TRUE(combo.listOpen());
  ScrollBarBox v = *l.vertical;
  v.value = 3;
  const auto [tx, ty] = partPoint(v, ScrollPart::Thumb, ox, oy);
  press(tx, ty);
  drag(tx - 30, ty + 300);  // off the list: the thumb still follows
  release(tx - 30, ty + 300);
  EXPECT_EQ(combo.listTop(), 20 - ComboBox::kListRows);
  EXPECT_TRUE(combo.listOpen());
  EXPECT_EQ(combo.listIndex(), -1);
  EXPECT_EQ(form->take(), Log(4, "Combo(1).Scroll"));
  // The simulated user's click on the up arrow.
  const auto [ux, uy] = partPoint(*l.vertical, ScrollPart::ArrowToMin, ox, oy);
  person::clickAt(*form, pixelsToTwips(ux), pixelsToTwips(uy));
  EXPECT_EQ(combo.listTop(), 20 - ComboBox::kListRows - 1);
  EXPECT_TRUE(combo.listOpen());
  // An item is still chosen by a click on it.
  click(20, oy + 1 + lh / 2);
  EXPECT_FALSE(combo.listOpen());
  EXPECT_EQ(combo.listIndex(), 20 - ComboBox::kListRows - 1);
}

// A multi-line box at pixels (10, 100), 150 x (5 lines + margins).
class TextScrollTest : public ScrollBarsTest {
 protected:
  void SetUp() override {
    ScrollBarsTest::SetUp();
    button = &form->add<CommandButton>(u"Command", 1, 150, 150);
    text = &form->add<TextBox>(u"Text", 1, 150, 1500);
    lh = fontLineHeight(text->font());
    text->setMultiLine(true);
    text->setScrollBars(2);
    text->move(150, 1500, 2250, (5 * lh + 2 * RenderTextTop) * 15);
    BStr lines;
    for (int i = 0; i < 20; ++i) lines += u"line " + BStr(1, static_cast<char16_t>(u'a' + i)) + u"\r\n";
    text->setText(lines);
    button->setFocus();
    form->take();
  }
  TextBoxLayout layout() const {
    return textBoxScroll(text->text(), text->font(), 150, 5 * lh + 2 * RenderTextTop, text->scrollBars(),
                         text->topLine(), text->scrollLeft());
  }
  std::pair<double, double> point(ScrollPart part, bool horizontal = false) const {
    const TextBoxLayout l = layout();
    return partPoint(horizontal ? *l.horizontal : *l.vertical, part, 10, 100);
  }
  CommandButton* button = nullptr;
  TextBox* text = nullptr;
  int lh = 0;
};

TEST_F(TextScrollTest, AMultiLineBoxDrawsItsVerticalBarAndItScrollsTheLines) {
  const RenderItem item = shown(picture(), RenderKind::TextBox);
  EXPECT_EQ(item.scrollBars, 2);
  const TextBoxLayout l = layout();
  ASSERT_TRUE(l.vertical);
  EXPECT_FALSE(l.horizontal);
  EXPECT_EQ(l.vertical->max, 21 - l.vertical->page);
  const auto [x, y] = point(ScrollPart::ArrowToMax);
  press(x, y);
  EXPECT_EQ(text->topLine(), 1);
  hold(kDelay + kInterval);
  EXPECT_EQ(text->topLine(), 3);
  release(x, y);
  const auto [tx, ty] = point(ScrollPart::TrackToMax);
  click(tx, ty);
  EXPECT_EQ(text->topLine(), 3 + l.vertical->page);
  const auto [gx, gy] = point(ScrollPart::Thumb);
  press(gx, gy);
  drag(gx, 0);
  release(gx, 0);
  EXPECT_EQ(text->topLine(), 0);
  // The caret, the selection and the focus stay; no mouse events, no Click.
  EXPECT_EQ(text->selStart(), 0);
  EXPECT_EQ(form->activeControl(), button);
  EXPECT_EQ(form->take(), Log{});
  // The same through the simulated user.
  person::clickAt(*text, pixelsToTwips(x - 10), pixelsToTwips(y - 100));
  EXPECT_EQ(text->topLine(), 1);
  EXPECT_EQ(form->take(), Log{});
  // A press in the text still places the caret.
  click(10 + RenderTextLeft, 100 + RenderTextTop + lh / 2);
  EXPECT_EQ(text->selStart(), 8);  // the start of "line b", now the first line shown
}

TEST_F(TextScrollTest, BothBarsLeaveTheLinesUnwrappedAndScrollAcross) {
  text->setScrollBars(3);
  const BStr wide = u"a very long line that does not fit into the box at all, by far";
  text->setText(wide + u"\r\nb");
  form->take();
  TextBoxLayout l = layout();
  ASSERT_TRUE(l.horizontal);
  EXPECT_FALSE(l.wraps());
  EXPECT_EQ(textLineCount(text->text(), text->font(), -1), 2);
  EXPECT_EQ(l.vertical->max, 0);  // two lines fit
  EXPECT_FALSE(l.vertical->hasThumb());
  EXPECT_GT(l.horizontal->max, 100);
  const auto [x, y] = point(ScrollPart::ArrowToMax, true);
  click(x, y);
  const int step = text->scrollLeft();
  EXPECT_GT(step, 0);
  const auto [gx, gy] = point(ScrollPart::Thumb, true);
  press(gx, gy);
  drag(gx + 500, gy);
  release(gx + 500, gy);
  EXPECT_EQ(text->scrollLeft(), l.horizontal->max);
  EXPECT_EQ(shown(picture(), RenderKind::TextBox).scrollLeft, l.horizontal->max);
  // The caret keeps itself in view across: at the start of the line the text
  // comes back, at the end of the long line it goes again.
  text->setFocus();
  send(WM_KEYDOWN, 36, 0);  // Home
  EXPECT_EQ(text->scrollLeft(), 0);
  send(WM_KEYDOWN, 35, 0);  // End
  EXPECT_EQ(text->scrollLeft(), l.horizontal->max);
  send(WM_KEYDOWN, 36, 0);
  EXPECT_EQ(text->scrollLeft(), 0);
  text->setSelStart(static_cast<int32_t>(wide.size()));
  send(WM_CHAR, u'!', 0);  // typing at the end of the long line shows it
  EXPECT_EQ(text->scrollLeft(), layout().horizontal->max);
  send(WM_KEYDOWN, 35, person::vbCtrlMask);  // the end of the text, on the short line
  EXPECT_EQ(text->scrollLeft(), 0);
  // With the vertical bar alone the same text wraps.
  text->setScrollBars(2);
  EXPECT_GT(textLineCount(text->text(), text->font(), layout().textWidth), 2);
}

TEST_F(TextScrollTest, AShorterTextIsShownAndHitFromItsOwnRange) {
  text->setScrollBars(3);
  const auto [gx, gy] = point(ScrollPart::Thumb);
  press(gx, gy);
  drag(gx, gy + 300);
  release(gx, gy + 300);
  EXPECT_EQ(text->topLine(), 21 - layout().vertical->page);
  text->setText(u"one\r\ntwo");  // fits: nothing to scroll
  EXPECT_EQ(text->topLine(), 0);
  EXPECT_EQ(shown(picture(), RenderKind::TextBox).topIndex, 0);
  click(10 + RenderTextLeft, 100 + RenderTextTop + lh + lh / 2);
  EXPECT_EQ(text->selStart(), 5);  // the start of "two", where it is drawn
}

TEST_F(TextScrollTest, ASingleLineBoxOrScrollBarsNoneShowsNoBar) {
  text->setScrollBars(0);
  EXPECT_EQ(shown(picture(), RenderKind::TextBox).scrollBars, 0);
  text->setScrollBars(2);
  text->setMultiLine(false);
  EXPECT_EQ(shown(picture(), RenderKind::TextBox).scrollBars, 0);
  const auto [x, y] = std::pair{10 + 150 - 8, 100 + 8};  // where the arrow would be
  click(x, y);
  EXPECT_EQ(text->topLine(), 0);
  EXPECT_EQ(form->activeControl(), text);  // a press in the text
}

// A list with both bars and its down arrow held, a multi-line box with both
// bars, a scroll bar control: a picture to judge by eye.
TEST_F(ScrollBarsTest, PicturesOfTheBars) {
  auto& list = form->add<ListBox>(u"List", 1, 150, 150);
  const int lh = fontLineHeight(list.font());
  list.move(150, 150, 1800, (6 * lh + 2) * 15);
  for (int i = 0; i < 30; ++i) list.addItem(u"A rather long item number " + BStr(1, static_cast<char16_t>(u'A' + i)));
  SendMessageA(list.hWnd(), LB_SETHORIZONTALEXTENT, 220, 0);
  list.setTopIndex(10);
  auto& text = form->add<TextBox>(u"Text", 1, 2100, 150);
  text.setMultiLine(true);
  text.setScrollBars(3);
  text.move(2100, 150, 2400, (6 * lh + 2 * RenderTextTop) * 15);
  BStr lines;
  for (int i = 0; i < 12; ++i)
    lines += u"Line " + BStr(1, static_cast<char16_t>(u'a' + i)) + u" of a text wider than its box\r\n";
  text.setText(lines);
  auto& bar = form->add<ScrollBar>(u"HScroll", 1, 150, 3000);
  bar.move(150, 3000, 3000, 255);
  bar.setMax(10);
  bar.setValue(7);
  const ListBoxLayout l = listBoxLayout(120, 6 * lh + 2, lh, 30, 10, 220, 0);
  ASSERT_TRUE(l.vertical && l.horizontal);
  const auto [x, y] = partPoint(*l.vertical, ScrollPart::ArrowToMax, 10, 10);
  const RasterImage before = renderClientArea(picture());
  press(x, y);
  const RasterImage held = renderClientArea(picture());
  const auto& dir = pictureFolder();
  form->snapshot(dir / "scroll_bars.png");
  const std::vector<uint8_t> large = encodePng(renderItems(picture(), 3));  // the details, three times as large
  std::ofstream(dir / "scroll_bars_x3.png", std::ios::binary)
      .write(reinterpret_cast<const char*>(large.data()), static_cast<std::streamsize>(large.size()));
  release(x, y);
  // The held arrow is drawn pushed in: its light top-left edge is gone.
  const int ax = static_cast<int>(10 + l.vertical->left) + 1;
  const int ay = static_cast<int>(10 + l.vertical->top + l.vertical->length() - l.vertical->arrow());
  EXPECT_EQ(before.at(ax, ay), 0xFFFFFFFFu);
  EXPECT_NE(held.at(ax, ay), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace svx::testing
