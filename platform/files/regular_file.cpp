#include "platform/files/regular_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <random>

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
  // A write past the file size limit is refused before a byte is written.
  if (const auto limit = fileSizeLimit()) {
    struct stat st {};
    const int flags = ::fcntl(fd_, F_GETFL);
    const off_t at = flags >= 0 && (flags & O_APPEND) ? (::fstat(fd_, &st) == 0 ? st.st_size : -1)
                                                      : ::lseek(fd_, 0, SEEK_CUR);
    if (at < 0 || static_cast<uint64_t>(at) + bytes.size() > *limit) raise(err::PathFileAccessError);
  }
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) raise(err::PathFileAccessError);
    bytes = bytes.subspan(static_cast<size_t>(n));
  }
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

namespace {

// Writes every byte from the file's start; false (errno set) when a write fails.
bool writeFromStart(int fd, std::span<const uint8_t> bytes) {
  size_t at = 0;
  while (at < bytes.size()) {
    const ssize_t n = ::pwrite(fd, bytes.data() + at, bytes.size() - at, static_cast<off_t>(at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    at += static_cast<size_t>(n);
  }
  return true;
}

bool aboveFileSizeLimit(size_t length) {
  const auto limit = fileSizeLimit();
  return limit && length > *limit;
}

// Rewrites an open file in place. Its room is taken first, so that a full
// disk fails while the old content is still whole.
void rewriteInPlace(int fd, int64_t oldSize, std::span<const uint8_t> bytes) {
  const auto length = static_cast<int64_t>(bytes.size());
  if (length > oldSize) {
    // Blocks taken without changing the size; a file system that cannot
    // take them ahead is written as it comes.
    int r;
    do r = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, length);
    while (r != 0 && errno == EINTR);
    if (r != 0 && errno != EOPNOTSUPP && errno != ENOSYS) raise(err::PathFileAccessError);
  }
  if (!writeFromStart(fd, bytes)) raise(err::PathFileAccessError);
  if (length < oldSize && ::ftruncate(fd, length) != 0) raise(err::PathFileAccessError);
}

// Creates a file of a new name in the folder of `target` (its name, a dot
// before it and random letters after it), with the mode an ordinary new
// file gets. Returns its descriptor and sets `name`, or -1 with errno set.
int createBeside(const std::string& target, std::string& name) {
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string base = target.substr(folder.size(), 96);  // room left below NAME_MAX
  static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937_64 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix(8, 'x');
    for (char& c : suffix) c = letters[random() % (sizeof letters - 1)];
    name = folder + "." + base + "." + suffix + ".tmp";
    int fd;
    do fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

namespace {
// The limit as last read; a child made by fork reads it again.
constexpr uint64_t kLimitUnknown = UINT64_MAX;
constexpr uint64_t kNoLimit = UINT64_MAX - 1;
std::atomic<uint64_t> knownLimit{kLimitUnknown};
}  // namespace

std::optional<uint64_t> fileSizeLimit() {
  static const bool forgottenInChildren = [] {
    ::pthread_atfork(nullptr, nullptr, [] { knownLimit.store(kLimitUnknown, std::memory_order_relaxed); });
    return true;
  }();
  (void)forgottenInChildren;
  uint64_t known = knownLimit.load(std::memory_order_relaxed);
  if (known == kLimitUnknown) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= kNoLimit)
      known = kNoLimit;
    else
      known = static_cast<uint64_t>(limit.rlim_cur);
    knownLimit.store(known, std::memory_order_relaxed);
  }
  if (known == kNoLimit) return std::nullopt;
  return known;
}

void writeWholeFile(const std::string& path, std::span<const uint8_t> bytes) {
  if (path.find('\0') != std::string::npos) raise(err::BadFileNameOrNumber);
  if (path.empty() || aboveFileSizeLimit(bytes.size())) raise(err::PathFileAccessError);

  // The file there now: opened for writing (never waiting), to find a name
  // that is no regular file, or one the process may not write.
  RegularFile old;
  do old.fd_ = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  while (old.fd_ < 0 && errno == EINTR);
  if (!old && errno != ENOENT) raise(err::PathFileAccessError);
  struct stat st {};
  if (old && (::fstat(old.fd_, &st) != 0 || !S_ISREG(st.st_mode))) raise(err::PathFileAccessError);
  old.size_ = st.st_size;

  // A link is followed: the file it names is replaced, the link stays.
  std::string target = path;
  struct stat link {};
  if (old && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    if (!real) raise(err::PathFileAccessError);
    target = real.get();
  }

  std::string tempName;
  RegularFile temp;
  temp.fd_ = createBeside(target, tempName);
  if (!temp) {
    if (old && (errno == EACCES || errno == EPERM)) return rewriteInPlace(old.fd_, old.size_, bytes);
    raise(err::PathFileAccessError);
  }
  if (old) {
    // The owner first (a change of owner clears the set-id bits of the
    // mode); where the process may not give the file away, the group alone.
    [[maybe_unused]] const bool owned = ::fchown(temp.fd_, st.st_uid, st.st_gid) == 0 ||
                                        ::fchown(temp.fd_, static_cast<uid_t>(-1), st.st_gid) == 0;
    [[maybe_unused]] const bool moded = ::fchmod(temp.fd_, st.st_mode & 07777) == 0;
  }
  bool written = writeFromStart(temp.fd_, bytes) && ::fsync(temp.fd_) == 0;
  written = ::close(std::exchange(temp.fd_, -1)) == 0 && written;
  if (!written || ::rename(tempName.c_str(), target.c_str()) != 0) {
    ::unlink(tempName.c_str());
    raise(err::PathFileAccessError);
  }
}

void writeWholeFile(BStrView name, std::span<const uint8_t> bytes) { writeWholeFile(fileSystemName(name), bytes); }

}  // namespace svx
