// The folder where the window tests leave their pictures: one per test run,
// under the system's temporary folder.
#pragma once

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "platform/desktop/win32.h"

namespace svx::testing {

inline std::filesystem::path snapshotDir() {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() / ("svx-windows-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(d);
    std::cout << "window pictures in " << d.string() << "\n";
    return d;
  }();
  return dir;
}

// True for a PNG file (its signature).
inline bool isPng(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  char sig[8] = {};
  in.read(sig, 8);
  return in && std::string(sig, 8) == "\x89PNG\r\n\x1a\n";
}

}  // namespace svx::testing
