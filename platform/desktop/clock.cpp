#include "platform/desktop/clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace svx {
namespace {

struct VirtualClock {
  bool on = false;
  int64_t ms = 0;            // nowMs()
  int64_t tickBase = 0;      // tick count = tickBase + ms (mod 2^32)
  int64_t wallBaseMs = 0;    // local time in ms since 1970-01-01 = wallBaseMs + ms
};

VirtualClock& state() {
  static VirtualClock clock;
  return clock;
}

using namespace std::chrono;

int64_t localMsFromParts(const LocalDateTime& t) {
  const sys_days day = year_month_day{year{t.year}, month{static_cast<unsigned>(t.month)},
                                      std::chrono::day{static_cast<unsigned>(t.day)}};
  return duration_cast<milliseconds>(day.time_since_epoch()).count() +
         ((t.hour * 60 + t.minute) * 60 + t.second) * int64_t{1000} + t.millisecond;
}

LocalDateTime partsFromLocalMs(int64_t ms) {
  const auto dayCount = floor<days>(milliseconds{ms});
  const year_month_day ymd{sys_days{dayCount}};
  int64_t rest = ms - duration_cast<milliseconds>(dayCount).count();
  LocalDateTime t;
  t.year = static_cast<int>(ymd.year());
  t.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  t.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  t.millisecond = static_cast<int>(rest % 1000);
  rest /= 1000;
  t.second = static_cast<int>(rest % 60);
  rest /= 60;
  t.minute = static_cast<int>(rest % 60);
  t.hour = static_cast<int>(rest / 60);
  return t;
}

LocalDateTime realNow() {
  const auto now = system_clock::now();
  const auto sinceEpoch = duration_cast<milliseconds>(now.time_since_epoch()).count();
  const std::time_t secs = static_cast<std::time_t>(sinceEpoch / 1000);
  // The local time of the last second asked for is kept.
  thread_local std::time_t lastSecs = -1;
  thread_local std::tm tm{};
  if (secs != lastSecs) {
    localtime_r(&secs, &tm);
    lastSecs = secs;
  }
  return LocalDateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                       tm.tm_min,         tm.tm_sec,     static_cast<int>(sinceEpoch % 1000)};
}

double secondsSinceMidnight(const LocalDateTime& t) {
  return (t.hour * 60 + t.minute) * 60.0 + t.second + t.millisecond / 1000.0;
}

}  // namespace

void Clock::useVirtualTime() {
  state() = VirtualClock{};
  state().on = true;
  state().wallBaseMs = localMsFromParts(LocalDateTime{});
}

void Clock::useRealTime() { state().on = false; }

bool Clock::isVirtual() { return state().on; }

int64_t Clock::nowMs() {
  if (state().on) return state().ms;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void Clock::advance(int64_t ms) {
  if (ms <= 0) return;
  if (state().on) {
    state().ms += ms;
  } else {
    std::this_thread::sleep_for(milliseconds{ms});
  }
}

void Clock::waitUntil(int64_t ms) { advance(ms - nowMs()); }

uint32_t Clock::tickCount() {
  if (state().on) return static_cast<uint32_t>(state().tickBase + state().ms);
  timespec ts{};
  clock_gettime(CLOCK_BOOTTIME, &ts);
  return static_cast<uint32_t>(int64_t{ts.tv_sec} * 1000 + ts.tv_nsec / 1'000'000);
}

void Clock::setTickCount(uint32_t ticks) {
  if (state().on) state().tickBase = int64_t{ticks} - state().ms;
}

LocalDateTime Clock::now() {
  if (state().on) return partsFromLocalMs(state().wallBaseMs + state().ms);
  return realNow();
}

void Clock::setNow(const LocalDateTime& when) {
  if (state().on) state().wallBaseMs = localMsFromParts(when) - state().ms;
}

float Clock::timer() { return static_cast<float>(secondsSinceMidnight(now())); }

double Clock::timerDouble() { return secondsSinceMidnight(now()); }

}  // namespace svx
