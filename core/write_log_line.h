// The system's own line log: "Sorvanelix.txt" in the user's Documents folder,
// one fixed-width record per call, opened and closed for every record.
#pragma once

#include "platform/automation/variant.h"

namespace svx {

inline constexpr int64_t kLogFileResetSize = 20971520;  // 20 MiB
inline constexpr int kLogOpenAttempts = 50;
inline constexpr int kLogOpenRetryMs = 10;

// The log file's path: the Documents folder, a "/" when it does not end in
// one, and the file name ("/Sorvanelix.txt" without a Documents folder).
BStr LogFilePath();

// Appends one record with `strInfo`. Reports only the outcome of the open in
// the passed out-parameters: 0 (16-bit) and "" after success, the error of the
// last of 50 failed attempts otherwise. Never raises.
void WriteLogLine(BStr& strInfo, Variant& ErrNumber, Variant& ErrDescription);

// The header lines and one record, as written (without line ends).
std::vector<std::string> logHeaderLines();
std::string logRecord(const std::string& dateTime, double tickCount, uint32_t processId, uint32_t threadId,
                      const std::string& text);

}  // namespace svx
