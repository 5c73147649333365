#include "platform/dialogs/dialog_window.h"

#include <deque>
#include <utility>

#include "platform/desktop/desktop.h"
#include "platform/desktop/display.h"
#include "platform/desktop/message_loop.h"
#include "platform/desktop/modal_owner.h"

namespace svx {

namespace {

struct PendingSnapshot {
  std::u16string kind;
  std::filesystem::path file;
};

std::deque<PendingSnapshot>& pendingSnapshots() {
  static std::deque<PendingSnapshot> queue;
  return queue;
}

}  // namespace

namespace dialog_design {

std::pair<BStr, Variant> v(BStr name, Variant value) { return {std::move(name), std::move(value)}; }

ControlDesign part(BStr array, ControlKind kind, int32_t left, int32_t top, int32_t width, int32_t height,
                   std::vector<std::pair<BStr, Variant>> more) {
  ControlDesign d;
  d.arrayName = std::move(array);
  d.kind = kind;
  d.values = {v(u"Left", Variant(left)), v(u"Top", Variant(top)), v(u"Width", Variant(width)),
              v(u"Height", Variant(height))};
  d.values.insert(d.values.end(), more.begin(), more.end());
  return d;
}

}  // namespace dialog_design

CommonDialogWindow::CommonDialogWindow(FormDesign design, std::u16string kind)
    : Form(std::move(design)), kind_(std::move(kind)) {}

bool CommonDialogWindow::runModal(HWND owner, const std::function<bool()>& idle) {
  Ref<CommonDialogWindow> keep(this);
  load();
  const HWND window = hWnd();
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_CAPTION | WS_SYSMENU));
  SetWindowLongA(window, GWL_HWNDPARENT, owner);
  const ModalScope modal(window, owner);  // the owner is enabled again when the dialog has gone
  ended_ = false;
  confirmed_ = false;
  struct Unload {
    CommonDialogWindow& dialog;
    ~Unload() {
      if (dialog.isLoaded()) dialog.unload(vbFormCode);
    }
  } unloadAtEnd{*this};
  show(false);
  if (visible()) opened();
  messageLoop().runModalLoop(
      [this, window] { return ended_ || !visible() || !desktop().find(window); },
      [this, &idle, window] {
        if (ended_) return false;
        if (idle && idle()) return true;
        // A scripted answer on its way, or a person at the screen, answers it.
        if (awaitsAnswer() || display().shows(window)) return false;
        end(false);
        return true;
      });
  ended_ = true;  // closed or destroyed: cancelled
  return confirmed_;
}

void CommonDialogWindow::end(bool confirmed) {
  if (ended_) return;
  ended_ = true;
  confirmed_ = confirmed;
  hide();
  auto& queue = pendingSnapshots();
  for (auto it = queue.begin(); it != queue.end(); ++it) {
    if (!sameName(it->kind, kind_)) continue;
    const std::filesystem::path file = std::move(it->file);
    queue.erase(it);
    snapshot(file);  // a failure reaches whoever ended the dialog
    break;
  }
}

void queueDialogSnapshot(std::u16string kind, std::filesystem::path file) {
  pendingSnapshots().push_back({std::move(kind), std::move(file)});
}

std::size_t queuedDialogSnapshots() { return pendingSnapshots().size(); }

void clearDialogSnapshots() { pendingSnapshots().clear(); }

}  // namespace svx
