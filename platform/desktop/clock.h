// The one clock of the process: the message loop's timers, GetTickCount,
// Sleep, the runtime's Timer and Now all read it. Real time is the default;
// tests switch to virtual time, which moves only when advanced (by a test, by
// Sleep, or by a modal loop that waits for its next timer).
#pragma once

#include <cstdint>

namespace svx {

struct LocalDateTime {
  int year = 2000;
  int month = 1;   // 1..12
  int day = 1;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..59
  int millisecond = 0;
  friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

class Clock {
 public:
  // Virtual time starts at 2000-01-01 00:00:00.000 with a tick count of 0.
  static void useVirtualTime();
  static void useRealTime();
  static bool isVirtual();

  // Milliseconds on a monotonic scale (the timers' scale).
  static int64_t nowMs();
  // Virtual time: moves the clock on; real time: sleeps.
  static void advance(int64_t ms);
  // Waits until nowMs() reaches `ms` (virtual time: jumps there).
  static void waitUntil(int64_t ms);

  // GetTickCount: milliseconds, wrapping at 2^32.
  static uint32_t tickCount();
  // Virtual time only: the tick count reads `ticks` now and counts on from it.
  static void setTickCount(uint32_t ticks);

  // Local date and time, with milliseconds.
  static LocalDateTime now();
  // Virtual time only: the date and time read `when` now and count on from it.
  static void setNow(const LocalDateTime& when);

  // The runtime's Timer: seconds since midnight.
  static float timer();
  static double timerDouble();
};

}  // namespace svx
