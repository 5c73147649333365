// Temporary folders of the tests' own, under the system's temporary folder.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

namespace svx::testing {

// A new folder, removed with all it holds when the object goes, unless
// SVX_KEEP_TEST_OUTPUT is set: then it stays and its path is printed. Empty
// when no folder could be made.
class TestFolder {
 public:
  explicit TestFolder(std::string_view prefix = "svx-test") {
    std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TestFolder() {
    if (path_.empty()) return;
    if (std::getenv("SVX_KEEP_TEST_OUTPUT")) {
      std::cout << "test output kept in " << path_.string() << "\n";
      return;
    }
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The folder where a test program leaves the pictures a person may look
// at: one for the program's run, kept only with SVX_KEEP_TEST_OUTPUT.
inline const std::filesystem::path& pictureFolder() {
  static const TestFolder folder("svx-pictures");
  return folder.path();
}

}  // namespace svx::testing
