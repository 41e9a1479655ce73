#include "HvRecycleBinRestore.h"

#include <shlobj.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvHandles.h"
#include "HvLXFiles.h"
#include "HvLXPaths.h"
#include "HvLXStrings.h"

namespace hv {
namespace {

// How far the bin's deletion time may lie from the time noted just before the folder went:
// the shell moves a whole folder at once, but Wine shows the time to the minute only.
constexpr std::int64_t kSecond = 10'000'000;
constexpr std::int64_t kEarliest = -5 * kSecond, kLatest = 10 * 60 * kSecond;

bool Exists(const std::wstring& path) { return GetFileAttributesW(LongFileName(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring ParentOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring AnsiToWide(const char* text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(length > 0 ? length : 0, L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
  return wide.substr(0, wide.find(L'\0'));
}

std::string WideToUtf8(const std::wstring& text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(length > 0 ? length : 0, '\0');
  if (length > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr, nullptr);
  return bytes;
}

std::uint64_t ToUInt(const FILETIME& time) { return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime; }
FILETIME ToFileTime(std::uint64_t value) { return {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)}; }

// The recorded UTC time as the local time the bins show.
std::uint64_t LocalOf(std::uint64_t utc) {
  FILETIME in = ToFileTime(utc), local{};
  FileTimeToLocalFileTime(&in, &local);
  return ToUInt(local);
}

bool Near(std::uint64_t recordLocal, std::uint64_t deletedLocal) {
  const std::int64_t difference = static_cast<std::int64_t>(deletedLocal - recordLocal);
  return difference >= kEarliest && difference <= kLatest;
}

// The texts a deletion time from the recorded one on shows to the minute, as the shell writes it.
std::vector<std::wstring> MinuteTexts(std::uint64_t recordLocal) {
  std::vector<std::wstring> texts;
  for (std::int64_t at = kEarliest; at <= kLatest + 60 * kSecond; at += 60 * kSecond) {
    FILETIME time = ToFileTime(recordLocal + at);
    SYSTEMTIME st{};
    FileTimeToSystemTime(&time, &st);
    wchar_t date[128] = {}, clock[128] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 128);
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &st, nullptr, clock, 128);
    texts.push_back(std::wstring(date) + L" " + clock);
  }
  return texts;
}

std::wstring StrRetText(STRRET& ret, PCUITEMID_CHILD item) {
  std::wstring text;
  switch (ret.uType) {
    case STRRET_WSTR:
      if (ret.pOleStr) text = ret.pOleStr;
      CoTaskMemFree(ret.pOleStr);
      break;
    case STRRET_CSTR: text = AnsiToWide(ret.cStr); break;
    case STRRET_OFFSET: text = AnsiToWide(reinterpret_cast<const char*>(item) + ret.uOffset); break;
  }
  return text;
}

template <typename T>
struct ComRelease {
  void operator()(T* p) const { if (p) p->Release(); }
};
template <typename T>
using ComPtr = std::unique_ptr<T, ComRelease<T>>;
struct PidlFree {
  void operator()(ITEMIDLIST* p) const { CoTaskMemFree(p); }
};
using Pidl = std::unique_ptr<ITEMIDLIST, PidlFree>;

class TComScope {
 public:
  TComScope() : FResult(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~TComScope() {
    if (SUCCEEDED(FResult)) CoUninitialize();
  }

 private:
  HRESULT FResult;
};

// The shell's details of the bin: the original folder (PID_DISPLACED_FROM) and date deleted
// (PID_DISPLACED_DATE), by property where the folder answers, else from its columns 1 and 2.
const GUID kDisplacedProperties = {0x9B174B33, 0x40FF, 0x11D2, {0xA2, 0x7E, 0x00, 0xC0, 0x4F, 0xC3, 0x08, 0x71}};

std::wstring Column(IShellFolder2* bin, PCUITEMID_CHILD item, UINT column) {
  SHELLDETAILS details{};
  if (FAILED(bin->GetDetailsOf(item, column, &details))) return {};
  return StrRetText(details.str, item);
}

std::wstring OriginalFolder(IShellFolder2* bin, PCUITEMID_CHILD item) {
  SHCOLUMNID id{kDisplacedProperties, 2};
  VARIANT value;
  VariantInit(&value);
  std::wstring folder;
  if (SUCCEEDED(bin->GetDetailsEx(item, &id, &value)) && value.vt == VT_BSTR && value.bstrVal) folder = value.bstrVal;
  VariantClear(&value);
  return folder.empty() ? Column(bin, item, 1) : folder;
}

bool DeletedNear(IShellFolder2* bin, PCUITEMID_CHILD item, std::uint64_t recordLocal) {
  SHCOLUMNID id{kDisplacedProperties, 3};
  VARIANT value;
  VariantInit(&value);
  if (SUCCEEDED(bin->GetDetailsEx(item, &id, &value)) && value.vt == VT_DATE) {
    SYSTEMTIME st{};
    FILETIME local{};
    const bool converted = VariantTimeToSystemTime(value.date, &st) && SystemTimeToFileTime(&st, &local);
    VariantClear(&value);
    return converted && Near(recordLocal, ToUInt(local));
  }
  VariantClear(&value);
  const std::wstring text = Column(bin, item, 2);
  for (const std::wstring& minute : MinuteTexts(recordLocal))
    if (SameTextOrdinal(text, minute)) return true;
  return false;
}

// Asks the item's own menu to restore it: the "undelete" verb where it has one, else its first
// entry, which is the Restore command of Wine's bin.
bool InvokeRestore(IShellFolder2* bin, PCUITEMID_CHILD item) {
  IContextMenu* raw = nullptr;
  PCUITEMID_CHILD items[1] = {item};
  if (FAILED(bin->GetUIObjectOf(nullptr, 1, items, IID_IContextMenu, nullptr, reinterpret_cast<void**>(&raw)))) return false;
  const ComPtr<IContextMenu> menu(raw);
  CMINVOKECOMMANDINFO invoke{};
  invoke.cbSize = sizeof invoke;
  invoke.fMask = CMIC_MASK_FLAG_NO_UI;
  invoke.nShow = SW_HIDE;
  invoke.lpVerb = "undelete";
  if (SUCCEEDED(menu->InvokeCommand(&invoke))) return true;
  HMENU popup = CreatePopupMenu();
  if (!popup) return false;
  bool invoked = false;
  constexpr UINT kFirst = 1;
  if (SUCCEEDED(menu->QueryContextMenu(popup, 0, kFirst, 0x7FFF, CMF_NORMAL)) && GetMenuItemCount(popup) > 0) {
    const UINT id = GetMenuItemID(popup, 0);
    if (id != static_cast<UINT>(-1)) {
      invoke.lpVerb = MAKEINTRESOURCEA(id - kFirst);
      invoked = SUCCEEDED(menu->InvokeCommand(&invoke));
    }
  }
  DestroyMenu(popup);
  return invoked;
}

// Wine's own exports between host and drive paths (kernel32); absent on Windows.
using DosNameProc = WCHAR*(CDECL*)(const char*);
DosNameProc WineDosName() {
  static const DosNameProc proc =
      reinterpret_cast<DosNameProc>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  return proc;
}

std::wstring DosNameOf(const std::string& hostPath) {
  const DosNameProc proc = WineDosName();
  if (!proc) return {};
  WCHAR* name = proc(hostPath.c_str());
  if (!name) return {};
  std::wstring result = name;
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

std::string HostEnvironment(const wchar_t* name) {
  wchar_t buffer[4096] = {};
  const DWORD length = GetEnvironmentVariableW(name, buffer, 4096);
  return length == 0 || length >= 4096 ? std::string() : WideToUtf8(std::wstring(buffer, length));
}

// "%20" and the like as the bytes they stand for.
std::string PercentDecoded(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string ReadSmallFile(const std::wstring& path) {
  UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return {};
  std::string text(65536, '\0');
  DWORD read = 0;
  if (!ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr)) return {};
  text.resize(read);
  return text;
}

// "Path=" and "DeletionDate=" of a .trashinfo file; false when either is missing.
bool ReadTrashInfo(const std::string& text, std::string& path, std::uint64_t& deletedLocal) {
  std::string date;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.starts_with("Path=")) path = PercentDecoded(line.substr(5));
    if (line.starts_with("DeletionDate=")) date = line.substr(13);
    start = end + 1;
  }
  SYSTEMTIME st{};
  unsigned year, month, day, hour, minute, second;
  if (path.empty() || std::sscanf(date.c_str(), "%4u-%2u-%2uT%2u:%2u:%2u", &year, &month, &day, &hour, &minute, &second) != 6)
    return false;
  st = {static_cast<WORD>(year), static_cast<WORD>(month), 0, static_cast<WORD>(day), static_cast<WORD>(hour),
        static_cast<WORD>(minute), static_cast<WORD>(second), 0};
  FILETIME local{};
  if (!SystemTimeToFileTime(&st, &local)) return false;
  deletedLocal = ToUInt(local);
  return true;
}

}  // namespace

TRecycledResult RestoreThroughShell(const TRecycledRecord& record) {
  TComScope com;
  IShellFolder* rawDesktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&rawDesktop))) return {TRecycledOutcome::Failed, L"the shell's folders cannot be opened"};
  const ComPtr<IShellFolder> desktop(rawDesktop);
  ITEMIDLIST* rawBin = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &rawBin))) return {TRecycledOutcome::Failed, L"the shell has no Recycle Bin"};
  const Pidl binLocation(rawBin);
  IShellFolder2* rawFolder = nullptr;
  if (FAILED(desktop->BindToObject(binLocation.get(), nullptr, IID_IShellFolder2, reinterpret_cast<void**>(&rawFolder))))
    return {TRecycledOutcome::Failed, L"the shell's Recycle Bin folder cannot be opened"};
  const ComPtr<IShellFolder2> bin(rawFolder);
  IEnumIDList* rawList = nullptr;
  if (bin->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &rawList) != S_OK || !rawList)
    return {TRecycledOutcome::NotInBin, {}};
  const ComPtr<IEnumIDList> list(rawList);
  const std::uint64_t recordLocal = LocalOf(record.Time);
  ITEMIDLIST* rawItem = nullptr;
  ULONG fetched = 0;
  while (list->Next(1, &rawItem, &fetched) == S_OK) {
    const Pidl item(rawItem);
    STRRET name{};
    if (FAILED(bin->GetDisplayNameOf(item.get(), SHGDN_INFOLDER, &name))) continue;
    const std::wstring original = IncludeTrailingBackslashLX(OriginalFolder(bin.get(), item.get())) + StrRetText(name, item.get());
    if (!SameTextOrdinal(original, record.Path) || !DeletedNear(bin.get(), item.get(), recordLocal)) continue;
    if (Exists(record.Path)) return {TRecycledOutcome::Occupied, {}};
    // Windows makes a missing parent itself; Wine's bin does nothing then.
    ForceDirectoriesLX(ParentOf(record.Path));
    InvokeRestore(bin.get(), item.get());
    if (Exists(record.Path)) return {TRecycledOutcome::Restored, L"the shell's Recycle Bin"};
    return {TRecycledOutcome::Failed, L"the shell's Recycle Bin did not put it back"};
  }
  return {TRecycledOutcome::NotInBin, {}};
}

TRecycledResult RestoreThroughHostTrash(const TRecycledRecord& record) {
  if (!WineDosName()) return {TRecycledOutcome::NotInBin, {}};
  std::string data = HostEnvironment(L"XDG_DATA_HOME");
  if (data.empty()) {
    const std::string home = HostEnvironment(L"HOME");
    if (home.empty()) return {TRecycledOutcome::NotInBin, {}};
    data = home + "/.local/share";
  }
  const std::wstring trash = DosNameOf(data + "/Trash");
  if (trash.empty()) return {TRecycledOutcome::NotInBin, {}};
  const std::uint64_t recordLocal = LocalOf(record.Time);
  WIN32_FIND_DATAW found{};
  UniqueFindHandle find(FindFirstFileW((trash + L"\\info\\*.trashinfo").c_str(), &found));
  if (!find) return {TRecycledOutcome::NotInBin, {}};
  std::wstring best;
  std::int64_t bestDistance = 0;
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    std::string path;
    std::uint64_t deleted = 0;
    if (!ReadTrashInfo(ReadSmallFile(trash + L"\\info\\" + found.cFileName), path, deleted)) continue;
    if (!Near(recordLocal, deleted) || !SameTextOrdinal(DosNameOf(path), record.Path)) continue;
    const std::int64_t distance = static_cast<std::int64_t>(deleted - recordLocal);
    if (best.empty() || std::llabs(distance) < std::llabs(bestDistance)) {
      best = found.cFileName;
      bestDistance = distance;
    }
  } while (FindNextFileW(find.get(), &found));
  if (best.empty()) return {TRecycledOutcome::NotInBin, {}};
  const std::wstring stored = trash + L"\\files\\" + best.substr(0, best.size() - std::wstring(L".trashinfo").size());
  if (!Exists(stored)) return {TRecycledOutcome::NotInBin, {}};
  if (Exists(record.Path)) return {TRecycledOutcome::Occupied, {}};
  ForceDirectoriesLX(ParentOf(record.Path));
  // Never replaces: something that took the place meanwhile stays, and so does the item.
  if (!MoveFileExW(LongFileName(stored).c_str(), LongFileName(record.Path).c_str(), MOVEFILE_COPY_ALLOWED)) {
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return {TRecycledOutcome::Occupied, {}};
    return {TRecycledOutcome::Failed, SysErrorMessage(error)};
  }
  DeleteFileW((trash + L"\\info\\" + best).c_str());
  return {TRecycledOutcome::Restored, L"the host's trash"};
}

TRecycledResult RestoreRecycledFolder(const TRecycledRecord& record) {
  TRecycledResult result = RestoreThroughShell(record);
  if (result.Outcome == TRecycledOutcome::Restored || result.Outcome == TRecycledOutcome::Occupied) return result;
  // What Wine's shell could not find or put back may still be restored from the host's trash.
  const TRecycledResult host = RestoreThroughHostTrash(record);
  if (host.Outcome != TRecycledOutcome::NotInBin) return host;
  return result;
}

}  // namespace hv
