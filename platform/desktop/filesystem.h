// The least of a file-system object that the system uses: whether a file
// exists and the size of a file.
#pragma once

#include <cstdint>
#include <string>

#include "platform/automation/variant.h"

namespace svx {

class FileSystemFile {
 public:
  explicit FileSystemFile(std::string path) : path_(std::move(path)) {}
  const std::string& path() const { return path_; }
  // The size in bytes; raises error 53 when the file has gone.
  int64_t Size() const;

 private:
  std::string path_;
};

class FileSystemObject {
 public:
  // True for an existing regular file (not a folder).
  bool FileExists(const BStr& path) const;
  // Raises error 53 ("File not found") when there is no such file.
  FileSystemFile GetFile(const BStr& path) const;
};

}  // namespace svx
