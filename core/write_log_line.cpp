#include "core/write_log_line.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <sys/stat.h>

#include "core/mod_cd_browse_for_folder.h"
#include "core/mod_main.h"
#include "platform/automation/error.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/win32.h"
#include "platform/services/app.h"

namespace svx {

namespace {

constexpr char16_t kLogFileName[] = u"Sorvanelix.txt";
constexpr char kSeparator = '|';

// Right-aligned in `width`: the text behind a run of spaces as long as the
// column, of which only the last `width` characters are kept.
std::string rightAligned(const std::string& text, size_t width) {
  const std::string padded = std::string(width, ' ') + text;
  return padded.substr(padded.size() - width);
}


// Format(Now, "yyyy/mm/dd hh:nn:ss") with the system's date and time separators.
std::string formatNow(const LocalDateTime& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return buf;
}

std::string decimal(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.0f", v);
  return buf;
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

int64_t fileLen(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) raise(err::FileNotFound);
  return static_cast<int64_t>(st.st_size);
}

}  // namespace

std::vector<std::string> logHeaderLines() {
  const std::string titles = std::string(5, ' ') + "Date/Time" + std::string(5, ' ') + ' ' +
                             rightAligned("TickCount", 11) + ' ' + rightAligned("ProcessID", 11) + ' ' +
                             rightAligned("ThreadID", 11) + ' ' + std::string(5, ' ') + "Logged information";
  return {titles, std::string(112, '_'), ""};
}

std::string logRecord(const std::string& dateTime, double tickCount, uint32_t processId, uint32_t threadId,
                      const std::string& text) {
  return rightAligned(dateTime, 19) + kSeparator + rightAligned(decimal(tickCount), 11) + kSeparator +
         rightAligned(std::to_string(processId), 11) + kSeparator + rightAligned(std::to_string(threadId), 11) +
         kSeparator + std::string(5, ' ') + text;
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
  const BStr path = LogFilePath();
  const std::string path8 = utf8(path);

  // Header due for a new or empty file; reset (and header) at the limit.
  bool header = false;
  bool reset = false;
  if (const auto& fso = moduleFileSystem()) {
    ignoreErrors([&] {
      if (!fso->FileExists(path)) {
        header = true;
        return;
      }
      const int64_t size = fso->GetFile(path).Size();
      if (size >= kLogFileResetSize) reset = header = true;
      else if (size == 0) header = true;
    });
  } else {
    int64_t size = 0;
    ignoreErrors([&] { size = fileLen(path8); });
    if (size >= kLogFileResetSize) reset = header = true;
    else if (size == 0) header = true;
  }

  std::FILE* file = nullptr;
  int lastErrno = 0;
  for (int attempt = 1; attempt <= kLogOpenAttempts; ++attempt) {
    file = std::fopen(path8.c_str(), reset ? "wb" : "ab");
    if (file) break;
    lastErrno = errno;
    Sleep(kLogOpenRetryMs);
  }
  if (!file) {
    const int32_t number = openErrorNumber(lastErrno);
    out.report(number, standardDescription(number));
    return;
  }
  out.clear();

  auto writeLine = [file](const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), file);
    std::fwrite("\r\n", 1, 2, file);
  };
  if (header)
    for (const std::string& line : logHeaderLines()) writeLine(line);
  writeLine(logRecord(when, tickCount, processId, app().threadId(), utf8(strInfo)));
  std::fclose(file);  // write and close errors are not reported
}

}  // namespace svx
