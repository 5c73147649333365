// The fixture of the display tests: a private Xvfb, the person at it
// (XTest), a DialogForm on the X11 display whose events are recorded, the
// windows the display shows (found on each idle pass of the loop), and
// another program on the same screen with selections of its own.
#pragma once

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/dialog_form.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"
#include "platform/dialogs/common_dialogs.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/dialogs/folder_dialog.h"
#include "platform/dialogs/font_dialog.h"
#include "platform/dialogs/message_box.h"
#include "platform/dialogs/services.h"
#include "platform/display/x11_display.h"
#include "platform/shell/shell.h"
#include "platform/system/screen.h"
#include "tests/display/xvfb_fixture.h"

namespace svx::testing {

struct Event {
  BStr name;
  std::vector<Variant> args;
};

// Wakes the modal loop now and then, and ends a test that hangs.
inline int64_t g_deadline = 0;
inline Form* g_form = nullptr;
inline void watchdog(HWND, UINT, UINT_PTR, DWORD) {
  if (Clock::nowMs() > g_deadline && g_form) g_form->hide();
}

// Browses for a folder below `root`, owned by `owner`, as a script does;
// the chosen folder's path, or nothing when the dialog was cancelled.
inline std::optional<std::string> browseForFolder(HWND owner, const std::string& root, const char* title = nullptr) {
  BROWSEINFOA info;
  info.hwndOwner = owner;
  info.pidlRoot = allocateIdList(root);
  info.lpszTitle = title;
  const LPITEMIDLIST result = SHBrowseForFolderA(&info);
  CoTaskMemFree(info.pidlRoot);
  std::optional<std::string> chosen;
  if (result) chosen = pathOfIdList(result);
  CoTaskMemFree(result);
  return chosen;
}

class X11DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!xvfb.running()) GTEST_SKIP() << "Xvfb is not available";
    Clock::useRealTime();
    messageLoop().reset();
    resetServices();
    attachFolderDialogWindow();
    person = std::make_unique<Person>(xvfb.name());
  }

  void attach() {
    std::string why;
    auto d = X11Display::connect(xvfb.name().c_str(), &why);
    ASSERT_TRUE(d) << why;
    x11 = d.get();
    setDisplay(std::move(d));
    form = makeRef<DialogForm>();
    form->load();
    form->setCaption(u"Display test");
    form->connect(std::make_shared<FunctionSink>([this](Object&, const EventInfo& ev, std::span<Variant> args) {
      Event e{ev.name, {}};
      for (Variant& a : args) e.args.push_back(a.value());
      events.push_back(e);
      if (onEvent) onEvent(ev.name);
    }));
    g_form = form.get();
    g_deadline = Clock::nowMs() + 20000;
    SetTimer(0, 0, 50, &watchdog);
    messageLoop().setIdleHook([this] {
      const HWND h = form && form->isLoaded() ? form->hWnd() : 0;
      formWindow = h && x11->viewable(h) ? x11->windowOf(h) : 0;
      const ShownBox* box = dialogResponder().openSession();
      boxWindow = box && x11->viewable(box->window) ? x11->windowOf(box->window) : 0;
      uint32_t other = 0;
      for (HWND z : desktop().zOrder())
        if (z != h && x11->viewable(z)) other = x11->windowOf(z);
      otherWindow = other;
      const FolderDialogSession* folder = folderDialogs().openSession();
      folderWindow = folder && x11->viewable(folder->dialog) ? x11->windowOf(folder->dialog) : 0;
      const ColorDialogSession* colour = colorDialogs().openSession();
      colourWindow = colour && x11->viewable(colour->dialog) ? x11->windowOf(colour->dialog) : 0;
      const FileDialogSession* file = fileDialogs().openSession();
      fileWindow = file && x11->viewable(file->dialog) ? x11->windowOf(file->dialog) : 0;
      const FontDialogSession* font = fontDialogs().openSession();
      fontWindow = font && x11->viewable(font->dialog) ? x11->windowOf(font->dialog) : 0;
      return false;
    });
  }

  void TearDown() override {
    if (actor.joinable()) actor.join();
    messageLoop().setIdleHook({});
    onEvent = nullptr;
    g_form = nullptr;
    form.reset();
    messageLoop().reset();
    setDisplay(nullptr);
    resetServices();
    screen().reset();
  }

  // Serves the loop until `done` holds (or the watchdog's time is up).
  void serveUntil(const std::function<bool()>& done) {
    messageLoop().runModalLoop([&] { return done() || Clock::nowMs() > g_deadline; });
  }

  template <class T>
  T& add(BStrView family, double left, double top, double width, double height) {
    return load<T>(family, family, left, top, width, height);
  }

  // Loads an element of a family whose array has another name.
  template <class T>
  T& load(BStrView family, BStrView array, double left, double top, double width, double height) {
    Variant n, d;
    std::vector<Variant> refs{Variant::missing(), Variant::byRef(n), Variant::byRef(d)};
    const auto index = static_cast<int16_t>(form->invoke(BStr(u"Load") + BStr(family), InvokeKind::Method, refs).asI4());
    T& c = form->element<T>(array, index);
    c.move(left, top, width, height);
    c.setVisible(true);
    return c;
  }

  // The person acts on another thread while the form's loop runs.
  void act(std::function<void()> steps) { actor = std::thread(std::move(steps)); }

  uint32_t waitForFormWindow() {
    eventually([this] { return formWindow.load() != 0; });
    return formWindow.load();
  }

  // Runs `task` from the form's loop once, after the form first paints.
  void onFirstPaint(std::function<void()> task) {
    onEvent = [this, painted = false, task = std::move(task)](BStrView name) mutable {
      if (name != u"FormPaint" || std::exchange(painted, true)) return;
      messageLoop().postTask(task);
    };
  }

  std::vector<BStr> names() const {
    std::vector<BStr> out;
    for (const auto& e : events) out.push_back(e.name);
    return out;
  }

  Xvfb xvfb;
  std::unique_ptr<Person> person;
  X11Display* x11 = nullptr;
  Ref<DialogForm> form;
  std::vector<Event> events;
  std::function<void(BStrView)> onEvent;
  std::atomic<uint32_t> formWindow{0};
  std::atomic<uint32_t> boxWindow{0};
  std::atomic<uint32_t> colourWindow{0};
  std::atomic<uint32_t> folderWindow{0};
  std::atomic<uint32_t> fileWindow{0};
  std::atomic<uint32_t> fontWindow{0};
  std::atomic<uint32_t> otherWindow{0};  // a shown window other than the form
  std::thread actor;
};

// Another program on the same screen, with a clipboard of its own: the
// CLIPBOARD selection, or another one (PRIMARY) named at its creation.
class OtherProgram {
 public:
  explicit OtherProgram(const std::string& display, const char* selection = "CLIPBOARD")
      : conn_(xcb_connect(display.c_str(), nullptr)) {
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data;
    window_ = xcb_generate_id(conn_);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(conn_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      screen->root_visual, XCB_CW_EVENT_MASK, &mask);
    clipboard_ = atom(selection);
    utf8_ = atom("UTF8_STRING");
    png_ = atom("image/png");
    targets_ = atom("TARGETS");
    xcb_flush(conn_);
  }
  ~OtherProgram() { xcb_disconnect(conn_); }

  xcb_atom_t atom(const char* name) {
    auto* r = xcb_intern_atom_reply(conn_, xcb_intern_atom(conn_, 0, static_cast<uint16_t>(std::strlen(name)), name),
                                    nullptr);
    const xcb_atom_t a = r ? r->atom : 0;
    std::free(r);
    return a;
  }

  // Reads the clipboard as `target` (waits up to 5 s for the owner).
  std::optional<std::string> read(xcb_atom_t target) {
    const xcb_atom_t property = atom("OTHER_CLIP");
    xcb_convert_selection(conn_, window_, clipboard_, target, property, XCB_CURRENT_TIME);
    xcb_flush(conn_);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < until) {
      xcb_generic_event_t* ev = xcb_poll_for_event(conn_);
      if (!ev) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        continue;
      }
      const bool notify = (ev->response_type & 0x7F) == XCB_SELECTION_NOTIFY;
      const bool refused = notify && reinterpret_cast<xcb_selection_notify_event_t*>(ev)->property == XCB_NONE;
      std::free(ev);
      if (!notify) continue;
      if (refused) return std::nullopt;
      xcb_atom_t type = 0;
      std::string data = take(property, type);
      incremental = type == atom("INCR");
      if (!incremental) return data;
      // In pieces: each new value read (and so deleted) until an empty one.
      std::string whole;
      while (std::chrono::steady_clock::now() < until) {
        xcb_generic_event_t* piece = xcb_poll_for_event(conn_);
        if (!piece) {
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
          continue;
        }
        const auto* p = reinterpret_cast<xcb_property_notify_event_t*>(piece);
        const bool fresh = (piece->response_type & 0x7F) == XCB_PROPERTY_NOTIFY && p->atom == property &&
                           p->state == XCB_PROPERTY_NEW_VALUE;
        std::free(piece);
        if (!fresh) continue;
        const std::string part = take(property, type);
        if (part.empty()) return whole;
        ++pieces;
        whole += part;
      }
      return std::nullopt;
    }
    return std::nullopt;
  }
  bool incremental = false;  // the last read came in pieces
  int pieces = 0;

  std::string take(xcb_atom_t property, xcb_atom_t& type) {
    auto* r = xcb_get_property_reply(
        conn_, xcb_get_property(conn_, 1, window_, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 24), nullptr);
    if (!r) return {};
    type = r->type;
    std::string data(static_cast<const char*>(xcb_get_property_value(r)),
                     static_cast<size_t>(xcb_get_property_value_length(r)));
    std::free(r);
    return data;
  }

  // Takes the clipboard with `text` and `png`, and answers requests until
  // stop(); `piece` > 0: text in pieces of that size (INCR).
  void own(std::string text, std::string png, size_t piece = 0) {
    xcb_set_selection_owner(conn_, window_, clipboard_, XCB_CURRENT_TIME);
    std::free(xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));  // the server has it
    server_ = std::thread([this, text = std::move(text), png = std::move(png), piece] {
      const xcb_atom_t incr = atom("INCR");
      xcb_window_t requestor = 0;
      xcb_atom_t into = 0;
      size_t sent = 0;
      bool sending = false;
      while (!stop_) {
        xcb_generic_event_t* ev = xcb_poll_for_event(conn_);
        if (!ev) {
          std::this_thread::sleep_for(std::chrono::milliseconds(2));
          continue;
        }
        const auto* deleted = reinterpret_cast<xcb_property_notify_event_t*>(ev);
        if (sending && (ev->response_type & 0x7F) == XCB_PROPERTY_NOTIFY && deleted->window == requestor &&
            deleted->atom == into && deleted->state == XCB_PROPERTY_DELETE) {
          const size_t n = std::min(piece, text.size() - sent);
          xcb_change_property(conn_, XCB_PROP_MODE_REPLACE, requestor, into, utf8_, 8, static_cast<uint32_t>(n),
                              text.data() + sent);
          sent += n;
          sending = n > 0;
          xcb_flush(conn_);
        }
        if ((ev->response_type & 0x7F) == XCB_SELECTION_REQUEST) {
          auto* e = reinterpret_cast<xcb_selection_request_event_t*>(ev);
          xcb_selection_notify_event_t reply{};
          reply.response_type = XCB_SELECTION_NOTIFY;
          reply.requestor = e->requestor;
          reply.selection = e->selection;
          reply.target = e->target;
          reply.property = e->property;
          if (e->target == utf8_ && piece > 0) {
            const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_change_window_attributes(conn_, e->requestor, XCB_CW_EVENT_MASK, &mask);
            const auto size = static_cast<uint32_t>(text.size());
            xcb_change_property(conn_, XCB_PROP_MODE_REPLACE, e->requestor, e->property, incr, 32, 1, &size);
            requestor = e->requestor;
            into = e->property;
            sent = 0;
            sending = true;
          } else if (e->target == utf8_)
            xcb_change_property(conn_, XCB_PROP_MODE_REPLACE, e->requestor, e->property, utf8_, 8,
                                static_cast<uint32_t>(text.size()), text.data());
          else if (e->target == png_)
            xcb_change_property(conn_, XCB_PROP_MODE_REPLACE, e->requestor, e->property, png_, 8,
                                static_cast<uint32_t>(png.size()), png.data());
          else
            reply.property = XCB_NONE;
          xcb_send_event(conn_, 0, e->requestor, 0, reinterpret_cast<const char*>(&reply));
          xcb_flush(conn_);
        }
        std::free(ev);
      }
    });
  }
  void stop() {
    stop_ = true;
    if (server_.joinable()) server_.join();
  }

  xcb_atom_t utf8() const { return utf8_; }
  xcb_atom_t png() const { return png_; }

 private:
  xcb_connection_t* conn_;
  xcb_window_t window_ = 0;
  xcb_atom_t clipboard_ = 0, utf8_ = 0, png_ = 0, targets_ = 0;
  std::thread server_;
  std::atomic<bool> stop_{false};
};

}  // namespace svx::testing
