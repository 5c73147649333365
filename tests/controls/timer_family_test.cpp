#include <gtest/gtest.h>

#include "controls/timer_control.h"
#include "platform/automation/error.h"
#include "tests/support/form_fixture.h"

namespace svx {
namespace {

class TimerFamily : public testing::DialogFormTest {
 protected:
  // Runs the message loop over `ms` of virtual time in 10 ms steps.
  void runFor(int64_t ms) {
    for (int64_t t = 0; t < ms; t += 10) {
      Clock::advance(10);
      DoEvents();
    }
  }
  // The indexes of the TimerCtrlTimer events so far, then forgets them.
  std::vector<int16_t> ticks() {
    std::vector<int16_t> out;
    for (const auto& e : events)
      if (e.name == u"TimerCtrlTimer") {
        EXPECT_EQ(e.args.size(), 1u);
        out.push_back(e.args.at(0).asI2());
      }
    events.clear();
    return out;
  }
  Variant load() { return call(u"LoadTimerCtrl", {&errNumber, &errDescription}); }
  void set(int index, Variant* interval, Variant* on) {
    Variant i(index);
    call(u"SetTimerCtrl", {&i, interval, on, &errNumber, &errDescription});
  }
  void get(int index, Variant* interval, Variant* on) {
    Variant i(index);
    call(u"GetTimerCtrl", {&i, interval, on, &errNumber, &errDescription});
  }
  TimerControl& timer(int index) { return dynamic_cast<TimerControl&>(form->array(u"TimerCtrl").item(int16_t(index))); }
};

TEST_F(TimerFamily, TheTemplateIsATimerControlThatStaysOff) {
  TimerControl& t = timer(0);
  EXPECT_EQ(t.interval(), 10000);
  EXPECT_FALSE(t.isEnabled());
  EXPECT_EQ(t.left(), 4110);
  EXPECT_EQ(t.top(), 4170);
  EXPECT_EQ(t.width(), TimerControl::kSize);
  runFor(20000);
  EXPECT_TRUE(ticks().empty());
}

TEST_F(TimerFamily, ALoadedTimerRunsAndTicksReachTheFormWithTheirIndex) {
  EXPECT_EQ(load(), Variant(1));
  EXPECT_EQ(errNumber, Variant::i2(0));
  EXPECT_EQ(errDescription.asBStr(), u"");
  EXPECT_EQ(load(), Variant(2));
  Variant off(false), fast(250);
  set(1, nullptr, &off);
  set(2, &fast, nullptr);
  runFor(1000);
  EXPECT_EQ(ticks(), (std::vector<int16_t>{2, 2, 2, 2}));
  EXPECT_EQ(last(u"TimerCtrlTimer"), nullptr);
}

TEST_F(TimerFamily, GetReportsALongIntervalAndABooleanState) {
  load();
  Variant interval, on;
  get(1, &interval, &on);
  EXPECT_EQ(interval.vt(), VT_I4);
  EXPECT_EQ(interval.asI4(), 10000);
  EXPECT_EQ(on.vt(), VT_BOOL);
  EXPECT_TRUE(on.asBool());
  EXPECT_EQ(errNumber, Variant::i2(0));
  Variant off(false);
  set(1, nullptr, &off);
  get(1, &interval, &on);
  EXPECT_FALSE(on.asBool());
}

TEST_F(TimerFamily, SetChangesIntervalAndStateAsTheControlAllows) {
  load();
  struct Case {
    Variant interval;
    Variant on;
    int32_t wantInterval;
    bool wantOn;
    int32_t wantErr;
  };
  const Variant missing = Variant::missing();
  const std::vector<Case> cases{
      {Variant(250), missing, 250, true, 0},          // a running timer keeps running
      {Variant(0), missing, 250, true, 0},            // 0 is ignored without error
      {Variant(-5), Variant(false), 250, false, 0},   // so is a negative one; the state still applies
      {Variant(400), missing, 400, false, 0},         // a stopped timer stays stopped
      {Variant(u"x"), Variant(true), 400, false, 13},  // a type error stops before the state
      {missing, Variant::null(), 400, false, 0},      // Null counts as False
      {missing, Variant(u"True"), 400, true, 0},
  };
  for (const Case& c : cases) {
    Variant interval = c.interval, on = c.on;
    set(1, c.interval.isMissing() ? nullptr : &interval, c.on.isMissing() ? nullptr : &on);
    EXPECT_EQ(timer(1).interval(), c.wantInterval);
    EXPECT_EQ(timer(1).isEnabled(), c.wantOn);
    EXPECT_EQ(errNumber, c.wantErr ? Variant(c.wantErr) : Variant::i2(0));
  }
}

TEST_F(TimerFamily, ChangingTheIntervalRestartsARunningTimer) {
  load();
  Variant fast(500);
  runFor(9000);
  set(1, &fast, nullptr);
  runFor(490);
  EXPECT_TRUE(ticks().empty());
  runFor(20);
  EXPECT_EQ(ticks().size(), 1u);
  Variant same(500);
  runFor(250);
  set(1, &same, nullptr);  // no restart: the tick comes on time
  runFor(260);
  EXPECT_EQ(ticks().size(), 1u);
}

TEST_F(TimerFamily, TheTemplateCanBeSwitchedOnButNeverReachesTheForm) {
  Variant on(true), fast(100);
  set(0, &fast, &on);
  EXPECT_EQ(errNumber, Variant::i2(0));
  EXPECT_TRUE(timer(0).isEnabled());
  int raised = 0;
  timer(0).connect(std::make_shared<FunctionSink>([&](Object&, const EventInfo& ev, std::span<Variant>) {
    EXPECT_EQ(ev.name, u"TimerEvent");
    ++raised;
  }));
  runFor(1000);
  EXPECT_EQ(raised, 10);
  EXPECT_TRUE(ticks().empty());
  Variant zero(0);
  call(u"UnloadTimerCtrl", {&zero, &errNumber, &errDescription});
  EXPECT_EQ(errNumber.vt(), VT_I4);
  EXPECT_NE(errNumber.asI4(), 0);
}

TEST_F(TimerFamily, UnloadStopsTheTimerAndFreesItsIndex) {
  load();
  Variant fast(100);
  set(1, &fast, nullptr);
  runFor(200);
  EXPECT_EQ(ticks().size(), 2u);
  const size_t before = messageLoop().timerCount();
  Variant one(1);
  call(u"UnloadTimerCtrl", {&one, &errNumber, &errDescription});
  EXPECT_EQ(errNumber, Variant::i2(0));
  EXPECT_EQ(messageLoop().timerCount(), before - 1);
  runFor(20000);
  EXPECT_TRUE(ticks().empty());
  EXPECT_EQ(load(), Variant(1));
}

// An element still held elsewhere when it goes (its own tick being handled,
// with a modal window shown from the event) stops ticking at the unload, not
// at its last release; so does every element when the form unloads.
TEST_F(TimerFamily, AnElementHeldWhileItGoesStopsAtItsUnload) {
  for (bool wholeForm : {false, true}) {
    SCOPED_TRACE(wholeForm ? "form unloaded" : "element unloaded");
    load();
    Variant fast(50);
    set(1, &fast, nullptr);
    const size_t before = messageLoop().timerCount();
    Ref<TimerControl> held(&timer(1));
    ASSERT_TRUE(held->isEnabled());
    if (wholeForm) {
      form->unload(vbFormCode);
    } else {
      Variant one(1);
      call(u"UnloadTimerCtrl", {&one, &errNumber, &errDescription});
      EXPECT_EQ(errNumber, Variant::i2(0));
    }
    EXPECT_FALSE(held->isEnabled());
    EXPECT_EQ(messageLoop().timerCount(), before - 1);
    runFor(1000);
    EXPECT_TRUE(ticks().empty());
    held.reset();
    EXPECT_EQ(messageLoop().timerCount(), before - 1);
  }
}

TEST_F(TimerFamily, AMissingElementIsReportedByEveryMember) {
  Variant interval(7), on(u"keep"), nine(9);
  get(9, &interval, &on);
  EXPECT_EQ(errNumber, Variant(err::ElementDoesNotExist));
  EXPECT_EQ(interval, Variant(7));
  set(9, &interval, &on);
  EXPECT_EQ(errNumber, Variant(err::ElementDoesNotExist));
  const Variant obj = call(u"TimerCtrlObject", {&nine, &errNumber, &errDescription});
  EXPECT_EQ(errNumber, Variant(err::ElementDoesNotExist));
  EXPECT_TRUE(obj.isObject());
  call(u"UnloadTimerCtrl", {&nine, &errNumber, &errDescription});
  EXPECT_EQ(errNumber, Variant(err::ElementDoesNotExist));
}

TEST(TimerControlAlone, DefaultsAndTheControlsOwnRules) {
  Clock::useVirtualTime();
  messageLoop().reset();
  {
    Ref<TimerControl> t = makeRef<TimerControl>();
    std::vector<Variant> none;
    EXPECT_EQ(t->invoke(u"Interval", InvokeKind::PropertyGet, none), Variant(10000));
    EXPECT_EQ(t->invoke(u"IsEnabled", InvokeKind::Method, none), Variant(false));
    std::vector<Variant> bad{Variant(-5)};
    t->invoke(u"Interval", InvokeKind::PropertyPut, bad);
    EXPECT_EQ(t->interval(), 10000);
    t->invoke(u"Enable", InvokeKind::Method, none);
    t->invoke(u"Enable", InvokeKind::Method, none);
    EXPECT_EQ(messageLoop().timerCount(), 1u);
    t->invoke(u"Disable", InvokeKind::Method, none);
    EXPECT_EQ(messageLoop().timerCount(), 0u);
    t->setEnabled(true);
  }
  EXPECT_EQ(messageLoop().timerCount(), 0u);  // the last release stops it
  messageLoop().reset();
}

}  // namespace
}  // namespace svx
