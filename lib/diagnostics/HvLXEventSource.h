// Makes the program's events readable in Event Viewer: registers the program as an event source
// of the Application log with its own file as the message file (the program carries a message
// table whose one entry is the event's text).
#pragma once

#include <string>

namespace hv {

inline constexpr wchar_t kEventLogSourcesKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";
inline constexpr unsigned kEventTypesSupported = 7;  // error, warning, information

// Once per process, when the program runs elevated and carries the message table: writes
// EventMessageFile (the program file) and TypesSupported under kEventLogSourcesKey + `source`,
// unless they are there already. Any failure leaves the registration out; it never raises.
void RegisterEventSourceOnce(const std::wstring& source) noexcept;

}  // namespace hv
