#include "HvLXFlashConsole.h"

#include "HvLXTextOut.h"
#include "HvLXThreadCheck.h"
#include "HvWindows.h"

namespace hv {
namespace {

bool ImageIsConsoleProgram() {
  auto base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
  if (!base) return false;
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI;
}

}  // namespace

bool IsConsoleProcess() {
  static const bool console = ImageIsConsoleProgram();
  return console;
}

void detail::WriteProgressLine(const std::wstring& text) {
  if (!IsConsoleProcess() || !IsMainThread()) return;
  // Read on every line: the handle may have been redirected since the last one. Redirected
  // to a file or pipe, UTF-8 keeps every character of a message; a failed write is dropped.
  WriteTextLX(GetStdHandle(STD_OUTPUT_HANDLE), text + L"\r\n", CP_UTF8);
}

}  // namespace hv
