#include "platform/files/regular_file.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/automation/error.h"

namespace svx {

std::string fileSystemName(BStrView name) {
  if (name.find(u'\0') != BStrView::npos) raise(err::BadFileNameOrNumber);
  return utf8(name);
}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    size_ = other.size_;
  }
  return *this;
}

RegularFile::~RegularFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::vector<uint8_t> RegularFile::readAll(size_t limit) const {
  // The size at the open is a hint only: files of /proc say 0 and have more.
  std::vector<uint8_t> bytes(static_cast<size_t>(std::min<int64_t>(size_, static_cast<int64_t>(limit))) + 1);
  size_t used = 0;
  for (;;) {
    if (used == bytes.size()) {
      if (used > limit) raise(err::OutOfMemory);
      bytes.resize(std::min(bytes.size() * 2, limit + 1));
    }
    const ssize_t n = ::read(fd_, bytes.data() + used, bytes.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) raise(err::PathFileAccessError);
    if (n == 0) break;
    used += static_cast<size_t>(n);
  }
  if (used > limit) raise(err::OutOfMemory);
  bytes.resize(used);
  return bytes;
}

void RegularFile::writeAll(std::span<const uint8_t> bytes) const {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) raise(err::PathFileAccessError);
    bytes = bytes.subspan(static_cast<size_t>(n));
  }
}

void RegularFile::replaceAll(std::span<const uint8_t> bytes) const {
  const auto length = static_cast<int64_t>(bytes.size());
  if (length > size_) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        static_cast<uint64_t>(length) > limit.rlim_cur)
      raise(err::PathFileAccessError);
    // Blocks taken without changing the size; a file system that cannot
    // take them ahead is written as it comes.
    int r;
    do r = ::fallocate(fd_, FALLOC_FL_KEEP_SIZE, 0, length);
    while (r != 0 && errno == EINTR);
    if (r != 0 && errno != EOPNOTSUPP && errno != ENOSYS) raise(err::PathFileAccessError);
  }
  int64_t at = 0;
  while (at < length) {
    const ssize_t n = ::pwrite(fd_, bytes.data() + at, static_cast<size_t>(length - at), at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) raise(err::PathFileAccessError);
    at += n;
  }
  if (length < size_ && ::ftruncate(fd_, length) != 0) raise(err::PathFileAccessError);
}

namespace {

int32_t openError(int e, FileOpen mode) {
  switch (e) {
    case ENOENT:
    case ENOTDIR:
      return mode == FileOpen::Read ? err::FileNotFound
             : mode == FileOpen::Append ? err::PathNotFound
                                        : err::PathFileAccessError;
    case EACCES:
    case EPERM:
    case EROFS: return mode == FileOpen::Append ? err::PermissionDenied : err::PathFileAccessError;
    default: return err::PathFileAccessError;
  }
}

}  // namespace

RegularFile openRegularFile(const std::string& path, FileOpen mode, int32_t& error) noexcept {
  RegularFile file;
  error = 0;
  if (path.find('\0') != std::string::npos) {
    error = err::BadFileNameOrNumber;
    return file;
  }
  // O_NONBLOCK: the open of a FIFO or a device returns at once (to be
  // refused below); for a regular file it changes nothing.
  int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  switch (mode) {
    case FileOpen::Read: flags |= O_RDONLY; break;
    case FileOpen::Write: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    case FileOpen::Append: flags |= O_WRONLY | O_CREAT | O_APPEND; break;
    case FileOpen::Replace: flags |= O_WRONLY | O_CREAT; break;
  }
  do file.fd_ = ::open(path.c_str(), flags, 0666);
  while (file.fd_ < 0 && errno == EINTR);
  if (file.fd_ < 0) {
    error = openError(errno, mode);
    return file;
  }
  // The type and the size, and nothing else: a full fstat costs the log
  // record twice as much.
  struct statx st {};
  if (::statx(file.fd_, "", AT_EMPTY_PATH, STATX_TYPE | STATX_SIZE, &st) != 0) {
    struct stat full {};
    if (::fstat(file.fd_, &full) != 0) {
      error = err::PathFileAccessError;
      return RegularFile();
    }
    st.stx_mode = static_cast<uint16_t>(full.st_mode);
    st.stx_size = static_cast<uint64_t>(full.st_size);
  }
  if (!S_ISREG(st.stx_mode)) {
    error = err::PathFileAccessError;
    return RegularFile();
  }
  file.size_ = static_cast<int64_t>(st.stx_size);
  return file;
}

RegularFile openRegularFile(BStrView name, FileOpen mode) {
  int32_t error = 0;
  RegularFile file = openRegularFile(fileSystemName(name), mode, error);
  if (error) raise(error);
  return file;
}

}  // namespace svx
