// The runtime's App object: the application log, the OLE busy and pending
// settings, the thread id, the version and the names of the application.
// One per process; every value lasts until the process ends or reset().
//
// The application log. StartLogging(target, modes) chooses where LogEvent
// writes. The low four bits of the modes choose the destination:
//   vbLogAuto (0):   the file `target` when one is given, else the event log;
//   vbLogOff (1):    nothing is logged;
//   vbLogToFile (2): the file `target` (an empty target raises 5);
//   vbLogToNT (3):   the event log.
// The flags add to it: vbLogOverwrite (16) empties the file when logging
// starts (otherwise events are appended to what it holds); vbLogThreadID (32)
// puts the thread id into each record. Other bits raise 5. Before the first
// StartLogging the mode is vbLogAuto without a target. The event log is the
// in-process store eventLog(); every record written, to either place, is also
// kept in loggedEvents() for inspection.
//
// A file record is one line of UTF-8 text:
//   "<type>: <title>: <text>" or "<type>: <title>: Thread ID <n>: <text>"
// with <type> "Error", "Warning" or "Information".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/automation/variant.h"
#include "platform/desktop/win32.h"

namespace svx {

// LogEvent event types.
inline constexpr int32_t vbLogEventTypeError = 1;
inline constexpr int32_t vbLogEventTypeWarning = 2;
inline constexpr int32_t vbLogEventTypeInformation = 4;

// StartLogging modes.
inline constexpr int32_t vbLogAuto = 0;
inline constexpr int32_t vbLogOff = 1;
inline constexpr int32_t vbLogToFile = 2;
inline constexpr int32_t vbLogToNT = 3;
inline constexpr int32_t vbLogOverwrite = 16;
inline constexpr int32_t vbLogThreadID = 32;

enum class LogDestination { EventLog, File };

struct LogRecord {
  int32_t eventType = vbLogEventTypeInformation;
  BStr text;
  DWORD threadId = 0;      // 0 unless vbLogThreadID was set
  LogDestination destination = LogDestination::EventLog;
  std::string file;        // for LogDestination::File
  std::string line;        // the record as written
};

class App {
 public:
  App();
  // The defaults: no logging target, the OLE defaults, title "Sorvanelix".
  void reset();

  // LogEvent(text, [eventType]): eventType missing gives
  // vbLogEventTypeInformation; it is converted to a Long and must be 1, 2 or
  // 4, else 5 is raised. A file that cannot be written raises 75.
  void logEvent(BStrView text, const Variant& eventType = Variant::missing());
  // StartLogging(logTarget, logModes). Invalid modes raise 5 and a file that
  // cannot be opened raises 75; either way the settings stay as they were.
  void startLogging(BStrView logTarget, int32_t logModes);
  int32_t logMode() const { return logMode_; }
  // The file events go to; "" when they do not go to a file.
  const BStr& logPath() const { return logPath_; }
  const std::vector<LogRecord>& loggedEvents() const { return logged_; }
  std::vector<LogRecord> eventLog() const;

  // The OLE settings. Texts and titles default to "" (the standard
  // messages); the timeouts are milliseconds and may not be negative (380).
  const BStr& oleRequestPendingMsgText() const { return requestPendingText_; }
  void setOleRequestPendingMsgText(BStr v) { requestPendingText_ = std::move(v); }
  const BStr& oleRequestPendingMsgTitle() const { return requestPendingTitle_; }
  void setOleRequestPendingMsgTitle(BStr v) { requestPendingTitle_ = std::move(v); }
  int32_t oleRequestPendingTimeout() const { return requestPendingTimeout_; }
  void setOleRequestPendingTimeout(int32_t ms);
  const BStr& oleServerBusyMsgText() const { return serverBusyText_; }
  void setOleServerBusyMsgText(BStr v) { serverBusyText_ = std::move(v); }
  const BStr& oleServerBusyMsgTitle() const { return serverBusyTitle_; }
  void setOleServerBusyMsgTitle(BStr v) { serverBusyTitle_ = std::move(v); }
  bool oleServerBusyRaiseError() const { return serverBusyRaiseError_; }
  void setOleServerBusyRaiseError(bool v) { serverBusyRaiseError_ = v; }
  int32_t oleServerBusyTimeout() const { return serverBusyTimeout_; }
  void setOleServerBusyTimeout(int32_t ms);

  static constexpr int32_t kDefaultRequestPendingTimeout = 5000;
  static constexpr int32_t kDefaultServerBusyTimeout = 10000;

  // The thread that serves the application (GetCurrentThreadId).
  DWORD threadId() const { return GetCurrentThreadId(); }
  // The instance handle handed to the common dialogs.
  int32_t hInstance() const { return kInstanceHandle; }

  int32_t versionMajor() const { return 1; }
  int32_t versionMinor() const { return 0; }
  int32_t versionRevision() const { return 0; }
  // The application title, the default title of message boxes.
  const BStr& title() const { return title_; }
  void setTitle(BStr v) { title_ = std::move(v); }
  // The executable's name without extension, and its folder.
  BStr exeName() const;
  BStr path() const;

  static constexpr int32_t kInstanceHandle = 0x00400000;

 private:
  void write(LogRecord record);

  int32_t logMode_ = vbLogAuto;
  BStr logPath_;
  std::vector<LogRecord> logged_;
  BStr requestPendingText_;
  BStr requestPendingTitle_;
  int32_t requestPendingTimeout_ = kDefaultRequestPendingTimeout;
  BStr serverBusyText_;
  BStr serverBusyTitle_;
  bool serverBusyRaiseError_ = false;
  int32_t serverBusyTimeout_ = kDefaultServerBusyTimeout;
  BStr title_;
};

// The process's App object.
App& app();

}  // namespace svx
