#include "platform/desktop/display.h"

#include "platform/desktop/clock.h"

namespace svx {

namespace {

std::unique_ptr<Display>& current() {
  static std::unique_ptr<Display> d = std::make_unique<HeadlessDisplay>();
  return d;
}

}  // namespace

void HeadlessDisplay::wait(std::optional<int64_t> untilMs) {
  if (untilMs) Clock::waitUntil(*untilMs);
}

Display& display() { return *current(); }

std::unique_ptr<Display> setDisplay(std::unique_ptr<Display> d) {
  if (!d) d = std::make_unique<HeadlessDisplay>();
  std::swap(current(), d);
  return d;
}

}  // namespace svx
