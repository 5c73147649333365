// The folder where the window tests leave their pictures (kept with
// SVX_KEEP_TEST_OUTPUT set).
#pragma once

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "tests/support/test_folder.h"

namespace svx::testing {

inline std::filesystem::path snapshotDir() { return pictureFolder(); }

// True for a PNG file (its signature).
inline bool isPng(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  char sig[8] = {};
  in.read(sig, 8);
  return in && std::string(sig, 8) == "\x89PNG\r\n\x1a\n";
}

}  // namespace svx::testing
