#include "platform/display/display_choice.h"

#include <cstdlib>
#include <string_view>

#include "platform/automation/error.h"
#include "platform/display/x11_display.h"

namespace svx {

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
