// Makes the program's events readable in Event Viewer: registers the program as an event source
// of the Application log with its own file as the message file (the program carries a message
// table whose one entry is the event's text).
#pragma once

#include <string>

namespace hv {

inline constexpr wchar_t kEventLogSourcesKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";
inline constexpr unsigned kEventTypesSupported = 7;  // error, warning, information
// The source the program's events go under: a fixed name, so that a renamed copy of the
// program never writes its file into another program's source.
inline constexpr wchar_t kEventSourceName[] = L"HalvernUninstaller";

// Once per process, when the program runs elevated and carries the message table:
// RegisterEventSourceFor(kEventSourceName, the program file). It never raises.
void RegisterEventSourceOnce() noexcept;

// Writes EventMessageFile (`programFile`) and TypesSupported under kEventLogSourcesKey +
// `source`, but only when that source is not registered at all (another source's message file
// is never replaced, also not by a second copy of the program), and only when `programFile`
// and its folder are files only administrators can change: the event viewer of an
// administrator loads that file. Answers whether it wrote the registration; never raises.
bool RegisterEventSourceFor(const std::wstring& source, const std::wstring& programFile) noexcept;

}  // namespace hv
