// A private X server for display tests: Xvfb on a free display number (it
// picks one and reports it through -displayfd), stopped by its process id;
// and a second connection that acts as the person at the screen (XTest) and
// as the window manager's side of things (closing, resizing, reading pixels).
#pragma once

#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/graphics/raster_image.h"

namespace svx::testing {

class Xvfb {
 public:
  // Starts the server; empty() when Xvfb cannot be started.
  explicit Xvfb(const std::string& screen = "1024x768x24");
  ~Xvfb();
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;
  bool running() const { return pid_ > 0 && !name_.empty(); }
  const std::string& name() const { return name_; }  // ":N"

 private:
  int pid_ = -1;
  std::string name_;
};

// A window manager on a private server, started and stopped by its process
// id, with a home folder of its own (removed with it); empty() when its
// program is missing or it did not come up.
class WindowManager {
 public:
  WindowManager(const std::string& program, const std::string& display);
  ~WindowManager();
  WindowManager(const WindowManager&) = delete;
  WindowManager& operator=(const WindowManager&) = delete;
  bool running() const { return running_; }
  static bool installed(const std::string& program);

 private:
  int pid_ = -1;
  bool running_ = false;
  std::string home_;
};

// The person: input through XTest, and what a window manager would send.
class Person {
 public:
  explicit Person(const std::string& display);
  ~Person();
  Person(const Person&) = delete;
  Person& operator=(const Person&) = delete;

  xcb_connection_t* connection() const { return conn_; }
  // The window's client origin on the screen.
  std::pair<int, int> origin(uint32_t window);
  void moveTo(int x, int y);
  void click(int x, int y, int button = 1);
  // A click with the keys of these symbols held around it (Shift, Ctrl).
  void click(int x, int y, int button, const std::vector<uint32_t>& held);
  void press(int button);
  void release(int button);
  // Types text: each character through a key that produces it (a spare key
  // is given the character's symbol when the keyboard has none).
  void type(std::u16string_view text);
  // A key by its symbol, with the modifiers' symbols held around it.
  void key(uint32_t keysym, std::vector<uint32_t> held = {});
  void close(uint32_t window);  // WM_DELETE_WINDOW, as a window manager sends it
  void focus(uint32_t window);    // the input focus set from outside (xdotool windowfocus)
  void destroy(uint32_t window);  // the window destroyed from outside (xdotool windowclose)
  void resize(uint32_t window, int width, int height);
  // Asks for the window at (x, y), as a pager does (the window manager
  // moves it, or its frame, there).
  void place(uint32_t window, int x, int y);
  // A message to the window manager about `window` (_NET_WM_STATE,
  // WM_CHANGE_STATE, _NET_ACTIVE_WINDOW), as a pager or a taskbar sends it.
  void tellManager(uint32_t window, const char* type, std::array<uint32_t, 3> data);
  // The outermost window around `window` (the manager's frame; itself
  // without one) and its place and size on the screen.
  struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
  };
  Geometry frame(uint32_t window);
  // Every 32-bit value of a window's property (empty: none).
  std::vector<uint32_t> values(uint32_t window, const char* name);
  bool hasValue(uint32_t window, const char* property, const char* atom);
  uint32_t atom(const char* name);
  std::string text(uint32_t window, const char* property);
  uint32_t inputFocus();
  std::string title(uint32_t window);
  // The first 32-bit value of a window's property (0: none).
  uint32_t windowProperty(uint32_t window, const char* name);
  RasterImage pixels(uint32_t window, int width, int height);
  void setRootResource(const std::string& text);  // RESOURCE_MANAGER
  void sync();

 private:
  uint8_t keycodeFor(uint32_t keysym, bool& shifted);
  void fakeKey(uint8_t code, bool down);

  xcb_connection_t* conn_ = nullptr;
  xcb_window_t root_ = 0;
};

// Polls `done` every few milliseconds for up to `ms`.
inline bool eventually(const std::function<bool()>& done, int ms = 5000) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return done();
}

}  // namespace svx::testing
