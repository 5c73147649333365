// The X11 display (xcb, cairo-xcb, xkbcommon): each shown top-level window of
// this process that draws itself (it answers WM_PRINTCLIENT) is an X11 window
// with its caption as title and its client area as contents, at 15 twips per
// pixel (times the screen's scale on a high-dpi screen). The window manager,
// when there is one, draws the frame its style asks for (fixed or sizable,
// which boxes), with the window's icon, else the program's; without one, a
// shown window takes the input focus itself. While it is attached, the runtime's clipboard is the
// X11 clipboard (text as UTF-8, pictures as PNG).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/desktop/display.h"
#include "platform/desktop/win32.h"

namespace svx {

struct RasterImage;
class ClipboardPeer;

class X11Display final : public Display {
 public:
  // Connects to the server `name` (null: $DISPLAY); null on failure, with
  // the reason in `why` when given.
  static std::unique_ptr<X11Display> connect(const char* name, std::string* why);
  ~X11Display() override;

  const char* name() const override { return "x11"; }
  bool pump() override;
  bool awaitsPerson() const override;
  void wait(std::optional<int64_t> untilMs) override;
  void invalidate() override;
  bool shows(HWND hwnd) const override;

  // Observation (tests, benchmarks).
  uint32_t windowOf(HWND hwnd) const;  // the X11 window shown for hwnd, 0: none
  bool viewable(HWND hwnd) const;      // mapped and seen mapped by the server
  uint64_t framesPainted() const;      // pictures put on windows so far
  double scale() const;                // device pixels per 96-dpi pixel
  bool hasWindowManager() const;
  // The picture last put on hwnd's window (device pixels); empty when none.
  const RasterImage& lastFrame(HWND hwnd) const;

  struct Impl;

 private:
  explicit X11Display(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
  std::unique_ptr<ClipboardPeer> clipboard_;
};

}  // namespace svx
