// WinInet's settings for the whole process (time-outs, connections per server), set as every
// program of the library starts, and string queries on WinInet handles.
#pragma once

#include <string>

namespace hv {

class TWinInetUtils {
 public:
  TWinInetUtils() = delete;
  // Raises the number of connections per server this program allows (never lowers it).
  static void SetCustomMaxConnectionsPerServer(int value);
  // A header query (HttpQueryInfo) or an option (InternetQueryOption) as text; empty when the
  // handle has none.
  static std::wstring QueryInfoString(void* hRequest, unsigned infoLevel);
  static std::wstring QueryOptionString(void* hInternet, unsigned option);
};

// Send and receive time-outs in milliseconds (0: two minutes) for `hInternet`, or for the whole
// process with nullptr. Raises EWinInetError with the system's code when WinInet refuses.
void SetWinInetTimeouts(void* hInternet, unsigned sendMs, unsigned receiveMs);
// Connections per server for the whole process: 10, or more when the program asked for more.
// Failures are passed over.
void ApplyMaxConnectionsPerServer();
// Both of the above for the process, as a program starts.
void InitWinInet();
// InitWinInet now inside the program; inside a separately loaded module, from a timer a
// moment later, out of the module's start-up (where WinInet must not be called).
void ScheduleInitWinInet();

}  // namespace hv
