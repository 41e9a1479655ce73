#include "HvLXDelayLoad.h"

#include <delayimp.h>

#include <string>

#include "HvExceptions.h"

namespace hv {
namespace {

// The system folder's copy by its full path: on Windows 7 without its loader update the
// System32-only flag is refused, and the plain search would look beside the program first.
HMODULE LoadFromSystemFolder(const wchar_t* library) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\" + library;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// Only from the system folder: a same-named DLL beside the program or in the current folder
// must not be picked up. The module is never freed, so no owner holds it: the functions bound
// from it are called for the rest of the process.
HMODULE LoadSystemLibrary(const wchar_t* library) {
  HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) module = LoadFromSystemFolder(library);
  return module;
}

HMODULE LoadSystemLibraryChecked(const wchar_t* library) {
  HMODULE module = LoadSystemLibrary(library);
  if (!module) throw EDelayedLoadLibrary(Fmt(L"Could not load \"%s\".", std::wstring_view(library)));
  return module;
}

// The DLLs the linker binds to load on first call (scripts/delay-import-lib.sh) come from the
// system folder too, whatever the Windows version. Called by the delay-load helper, which
// passes the DLL's name in ANSI; any other notification keeps the helper's own handling.
FARPROC WINAPI LoadDelayedFromSystemFolder(unsigned notification, PDelayLoadInfo info) {
  if (notification != dliNotePreLoadLibrary || !info || !info->szDll) return nullptr;
  std::wstring name;
  for (const char* c = info->szDll; *c; ++c) name += static_cast<wchar_t>(static_cast<unsigned char>(*c));
  return reinterpret_cast<FARPROC>(LoadSystemLibrary(name.c_str()));
}

}  // namespace

FARPROC BindDelayedLX(const wchar_t* library, const char* function) {
  FARPROC proc = GetProcAddress(LoadSystemLibraryChecked(library), function);
  if (!proc) {
    std::string name(function);
    throw EDelayedLoadLibrary(Fmt(L"Could not load \"%s\" from \"%s\".", std::wstring(name.begin(), name.end()),
                                  std::wstring_view(library)));
  }
  return proc;
}

FARPROC BindDelayedLX(const wchar_t* library, WORD ordinal) {
  FARPROC proc = GetProcAddress(LoadSystemLibraryChecked(library), MAKEINTRESOURCEA(ordinal));
  if (!proc)
    throw EDelayedLoadLibrary(Fmt(L"Could not load index %d from \"%s\".", static_cast<int>(ordinal),
                                  std::wstring_view(library)));
  return proc;
}

FARPROC FindDelayedLX(const wchar_t* library, const char* function) noexcept {
  HMODULE module = LoadSystemLibrary(library);
  return module ? GetProcAddress(module, function) : nullptr;
}

void RestrictDelayLoadsToSystemFolder() noexcept { __pfnDliNotifyHook2 = &LoadDelayedFromSystemFolder; }

}  // namespace hv
