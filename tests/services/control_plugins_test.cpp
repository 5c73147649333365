// Control plug-ins: the ProgressBar plug-in as the system builds it, and
// libraries that fail to load or to register, which are skipped.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/automation/class_registry.h"
#include "platform/forms/control_extender.h"
#include "platform/forms/control_plugins.h"
#include "platform/graphics/form_render.h"
#include "tests/support/form_fixture.h"

namespace svx {
namespace {

namespace fs = std::filesystem;

class ControlPlugins : public testing::DialogFormTest {
 protected:
  void SetUp() override {
    DialogFormTest::SetUp();
    dir_ = fs::temp_directory_path() / ("svx-plugins-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override {
    DialogFormTest::TearDown();
    fs::remove_all(dir_);
  }
  fs::path dir_;
};

TEST_F(ControlPlugins, BrokenLibrariesAreSkippedWithAMessage) {
  for (int kind = 1; kind <= 4; ++kind) {
    const std::string name = "svx_broken_plugin_" + std::to_string(kind) + ".so";
    fs::copy_file(fs::path(SVX_TEST_BROKEN_PLUGIN_DIR) / name, dir_ / name);
  }
  std::ofstream(dir_ / "garbage.so") << "not a library";
  fs::create_directories(dir_ / "folder.so");
  std::ostringstream errors;
  const PluginLoadReport r = loadControlPlugins({dir_ / "missing", dir_, SVX_TEST_PLUGIN_DIR}, errors);
  ASSERT_EQ(r.loaded.size(), 1u);
  EXPECT_EQ(r.loaded[0].filename(), "svx_progress_bar.so");
  ASSERT_EQ(r.messages.size(), 5u);
  const std::string text = errors.str();
  for (const char* expected :
       {"garbage.so skipped: ", "svx_broken_plugin_1.so skipped: its registration returned 7",
        "svx_broken_plugin_2.so skipped: its registration failed: registration exploded",
        "svx_broken_plugin_3.so skipped: exports no function SvxRegisterControls",
        "svx_broken_plugin_4.so skipped: ", "svx_test_no_such_function"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  EXPECT_EQ(text.rfind("sorvanelix: control plug-in ", 0), 0u);
  // The loader's messages name the file, not the descriptor it was loaded by.
  EXPECT_EQ(text.find("/proc/self/fd"), std::string::npos) << text;
  EXPECT_NE(text.find((dir_ / "svx_broken_plugin_4.so: ").string() + "undefined symbol"), std::string::npos) << text;
  EXPECT_FALSE(findControlClass(u"Test.HalfRegistered"));
  EXPECT_TRUE(findControlClass(u"Sorvanelix.ProgressBar"));
  // A library of the same name is not loaded twice.
  std::ostringstream again;
  EXPECT_TRUE(loadControlPlugins({SVX_TEST_PLUGIN_DIR}, again).loaded.empty());
  EXPECT_EQ(again.str(), "");
}

// Only regular files are loaded: dlopen of a FIFO would wait for its writer.
TEST_F(ControlPlugins, APipeNamedLikeALibraryIsSkipped) {
  const fs::path fifo = dir_ / "pipe.so";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Held open with more bytes in it than an ELF header, so that a loader
  // that reads it ends.
  const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  const std::string garbage(4096, 'x');
  ASSERT_EQ(::write(fd, garbage.data(), garbage.size()), static_cast<ssize_t>(garbage.size()));
  std::ostringstream errors;
  const PluginLoadReport r = loadControlPlugins({dir_}, errors);
  ::close(fd);
  EXPECT_TRUE(r.loaded.empty());
  EXPECT_NE(errors.str().find("pipe.so skipped: it is not a regular file"), std::string::npos) << errors.str();
}

// A library that stays loaded after a failed registration keeps the name
// it was loaded by: the next library is not taken for it.
TEST_F(ControlPlugins, ALibraryThatStaysLoadedIsNotTakenForTheNext) {
  fs::copy_file(fs::path(SVX_TEST_BROKEN_PLUGIN_DIR) / "svx_broken_plugin_5.so", dir_ / "a_stays.so");
  fs::copy_file(fs::path(SVX_TEST_BROKEN_PLUGIN_DIR) / "svx_broken_plugin_3.so", dir_ / "b_next.so");
  std::ostringstream errors;
  const PluginLoadReport r = loadControlPlugins({dir_}, errors);
  EXPECT_TRUE(r.loaded.empty());
  const std::string text = errors.str();
  EXPECT_NE(text.find("a_stays.so skipped: its registration returned 7"), std::string::npos) << text;
  EXPECT_NE(text.find("b_next.so skipped: exports no function SvxRegisterControls"), std::string::npos) << text;
}

// A name checked as a regular file and then loaded by name could be a FIFO
// by the time of the load, which would wait for a writer for ever. A child
// process loads a folder again and again while a thread swaps a FIFO and a
// library under one name; it must end in time (and is ended otherwise).
TEST_F(ControlPlugins, ANameSwappedForAPipeDuringTheLoadNeverBlocks) {
  // A library whose registration fails: it is never remembered as loaded,
  // so every pass loads it again.
  const fs::path library = dir_ / "library";
  fs::copy_file(fs::path(SVX_TEST_BROKEN_PLUGIN_DIR) / "svx_broken_plugin_1.so", library);
  const fs::path name = dir_ / "swapped.so";
  ASSERT_EQ(::link(library.c_str(), name.c_str()), 0);

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::atomic<bool> stop{false};
    std::thread swapper([&] {
      for (unsigned n = 0; !stop; ++n) {
        const fs::path spare = dir_ / ("spare" + std::to_string(n));
        if ((n % 2 ? ::mkfifo(spare.c_str(), 0600) : ::link(library.c_str(), spare.c_str())) != 0 ||
            ::rename(spare.c_str(), name.c_str()) != 0)
          ::_exit(3);
      }
    });
    const auto descriptors = [] {
      return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
    };
    const auto before = descriptors();
    int loads = 0;
    for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
         std::chrono::steady_clock::now() < end; ++loads) {
      std::ostringstream errors;
      if (!loadControlPlugins({dir_}, errors).loaded.empty()) ::_exit(4);
    }
    stop = true;
    swapper.join();
    // A descriptor stays open only with a library loaded by its name.
    if (descriptors() > before + 1) ::_exit(6);
    ::_exit(loads > 0 ? 0 : 5);
  }
  int status = 0;
  pid_t done = 0;
  for (int waited = 0; waited < 300 && (done = ::waitpid(child, &status, WNOHANG)) == 0; ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  if (done == 0) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    FAIL() << "a load waited for a FIFO";
  }
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(ControlPlugins, FoldersComeFromTheEnvironmentThenBesideTheProgramThenTheInstallation) {
  // A relative entry is taken from the working folder; a folder named twice
  // is searched once.
  ::setenv("SVX_CONTROL_PATH", "/a::/b/c:rel/dir:/a/", 1);
  const auto folders = controlPluginFolders();
  ::unsetenv("SVX_CONTROL_PATH");
  ASSERT_EQ(folders.size(), 5u);
  EXPECT_EQ(folders[0], "/a");
  EXPECT_EQ(folders[1], "/b/c");
  EXPECT_EQ(folders[2], fs::current_path() / "rel/dir");
  // This test program lives in the build's bin folder, beside which the
  // build keeps its plug-ins.
  EXPECT_EQ(folders[3], fs::path(SVX_TEST_PLUGIN_DIR).lexically_normal());
  EXPECT_NE(folders[4].string().find("lib/sorvanelix/controls"), std::string::npos);
}

TEST_F(ControlPlugins, AnUnknownProgIdNamesTheNearestOneAndTheFoldersSearched) {
  ensureControlPluginsLoaded();
  for (const char16_t* progId : {u"Sorvanelix.ProgresBar", u"No.Such.Control"}) {
    Variant id(progId);
    const Variant index = call(u"AddActiveXControlWithoutEvents",
                               {&id, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                &errNumber, &errDescription});
    EXPECT_TRUE(index.isEmpty());
    EXPECT_EQ(errNumber, Variant(err::CannotCreateObject));
    const std::string text = utf8(toBStr(errDescription));
    EXPECT_EQ(text.rfind("ActiveX component can't create object: no control is registered as '" + utf8(progId) + "'", 0),
              0u)
        << text;
    const bool misspelt = progId == std::u16string_view(u"Sorvanelix.ProgresBar");
    EXPECT_EQ(text.find(" (did you mean 'Sorvanelix.ProgressBar'?)") != std::string::npos, misspelt) << text;
    EXPECT_EQ(text.find("did you mean") != std::string::npos, misspelt) << text;
    const std::string searched = "; folders searched for control plug-ins: ";
    ASSERT_NE(text.find(searched), std::string::npos) << text;
    for (const fs::path& folder : searchedControlPluginFolders())
      EXPECT_NE(text.find(folder.string(), text.find(searched)), std::string::npos) << folder;
  }
  EXPECT_FALSE(searchedControlPluginFolders().empty());
}

TEST_F(ControlPlugins, ProgressBarIsHostedAndDrawnAsABar) {
  ::setenv("SVX_CONTROL_PATH", SVX_TEST_PLUGIN_DIR, 1);
  Variant progId(u"Sorvanelix.ProgressBar"), visible(true), width(3000), height(300);
  const Variant index = call(u"AddActiveXControlWithoutEvents",
                             {&progId, nullptr, nullptr, nullptr, &visible, nullptr, nullptr, &width, &height,
                              nullptr, &errNumber, &errDescription});
  ::unsetenv("SVX_CONTROL_PATH");
  ASSERT_EQ(index, Variant(1)) << utf8(toBStr(errDescription));
  Variant i(1);
  const Variant bar = call(u"GetActiveXControlWithoutEvents", {&i, &errNumber, &errDescription});
  auto& ext = dynamic_cast<ControlExtender&>(*bar.asObject());
  auto set = [&](BStrView member, Variant v) {
    std::vector<Variant> args{v};
    ext.invoke(member, InvokeKind::PropertyPut, args);
  };
  set(u"Max", Variant(200));
  set(u"Value", Variant(50));
  EXPECT_EQ(ext.invoke(u"Value", InvokeKind::PropertyGet, {}), Variant(50.0f));
  EXPECT_THROW(set(u"Value", Variant(201)), RuntimeError);
  EXPECT_THROW(set(u"Min", Variant(300)), RuntimeError);
  EXPECT_FALSE(ext.canHaveFocus());
  RenderItem item;
  ext.render(item);
  const RasterImage& img = item.surface->image();
  // A quarter is filled: blue near the left, the window colour beyond.
  const uint32_t left = img.at(img.width / 10, img.height / 2) & 0xFFFFFF;
  const uint32_t right = img.at(img.width * 9 / 10, img.height / 2) & 0xFFFFFF;
  EXPECT_EQ(left, 0x0078D7u);
  EXPECT_NE(right, left);
}

}  // namespace
}  // namespace svx
