#include "platform/system/app.h"

#include <filesystem>
#include <system_error>

#include "platform/automation/coerce.h"
#include "platform/automation/error.h"
#include "platform/files/regular_file.h"

namespace svx {

namespace {

constexpr int32_t kDestinationMask = 0x0F;
constexpr int32_t kFlagMask = vbLogOverwrite | vbLogThreadID;

std::string typeWord(int32_t eventType) {
  switch (eventType) {
    case vbLogEventTypeError: return "Error";
    case vbLogEventTypeWarning: return "Warning";
    default: return "Information";
  }
}

std::filesystem::path executable() {
  std::error_code ec;
  auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : p;
}

}  // namespace

App::App() { reset(); }

void App::reset() {
  logMode_ = vbLogAuto;
  logPath_.clear();
  logged_.clear();
  requestPendingText_.clear();
  requestPendingTitle_.clear();
  requestPendingTimeout_ = kDefaultRequestPendingTimeout;
  serverBusyText_.clear();
  serverBusyTitle_.clear();
  serverBusyRaiseError_ = false;
  serverBusyTimeout_ = kDefaultServerBusyTimeout;
  title_ = u"Sorvanelix";
}

void App::startLogging(BStrView logTarget, int32_t logModes) {
  const int32_t destination = logModes & kDestinationMask;
  if (destination > vbLogToNT || (logModes & ~(kDestinationMask | kFlagMask)) != 0)
    raise(err::InvalidProcedureCall);
  if (destination == vbLogToFile && logTarget.empty()) raise(err::InvalidProcedureCall);
  const bool toFile = destination == vbLogToFile || (destination == vbLogAuto && !logTarget.empty());
  if (toFile) {
    // Opening now finds an unusable target before any event is lost to it.
    int32_t error = 0;
    openRegularFile(fileSystemName(logTarget), (logModes & vbLogOverwrite) ? FileOpen::Write : FileOpen::Append,
                    error);
    if (error) raise(err::PathFileAccessError);
  }
  logMode_ = logModes;
  logPath_ = toFile ? BStr(logTarget) : BStr();
}

void App::logEvent(BStrView text, const Variant& eventType) {
  const int32_t type = eventType.isMissing() ? vbLogEventTypeInformation : toI4(eventType);
  if (type != vbLogEventTypeError && type != vbLogEventTypeWarning && type != vbLogEventTypeInformation)
    raise(err::InvalidProcedureCall);
  if ((logMode_ & kDestinationMask) == vbLogOff) return;
  LogRecord r;
  r.eventType = type;
  r.text = BStr(text);
  if (logMode_ & vbLogThreadID) r.threadId = threadId();
  r.line = typeWord(type) + ": " + utf8(title_) + ": ";
  if (r.threadId) r.line += "Thread ID " + std::to_string(r.threadId) + ": ";
  r.line += utf8(text);
  if (!logPath_.empty()) {
    r.destination = LogDestination::File;
    r.file = utf8(logPath_);
  }
  write(std::move(r));
}

void App::write(LogRecord record) {
  if (record.destination == LogDestination::File) {
    int32_t error = 0;
    const RegularFile file = openRegularFile(record.file, FileOpen::Append, error);
    if (error) raise(err::PathFileAccessError);
    const std::string line = record.line + '\n';
    file.writeAll({reinterpret_cast<const uint8_t*>(line.data()), line.size()});
  }
  logged_.push_back(std::move(record));
}

std::vector<LogRecord> App::eventLog() const {
  std::vector<LogRecord> out;
  for (const LogRecord& r : logged_)
    if (r.destination == LogDestination::EventLog) out.push_back(r);
  return out;
}

void App::setOleRequestPendingTimeout(int32_t ms) {
  if (ms < 0) raise(err::InvalidPropertyValue);
  requestPendingTimeout_ = ms;
}

void App::setOleServerBusyTimeout(int32_t ms) {
  if (ms < 0) raise(err::InvalidPropertyValue);
  serverBusyTimeout_ = ms;
}

BStr App::exeName() const { return utf16(executable().stem().string()); }

BStr App::path() const { return utf16(executable().parent_path().string()); }

App& app() {
  static App instance;
  return instance;
}

}  // namespace svx
