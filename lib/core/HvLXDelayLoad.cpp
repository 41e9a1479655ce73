#include "HvLXDelayLoad.h"

#include <string>

#include "HvExceptions.h"

namespace hv {
namespace {

// Only from the system folder: a same-named DLL beside the program or in the current folder
// must not be picked up. Systems without the restricted search (older Windows 7 without its
// loader update) refuse the flag; they get the plain search. The module is never freed, so
// no owner holds it: the functions bound from it are called for the rest of the process.
HMODULE LoadSystemLibrary(const wchar_t* library) {
  HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) module = LoadLibraryW(library);
  if (!module) throw EDelayedLoadLibrary(Fmt(L"Could not load \"%s\".", std::wstring_view(library)));
  return module;
}

}  // namespace

FARPROC BindDelayedLX(const wchar_t* library, const char* function) {
  FARPROC proc = GetProcAddress(LoadSystemLibrary(library), function);
  if (!proc) {
    std::string name(function);
    throw EDelayedLoadLibrary(Fmt(L"Could not load \"%s\" from \"%s\".", std::wstring(name.begin(), name.end()),
                                  std::wstring_view(library)));
  }
  return proc;
}

FARPROC BindDelayedLX(const wchar_t* library, WORD ordinal) {
  FARPROC proc = GetProcAddress(LoadSystemLibrary(library), MAKEINTRESOURCEA(ordinal));
  if (!proc)
    throw EDelayedLoadLibrary(Fmt(L"Could not load index %d from \"%s\".", static_cast<int>(ordinal),
                                  std::wstring_view(library)));
  return proc;
}

}  // namespace hv
