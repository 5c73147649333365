#include "tests/display/xvfb_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace svx::testing {

namespace {

template <class T>
struct Reply {
  T* p;
  ~Reply() { std::free(p); }
  T* operator->() const { return p; }
  explicit operator bool() const { return p != nullptr; }
};

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
  Reply<xcb_intern_atom_reply_t> r{
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr)};
  return r ? r->atom : 0;
}

}  // namespace

Xvfb::Xvfb(const std::string& screen) {
  int fds[2];
  if (pipe(fds) != 0) return;
  const pid_t pid = fork();
  if (pid < 0) return;
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);  // the server goes with a test that dies
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    const int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, 1);
    dup2(devnull, 2);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
           "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  pid_ = pid;
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  while (poll(&p, 1, 10000) > 0) {
    char buf[16];
    const ssize_t n = read(fds[0], buf, sizeof buf);
    if (n <= 0) break;
    number.append(buf, static_cast<size_t>(n));
    if (number.find('\n') != std::string::npos) break;
  }
  close(fds[0]);
  while (!number.empty() && (number.back() == '\n' || number.back() == ' ')) number.pop_back();
  if (!number.empty()) name_ = ":" + number;
}

Xvfb::~Xvfb() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
}

Person::Person(const std::string& display) {
  conn_ = xcb_connect(display.c_str(), nullptr);
  root_ = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
}

Person::~Person() { xcb_disconnect(conn_); }

void Person::sync() {
  xcb_flush(conn_);
  std::free(xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));
}

std::pair<int, int> Person::origin(uint32_t window) {
  Reply<xcb_translate_coordinates_reply_t> r{
      xcb_translate_coordinates_reply(conn_, xcb_translate_coordinates(conn_, window, root_, 0, 0), nullptr)};
  return r ? std::pair<int, int>{r->dst_x, r->dst_y} : std::pair<int, int>{0, 0};
}

void Person::moveTo(int x, int y) {
  xcb_test_fake_input(conn_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root_, static_cast<int16_t>(x),
                      static_cast<int16_t>(y), 0);
  sync();
}

void Person::press(int button) {
  xcb_test_fake_input(conn_, XCB_BUTTON_PRESS, static_cast<uint8_t>(button), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  sync();
}

void Person::release(int button) {
  xcb_test_fake_input(conn_, XCB_BUTTON_RELEASE, static_cast<uint8_t>(button), XCB_CURRENT_TIME, XCB_NONE, 0, 0,
                      0);
  sync();
}

void Person::click(int x, int y, int button) {
  moveTo(x, y);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  press(button);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  release(button);
}

void Person::click(int x, int y, int button, const std::vector<uint32_t>& held) {
  std::vector<uint8_t> keys;
  for (uint32_t h : held) {
    bool shifted = false;
    keys.push_back(keycodeFor(h, shifted));
  }
  for (uint8_t k : keys) fakeKey(k, true);
  click(x, y, button);
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) fakeKey(*it, false);
}

uint8_t Person::keycodeFor(uint32_t keysym, bool& shifted) {
  const xcb_setup_t* setup = xcb_get_setup(conn_);
  const uint8_t first = setup->min_keycode, last = setup->max_keycode;
  const int count = last - first + 1;
  Reply<xcb_get_keyboard_mapping_reply_t> map{xcb_get_keyboard_mapping_reply(
      conn_, xcb_get_keyboard_mapping(conn_, first, static_cast<uint8_t>(count)), nullptr)};
  if (!map) return 0;
  const int per = map->keysyms_per_keycode;
  const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map.p);
  int spare = -1;
  for (int k = 0; k < count; ++k) {
    bool empty = true;
    for (int l = 0; l < per; ++l) {
      const xcb_keysym_t s = syms[k * per + l];
      if (s != 0) empty = false;
      if (l < 2 && s == keysym) {
        shifted = l == 1;
        return static_cast<uint8_t>(first + k);
      }
    }
    if (empty && spare < 0 && k > 0) spare = k;
  }
  if (spare < 0) return 0;
  // The keyboard has no key for it: a spare key gets the symbol.
  std::vector<xcb_keysym_t> row(static_cast<size_t>(per), keysym);
  xcb_change_keyboard_mapping(conn_, 1, static_cast<uint8_t>(first + spare), static_cast<uint8_t>(per), row.data());
  sync();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  shifted = false;
  return static_cast<uint8_t>(first + spare);
}

void Person::fakeKey(uint8_t code, bool down) {
  xcb_test_fake_input(conn_, down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  sync();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void Person::key(uint32_t keysym, std::vector<uint32_t> held) {
  bool shifted = false;
  std::vector<uint8_t> modifiers;
  for (uint32_t h : held) {
    bool s = false;
    modifiers.push_back(keycodeFor(h, s));
  }
  const uint8_t code = keycodeFor(keysym, shifted);
  bool shiftDummy = false;
  const uint8_t shift = shifted ? keycodeFor(0xffe1, shiftDummy) : 0;  // Shift_L
  for (uint8_t m : modifiers) fakeKey(m, true);
  if (shift) fakeKey(shift, true);
  fakeKey(code, true);
  fakeKey(code, false);
  if (shift) fakeKey(shift, false);
  for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) fakeKey(*it, false);
}

void Person::type(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    uint32_t ch = text[i];
    // A surrogate pair is one character, with a keysym of its own.
    if (ch >= 0xD800 && ch <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
      ch = 0x10000 + ((ch - 0xD800) << 10) + (text[++i] - 0xDC00);
    key(ch < 0x100 ? ch : (0x01000000u | ch));
  }
}

void Person::close(uint32_t window) {
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = window;
  ev.type = internAtom(conn_, "WM_PROTOCOLS");
  ev.data.data32[0] = internAtom(conn_, "WM_DELETE_WINDOW");
  ev.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(conn_, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev));
  sync();
}

void Person::focus(uint32_t window) {
  xcb_set_input_focus(conn_, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
  sync();
}

void Person::destroy(uint32_t window) {
  xcb_destroy_window(conn_, window);
  sync();
}

void Person::resize(uint32_t window, int width, int height) {
  const uint32_t values[] = {static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
  xcb_configure_window(conn_, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
  sync();
}

uint32_t Person::inputFocus() {
  Reply<xcb_get_input_focus_reply_t> r{xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr)};
  return r ? r->focus : 0;
}

std::string Person::title(uint32_t window) {
  const xcb_atom_t name = internAtom(conn_, "_NET_WM_NAME");
  Reply<xcb_get_property_reply_t> r{xcb_get_property_reply(
      conn_, xcb_get_property(conn_, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr)};
  if (!r) return {};
  return std::string(static_cast<const char*>(xcb_get_property_value(r.p)),
                     static_cast<size_t>(xcb_get_property_value_length(r.p)));
}

uint32_t Person::windowProperty(uint32_t window, const char* name) {
  Reply<xcb_get_property_reply_t> r{xcb_get_property_reply(
      conn_, xcb_get_property(conn_, 0, window, internAtom(conn_, name), XCB_GET_PROPERTY_TYPE_ANY, 0, 1), nullptr)};
  if (!r || r->format != 32 || xcb_get_property_value_length(r.p) < 4) return 0;
  return *static_cast<const uint32_t*>(xcb_get_property_value(r.p));
}

RasterImage Person::pixels(uint32_t window, int width, int height) {
  RasterImage out(width, height);
  Reply<xcb_get_image_reply_t> r{xcb_get_image_reply(
      conn_,
      xcb_get_image(conn_, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, static_cast<uint16_t>(width),
                    static_cast<uint16_t>(height), ~0u),
      nullptr)};
  if (!r) return RasterImage();
  const auto* data = reinterpret_cast<const uint32_t*>(xcb_get_image_data(r.p));
  const size_t n = static_cast<size_t>(xcb_get_image_data_length(r.p)) / 4;
  for (size_t i = 0; i < out.pixels.size() && i < n; ++i) out.pixels[i] = data[i] | 0xFF000000u;
  return out;
}

void Person::setRootResource(const std::string& text) {
  xcb_change_property(conn_, XCB_PROP_MODE_REPLACE, root_, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 8,
                      static_cast<uint32_t>(text.size()), text.data());
  sync();
}

}  // namespace svx::testing

namespace svx::testing {

bool WindowManager::installed(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  for (std::size_t at = 0; at <= dirs.size();) {
    std::size_t end = dirs.find(':', at);
    if (end == std::string::npos) end = dirs.size();
    const std::string file = dirs.substr(at, end - at) + "/" + program;
    if (access(file.c_str(), X_OK) == 0) return true;
    at = end + 1;
  }
  return false;
}

WindowManager::WindowManager(const std::string& program, const std::string& display) {
  if (!installed(program)) return;
  std::string folder = (std::filesystem::temp_directory_path() / "svx-wm-XXXXXX").string();
  if (!mkdtemp(folder.data())) return;
  home_ = folder;
  const pid_t pid = fork();
  if (pid < 0) return;
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
      setenv(name, folder.c_str(), 1);
    setenv("DISPLAY", display.c_str(), 1);
    const int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, 0);
    dup2(devnull, 1);
    dup2(devnull, 2);
    execlp(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  pid_ = pid;
  // Up when it announces itself on the root window (_NET_SUPPORTING_WM_CHECK).
  xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  const xcb_atom_t check = internAtom(c, "_NET_SUPPORTING_WM_CHECK");
  running_ = eventually(
      [&] {
        Reply<xcb_get_property_reply_t> r{
            xcb_get_property_reply(c, xcb_get_property(c, 0, root, check, XCB_ATOM_WINDOW, 0, 1), nullptr)};
        return r && xcb_get_property_value_length(r.p) == 4;
      },
      10000);
  if (running_) {
    // And at work: it manages a window that is mapped (sets WM_STATE); a
    // window mapped while it was still starting may be passed over, so the
    // probe is mapped again now and then.
    const xcb_atom_t wmState = internAtom(c, "WM_STATE");
    const xcb_window_t probe = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, root, 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    auto managed = [&] {
      Reply<xcb_get_property_reply_t> r{
          xcb_get_property_reply(c, xcb_get_property(c, 0, probe, wmState, wmState, 0, 2), nullptr)};
      return r && xcb_get_property_value_length(r.p) >= 4;
    };
    running_ = false;
    for (int attempt = 0; attempt < 20 && !running_; ++attempt) {
      xcb_unmap_window(c, probe);
      xcb_map_window(c, probe);
      xcb_flush(c);
      running_ = eventually(managed, 500);
    }
    xcb_destroy_window(c, probe);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  }
  xcb_disconnect(c);
}

WindowManager::~WindowManager() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status = 0;
    // Some take long to end (fluxbox at times): a short wait, then the kill.
    const bool ended = eventually([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, 500);
    if (!ended) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
  }
  std::error_code ignored;
  if (!home_.empty()) std::filesystem::remove_all(home_, ignored);
}

void Person::place(uint32_t window, int x, int y) {
  const uint32_t values[] = {static_cast<uint32_t>(x), static_cast<uint32_t>(y)};
  xcb_configure_window(conn_, window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
  sync();
}

void Person::tellManager(uint32_t window, const char* type, std::array<uint32_t, 3> data) {
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = window;
  ev.type = internAtom(conn_, type);
  for (std::size_t i = 0; i < data.size(); ++i) ev.data.data32[i] = data[i];
  ev.data.data32[3] = 2;  // from a pager
  xcb_send_event(conn_, 0, root_, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&ev));
  sync();
}

Person::Geometry Person::frame(uint32_t window) {
  xcb_window_t w = window;
  for (int depth = 0; depth < 16; ++depth) {
    Reply<xcb_query_tree_reply_t> t{xcb_query_tree_reply(conn_, xcb_query_tree(conn_, w), nullptr)};
    if (!t || t->parent == root_ || t->parent == XCB_NONE) break;
    w = t->parent;
  }
  Reply<xcb_get_geometry_reply_t> g{xcb_get_geometry_reply(conn_, xcb_get_geometry(conn_, w), nullptr)};
  if (!g) return {};
  const int border = g->border_width;
  return {g->x, g->y, g->width + 2 * border, g->height + 2 * border};
}

std::vector<uint32_t> Person::values(uint32_t window, const char* name) {
  Reply<xcb_get_property_reply_t> r{xcb_get_property_reply(
      conn_, xcb_get_property(conn_, 0, window, internAtom(conn_, name), XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 16),
      nullptr)};
  std::vector<uint32_t> out;
  if (r && r->format == 32) {
    const auto* p = static_cast<const uint32_t*>(xcb_get_property_value(r.p));
    out.assign(p, p + xcb_get_property_value_length(r.p) / 4);
  }
  return out;
}

uint32_t Person::atom(const char* name) { return internAtom(conn_, name); }

bool Person::hasValue(uint32_t window, const char* property, const char* atom) {
  const std::vector<uint32_t> all = values(window, property);
  return std::find(all.begin(), all.end(), internAtom(conn_, atom)) != all.end();
}

std::string Person::text(uint32_t window, const char* property) {
  Reply<xcb_get_property_reply_t> r{xcb_get_property_reply(
      conn_, xcb_get_property(conn_, 0, window, internAtom(conn_, property), XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
      nullptr)};
  if (!r) return {};
  return std::string(static_cast<const char*>(xcb_get_property_value(r.p)),
                     static_cast<size_t>(xcb_get_property_value_length(r.p)));
}

}  // namespace svx::testing
