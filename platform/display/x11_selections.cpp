// The X11 display's selections: the runtime's clipboard as the X11
// CLIPBOARD (text as UTF-8, pictures as PNG) and its primary selection as
// PRIMARY, served to other programs and fetched from them, large data in
// pieces (INCR).
#include <poll.h>

#include <string_view>

#include "platform/automation/variant.h"
#include "platform/display/x11_display_impl.h"
#include "platform/graphics/image_codec.h"
#include "platform/system/clipboard.h"

namespace svx {

namespace {

// Text crosses to other programs with their line ends: the runtime's CR LF
// goes out as LF, and a lone LF comes in as CR LF.
std::string toXText(std::u16string_view text) {
  const std::string in = utf8(text);
  std::string out;
  out.reserve(in.size());
  for (std::size_t i = 0; i < in.size(); ++i)
    if (in[i] != '\r' || i + 1 == in.size() || in[i + 1] != '\n') out += in[i];
  return out;
}

std::string fromXText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

// The runtime's clipboard shared through the X11 clipboard.
class X11Clipboard final : public ClipboardPeer {
 public:
  explicit X11Clipboard(X11Display::Impl& x) : x_(x) {}
  void publish() override { x_.own(x_.atom(CLIPBOARD), x_.clipboardOwned); }
  bool foreignOwner() override { return x_.foreignOwner(x_.atom(CLIPBOARD)); }
  std::optional<std::string> text() override { return textOf(x_.atom(CLIPBOARD)); }
  std::optional<std::vector<uint8_t>> png() override {
    auto data = x_.fetch(x_.atom(CLIPBOARD), x_.atom(IMAGE_PNG));
    if (!data) return std::nullopt;
    return std::vector<uint8_t>(data->begin(), data->end());
  }
  void publishPrimary() override { x_.own(XCB_ATOM_PRIMARY, x_.primaryOwned); }
  std::optional<std::string> foreignPrimary() override {
    if (!x_.foreignOwner(XCB_ATOM_PRIMARY)) return std::nullopt;
    return textOf(XCB_ATOM_PRIMARY);
  }

 private:
  std::optional<std::string> textOf(xcb_atom_t selection) {
    auto t = x_.fetch(selection, x_.atom(UTF8_STRING_));
    if (!t) t = x_.fetch(selection, XCB_ATOM_STRING);
    if (!t) return std::nullopt;
    return fromXText(*t);
  }

  X11Display::Impl& x_;
};

}  // namespace

void X11Display::Impl::createHelper() {
  helper = xcb_generate_id(conn);
  const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_create_window(conn, XCB_COPY_FROM_PARENT, helper, screen->root, -10, -10, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, XCB_CW_EVENT_MASK, &mask);
}

void X11Display::Impl::own(xcb_atom_t selection, bool& owned) {
  if (!alive()) return;
  xcb_set_selection_owner(conn, helper, selection, XCB_CURRENT_TIME);
  owned = true;
  xcb_flush(conn);
}

bool X11Display::Impl::foreignOwner(xcb_atom_t selection) {
  if (!alive()) return false;
  XcbReply<xcb_get_selection_owner_reply_t> r(
      xcb_get_selection_owner_reply(conn, xcb_get_selection_owner(conn, selection), nullptr));
  return r && r->owner != XCB_NONE && r->owner != helper;
}

std::optional<std::string> X11Display::Impl::heldAs(xcb_atom_t selection, xcb_atom_t target) const {
  if (selection == XCB_ATOM_PRIMARY) {
    if (!isText(target)) return std::nullopt;
    return toXText(clipboard().heldPrimary());
  }
  if (isText(target)) {
    auto t = clipboard().heldText();
    if (!t) return std::nullopt;
    return toXText(*t);
  }
  if (target == atom(IMAGE_PNG)) {
    auto p = clipboard().heldPicture();
    if (!p || p->isNone()) return std::nullopt;
    const std::vector<uint8_t> png = encodePng(p->image());
    return std::string(png.begin(), png.end());
  }
  return std::nullopt;
}

void X11Display::Impl::serveSelection(const xcb_selection_request_event_t& e) {
  xcb_selection_notify_event_t reply{};
  reply.response_type = XCB_SELECTION_NOTIFY;
  reply.time = e.time;
  reply.requestor = e.requestor;
  reply.selection = e.selection;
  reply.target = e.target;
  reply.property = XCB_NONE;
  const xcb_atom_t property = e.property == XCB_NONE ? e.target : e.property;
  const uint32_t limit = xcb_get_maximum_request_length(conn) * 4 - 64;
  const bool primary = e.selection == XCB_ATOM_PRIMARY && primaryOwned;
  if ((e.selection == atom(CLIPBOARD) && clipboardOwned) || primary) {
    if (e.target == atom(TARGETS)) {
      std::vector<xcb_atom_t> targets{atom(TARGETS)};
      if (primary || clipboard().heldText()) {
        targets.push_back(atom(UTF8_STRING_));
        targets.push_back(XCB_ATOM_STRING);
      }
      if (auto p = clipboard().heldPicture(); !primary && p && !p->isNone()) targets.push_back(atom(IMAGE_PNG));
      setProperty(e.requestor, property, XCB_ATOM_ATOM, 32, static_cast<uint32_t>(targets.size()), targets.data());
      reply.property = property;
    } else if (auto data = heldAs(e.selection, e.target)) {
      const xcb_atom_t type = e.target == atom(TEXT_) ? atom(UTF8_STRING_) : e.target;
      if (data->size() < std::min<std::size_t>(limit, kPiece)) {
        setProperty(e.requestor, property, type, 8, static_cast<uint32_t>(data->size()), data->data());
      } else {
        startTransfer(e.requestor, property, type, std::move(*data));
      }
      reply.property = property;
    }
  }
  xcb_send_event(conn, 0, e.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&reply));
  xcb_flush(conn);
}

void X11Display::Impl::watchRequestor(xcb_window_t w, bool on) {
  const uint32_t mask = on ? XCB_EVENT_MASK_PROPERTY_CHANGE : XCB_EVENT_MASK_NO_EVENT;
  xcb_change_window_attributes(conn, w, XCB_CW_EVENT_MASK, &mask);
}

void X11Display::Impl::pruneTransfers() {
  const auto now = std::chrono::steady_clock::now();
  std::set<xcb_window_t> dropped;
  std::erase_if(transfers, [&](const Transfer& t) {
    const bool gone = t.done || now - t.last > kTransferTimeout;
    if (gone) dropped.insert(t.requestor);
    return gone;
  });
  for (const Transfer& t : transfers) dropped.erase(t.requestor);
  for (xcb_window_t w : dropped) watchRequestor(w, false);
}

void X11Display::Impl::startTransfer(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t type, std::string data) {
  pruneTransfers();
  if (transfers.size() >= kMostTransfers) {
    watchRequestor(transfers.front().requestor, false);
    transfers.erase(transfers.begin());
  }
  watchRequestor(requestor, true);
  const auto size = static_cast<uint32_t>(std::min<std::size_t>(data.size(), UINT32_MAX));
  setProperty(requestor, property, atom(INCR), 32, 1, &size);
  transfers.push_back({requestor, property, type, std::move(data), 0, false, std::chrono::steady_clock::now()});
}

bool X11Display::Impl::continueTransfer(const xcb_property_notify_event_t& e) {
  if (e.state != XCB_PROPERTY_DELETE) return false;
  auto it = std::find_if(transfers.begin(), transfers.end(), [&](const Transfer& t) {
    return !t.done && t.requestor == e.window && t.property == e.atom;
  });
  if (it == transfers.end()) return false;
  const std::size_t n = std::min(kPiece, it->data.size() - it->sent);
  setProperty(it->requestor, it->property, it->type, 8, static_cast<uint32_t>(n), it->data.data() + it->sent);
  it->sent += n;
  it->last = std::chrono::steady_clock::now();
  if (n == 0) it->done = true;
  pruneTransfers();
  xcb_flush(conn);
  return true;
}

xcb_generic_event_t* X11Display::Impl::awaitHelperEvent(uint8_t type, int ms) {
  return awaitEvent(
      [&](xcb_generic_event_t* ev) {
        if ((ev->response_type & 0x7F) != type) return false;
        if (type == XCB_SELECTION_NOTIFY)
          return reinterpret_cast<xcb_selection_notify_event_t*>(ev)->requestor == helper;
        const auto* p = reinterpret_cast<xcb_property_notify_event_t*>(ev);
        return type == XCB_PROPERTY_NOTIFY && p->window == helper && p->atom == atom(SVX_CLIPBOARD) &&
               p->state == XCB_PROPERTY_NEW_VALUE;
      },
      ms);
}

std::optional<std::string> X11Display::Impl::takeProperty(bool& incremental) {
  XcbReply<xcb_get_property_reply_t> r(xcb_get_property_reply(
      conn, xcb_get_property(conn, 1, helper, atom(SVX_CLIPBOARD), XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 24),
      nullptr));
  incremental = false;
  if (!r || r->type == XCB_NONE) return std::nullopt;
  if (r->type == atom(INCR)) {
    incremental = true;
    return std::string();
  }
  return std::string(static_cast<const char*>(xcb_get_property_value(r.get())),
                     static_cast<std::size_t>(xcb_get_property_value_length(r.get())));
}

std::optional<std::string> X11Display::Impl::fetch(xcb_atom_t selection, xcb_atom_t target) {
  if (!alive()) return std::nullopt;
  xcb_delete_property(conn, helper, atom(SVX_CLIPBOARD));
  xcb_convert_selection(conn, helper, selection, target, atom(SVX_CLIPBOARD), XCB_CURRENT_TIME);
  xcb_flush(conn);
  xcb_generic_event_t* ev = awaitHelperEvent(XCB_SELECTION_NOTIFY, 1000);
  if (!ev) return std::nullopt;
  const bool refused = reinterpret_cast<xcb_selection_notify_event_t*>(ev)->property == XCB_NONE;
  std::free(ev);
  if (refused) return std::nullopt;
  bool incremental = false;
  auto data = takeProperty(incremental);
  if (!incremental) return data;
  // In pieces, until an empty one.
  std::string whole;
  for (;;) {
    xcb_generic_event_t* piece = awaitHelperEvent(XCB_PROPERTY_NOTIFY, 1000);
    if (!piece) return std::nullopt;
    std::free(piece);
    auto part = takeProperty(incremental);
    if (!part) return std::nullopt;
    if (part->empty()) return whole;
    whole += *part;
    if (whole.size() > (std::size_t{256} << 20)) return std::nullopt;
  }
}

void X11Display::Impl::selectionCleared(const xcb_selection_clear_event_t& e) {
  if (e.selection == atom(CLIPBOARD)) clipboardOwned = false;
  if (e.selection == XCB_ATOM_PRIMARY) primaryOwned = false;
}

std::unique_ptr<ClipboardPeer> makeX11Clipboard(X11Display::Impl& x) { return std::make_unique<X11Clipboard>(x); }

}  // namespace svx
