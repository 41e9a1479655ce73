#include "HvLXFlashConsole.h"

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

void WriteAll(HANDLE out, const char* data, DWORD size) {
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(out, data, size, &written, nullptr) || written == 0) return;
    data += written;
    size -= written;
  }
}

}  // namespace

bool IsConsoleProcess() {
  static const bool console = ImageIsConsoleProgram();
  return console;
}

void detail::WriteProgressLine(const std::wstring& text) {
  if (!IsConsoleProcess() || !IsMainThread()) return;
  // Read on every line: the handle may have been redirected since the last one.
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  std::wstring line = text + L"\r\n";
  DWORD mode;
  if (GetConsoleMode(out, &mode)) {
    DWORD written;
    WriteConsoleW(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    return;
  }
  // Redirected to a file or pipe: UTF-8 keeps every character of a message.
  int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0,
                                 nullptr, nullptr);
  if (size <= 0) return;
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes.data(), size,
                      nullptr, nullptr);
  WriteAll(out, bytes.data(), static_cast<DWORD>(bytes.size()));
}

}  // namespace hv
