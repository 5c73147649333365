#include "platform/desktop/message_loop.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "platform/automation/error.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/win32.h"
#include "tests/platform/desktop/desktop_fixture.h"

namespace svx::testing {
namespace {

// What the timer procedure saw: (id, virtual time of the tick).
std::vector<std::pair<UINT_PTR, int64_t>> g_ticks;
std::function<void(UINT_PTR)> g_onTick;

void recordTick(HWND hwnd, UINT msg, UINT_PTR id, DWORD time) {
  EXPECT_EQ(hwnd, 0);
  EXPECT_EQ(msg, WM_TIMER);
  EXPECT_EQ(time, GetTickCount());
  g_ticks.emplace_back(id, Clock::nowMs());
  if (g_onTick) g_onTick(id);
}

class TimerTest : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    g_ticks.clear();
    g_onTick = nullptr;
  }
  void TearDown() override {
    g_onTick = nullptr;
    DesktopTest::TearDown();
  }
  // Runs the loop on virtual time until a timer made now has ticked after
  // `ms` (ticks due at the same time as that one come before it).
  static void runFor(int64_t ms) {
    static bool over = false;
    over = false;
    const UINT_PTR guard =
        SetTimer(0, 0, static_cast<UINT>(ms), [](HWND, UINT, UINT_PTR, DWORD) { over = true; });
    messageLoop().runModalLoop([] { return over; });
    KillTimer(0, guard);
  }
};

TEST_F(TimerTest, TicksComeEveryIntervalUnderTheIdThatSetTimerReturned) {
  const UINT_PTR id = SetTimer(0, 0, 20, recordTick);
  ASSERT_NE(id, 0u);
  runFor(65);
  EXPECT_EQ(g_ticks, (std::vector<std::pair<UINT_PTR, int64_t>>{{id, 20}, {id, 40}, {id, 60}}));
  const UINT_PTR second = SetTimer(0, 0, 20, recordTick);
  EXPECT_NE(second, id);
  EXPECT_EQ(messageLoop().timerCount(), 2u);
}

TEST_F(TimerTest, RearmingKeepsTheIdAndTheNextTickComesOneNewIntervalLater) {
  const UINT_PTR id = SetTimer(0, 0, 100, recordTick);
  Clock::advance(70);
  EXPECT_EQ(SetTimer(0, id, 50, recordTick), id);
  EXPECT_EQ(messageLoop().timerCount(), 1u);
  EXPECT_EQ(messageLoop().timerInterval(0, id), 50u);
  runFor(100);  // 70 .. 170
  EXPECT_EQ(g_ticks, (std::vector<std::pair<UINT_PTR, int64_t>>{{id, 120}, {id, 170}}));
  // An id that names no timer makes a new one.
  const UINT_PTR fresh = SetTimer(0, 9999, 50, recordTick);
  EXPECT_NE(fresh, 9999u);
  EXPECT_TRUE(messageLoop().timerExists(0, fresh));
}

TEST_F(TimerTest, IntervalsBelowTheMinimumOrNegativeRunAtTheMinimum) {
  for (UINT elapse : {0u, 1u, 9u, static_cast<UINT>(-1), static_cast<UINT>(-20)}) {
    const UINT_PTR id = SetTimer(0, 0, elapse, recordTick);
    EXPECT_EQ(messageLoop().timerInterval(0, id), USER_TIMER_MINIMUM) << elapse;
    KillTimer(0, id);
  }
  EXPECT_EQ(messageLoop().timerInterval(0, SetTimer(0, 0, 10, recordTick)), 10u);
}

TEST_F(TimerTest, KillTimerStopsTicksAndAFailedStartCreatesNothing) {
  const UINT_PTR id = SetTimer(0, 0, 10, recordTick);
  EXPECT_EQ(KillTimer(0, id), 1);
  EXPECT_EQ(KillTimer(0, id), 0);
  messageLoop().failNextSetTimer();
  EXPECT_EQ(SetTimer(0, 0, 10, recordTick), 0u);
  EXPECT_EQ(messageLoop().timerCount(), 0u);
  EXPECT_NE(SetTimer(0, 0, 10, recordTick), 0u);  // only the next one failed
  messageLoop().failNextSetTimer(2);
  EXPECT_EQ(SetTimer(0, 0, 10, recordTick), 0u);
  EXPECT_EQ(SetTimer(0, 0, 10, recordTick), 0u);
}

TEST_F(TimerTest, AStaleTickQueuedBeforeKillTimerReachesTheProcedureOnce) {
  const UINT_PTR first = SetTimer(0, 0, 30, recordTick);
  const UINT_PTR second = SetTimer(0, 0, 30, recordTick);
  // Both are due together; the first one's tick kills the second timer while
  // the second's tick is already queued.
  g_onTick = [&](UINT_PTR id) {
    if (id == first) KillTimer(0, second);
  };
  Clock::advance(30);
  DoEvents();
  EXPECT_EQ(g_ticks, (std::vector<std::pair<UINT_PTR, int64_t>>{{first, 30}, {second, 30}}));
  EXPECT_FALSE(messageLoop().timerExists(0, second));
  g_ticks.clear();
  Clock::advance(60);
  DoEvents();
  EXPECT_EQ(g_ticks, (std::vector<std::pair<UINT_PTR, int64_t>>{{first, 90}}));
}

TEST_F(TimerTest, AProcedureThatKillsItsTimerOnTheFirstTickGetsOneTick) {
  const UINT_PTR id = SetTimer(0, 0, 20, recordTick);
  g_onTick = [](UINT_PTR tick) { KillTimer(0, tick); };
  runFor(200);
  EXPECT_EQ(g_ticks, (std::vector<std::pair<UINT_PTR, int64_t>>{{id, 20}}));
}

TEST_F(TimerTest, DoEventsServesWhatIsPendingAndDueThenReturns) {
  const UINT_PTR soon = SetTimer(0, 0, 10, recordTick);
  SetTimer(0, 0, 500, recordTick);
  std::vector<int> order;
  messageLoop().postTask([&] { order.push_back(1); });
  messageLoop().postTask([&] {
    order.push_back(2);
    messageLoop().postTask([&] { order.push_back(3); });  // served in the same call
  });
  DoEvents();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
  EXPECT_TRUE(g_ticks.empty());  // nothing due yet; DoEvents does not wait
  EXPECT_EQ(Clock::nowMs(), 0);
  Clock::advance(15);
  DoEvents();
  EXPECT_EQ(g_ticks, (std::vector<std::pair<UINT_PTR, int64_t>>{{soon, 15}}));
  // A long wait still gives one tick per timer, not one per missed interval.
  Clock::advance(100);
  DoEvents();
  EXPECT_EQ(g_ticks.size(), 2u);
}

TEST_F(TimerTest, ThreadMessagesGoToTheThreadHandler) {
  std::vector<UINT> seen;
  messageLoop().setThreadMessageHandler([&](UINT msg, WPARAM, LPARAM) { seen.push_back(msg); });
  EXPECT_EQ(PostMessageA(0, WM_USER + 5, 0, 0), 1);
  EXPECT_TRUE(seen.empty());
  DoEvents();
  EXPECT_EQ(seen, std::vector<UINT>{WM_USER + 5});
}

TEST_F(TimerTest, WindowTimersSendWmTimerToTheWindowAndDieWithIt) {
  const HWND w = makeWindow("W");
  std::vector<WPARAM> ids;
  desktop().setMessageHandler(w, [&](HWND, UINT msg, WPARAM id, LPARAM) -> LRESULT {
    if (msg == WM_TIMER) ids.push_back(id);
    return 0;
  });
  EXPECT_EQ(SetTimer(w, 7, 10, nullptr), 1u);
  Clock::advance(10);
  DoEvents();
  EXPECT_EQ(ids, std::vector<WPARAM>{7});
  DestroyWindow(w);
  EXPECT_FALSE(messageLoop().timerExists(w, 7));
  EXPECT_EQ(SetTimer(w, 7, 10, nullptr), 0u);
}

TEST_F(TimerTest, ModalLoopEndsWhenItsConditionHolds) {
  SetTimer(0, 0, 20, recordTick);
  messageLoop().runModalLoop([] { return g_ticks.size() == 3; });
  EXPECT_EQ(Clock::nowMs(), 60);
  EXPECT_EQ(messageLoop().modalDepth(), 0);

  // Nested loops: the inner one ends first, the outer one goes on.
  g_ticks.clear();
  int innerRuns = 0;
  g_onTick = [&](UINT_PTR) {
    if (g_ticks.size() == 1) {
      ++innerRuns;
      messageLoop().runModalLoop([] {
        EXPECT_EQ(messageLoop().modalDepth(), 2);
        return g_ticks.size() == 2;
      });
    }
  };
  messageLoop().runModalLoop([] { return g_ticks.size() == 3; });
  EXPECT_EQ(innerRuns, 1);
  EXPECT_EQ(g_ticks.size(), 3u);
}

TEST_F(TimerTest, ModalLoopWithNothingToWaitForRaises) {
  try {
    messageLoop().runModalLoop([] { return false; });
    FAIL() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.description(), u"the modal loop has nothing left to wait for");
  }
  EXPECT_EQ(messageLoop().modalDepth(), 0);

  // The idle hook gets its chance first: a scripted user that acts once.
  bool done = false;
  int idleCalls = 0;
  messageLoop().setIdleHook([&] {
    ++idleCalls;
    if (idleCalls > 1) return false;
    messageLoop().postTask([&] { done = true; });
    return true;
  });
  messageLoop().runModalLoop([&] { return done; });
  EXPECT_TRUE(done);

  // On virtual time a loop that never ends runs into its time limit.
  messageLoop().setIdleHook({});
  messageLoop().setModalTimeLimit(1000);
  SetTimer(0, 0, 100, recordTick);
  EXPECT_THROW(messageLoop().runModalLoop([] { return false; }), RuntimeError);
  EXPECT_LE(Clock::nowMs(), 1100);
}

TEST_F(TimerTest, SleepMovesTheClockWithoutServingMessages) {
  const UINT_PTR id = SetTimer(0, 0, 10, recordTick);
  messageLoop().postTask([] {});
  Sleep(50);
  EXPECT_EQ(Clock::nowMs(), 50);
  EXPECT_TRUE(g_ticks.empty());
  EXPECT_EQ(messageLoop().pendingCount(), 1u);
  DoEvents();
  EXPECT_EQ(g_ticks, (std::vector<std::pair<UINT_PTR, int64_t>>{{id, 50}}));
}

using ClockTest = DesktopTest;

TEST_F(ClockTest, TickCountWrapsAndCanStartAboveTwoToTheThirtyOne) {
  EXPECT_EQ(GetTickCount(), 0u);
  Clock::setTickCount(4294967290u);
  EXPECT_EQ(GetTickCount(), 4294967290u);
  Clock::advance(5);
  EXPECT_EQ(GetTickCount(), 4294967295u);
  Clock::advance(7);
  EXPECT_EQ(GetTickCount(), 6u);
}

TEST_F(ClockTest, NowAndTimerFollowVirtualTimeAcrossMidnight) {
  EXPECT_EQ(Clock::now(), (LocalDateTime{2000, 1, 1, 0, 0, 0, 0}));
  Clock::setNow(LocalDateTime{2024, 2, 28, 23, 59, 59, 993});
  EXPECT_FLOAT_EQ(Clock::timer(), 86399.993f);
  EXPECT_DOUBLE_EQ(Clock::timerDouble(), 86399.993);
  Clock::advance(7);
  EXPECT_EQ(Clock::now(), (LocalDateTime{2024, 2, 29, 0, 0, 0, 0}));
  EXPECT_DOUBLE_EQ(Clock::timerDouble(), 0.0);
  Clock::advance(3'723'004);  // 1 h 2 min 3.004 s
  EXPECT_EQ(Clock::now(), (LocalDateTime{2024, 2, 29, 1, 2, 3, 4}));
  EXPECT_DOUBLE_EQ(Clock::timerDouble(), 3723.004);
}

TEST(RealClockTest, RealTimeMovesOnItsOwn) {
  Clock::useRealTime();
  const LocalDateTime t = Clock::now();
  EXPECT_GE(t.year, 2020);
  const int64_t before = Clock::nowMs();
  Sleep(5);
  EXPECT_GE(Clock::nowMs() - before, 5);
  EXPECT_GE(Clock::timerDouble(), 0.0);
  EXPECT_LT(Clock::timerDouble(), 86400.0);
}

}  // namespace
}  // namespace svx::testing
