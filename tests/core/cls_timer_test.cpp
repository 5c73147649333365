#include <gtest/gtest.h>

#include "core/cls_timer.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/message_loop.h"

namespace svx {
namespace {

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::useVirtualTime();
    messageLoop().reset();
  }
  void TearDown() override { messageLoop().reset(); }

  // Counts the Timer events of a timer; `onTick` runs inside each one.
  int* count(const Ref<clsTimer>& t, std::function<void()> onTick = {}) {
    auto n = std::make_shared<int>(0);
    counters_.push_back(n);
    t->connect(std::make_shared<FunctionSink>([n, onTick](Object&, const EventInfo& ev, std::span<Variant>) {
      EXPECT_EQ(ev.name, u"Timer");
      ++*n;
      if (onTick) onTick();
    }));
    return n.get();
  }
  void runFor(int64_t ms) {
    const int64_t end = Clock::nowMs() + ms;
    while (Clock::nowMs() < end) {
      Clock::advance(1);
      DoEvents();
    }
  }
  std::vector<std::shared_ptr<int>> counters_;
};

TEST_F(TimerTest, NewTimerIsStoppedWithIntervalOne) {
  Ref<clsTimer> t = makeRef<clsTimer>();
  EXPECT_EQ(t->interval(), 1);
  EXPECT_FALSE(t->enabled());
  std::vector<Variant> none;
  EXPECT_EQ(t->invoke(u"Interval", InvokeKind::PropertyGet, none).asI4(), 1);
  EXPECT_FALSE(t->invoke(u"Enabled", InvokeKind::PropertyGet, none).asBool());
  EXPECT_TRUE(modTimer::colTimersExists());
}

TEST_F(TimerTest, EnablingTwiceMakesOneTimerAndOneEntry) {
  Ref<clsTimer> t = makeRef<clsTimer>();
  t->setInterval(20);
  const size_t before = modTimer::colTimers().count();
  t->setEnabled(true);
  const int32_t id = t->timerId();
  t->setEnabled(true);
  EXPECT_EQ(t->timerId(), id);
  EXPECT_EQ(messageLoop().timerCount(), 1u);
  EXPECT_EQ(modTimer::colTimers().count(), before + 1);
  int* ticks = count(t);
  runFor(100);
  EXPECT_EQ(*ticks, 5);
}

TEST_F(TimerTest, SameIntervalDoesNotDelayAndANewOneReArmsUnderTheSameId) {
  Ref<clsTimer> t = makeRef<clsTimer>();
  t->setInterval(100);
  t->setEnabled(true);
  const int32_t id = t->timerId();
  int* ticks = count(t);
  runFor(60);
  t->setInterval(100);  // unchanged: the tick still comes at 100
  runFor(40);
  EXPECT_EQ(*ticks, 1);
  runFor(50);
  t->setInterval(30);  // next tick one new interval after the change
  runFor(29);
  EXPECT_EQ(*ticks, 1);
  runFor(1);
  EXPECT_EQ(*ticks, 2);
  EXPECT_EQ(t->timerId(), id);
}

TEST_F(TimerTest, AFailedStartLeavesTheTimerStoppedWithoutError) {
  Ref<clsTimer> t = makeRef<clsTimer>();
  messageLoop().failNextSetTimer();
  Variant on(true);
  EXPECT_NO_THROW(t->letEnabled(on));
  EXPECT_FALSE(t->enabled());
  EXPECT_EQ(t->timerId(), 0);
}

TEST_F(TimerTest, ReleasingARunningTimerStopsItAndIgnoresQueuedTicks) {
  Ref<clsTimer> t = makeRef<clsTimer>();
  t->setInterval(10);
  t->setEnabled(true);
  const size_t entries = modTimer::colTimers().count();
  Clock::advance(10);
  // Let a tick be queued, then release the timer before it is served.
  messageLoop().postTask([] {});
  t.reset();
  EXPECT_EQ(messageLoop().timerCount(), 0u);
  EXPECT_EQ(modTimer::colTimers().count(), entries - 1);
  EXPECT_NO_THROW(runFor(50));
}

TEST_F(TimerTest, AHandlerThatDisablesItselfGetsExactlyOneEvent) {
  Ref<clsTimer> t = makeRef<clsTimer>();
  t->setInterval(20);
  clsTimer* raw = t.get();
  int* ticks = count(t, [raw] { raw->setEnabled(false); });
  t->setEnabled(true);
  runFor(200);
  EXPECT_EQ(*ticks, 1);
}

TEST_F(TimerTest, AHandlerMayReleaseTheLastReferenceDuringItsEvent) {
  auto holder = std::make_shared<Ref<clsTimer>>(makeRef<clsTimer>());
  (*holder)->setInterval(10);
  int* ticks = count(*holder, [holder] { holder->reset(); });
  (*holder)->setEnabled(true);
  runFor(50);
  EXPECT_EQ(*ticks, 1);
}

TEST_F(TimerTest, AnErrorInAHandlerIsDroppedAndTheTimerRunsOn) {
  Ref<clsTimer> t = makeRef<clsTimer>();
  t->setInterval(10);
  int* ticks = count(t, [] { raise(err::Overflow); });
  t->setEnabled(true);
  runFor(30);
  EXPECT_EQ(*ticks, 3);
}

}  // namespace
}  // namespace svx
