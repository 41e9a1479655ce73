#include "HvRemovalLog.h"

#include <vector>

#include "HvEncoding.h"
#include "HvFormat.h"
#include "HvLXAdminFolders.h"
#include "HvLXConsole.h"
#include "HvLXLinks.h"
#include "HvLXPaths.h"
#include "HvLXShowException.h"
#include "HvLXStrings.h"
#include "HvLXSpecialFolders.h"
#include "HvLogText.h"

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

std::wstring RemovalLogFolder() { return AdminOnlyDataFolder(L"HalvernUninstaller\\Logs"); }

std::wstring DefaultRemovalLogPath() {
  return RemovalLogFolder() + GetExeBaseName() + LocalTimeText(L" %.4d-%.2d-%.2d %.2d-%.2d-%.2d.log");
}

namespace {

[[noreturn]] void CannotOpen(const std::wstring& path, DWORD error) {
  throw EOSError(Fmt(L"Could not open the log file %s: %s", path, SysErrorMessage(error)), error);
}

// `path` with " (n)" before its extension from the second attempt on.
std::wstring NumberedPath(const std::wstring& path, int attempt) {
  if (attempt == 1) return path;
  const std::size_t dot = path.find_last_of(L'.');
  const std::size_t sep = path.find_last_of(L'\\');
  const bool hasExt = dot != std::wstring::npos && (sep == std::wstring::npos || dot > sep + 1);
  return Fmt(L"%s (%d)%s", hasExt ? path.substr(0, dot) : path, attempt, hasExt ? path.substr(dot) : L"");
}

// Whether the open file is the plain file the path names: no link at the final name (Windows
// marks one as a reparse point, a host link under Wine leads elsewhere), no second name of
// another file, nothing but a file on a disk.
bool IsPlainFileAt(HANDLE file, const std::wstring& path) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info)) return false;
  if ((info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) || info.nNumberOfLinks != 1)
    return false;
  const std::wstring full = ExpandFileNameLX(path);
  const std::size_t sep = full.find_last_of(L'\\');
  const std::optional<std::wstring> own = RealIdentityOfHandle(file);
  const std::optional<std::wstring> folder = RealIdentity(full.substr(0, sep + 1));
  if (own && folder) return SameTextOrdinal(*own, IncludeTrailingBackslashLX(*folder) + full.substr(sep + 1));
  return true;
}

}  // namespace

TRemovalLog::TRemovalLog(std::wstring path, TLogOpening opening) : FPath(std::move(path)) {
  constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
  if (opening == TLogOpening::New) {
    // In a folder only administrators can write to, under a name never used before: nothing
    // someone else made there, a link least of all, can receive the text.
    const std::wstring stem = FPath;
    for (int attempt = 1; !FFile; ++attempt) {
      FPath = NumberedPath(stem, attempt);
      FFile.reset(CreateFileW(FPath.c_str(), FILE_APPEND_DATA, kShare, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
      const DWORD error = GetLastError();
      if (!FFile && (attempt >= 100 || (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)))
        CannotOpen(FPath, error);
    }
  } else {
    // The administrator's own choice, appended to; still never through a link at its name.
    FFile.reset(CreateFileW(FPath.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, kShare, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!FFile) CannotOpen(FPath, GetLastError());
    if (!IsPlainFileAt(FFile.get(), FPath)) {
      FFile.reset();
      throw EHvGeneralError(Fmt(L"The log file %s is a link or a second name of another file; nothing was written to it.", FPath));
    }
  }
  LARGE_INTEGER size{};
  FNewFile = GetFileSizeEx(FFile.get(), &size) && size.QuadPart == 0;
  if (FNewFile) {
    DWORD written = 0;
    WriteFile(FFile.get(), "\xEF\xBB\xBF", 3, &written, nullptr);
  }
}

void TRemovalLog::Line(const std::wstring& text) {
  // Registry values and folder names reach the log: none may begin a line of its own.
  const std::string bytes = TEncoding::UTF8()->GetBytes(EscapeControlCharacters(text) + L"\r\n");
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
void TRemovalLog::EntryScheduledForRestart(const std::wstring& path) {
  Line(L"Scheduled for deletion at the next restart: " + path);
}

std::unique_ptr<TRemovalLog> OpenCommandLog(const std::wstring& logPath, const std::wstring& commandLine) {
  std::unique_ptr<TRemovalLog> log;
  try {
    log = logPath.empty() ? std::make_unique<TRemovalLog>(DefaultRemovalLogPath(), TLogOpening::New)
                          : std::make_unique<TRemovalLog>(logPath);
  } catch (const Exception& e) {
    WriteStdOutLine(ExceptionDisplayText(e));
    return nullptr;
  }
  WriteStdOutLine(L"Log: " + log->Path());
  log->Header(commandLine);
  return log;
}

}  // namespace hv
