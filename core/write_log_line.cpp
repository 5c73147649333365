#include "core/write_log_line.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "core/mod_cd_browse_for_folder.h"
#include "core/mod_main.h"
#include "platform/automation/error.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/win32.h"
#include "platform/shell/shell.h"
#include "platform/system/app.h"

namespace svx {

namespace {

constexpr char16_t kLogFileName[] = u"Sorvanelix.txt";
constexpr char kSeparator = '|';

// Right-aligned in `width`: the text behind a run of spaces as long as the
// column, of which only the last `width` characters are kept.
void appendRightAligned(std::string& out, std::string_view text, size_t width) {
  if (text.size() >= width) {
    out.append(text.substr(text.size() - width));
  } else {
    out.append(width - text.size(), ' ');
    out.append(text);
  }
}

std::string rightAligned(std::string_view text, size_t width) {
  std::string out;
  appendRightAligned(out, text, width);
  return out;
}

// Format(Now, "yyyy/mm/dd hh:nn:ss") with the system's date and time separators.
const std::string& formatNow(const LocalDateTime& t) {
  // Records come many to a second: the text of the last second is kept.
  static LocalDateTime last{-1};
  static std::string text;
  LocalDateTime second = t;
  second.millisecond = 0;
  if (second == last) return text;
  if (t.year < 0 || t.year > 9999) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    last = LocalDateTime{-1};
    text = buf;
    return text;
  }
  text = "0000/00/00 00:00:00";
  auto put = [](size_t end, int value, int digits) {
    for (int i = 0; i < digits; ++i, value /= 10) text[end - i] = static_cast<char>('0' + value % 10);
  };
  put(3, t.year, 4);
  put(6, t.month, 2);
  put(9, t.day, 2);
  put(12, t.hour, 2);
  put(15, t.minute, 2);
  put(18, t.second, 2);
  last = second;
  return text;
}

// Decimal text without grouping; whole numbers as such.
template <class T>
std::string_view decimal(T v, std::array<char, 32>& buf) {
  if constexpr (std::is_floating_point_v<T>) {
    if (v >= 0 && v < 1e15 && v == std::floor(v)) return decimal(static_cast<uint64_t>(v), buf);
    const int n = std::snprintf(buf.data(), buf.size(), "%.0f", v);
    return {buf.data(), static_cast<size_t>(std::max(0, n))};
  } else {
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v);
    return {buf.data(), static_cast<size_t>(r.ptr - buf.data())};
  }
}

// The log file's path in the file system's encoding, built again only when
// the Documents folder changes.
const std::string& logPath(bool refresh = false) {
  static std::optional<std::string> folder;
  static std::string path;
  const std::optional<std::string>& now = documentsFolderRef(refresh);
  if (path.empty() || now != folder) {
    path = utf8(LogFilePath());
    folder = now;
  }
  return path;
}

int32_t openErrorNumber(int e) {
  switch (e) {
    case ENOENT:
    case ENOTDIR: return err::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return err::PermissionDenied;
    default: return err::PathFileAccessError;
  }
}

}  // namespace

namespace {

// The descriptor of the log file, closed when the record is done.
class LogFile {
 public:
  explicit LogFile(int fd) : fd_(fd) {}
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;
  ~LogFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  int fd() const { return fd_; }

 private:
  int fd_;
};

// One write for the whole text; a short write (a full disk) is continued,
// an error ends it. Neither is reported.
void writeAll(int fd, const std::string& text) {
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    p += n;
    left -= static_cast<size_t>(n);
  }
}

}  // namespace

std::vector<std::string> logHeaderLines() {
  const std::string titles = std::string(5, ' ') + "Date/Time" + std::string(5, ' ') + ' ' +
                             rightAligned("TickCount", 11) + ' ' + rightAligned("ProcessID", 11) + ' ' +
                             rightAligned("ThreadID", 11) + ' ' + std::string(5, ' ') + "Logged information";
  return {titles, std::string(112, '_'), ""};
}

namespace {

void appendLogRecord(std::string& out, std::string_view dateTime, double tickCount, uint32_t processId,
                     uint32_t threadId, std::string_view text) {
  std::array<char, 32> buf;
  appendRightAligned(out, dateTime, 19);
  out += kSeparator;
  appendRightAligned(out, decimal(tickCount, buf), 11);
  out += kSeparator;
  appendRightAligned(out, decimal(processId, buf), 11);
  out += kSeparator;
  appendRightAligned(out, decimal(threadId, buf), 11);
  out += kSeparator;
  out.append(5, ' ');
  out += text;
}

}  // namespace

std::string logRecord(const std::string& dateTime, double tickCount, uint32_t processId, uint32_t threadId,
                      const std::string& text) {
  std::string out;
  out.reserve(61 + text.size() + 2);
  appendLogRecord(out, dateTime, tickCount, processId, threadId, text);
  return out;
}

BStr LogFilePath() {
  BStr path = MyDocumentsPath();
  if (path.empty() || path.back() != u'/') path += u'/';
  return path + kLogFileName;
}

void WriteLogLine(BStr& strInfo, Variant& ErrNumber, Variant& ErrDescription) {
  const ErrorOut out{ErrNumber, ErrDescription};
  // The moment, process and tick count of the call go into the record
  // whatever happens later.
  const std::string when = formatNow(Clock::now());
  const uint32_t processId = GetCurrentProcessId();
  int32_t ticks = static_cast<int32_t>(GetTickCount());
  const double tickCount = UnsignedLongToDouble(ticks);

  ignoreErrors([] {
    if (!moduleFileSystem()) moduleFileSystem() = std::make_shared<FileSystemObject>();
  });

  // Opened for appending (a missing file is created), so that every record
  // lands whole at the end even with other processes writing to the file.
  int fd = -1;
  int lastErrno = 0;
  for (int attempt = 1; attempt <= kLogOpenAttempts; ++attempt) {
    fd = ::open(logPath(attempt == 2).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd >= 0) break;
    lastErrno = errno;
    Sleep(kLogOpenRetryMs);
  }
  if (fd < 0) {
    const int32_t number = openErrorNumber(lastErrno);
    out.report(number, standardDescription(number));
    return;
  }
  const LogFile file(fd);
  out.clear();

  // Header due for a new or empty file; at the limit the file is emptied
  // and starts again with the header.
  const off_t end = ::lseek(fd, 0, SEEK_END);  // the size: cheaper than a stat
  const int64_t size = end > 0 ? static_cast<int64_t>(end) : 0;
  const bool reset = size >= kLogFileResetSize;
  std::string text;
  text.reserve(61 + strInfo.size() + 2);
  if (reset || size == 0)
    for (const std::string& line : logHeaderLines()) text.append(line).append("\r\n");
  appendLogRecord(text, when, tickCount, processId, app().threadId(), {});
  appendUtf8(text, strInfo);
  text += "\r\n";
  if (reset && ::ftruncate(fd, 0) != 0) return;
  writeAll(fd, text);  // write and close errors are not reported
}

}  // namespace svx
