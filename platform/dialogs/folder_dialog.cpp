#include "platform/dialogs/folder_dialog.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/dialogs/dialog_window.h"
#include "platform/forms/command_button.h"
#include "platform/forms/label.h"
#include "platform/forms/list_box.h"
#include "platform/forms/person.h"
#include "platform/graphics/units.h"
#include "platform/shell/shell.h"
#include "platform/system/screen.h"

namespace svx {

namespace {

using dialog_design::part;
using dialog_design::v;

// The look, in pixels of the client area (340 x 330 with the frame).
constexpr int kClientWidth = 332, kClientHeight = 302;
constexpr int kLeft = 10, kWidth = 312, kLookInW = 56;
constexpr int kListY = 62, kListH = 190;
constexpr int kButtonY = 262, kButtonW = 75, kButtonH = 23, kOkX = 166, kCancelX = 247;
constexpr std::size_t kMaxListed = 5000;

double tw(int pixels) { return pixelsToTwips(pixels); }

bool isDirectory(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_directory(path, ec);
}

std::string parentOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

std::string childOf(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// Absolute paths as the list names them: lexically normal, without a
// trailing "/" (but the root).
std::string normalFolder(const std::string& path) {
  std::string s = std::filesystem::path(path).lexically_normal().string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s.empty() ? "/" : s;
}

// The subfolders of `folder` by name, hidden ones left out.
std::vector<std::string> subfolders(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    std::error_code kindError;
    if (!it->is_directory(kindError)) continue;
    names.push_back(std::move(name));
    if (names.size() >= kMaxListed) break;
  }
  std::sort(names.begin(), names.end());
  return names;
}

FormDesign folderDialogDesign(const std::string& title) {
  using K = ControlKind;
  FormDesign f;
  f.name = u"FolderDialog";
  f.caption = u"Select Folder";
  // In the middle of the screen.
  const Screen& sc = screen();
  const int sw = static_cast<int>(sc.width() / sc.twipsPerPixelX());
  const int sh = static_cast<int>(sc.height() / sc.twipsPerPixelY());
  f.clientLeft = tw((sw - kClientWidth) / 2);
  f.clientTop = tw((sh - kClientHeight) / 2);
  f.clientWidth = tw(kClientWidth);
  f.clientHeight = tw(kClientHeight);
  f.font = Font{u"Tahoma", 8.25};
  auto caption = [](BStr c) { return v(u"Caption", Variant(std::move(c))); };
  auto tab = [](int16_t i) { return v(u"TabIndex", Variant::i2(i)); };
  const auto asItIs = v(u"UseMnemonic", Variant(false));  // the caller's text, a folder's name
  // "Look in:" comes just before the list its access key reaches; the list
  // is the first that takes the focus.
  f.controls = {
      part(u"Message", K::Label, tw(kLeft), tw(8), tw(kWidth), tw(32), {caption(utf16(title)), asItIs, tab(0)}),
      part(u"LookIn", K::Label, tw(kLeft), tw(43), tw(kLookInW), tw(16), {caption(u"Look &in:"), tab(1)}),
      part(u"Folder", K::Label, tw(kLeft + kLookInW + 2), tw(43), tw(kWidth - kLookInW - 2), tw(16),
           {caption(u""), asItIs, tab(2)}),
      part(u"Folders", K::ListBox, tw(kLeft), tw(kListY), tw(kWidth), tw(kListH), {tab(3)}),
      part(u"OK", K::CommandButton, tw(kOkX), tw(kButtonY), tw(kButtonW), tw(kButtonH),
           {caption(u"OK"), v(u"Default", Variant(true)), tab(4)}),
      part(u"Cancel", K::CommandButton, tw(kCancelX), tw(kButtonY), tw(kButtonW), tw(kButtonH),
           {caption(u"Cancel"), v(u"Cancel", Variant(true)), tab(5)}),
  };
  return f;
}

}  // namespace

// The folder dialog's form: what a person sees and uses.
class FolderDialogForm final : public CommonDialogWindow, private FolderDialogWindow {
 public:
  FolderDialogForm(FolderDialogProvider& provider, std::size_t index)
      : CommonDialogWindow(folderDialogDesign(provider.session(index).title), u"Folder"),
        provider_(provider),
        index_(index) {}

  void onLoad() override {
    const std::string& start = session().selection;
    browse(isDirectory(start) ? normalFolder(start) : "/");
  }

  void opened() override { provider_.shown(index_, hWnd(), *this); }
  bool awaitsAnswer() override { return session().pending.has_value(); }

  // The caller's messages (BFFM_SETSELECTIONA shows the folder it selects).
  LRESULT onOwnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    const std::string before = session().selection;
    const LRESULT result = provider_.sent(index_, msg, wParam, lParam);
    const std::string after = session().selection;
    if (isLoaded() && !ended() && after != before && isDirectory(after)) browse(normalFolder(after));
    return result;
  }

  void onControlEvent(ControlArray& array, ControlEvent event, int16_t&, std::span<Variant> params) override {
    if (filling_ || ended()) return;
    const BStr& name = array.name();
    if (name == u"Folders") return listEvent(event, params);
    if (event != ControlEvent::Click) return;
    if (name == u"OK") {
      // Enter in the list opens the folder chosen there; OK itself returns
      // the selection.
      if (activeControl() == &list() && list().listIndex() >= 0) return open(pathOf(list().listIndex()));
      return end(true);
    }
    if (name == u"Cancel") end(false);
  }

 private:
  FolderDialogSession& session() { return provider_.session(index_); }
  ListBox& list() { return element<ListBox>(u"Folders"); }

  void listEvent(ControlEvent event, std::span<Variant> params) {
    ListBox& folders = list();
    switch (event) {
      case ControlEvent::Click:
        if (folders.listIndex() >= 0) provider_.select(index_, pathOf(folders.listIndex()));
        return;
      case ControlEvent::MouseDown:
        pressedRow_ = folders.itemAt(toR8(params[3]));
        return;
      case ControlEvent::DblClick:
        // On a folder (not below the last one).
        if (pressedRow_ >= 0 && pressedRow_ == folders.listIndex()) open(pathOf(pressedRow_));
        return;
      case ControlEvent::KeyDown:
        if (toI2(params[0]) == person::vbKeyBack && toI2(params[1]) == 0 && browsing_ != "/") open(parentOf(browsing_));
        return;
      default:
        return;
    }
  }

  std::string pathOf(int row) const {
    const std::string& entry = entries_[static_cast<std::size_t>(row)];
    return entry == ".." ? parentOf(browsing_) : childOf(browsing_, entry);
  }

  // Lists the subfolders of `folder`, none of them chosen.
  void browse(const std::string& folder) {
    Filling quiet(filling_);
    browsing_ = folder;
    entries_.clear();
    if (folder != "/") entries_.push_back("..");
    for (std::string& n : subfolders(folder)) entries_.push_back(std::move(n));
    ListBox& folders = list();
    folders.clear();
    for (const std::string& e : entries_) folders.addItem(utf16(e));
    pressedRow_ = -1;
    element<Label>(u"Folder").setCaption(utf16(folder));
  }

  // Opens `folder`: it is listed and selected.
  void open(const std::string& folder) {
    browse(folder);
    provider_.select(index_, folder);
  }

  // The scripted user goes to `path`, shown chosen in the folder above it
  // where both exist, and selects it as it was given.
  void goTo(const std::string& path) {
    if (ended()) return;
    const std::string folder = normalFolder(path);
    if (folder != "/" && isDirectory(folder) && isDirectory(parentOf(folder))) {
      if (parentOf(folder) != browsing_) browse(parentOf(folder));
      const std::string name = folder.substr(folder.find_last_of('/') + 1);
      if (auto it = std::find(entries_.begin(), entries_.end(), name); it != entries_.end()) {
        Filling quiet(filling_);
        list().setListIndex(static_cast<int16_t>(it - entries_.begin()));
      }
    }
    provider_.select(index_, path);
  }

  void act(const FolderDialogAnswer& response) override {
    Ref<Form> keep(this);
    for (const std::string& folder : response.browse) goTo(folder);
    if (!response.folder) return person::click(control(u"Cancel"));
    goTo(*response.folder);
    person::click(control(u"OK"));
  }

  FolderDialogProvider& provider_;
  std::size_t index_;
  std::string browsing_;              // the folder whose subfolders are listed
  std::vector<std::string> entries_;  // the list's rows: "..", then the subfolders' names
  int pressedRow_ = -1;               // the row under the last press
};

namespace {

void runFolderDialog(FolderDialogProvider& provider, std::size_t index) {
  auto window = makeRef<FolderDialogForm>(provider, index);
  const bool confirmed = window->runModal(provider.session(index).owner, {});
  provider.finish(index, confirmed);
}

}  // namespace

void attachFolderDialogWindow() { setFolderDialogWindow(&runFolderDialog); }

}  // namespace svx
