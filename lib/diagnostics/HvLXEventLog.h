// Diagnostic texts (exception reports, forced thread ends, rich-edit failures) go to the
// system's Application event log under the fixed source name kEventSourceName. Under Wine,
// whose event log keeps nothing, each text is also written as a dated UTF-16 file in the
// user's data folder, which is kept to the newest 100 files.
#pragma once

#include <cstdint>
#include <string>

namespace hv {

inline constexpr std::uint16_t kEventTypeError = 1;  // EVENTLOG_ERROR_TYPE

// Writes one event of `eventType`. A write that raises while it is under way may nest once on
// the same thread; a third nested write does nothing. Under Wine a failure to create the folder
// or the file raises before the system log is written; the system log itself never raises.
void ReportEventLX(const std::wstring& text, std::uint16_t eventType);
void ReportErrorEventLX(const std::wstring& text);

// The following are valid only under Wine: elsewhere they fail an assertion.
// "<user data folder>\Halvern\<program>\EventLogs\", created when missing.
std::wstring GetEventLogFolder();
// Writes `text` (up to a NUL) as a new file "Log_YYYYMMDD_HHMMSS_NNN.txt" named after the local
// time, taking the next free sequence number; never replaces a file. Prunes the folder after the
// 99th, 199th ... file of the process, and once more when the process ends.
void WriteEventLogFile(const std::wstring& text);
// Deletes all but the newest 100 files matching "Log_*.txt"; other files are never touched.
void PruneEventLogFiles();

}  // namespace hv
