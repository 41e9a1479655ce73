#include "HvRemovalLog.h"

#include <vector>

#include "HvEncoding.h"
#include "HvFormat.h"
#include "HvLXShowException.h"
#include "HvLXSpecialFolders.h"

namespace hv {
namespace {

std::wstring LocalTimeText(const wchar_t* format) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return Fmt(format, now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

// The version of the program file, from its version resource; "unknown" without one.
std::wstring ProgramVersion() {
  HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));  // RT_VERSION
  HGLOBAL loaded = resource ? LoadResource(nullptr, resource) : nullptr;
  const auto* bytes = loaded ? static_cast<const std::uint8_t*>(LockResource(loaded)) : nullptr;
  // VS_VERSIONINFO: three WORDs, the key "VS_VERSION_INFO" with its NUL, padding to 4 bytes,
  // then the fixed file information.
  constexpr DWORD kFixedInfoOffset = 40;
  if (!bytes || SizeofResource(nullptr, resource) < kFixedInfoOffset + sizeof(VS_FIXEDFILEINFO)) return L"unknown";
  VS_FIXEDFILEINFO info{};
  memcpy(&info, bytes + kFixedInfoOffset, sizeof info);
  if (info.dwSignature != 0xFEEF04BD) return L"unknown";
  return Fmt(L"%u.%u.%u.%u", HIWORD(info.dwFileVersionMS), LOWORD(info.dwFileVersionMS), HIWORD(info.dwFileVersionLS),
             LOWORD(info.dwFileVersionLS));
}

std::wstring UserName() {
  std::vector<wchar_t> buffer(257);
  DWORD size = static_cast<DWORD>(buffer.size());
  if (!GetUserNameW(buffer.data(), &size)) return L"unknown";
  return buffer.data();
}

std::wstring Elevation() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return L"unknown";
  const UniqueKernelHandle token(raw);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size)) return L"unknown";
  return elevation.TokenIsElevated ? L"yes" : L"no";
}

// Each line of `text` with `prefix` on the first and an indent on the others.
std::vector<std::wstring> Lines(const std::wstring& prefix, const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    lines.push_back((lines.empty() ? prefix : std::wstring(prefix.size(), L' ')) + line);
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::wstring DefaultRemovalLogPath() {
  return GetHalvernTempFolder() + GetExeBaseName() + LocalTimeText(L" %.4d-%.2d-%.2d %.2d-%.2d-%.2d.log");
}

TRemovalLog::TRemovalLog(std::wstring path) : FPath(std::move(path)) {
  FFile.reset(CreateFileW(FPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!FFile) {
    const DWORD error = GetLastError();
    throw EOSError(Fmt(L"Could not open the log file %s: %s", FPath, SysErrorMessage(error)), error);
  }
  LARGE_INTEGER size{};
  FNewFile = GetFileSizeEx(FFile.get(), &size) && size.QuadPart == 0;
  if (FNewFile) {
    DWORD written = 0;
    WriteFile(FFile.get(), "\xEF\xBB\xBF", 3, &written, nullptr);
  }
}

void TRemovalLog::Line(const std::wstring& text) {
  const std::string bytes = TEncoding::UTF8()->GetBytes(text + L"\r\n");
  DWORD written = 0;
  // A log that cannot be written must not stop the removal it reports on.
  WriteFile(FFile.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void TRemovalLog::Header(const std::wstring& commandLine) {
  if (!FNewFile) Line(L"");  // parts this run from the one before
  Line(LocalTimeText(L"=== %.4d-%.2d-%.2d %.2d:%.2d:%.2d ") + GetExeBaseName() + L" " + ProgramVersion());
  Line(L"User: " + UserName() + L", elevated: " + Elevation());
  Line(L"Command line: " + commandLine);
}

void TRemovalLog::Error(const Exception& e) {
  for (const std::wstring& line : Lines(L"Error: ", ExceptionDisplayText(e))) Line(line);
  for (const Exception* part = &e; part; part = part->InnerException()) {
    IExtraErrorInfo* extra = nullptr;
    if (!Supports(*part, &extra) || !extra) continue;
    const std::wstring info = extra->GetExtraInfo();
    if (!info.empty())
      for (const std::wstring& line : Lines(L"Extra information: ", info)) Line(line);
  }
}

void TRemovalLog::TraceFound(const TTrace& trace) { Line(L"Found: " + DescribeTrace(trace)); }
void TRemovalLog::TraceRemoved(const TTrace& trace) { Line(L"Removed: " + DescribeTrace(trace)); }
void TRemovalLog::TraceSkipped(const TTrace& trace, const std::wstring& reason) {
  Line(L"Left in place: " + DescribeTrace(trace) + L" - " + reason);
}

}  // namespace hv
