#include "core/write_log_line.h"

#include <unistd.h>

#include <array>
#include <charconv>
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
#include "platform/files/regular_file.h"
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
  // The process and thread columns, the separators and the gap: the same
  // from one record to the next, so kept as text.
  static uint32_t keptProcess = 0, keptThread = 0;
  static std::string kept;
  if (kept.empty() || processId != keptProcess || threadId != keptThread) {
    kept.clear();
    kept += kSeparator;
    appendRightAligned(kept, decimal(processId, buf), 11);
    kept += kSeparator;
    appendRightAligned(kept, decimal(threadId, buf), 11);
    kept += kSeparator;
    kept.append(5, ' ');
    keptProcess = processId;
    keptThread = threadId;
  }
  out += kept;
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
  const std::string& when = formatNow(Clock::now());  // kept until the next call
  const uint32_t processId = GetCurrentProcessId();
  int32_t ticks = static_cast<int32_t>(GetTickCount());
  const double tickCount = UnsignedLongToDouble(ticks);

  ignoreErrors([] {
    if (!moduleFileSystem()) moduleFileSystem() = std::make_shared<FileSystemObject>();
  });

  // Opened for appending (a missing file is created), so that every record
  // lands whole at the end even with other processes writing to the file.
  // Anything but a regular file (a FIFO, a device, a folder) fails the open.
  RegularFile file;
  int32_t error = 0;
  for (int attempt = 1; attempt <= kLogOpenAttempts; ++attempt) {
    file = openRegularFile(logPath(attempt == 2), FileOpen::Append, error);
    if (file) break;
    Sleep(kLogOpenRetryMs);
  }
  if (!file) {
    out.report(error, standardDescription(error));
    return;
  }
  out.clear();

  // Header due for a new or empty file; at the limit the file is emptied
  // and starts again with the header.
  const int64_t size = file.size();
  const bool reset = size >= kLogFileResetSize;
  static std::string text;  // the record's bytes; its buffer is reused
  text.clear();
  if (reset || size == 0)
    for (const std::string& line : logHeaderLines()) text.append(line).append("\r\n");
  appendLogRecord(text, when, tickCount, processId, app().threadId(), {});
  appendUtf8(text, strInfo);
  text += "\r\n";
  if (reset && ::ftruncate(file.fd(), 0) != 0) return;
  // Write and close errors (a full disk) are not reported.
  ignoreErrors([&] { file.writeAll({reinterpret_cast<const uint8_t*>(text.data()), text.size()}); });
}

}  // namespace svx
