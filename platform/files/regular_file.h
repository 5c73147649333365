// Files opened by name, the one way the members that take a file name open
// one: regular files only, never an open that waits, and a name with a NUL
// refused.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/automation/variant.h"

namespace svx {

// A name as the file system takes it (UTF-8). A name holding a NUL would be
// cut short there: error 52 ("Bad file name or number").
std::string fileSystemName(BStrView name);

enum class FileOpen {
  Read,    // an existing file
  Write,   // created, or emptied
  Append,  // created when missing, written at its end
};

// A regular file opened by name, closed with the object.
class RegularFile {
 public:
  RegularFile() = default;
  RegularFile(RegularFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)), size_(other.size_) {}
  RegularFile& operator=(RegularFile&& other) noexcept;
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;
  ~RegularFile();

  explicit operator bool() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  // The size when it was opened.
  int64_t size() const { return size_; }

  // The whole file; beyond `limit` bytes error 7 ("Out of memory"), a read
  // that fails error 75.
  std::vector<uint8_t> readAll(size_t limit) const;
  // Writes every byte; a write that fails (a full disk) or that would pass
  // the process's file size limit raises 75, the latter writing nothing.
  void writeAll(std::span<const uint8_t> bytes) const;

 private:
  friend RegularFile openRegularFile(const std::string&, FileOpen, int32_t&) noexcept;
  friend void writeWholeFile(const std::string&, std::span<const uint8_t>);
  int fd_ = -1;
  int64_t size_ = 0;
};

// Opens `path` as a regular file, never waiting: a FIFO, a device, a socket
// or a folder is refused (75) without a byte read or written. On failure the
// result is closed and `error` holds the runtime's number: 52 for a name
// with a NUL; a missing file or folder 53 (Read), 75 (Write) or 76 (Append);
// for Append a refused permission 70; 75 otherwise.
RegularFile openRegularFile(const std::string& path, FileOpen mode, int32_t& error) noexcept;
// The same, raising the error.
RegularFile openRegularFile(BStrView name, FileOpen mode);

// The process's file size limit in bytes; none when it has no limit. A
// write past it would end the process (SIGXFSZ) where the signal is not
// ignored, so writers refuse such a write first. Read once per process (and
// again in a child made by fork, which may lower its own limit before it
// writes): a limit the process changes later on itself is not seen.
std::optional<uint64_t> fileSizeLimit();

// Makes `bytes` the whole content of the file `path`, or of a new file of
// that name: they are written to a new file beside it, which is renamed
// over the name once every byte is on the disk. A write that fails (a full
// disk, a size above the process's file size limit) raises 75 and leaves
// no new name behind and an old file as it was. A new file gets the mode
// the process's umask gives; a replaced one keeps its mode (and its group
// and owner where the process may set them). A name that is no regular
// file (a FIFO, a device, a socket, a folder) or one the process may not
// write is refused with 75; where the folder takes no new file, an
// existing file is rewritten in place, its room taken first. A name with a
// NUL raises 52.
void writeWholeFile(const std::string& path, std::span<const uint8_t> bytes);
void writeWholeFile(BStrView name, std::span<const uint8_t> bytes);

}  // namespace svx
