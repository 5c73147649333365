// The display: where the desktop's top-level windows become visible and from
// where a person's input comes. The desktop declares it; two implementations:
//   headless  nothing is shown; the simulated user is the only user (default)
//   x11       every shown top-level window of this process is an X11 window
//             drawn by the form renderer; real mouse and keyboard input
//             reaches it as window messages (see display_messages.h)
// The X11 display lives in platform/display/, above the desktop; a host
// attaches it with setDisplay (displayFromEnvironment chooses).
//
// The message loop calls pump() whenever its queue is empty and wait() instead
// of sleeping until its next timer, so real input and timers are served
// together.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop/win32.h"

namespace svx {

class Display {
 public:
  virtual ~Display() = default;

  virtual const char* name() const = 0;
  // Brings the screen up to date with the desktop (windows shown, hidden,
  // moved, captions, pixels) and dispatches the input that has arrived,
  // without waiting. True when it dispatched input.
  virtual bool pump() = 0;
  // Whether a person can still act: a screen is attached and a window of
  // this process is shown on it.
  virtual bool awaitsPerson() const = 0;
  // Waits until input arrives or the clock reaches `untilMs` (none: no limit).
  virtual void wait(std::optional<int64_t> untilMs) = 0;
  // Marks every shown window for repainting at the next pump.
  virtual void invalidate() {}
  // Whether the desktop window is on the screen (or will be at the next
  // pump), where a person can act on it.
  virtual bool shows(HWND /*hwnd*/) const { return false; }
};

// The headless display: nothing to show, nobody to wait for.
class HeadlessDisplay final : public Display {
 public:
  const char* name() const override { return "headless"; }
  bool pump() override { return false; }
  bool awaitsPerson() const override { return false; }
  void wait(std::optional<int64_t> untilMs) override;
};

// The process's display (headless until another is attached).
Display& display();
// Attaches a display (null: headless again); returns the previous one.
std::unique_ptr<Display> setDisplay(std::unique_ptr<Display> d);

}  // namespace svx
