// The replacement of WinHTTP's query for the current user's proxy settings, so components of
// the process built on WinHTTP use the proxy of the library's settings.
#pragma once

namespace hv {

// Loads winhttp.dll, keeps the system's own answer and redirects the export to the
// replacement. Does nothing inside a separately loaded module, when the library or the export
// is missing, or when it is installed already; when the code cannot be patched whole, the
// export stays as it was and the program goes on without the replacement.
void InstallWinHttpProxyReplacement();
bool WinHttpProxyReplacementInstalled();

}  // namespace hv
