#include "HvLXConsole.h"

#include <atomic>

#include "HvExceptions.h"
#include "HvLXTextOut.h"
#include "HvWindows.h"

namespace hv {
namespace {

std::atomic<bool> gConsoleIsUtf8{false};

bool Usable(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

HANDLE StdOut() { return GetStdHandle(STD_OUTPUT_HANDLE); }

// A console gained after start-up does not always fill in the standard handles; its output
// buffer is then opened by name.
void AdoptConsoleOutput() {
  if (Usable(StdOut())) return;
  HANDLE output = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (Usable(output)) SetStdHandle(STD_OUTPUT_HANDLE, output);
}

// The mark goes only at the start of a file: appended output would get it in mid-text.
void MarkRedirectedFileAsUtf8(HANDLE output) {
  LARGE_INTEGER size{};
  if (GetFileType(output) == FILE_TYPE_DISK && GetFileSizeEx(output, &size) && size.QuadPart == 0) {
    if (!WriteTextLX(output, L"\uFEFF", CP_UTF8)) RaiseLastOSError();
    FlushFileBuffers(output);
  }
}

}  // namespace

void EnsureConsole() {
  if (Usable(StdOut())) return;
  if (AttachConsole(ATTACH_PARENT_PROCESS) || AllocConsole()) {
    AdoptConsoleOutput();
  } else {
    throw Exception(L"Internal Error: Console could not be allocated.");
  }
  if (!Usable(StdOut())) throw Exception(L"Internal Error: No standard output is available.");
}

void WriteConsoleLine(const std::wstring& text) {
  EnsureConsole();
  HANDLE output = StdOut();
  if (!gConsoleIsUtf8 && SetConsoleOutputCP(CP_UTF8)) {
    if (!gConsoleIsUtf8.exchange(true)) MarkRedirectedFileAsUtf8(output);
  }
  UINT codePage = gConsoleIsUtf8 ? CP_UTF8 : GetConsoleOutputCP();
  if (!WriteTextLX(output, text + L"\r\n", codePage ? codePage : CP_ACP)) RaiseLastOSError();
}

void WriteStdOutLine(const std::wstring& line) {
  HANDLE out = StdOut();
  if (!Usable(out)) {
    AttachConsole(ATTACH_PARENT_PROCESS);
    out = StdOut();
  }
  // Best effort: nobody may be reading.
  WriteTextLX(out, line + L"\r\n", CP_UTF8);
}

}  // namespace hv
