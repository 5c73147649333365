#include "platform/dialogs/file_dialogs.h"

#include <fnmatch.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/desktop/desktop.h"
#include "platform/dialogs/common_dialogs.h"
#include "platform/dialogs/dialog_window.h"
#include "platform/dialogs/message_box.h"
#include "platform/forms/check_box.h"
#include "platform/forms/combo_box.h"
#include "platform/forms/command_button.h"
#include "platform/forms/label.h"
#include "platform/forms/list_box.h"
#include "platform/forms/text_box.h"
#include "platform/forms/person.h"

namespace svx {

namespace fs = std::filesystem;

namespace {

using dialog_design::part;
using dialog_design::v;

// A list box holds at most this many entries.
constexpr std::size_t kMaxListed = 32767;

fs::path toPath(const std::u16string& s) { return fs::path(utf8(s)); }
std::u16string fromPath(const fs::path& p) { return utf16(p.string()); }

// Absolute and lexically normal, without a trailing "/" (but "/" itself).
fs::path normalFolderPath(const fs::path& p) {
  fs::path n = p.lexically_normal();
  std::string s = n.string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s.empty() ? fs::path("/") : fs::path(s);
}

bool isDirectory(const fs::path& p) {
  std::error_code ec;
  return fs::is_directory(p, ec);
}

bool isFile(const fs::path& p) {
  std::error_code ec;
  return fs::exists(p, ec) && !fs::is_directory(p, ec);
}

fs::path currentFolder() {
  std::error_code ec;
  fs::path p = fs::current_path(ec);
  return ec ? fs::path("/") : p;
}

// The text of a NUL-terminated buffer of at most `max` characters; nullopt
// when there is no NUL inside it.
std::optional<std::u16string> bufferText(const char16_t* buffer, DWORD max) {
  for (DWORD i = 0; i < max; ++i)
    if (buffer[i] == u'\0') return std::u16string(buffer, i);
  return std::nullopt;
}

std::u16string trimSpaces(std::u16string s) {
  const auto first = s.find_first_not_of(u' ');
  if (first == std::u16string::npos) return {};
  return s.substr(first, s.find_last_not_of(u' ') - first + 1);
}

// Names in a name box: "a" "b" gives both, anything else one name.
std::vector<std::u16string> typedNames(const std::u16string& text) {
  std::vector<std::u16string> names;
  if (text.find(u'"') == std::u16string::npos) {
    names.push_back(text);
    return names;
  }
  std::size_t at = 0;
  while ((at = text.find(u'"', at)) != std::u16string::npos) {
    const std::size_t close = text.find(u'"', at + 1);
    if (close == std::u16string::npos) {
      names.push_back(text.substr(at + 1));
      break;
    }
    if (close > at + 1) names.push_back(text.substr(at + 1, close - at - 1));
    at = close + 1;
  }
  return names;
}

enum Arrays { kFolder, kFiles, kName, kFilter, kReadOnly, kOk, kCancel, kMessage };

FormDesign fileDialogDesign(const std::u16string& title, bool save) {
  using K = ControlKind;
  FormDesign f;
  f.name = save ? u"SaveFileDialog" : u"OpenFileDialog";
  f.caption = title;
  f.clientLeft = 2400;
  f.clientTop = 1800;
  f.clientWidth = 7200;
  f.clientHeight = 4560;
  f.font = Font{u"Tahoma", 8.25};
  auto caption = [](BStr c) { return v(u"Caption", Variant(std::move(c))); };
  // The name box is first in the tab order: the dialog opens with the focus
  // there. Each label comes just before the control its access key reaches.
  auto tab = [](int16_t i) { return v(u"TabIndex", Variant::i2(i)); };
  f.controls = {
      part(u"LookIn", K::Label, 120, 150, 1100, 255, {caption(save ? u"Save &in:" : u"Look &in:"), tab(7)}),
      part(u"Folder", K::ComboBox, 1260, 105, 5820, 315, {v(u"Style", Variant::i2(2)), tab(8)}),
      part(u"Files", K::ListBox, 120, 540, 6960, 2400, {tab(9)}),
      part(u"NameLabel", K::Label, 120, 3105, 1100, 255, {caption(u"File &name:"), tab(0)}),
      part(u"Name", K::TextBox, 1260, 3060, 4500, 315, {v(u"Text", Variant(u"")), tab(1)}),
      part(u"TypeLabel", K::Label, 120, 3525, 1100, 255,
           {caption(save ? u"Save as &type:" : u"Files of &type:"), tab(2)}),
      part(u"Filter", K::ComboBox, 1260, 3480, 4500, 315, {v(u"Style", Variant::i2(2)), tab(3)}),
      part(u"ReadOnly", K::CheckBox, 1260, 3870, 3000, 315, {caption(u"Open as &read-only"), tab(4)}),
      part(u"OK", K::CommandButton, 5940, 3045, 1140, 345,
           {caption(save ? u"&Save" : u"&Open"), v(u"Default", Variant(true)), tab(5)}),
      part(u"Cancel", K::CommandButton, 5940, 3465, 1140, 345, {caption(u"Cancel"), v(u"Cancel", Variant(true)), tab(6)}),
      part(u"Message", K::Label, 120, 4230, 6960, 255, {caption(u""), v(u"UseMnemonic", Variant(false))}),
  };
  return f;
}

struct Listed {
  std::u16string name;
  bool folder = false;
};

}  // namespace

// The dialog's form: what a person sees and uses.
class FileDialogWindow : public CommonDialogWindow {
 public:
  FileDialogWindow(FileDialogProvider& provider, std::size_t session, OPENFILENAMEW& ofn, fs::path folder,
                   std::u16string name)
      : CommonDialogWindow(fileDialogDesign(provider.session(session).title,
                                            provider.session(session).kind == FileDialogKind::Save),
                           provider.session(session).kind == FileDialogKind::Save ? u"Save" : u"Open"),
        provider_(provider),
        session_(session),
        ofn_(ofn),
        folder_(std::move(folder)),
        initialName_(std::move(name)) {}

  void onLoad() override {
    FileDialogSession& s = session();
    files().setMultiSelect(multiSelect() ? 2 : 0);
    element<CheckBox>(u"ReadOnly").setVisible((s.flags & OFN_HIDEREADONLY) == 0);
    element<CheckBox>(u"ReadOnly").setValue((s.flags & OFN_READONLY) != 0 ? 1 : 0);
    ComboBox& filter = element<ComboBox>(u"Filter");
    {
      Filling quiet(filling_);
      for (std::size_t i = 0; i < s.filters.size() && i < kMaxListed; ++i) filter.addItem(s.filters[i].description);
      if (filter.listCount() > 0) {
        const DWORD index = s.filterIndex >= 1 && s.filterIndex <= static_cast<DWORD>(filter.listCount())
                                ? s.filterIndex
                                : 1;
        filter.setListIndex(static_cast<int16_t>(index - 1));
      }
    }
    nameBox().setText(initialName_);
    navigate(folder_);
    s.folderShown = fromPath(folder_);
  }

  void onControlEvent(ControlArray& array, ControlEvent event, int16_t&, std::span<Variant>) override {
    if (filling_ || ended()) return;
    const BStr& name = array.name();
    if (event == ControlEvent::Click) {
      if (name == u"OK") accept();
      else if (name == u"Cancel") end(false);
      else if (name == u"Folder") chooseFolder();
      else if (name == u"Filter") fillFiles();
      else if (name == u"Files") selectionChanged();
    } else if (event == ControlEvent::DblClick && name == u"Files") {
      const int16_t i = files().listIndex();
      if (i < 0 || static_cast<std::size_t>(i) >= listed_.size()) return;
      if (listed_[static_cast<std::size_t>(i)].folder)
        navigate(folder_ / toPath(listed_[static_cast<std::size_t>(i)].name));
      else
        accept();
    }
  }

  // The scripted user's next answer: typed or selected, then OK. False when
  // nothing is queued.
  bool takeAnswer() {
    std::optional<FileDialogAnswer> answer = provider_.take(session().kind);
    if (!answer) return false;
    if (!answer->paths) {
      person::click(element<CommandButton>(u"Cancel"));
      return true;
    }
    const std::vector<std::u16string>& paths = *answer->paths;
    if (paths.empty()) {
      refuse(u"", u"No file was named.");
      return true;
    }
    if (paths.size() == 1) {
      // In its folder when that exists, as a person would pick it there.
      const fs::path path = toPath(paths[0]);
      const fs::path folder = path.is_absolute() ? normalFolderPath(path.parent_path()) : fs::path();
      if (!folder.empty() && !path.filename().empty() && isDirectory(folder) && !isDirectory(path)) {
        if (folder != folder_) navigate(folder);
        selectListed(paths);
        nameBox().setText(fromPath(path.filename()));
      } else {
        nameBox().setText(paths[0]);
      }
    } else {
      if (!multiSelect()) {
        refuse(paths[0], u"This dialog takes one file.");
        return true;
      }
      const fs::path folder = normalFolderPath(toPath(paths[0]).parent_path());
      std::u16string quoted;
      for (const std::u16string& p : paths) {
        const fs::path path = toPath(p);
        if (normalFolderPath(path.parent_path()) != folder) {
          refuse(p, u"The files are not in one folder.");
          return true;
        }
        if (!quoted.empty()) quoted += u' ';
        quoted += u'"' + fromPath(path.filename()) + u'"';
      }
      if (!isDirectory(folder)) {
        refuse(fromPath(folder), u"The folder does not exist.");
        return true;
      }
      if (folder != folder_) navigate(folder);
      selectListed(paths);
      nameBox().setText(quoted);
    }
    person::click(element<CommandButton>(u"OK"));
    return true;
  }

 private:
  FileDialogSession& session() { return provider_.session(session_); }
  bool multiSelect() const { return (ofn_.Flags & OFN_ALLOWMULTISELECT) != 0; }
  bool save() { return session().kind == FileDialogKind::Save; }
  ListBox& files() { return element<ListBox>(u"Files"); }
  TextBox& nameBox() { return element<TextBox>(u"Name"); }

  const FilterEntry* currentFilter() {
    const int16_t i = element<ComboBox>(u"Filter").listIndex();
    const auto& filters = session().filters;
    return i >= 0 && static_cast<std::size_t>(i) < filters.size() ? &filters[static_cast<std::size_t>(i)] : nullptr;
  }

  void navigate(const fs::path& to) {
    folder_ = normalFolderPath(to);
    Filling quiet(filling_);
    ComboBox& folders = element<ComboBox>(u"Folder");
    folders.clear();
    std::vector<fs::path> chain;
    for (fs::path p = folder_;; p = p.parent_path()) {
      chain.push_back(p);
      if (p == p.root_path() || p.parent_path() == p || chain.size() >= kMaxListed) break;
    }
    std::reverse(chain.begin(), chain.end());
    for (const fs::path& p : chain) folders.addItem(fromPath(p));
    folders.setListIndex(static_cast<int16_t>(folders.listCount() - 1));
    fillFiles();
  }

  void chooseFolder() {
    ComboBox& folders = element<ComboBox>(u"Folder");
    if (folders.listIndex() >= 0) navigate(toPath(folders.list(folders.listIndex())));
  }

  void fillFiles() {
    Filling quiet(filling_);
    listed_.clear();
    std::vector<Listed> folders, plain;
    const FilterEntry* filter = currentFilter();
    std::error_code ec;
    for (fs::directory_iterator it(folder_, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
      const std::u16string name = fromPath(it->path().filename());
      std::error_code kindError;
      if (it->is_directory(kindError))
        folders.push_back({name, true});
      else if (!filter || matchesFilter(filter->pattern, name))
        plain.push_back({name, false});
    }
    auto byName = [](const Listed& a, const Listed& b) { return a.name < b.name; };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(plain.begin(), plain.end(), byName);
    listed_ = std::move(folders);
    listed_.insert(listed_.end(), plain.begin(), plain.end());
    if (listed_.size() > kMaxListed) listed_.resize(kMaxListed);
    ListBox& list = files();
    list.clear();
    for (const Listed& l : listed_) list.addItem(l.folder ? l.name + u"/" : l.name);
  }

  // Selects the listed files that the paths name (the picture shows them).
  void selectListed(const std::vector<std::u16string>& paths) {
    Filling quiet(filling_);
    ListBox& list = files();
    for (std::size_t i = 0; i < listed_.size(); ++i) {
      if (listed_[i].folder) continue;
      for (const std::u16string& p : paths)
        if (fromPath(toPath(p).filename()) == listed_[i].name) list.setSelected(static_cast<int16_t>(i), true);
    }
  }

  void selectionChanged() {
    ListBox& list = files();
    std::vector<std::u16string> names;
    for (std::size_t i = 0; i < listed_.size(); ++i)
      if (!listed_[i].folder && list.selected(static_cast<int16_t>(i))) names.push_back(listed_[i].name);
    if (names.empty()) return;
    if (names.size() == 1) {
      nameBox().setText(names[0]);
      return;
    }
    std::u16string quoted;
    for (const std::u16string& n : names) quoted += (quoted.empty() ? u"\"" : u" \"") + n + u"\"";
    nameBox().setText(quoted);
  }

  void refuse(const std::u16string& name, const std::u16string& why) {
    session().refused.push_back(name);
    element<Label>(u"Message").setCaption(name.empty() ? why : name + u": " + why);
  }

  fs::path resolve(const std::u16string& name) const {
    const fs::path typed = toPath(name);
    return (typed.is_absolute() ? typed : folder_ / typed).lexically_normal();
  }

  // OK: the name box's names, checked as the flags ask.
  void accept() {
    const std::u16string text = trimSpaces(nameBox().text());
    if (text.empty()) return;
    std::vector<std::u16string> names = multiSelect() ? typedNames(text) : std::vector<std::u16string>{text};
    if (names.empty()) return;
    if (names.size() == 1) {
      fs::path path = resolve(names[0]);
      if (isDirectory(path)) {
        navigate(path);
        nameBox().setText(u"");
        return;
      }
      path = normalFolderPath(path);
      const std::u16string defExt = session().defExt;
      if (!defExt.empty() && !path.has_extension()) path += "." + utf8(defExt);
      if (!check(path)) return;
      if (save() && (ofn_.Flags & OFN_OVERWRITEPROMPT) != 0 && isFile(path)) {
        const int32_t button = MsgBox(Variant(fromPath(path) + u" already exists.\r\nDo you want to replace it?"),
                                      Variant(vbYesNo | vbExclamation), Variant(caption()));
        if (button != vbYes) {
          refuse(fromPath(path), u"Not replaced.");
          return;
        }
      }
      finish({fromPath(path)}, {}, fromPath(path));
      return;
    }
    std::vector<std::u16string> paths;
    for (const std::u16string& n : names) {
      const fs::path path = normalFolderPath(resolve(n));
      if (!check(path)) return;
      paths.push_back(fromPath(path));
    }
    finish(paths, names, {});
  }

  bool check(const fs::path& path) {
    const DWORD flags = ofn_.Flags;
    if (path.filename().empty() || isDirectory(path)) {
      refuse(fromPath(path), u"This is not a file name.");
      return false;
    }
    if ((flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) != 0 && !isDirectory(path.parent_path())) {
      refuse(fromPath(path), u"The folder does not exist.");
      return false;
    }
    if ((flags & OFN_FILEMUSTEXIST) != 0 && !isFile(path)) {
      refuse(fromPath(path), u"File not found.");
      return false;
    }
    return true;
  }

  // Writes the answer into the caller's structure (single: the path; several:
  // the folder, NUL, the names typed, each with a NUL, and one more NUL).
  void finish(const std::vector<std::u16string>& paths, const std::vector<std::u16string>& names,
              const std::u16string& single) {
    FileDialogSession& s = session();
    std::u16string text, title;
    WORD offset = 0, extension = 0;
    if (!single.empty()) {
      text = single;
      const std::size_t slash = single.rfind(u'/');
      offset = static_cast<WORD>(slash + 1);
      title = single.substr(slash + 1);
      const std::size_t dot = title.rfind(u'.');
      if (dot != std::u16string::npos) extension = static_cast<WORD>(offset + dot + 1);
      text.push_back(u'\0');
    } else {
      text = fromPath(folder_);
      offset = static_cast<WORD>(text.size() + 1);
      text.push_back(u'\0');
      for (const std::u16string& n : names) {
        text += n;
        text.push_back(u'\0');
      }
      text.push_back(u'\0');
    }
    // Each buffer takes its nMaxFile characters and the NUL after them.
    const bool titleFits = !ofn_.lpstrFileTitle || title.size() <= ofn_.nMaxFileTitle;
    if (text.size() > ofn_.nMaxFile + std::size_t{1} || text.size() > 0xFFFF || !titleFits) {
      s.extendedError = FNERR_BUFFERTOOSMALL;
      end(false);
      return;
    }
    std::copy(text.begin(), text.end(), ofn_.lpstrFile);
    if (ofn_.lpstrFileTitle && ofn_.nMaxFileTitle > 0) {
      std::copy(title.begin(), title.end(), ofn_.lpstrFileTitle);
      ofn_.lpstrFileTitle[title.size()] = u'\0';
    }
    ofn_.nFileOffset = offset;
    ofn_.nFileExtension = extension;
    const int16_t filter = element<ComboBox>(u"Filter").listIndex();
    if (filter >= 0) ofn_.nFilterIndex = static_cast<DWORD>(filter + 1);
    if (element<CheckBox>(u"ReadOnly").value() == 1) ofn_.Flags |= OFN_READONLY;
    else ofn_.Flags &= ~OFN_READONLY;
    s.result = paths;
    end(true);
  }

  FileDialogProvider& provider_;
  std::size_t session_;
  OPENFILENAMEW& ofn_;
  fs::path folder_;
  std::u16string initialName_;
  std::vector<Listed> listed_;
};

BOOL FileDialogProvider::run(FileDialogKind kind, OPENFILENAMEW& ofn) {
  SetCommDlgExtendedError(0);
  if (ofn.lStructSize != kOpenFileNameSize) {
    SetCommDlgExtendedError(CDERR_STRUCTSIZE);
    return 0;
  }
  if (!ofn.lpstrFile || ofn.nMaxFile == 0) {
    SetCommDlgExtendedError(CDERR_INITIALIZATION);
    return 0;
  }
  Desktop& d = desktop();
  if (ofn.hwndOwner != 0 && !d.find(ofn.hwndOwner)) {
    SetCommDlgExtendedError(CDERR_DIALOGFAILURE);
    return 0;
  }
  const std::optional<std::u16string> initialFile = bufferText(ofn.lpstrFile, ofn.nMaxFile + 1);
  if (!initialFile) {
    SetCommDlgExtendedError(FNERR_INVALIDFILENAME);
    return 0;
  }

  FileDialogSession s;
  s.kind = kind;
  s.owner = ofn.hwndOwner ? d.rootOf(ofn.hwndOwner) : 0;
  s.structSize = ofn.lStructSize;
  s.flags = ofn.Flags;
  s.title = ofn.lpstrTitle && *ofn.lpstrTitle ? std::u16string(ofn.lpstrTitle)
                                               : (kind == FileDialogKind::Save ? u"Save As" : u"Open");
  if (ofn.lpstrFilter) {
    // Up to and with the empty text that ends the list.
    const char16_t* end = ofn.lpstrFilter;
    while (*end != u'\0') end += std::char_traits<char16_t>::length(end) + 1;
    s.filterText.assign(ofn.lpstrFilter, end + 1);
    s.filters = parseFilterList(ofn.lpstrFilter);
  }
  s.filterIndex = ofn.nFilterIndex;
  s.initialDir = ofn.lpstrInitialDir ? std::u16string(ofn.lpstrInitialDir) : std::u16string();
  s.initialFile = *initialFile;
  s.maxFile = ofn.nMaxFile;
  s.maxFileTitle = ofn.nMaxFileTitle;
  s.defExt = ofn.lpstrDefExt ? std::u16string(ofn.lpstrDefExt) : std::u16string();
  s.open = true;

  // The folder: that of a path given as the initial file, else the initial
  // folder, else the current one; the name box starts with the file's name.
  fs::path folder = currentFolder();
  std::u16string name = *initialFile;
  const fs::path given = toPath(*initialFile);
  if (initialFile->find(u'/') != std::u16string::npos && isDirectory(given.parent_path())) {
    folder = given.parent_path();
    name = fromPath(given.filename());
  } else if (!s.initialDir.empty() && isDirectory(toPath(s.initialDir))) {
    folder = toPath(s.initialDir);
  }
  if (folder.is_relative()) folder = currentFolder() / folder;

  const std::size_t index = record(std::move(s));
  auto window = makeRef<FileDialogWindow>(*this, index, ofn, normalFolderPath(folder), name);
  const bool confirmed = runDialogSession(*this, index, *window);
  if (!confirmed) {
    session(index).result.reset();
    SetCommDlgExtendedError(session(index).extendedError);
    return 0;
  }
  return 1;
}

FileDialogProvider& fileDialogs() {
  static FileDialogProvider instance;
  return instance;
}

BOOL GetOpenFileNameW(OPENFILENAMEW* ofn) {
  if (!ofn) {
    SetCommDlgExtendedError(CDERR_INITIALIZATION);
    return 0;
  }
  return fileDialogs().run(FileDialogKind::Open, *ofn);
}

BOOL GetSaveFileNameW(OPENFILENAMEW* ofn) {
  if (!ofn) {
    SetCommDlgExtendedError(CDERR_INITIALIZATION);
    return 0;
  }
  return fileDialogs().run(FileDialogKind::Save, *ofn);
}

std::vector<FilterEntry> parseFilterList(const char16_t* filter) {
  std::vector<FilterEntry> entries;
  if (!filter) return entries;
  const char16_t* p = filter;
  while (*p != u'\0') {
    FilterEntry e;
    e.description = p;
    p += e.description.size() + 1;
    e.pattern = p;  // "" when the list ends after the description
    if (*p != u'\0') p += e.pattern.size() + 1;
    entries.push_back(std::move(e));
  }
  return entries;
}

bool matchesFilter(const std::u16string& pattern, const std::u16string& name) {
  if (pattern.empty()) return true;
  const std::string file = utf8(name);
  std::size_t start = 0;
  while (start <= pattern.size()) {
    std::size_t end = pattern.find(u';', start);
    if (end == std::u16string::npos) end = pattern.size();
    const std::string one = utf8(trimSpaces(pattern.substr(start, end - start)));
    if (one == "*.*" || one == "*") return true;
    if (!one.empty() && fnmatch(one.c_str(), file.c_str(), 0) == 0) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace svx
