// The window of a common dialog: a form of the runtime, drawn by the same
// renderer as every form, shown modal to its caller's window.
//
// runModal() sets the owner (its top-level window), disables it while the
// dialog is open (ModalScope), shows it (then opened()) and serves the
// message loop until the dialog ends: end() from the dialog's own buttons,
// the control box, or its window destroyed from outside (a cancel). When
// nothing is pending the idle step runs: a scripted user acts there; when
// it has nothing to do, no answer is on its way (awaitsAnswer) and no
// display shows the dialog to a person, nobody is there to answer and the
// dialog is cancelled.
//
// Snapshots: queueDialogSnapshot(kind, file) asks for a picture of the next
// dialog of that kind, written as the dialog ends (after the user's entries,
// before the window goes).
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/forms/form.h"

namespace svx {

// Design rows of a dialog's controls: a property and its value, and a
// control placed at its position and size (twips) with more values after.
namespace dialog_design {
std::pair<BStr, Variant> v(BStr name, Variant value);
ControlDesign part(BStr array, ControlKind kind, int32_t left, int32_t top, int32_t width, int32_t height,
                   std::vector<std::pair<BStr, Variant>> more = {});
}  // namespace dialog_design

class CommonDialogWindow : public Form {
 public:
  // `kind` names the dialog for queued snapshots ("Open", "Save", "Font").
  CommonDialogWindow(FormDesign design, std::u16string kind);

  const std::u16string& dialogKind() const { return kind_; }
  bool raisesActivation() const override { return false; }
  bool selectsFieldOnKeyFocus() const override { return true; }
  bool arrowsMoveAmongButtons() const override { return true; }

  // Returns whether the dialog ended confirmed.
  bool runModal(HWND owner, const std::function<bool()>& idle);
  // Ends the dialog (OK: confirmed); the form is hidden, the loop returns.
  void end(bool confirmed);
  bool ended() const { return ended_; }
  bool confirmed() const { return confirmed_; }

 protected:
  // The dialog is on the screen, its owner disabled; the loop starts next.
  virtual void opened() {}
  // A scripted answer comes later (on a timer): the loop waits for it.
  virtual bool awaitsAnswer() { return false; }

  // While the dialog fills its own controls, their change events are its
  // own doing and not the person's: handlers return early while filling_.
  struct Filling {
    explicit Filling(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    Filling(const Filling&) = delete;
    Filling& operator=(const Filling&) = delete;
    ~Filling() { flag_ = was_; }
    bool& flag_;
    bool was_;
  };
  bool filling_ = false;

 private:
  std::u16string kind_;
  bool ended_ = false;
  bool confirmed_ = false;
};

// Runs session `index` of a dialog provider (DialogProvider) in `window`:
// the session names its window and stands on the provider's stack of open
// dialogs while the window runs, however the run ends, when `closing` runs
// on it too. The window's takeAnswer() acts out the scripted user's next
// answer. Returns whether the dialog was confirmed.
template <class Provider, class Window>
bool runDialogSession(Provider& provider, std::size_t index, Window& window,
                      std::function<void(typename Provider::SessionType&)> closing = {}) {
  provider.session(index).window = &window;
  const typename Provider::Opened opened(provider, index, [&closing](auto& s) {
    s.window = nullptr;
    if (closing) closing(s);
  });
  window.load();
  provider.session(index).dialog = window.hWnd();
  return window.runModal(provider.session(index).owner, [&window] { return window.takeAnswer(); });
}

// A picture of the next dialog of `kind` (compared case-insensitively).
void queueDialogSnapshot(std::u16string kind, std::filesystem::path file);
std::size_t queuedDialogSnapshots();
void clearDialogSnapshots();

}  // namespace svx
