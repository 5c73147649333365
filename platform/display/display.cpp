#include "platform/display/display.h"

#include <cstdlib>
#include <string_view>

#include "platform/automation/error.h"
#include "platform/desktop/clock.h"
#include "platform/display/x11_display.h"

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

std::unique_ptr<Display> displayFromEnvironment() {
  const char* chosen = std::getenv("SVX_DISPLAY");
  const std::string_view name = chosen ? chosen : "";
  if (name == "headless") return std::make_unique<HeadlessDisplay>();
  if (name == "x11") {
    std::string why;
    auto d = X11Display::connect(nullptr, &why);
    if (!d) raise(err::InvalidProcedureCall, u"SVX_DISPLAY=x11: " + utf16(why));
    return d;
  }
  if (!name.empty()) raise(err::InvalidProcedureCall, u"SVX_DISPLAY names no display: " + utf16(name));
  const char* server = std::getenv("DISPLAY");
  if (server && *server)
    if (auto d = X11Display::connect(nullptr, nullptr)) return d;
  return std::make_unique<HeadlessDisplay>();
}

}  // namespace svx
