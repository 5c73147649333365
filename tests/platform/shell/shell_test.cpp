#include "platform/shell/shell.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/desktop/message_loop.h"
#include "platform/desktop/win32.h"
#include "platform/dialogs/folder_dialog.h"
#include "tests/platform/desktop/desktop_fixture.h"

namespace svx::testing {
namespace {

namespace fs = std::filesystem;

// A callback that works as the system's: opens on the start folder and shows
// each new selection as the status text.
std::string g_startFolder;
std::vector<std::string> g_callbackNotes;

int32_t browseCallback(HWND hwnd, UINT msg, LPARAM lParam, LPARAM lpData) {
  EXPECT_EQ(lpData, 77);
  if (msg == BFFM_INITIALIZED) {
    g_callbackNotes.push_back("init owner-enabled=" +
                              std::to_string(IsWindowEnabled(GetParent(hwnd))) +
                              " visible=" + std::to_string(IsWindowVisible(hwnd)));
    SendMessageA(hwnd, BFFM_SETSELECTIONA, 1, reinterpret_cast<LPARAM>(g_startFolder.c_str()));
  } else if (msg == BFFM_SELCHANGED) {
    char buffer[MAX_PATH + 1];
    std::memset(buffer, ' ', MAX_PATH);
    buffer[MAX_PATH] = '\0';
    if (SHGetPathFromIDListA(static_cast<LPITEMIDLIST>(lParam), buffer) == 1) {
      SendMessageA(hwnd, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(buffer));
    }
  }
  return 0;
}

class ScratchDir {
 public:
  ScratchDir() {
    path_ = fs::temp_directory_path() /
            ("svx-desktop-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    fs::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string make(const std::string& relative) const {
    fs::create_directories(path_ / relative);
    return (path_ / relative).string();
  }
  std::string str() const { return path_.string(); }

 private:
  static inline int counter_ = 0;
  fs::path path_;
};

class FolderDialogTest : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    attachFolderDialogWindow();
    g_callbackNotes.clear();
    g_startFolder = scratch.make("start");
    answer = scratch.make("answer");
    owner = makeWindow("Owner");
  }
  LPITEMIDLIST browse() {
    BROWSEINFOA info;
    info.hwndOwner = owner;
    info.lpszTitle = "Pick a folder";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_NEWDIALOGSTYLE;
    info.lpfn = browseCallback;
    info.lParam = 77;
    return SHBrowseForFolderA(&info);
  }
  static std::string pathOf(LPITEMIDLIST pidl) {
    char buffer[MAX_PATH];
    return SHGetPathFromIDListA(pidl, buffer) == 1 ? buffer : "<none>";
  }
  ScratchDir scratch;
  std::string answer;
  HWND owner = 0;
};

TEST_F(FolderDialogTest, AnswerSelectsTheFolderAndTheCallbackDrivesTheDialog) {
  folderDialogs().queueAnswer(answer);
  const LPITEMIDLIST pidl = browse();
  ASSERT_NE(pidl, 0);
  EXPECT_EQ(pathOf(pidl), answer);

  ASSERT_EQ(folderDialogs().sessions().size(), 1u);
  const FolderDialogSession& s = folderDialogs().sessions().front();
  EXPECT_EQ(s.owner, owner);
  EXPECT_EQ(s.title, "Pick a folder");
  EXPECT_EQ(s.flags, 0x43u);
  EXPECT_EQ(s.callbacks, (std::vector<UINT>{BFFM_INITIALIZED, BFFM_SELCHANGED, BFFM_SELCHANGED}));
  EXPECT_EQ(s.selectionsReported, (std::vector<std::string>{g_startFolder, answer}));
  ASSERT_EQ(s.messages.size(), 3u);
  EXPECT_EQ(s.messages[0].message, BFFM_SETSELECTIONA);
  EXPECT_EQ(s.messages[0].wParam, 1u);
  EXPECT_EQ(s.messages[0].text, g_startFolder);
  EXPECT_EQ(s.messages[1].message, BFFM_SETSTATUSTEXTA);
  EXPECT_EQ(s.messages[1].text, g_startFolder);
  EXPECT_EQ(s.messages[2].text, answer);
  EXPECT_EQ(s.statusText, answer);
  EXPECT_FALSE(s.open);

  // Modal: the owner was disabled while open; the dialog is gone afterwards.
  EXPECT_EQ(g_callbackNotes, std::vector<std::string>{"init owner-enabled=0 visible=1"});
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_FALSE(IsWindow(s.dialog));
}

TEST_F(FolderDialogTest, CancelAndNoResponseBothGiveZero) {
  folderDialogs().queueCancel();
  EXPECT_EQ(browse(), 0);
  EXPECT_EQ(folderDialogs().sessions().back().callbacks,
            (std::vector<UINT>{BFFM_INITIALIZED, BFFM_SELCHANGED}));
  // Nobody answers: the dialog is cancelled instead of waiting for ever.
  EXPECT_EQ(browse(), 0);
  EXPECT_EQ(folderDialogs().sessions().size(), 2u);
  EXPECT_FALSE(folderDialogs().sessions().back().result);
}

TEST_F(FolderDialogTest, TimersKeepRunningWhileTheDialogWaitsForItsAnswer) {
  static int ticks = 0;
  ticks = 0;
  SetTimer(0, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) { ++ticks; });
  folderDialogs().queue(FolderDialogAnswer{answer, {g_startFolder + "/..", answer}, 100});
  const LPITEMIDLIST pidl = browse();
  EXPECT_EQ(pathOf(pidl), answer);
  EXPECT_EQ(Clock::nowMs(), 100);
  EXPECT_GE(ticks, 4);
  // Browsing on the way reports each new selection once.
  EXPECT_EQ(folderDialogs().sessions().back().selectionsReported,
            (std::vector<std::string>{g_startFolder, g_startFolder + "/..", answer}));
}

TEST_F(FolderDialogTest, AnIdleHookCanAnswerAndAMissingStartFolderIsIgnored) {
  g_startFolder = scratch.str() + "/missing";
  messageLoop().setIdleHook([&] {
    FolderDialogSession* s = folderDialogs().openSession();
    return s && folderDialogs().respond(FolderDialogAnswer{answer, {}, 0});
  });
  EXPECT_EQ(pathOf(browse()), answer);
  const FolderDialogSession& s = folderDialogs().sessions().back();
  EXPECT_EQ(s.selectionsReported, (std::vector<std::string>{"/", answer}));
  EXPECT_EQ(folderDialogs().openSession(), nullptr);
}

TEST_F(FolderDialogTest, PathOfIdListFailsForUnknownListsAndOverlongPaths) {
  char buffer[MAX_PATH];
  std::memset(buffer, ' ', sizeof buffer);
  EXPECT_EQ(SHGetPathFromIDListA(12345, buffer), 0);
  EXPECT_EQ(buffer[0], '\0');
  const LPITEMIDLIST longPath = allocateIdList("/" + std::string(MAX_PATH - 1, 'x'));
  EXPECT_EQ(SHGetPathFromIDListA(longPath, buffer), 0);
  const LPITEMIDLIST fits = allocateIdList("/" + std::string(MAX_PATH - 2, 'x'));
  EXPECT_EQ(SHGetPathFromIDListA(fits, buffer), 1);
  CoTaskMemFree(fits);
  EXPECT_EQ(SHGetPathFromIDListA(fits, buffer), 0);
  EXPECT_EQ(SHBrowseForFolderA(nullptr), 0);
}

// Sets environment variables for one test and restores them afterwards.
class EnvGuard {
 public:
  void set(const char* name, const std::optional<std::string>& value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~EnvGuard() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

class DocumentsTest : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    env.set("HOME", scratch.str());
    env.set("XDG_DOCUMENTS_DIR", std::nullopt);
    env.set("XDG_CONFIG_HOME", std::nullopt);
  }
  static std::optional<std::string> lookup() {
    LPITEMIDLIST pidl = -1;
    const HRESULT hr = SHGetSpecialFolderLocation(0, CSIDL_PERSONAL, &pidl);
    if (hr != S_OK) {
      EXPECT_EQ(hr, E_FAIL);
      EXPECT_EQ(pidl, 0);
      return std::nullopt;
    }
    char buffer[512] = {};
    EXPECT_EQ(SHGetPathFromIDListA(pidl, buffer), 1);
    return std::string(buffer);
  }
  void writeUserDirs(const std::string& line) {
    scratch.make(".config");
    std::ofstream(scratch.str() + "/.config/user-dirs.dirs")
        << "# written by a test\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
        << line << "\n";
  }
  ScratchDir scratch;
  EnvGuard env;
};

TEST_F(DocumentsTest, LookupOrder) {
  EXPECT_EQ(lookup(), std::nullopt);  // nothing exists yet

  const std::string fallback = scratch.make("Documents");
  EXPECT_EQ(lookup(), fallback);

  const std::string configured = scratch.make("Papers");
  writeUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/Papers/\"");
  EXPECT_EQ(lookup(), configured);

  // A configured folder that does not exist, or the home folder itself, is
  // passed over.
  writeUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/Gone\"");
  EXPECT_EQ(lookup(), fallback);
  writeUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/\"");
  EXPECT_EQ(lookup(), fallback);
  writeUserDirs("XDG_DOCUMENTS_DIR=\"" + configured + "\"");
  EXPECT_EQ(lookup(), configured);

  const std::string fromEnv = scratch.make("env-docs");
  env.set("XDG_DOCUMENTS_DIR", fromEnv);
  EXPECT_EQ(lookup(), fromEnv);

  setDocumentsFolderOverride("/override/folder/");
  EXPECT_EQ(lookup(), "/override/folder");
  setDocumentsFolderOverride("");
  EXPECT_EQ(lookup(), std::nullopt);
  setDocumentsFolderOverride(std::nullopt);
  EXPECT_EQ(lookup(), fromEnv);
}

// The kept folder of frequent callers follows the variables and the override,
// and a refresh finds a folder made since.
TEST_F(DocumentsTest, TheKeptFolderFollowsItsVariables) {
  const std::string first = scratch.make("first"), second = scratch.make("second");
  env.set("XDG_DOCUMENTS_DIR", first);
  EXPECT_EQ(documentsFolderRef(), first);
  env.set("XDG_DOCUMENTS_DIR", second);
  EXPECT_EQ(documentsFolderRef(), second);
  setDocumentsFolderOverride("/override/");
  EXPECT_EQ(documentsFolderRef(), "/override");
  setDocumentsFolderOverride(std::nullopt);
  EXPECT_EQ(documentsFolderRef(), second);
  env.set("XDG_DOCUMENTS_DIR", std::nullopt);
  EXPECT_EQ(documentsFolderRef(), std::nullopt);
  const std::string fallback = scratch.make("Documents");
  EXPECT_EQ(documentsFolderRef(), fallback);  // none found is looked up anew
  const std::string papers = scratch.make("Papers");
  writeUserDirs("XDG_DOCUMENTS_DIR=\"" + papers + "\"");
  EXPECT_EQ(documentsFolderRef(), fallback);
  EXPECT_EQ(documentsFolderRef(true), papers);
}

TEST_F(DocumentsTest, ConfigHomeIsHonouredAndOtherFoldersAreNotKnown) {
  const std::string config = scratch.make("cfg");
  const std::string docs = scratch.make("MyDocs");
  std::ofstream(config + "/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"" << docs << "\"\n";
  env.set("XDG_CONFIG_HOME", config);
  EXPECT_EQ(lookup(), docs);
  LPITEMIDLIST pidl = -1;
  EXPECT_EQ(SHGetSpecialFolderLocation(0, 0x27, &pidl), E_INVALIDARG);
  EXPECT_EQ(SHGetSpecialFolderLocation(0, CSIDL_PERSONAL, nullptr), E_INVALIDARG);
}

}  // namespace
}  // namespace svx::testing
