#include "HvLXAdminFolders.h"

#include <aclapi.h>
#include <knownfolders.h>
#include <sddl.h>
#include <shlobj.h>
#include <winternl.h>

#include <mutex>
#include <vector>

#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvLXPaths.h"

namespace hv {
namespace {

// ntdll's own calls: only they create a folder and hand back a handle to that very folder in
// one step, and take a name relative to a folder handle.
using NtCreateFileProc = LONG(NTAPI*)(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*, IO_STATUS_BLOCK*, LARGE_INTEGER*, ULONG,
                                      ULONG, ULONG, ULONG, void*, ULONG);
using RtlNtStatusToDosErrorProc = ULONG(NTAPI*)(LONG);
using NtSetInformationFileProc = LONG(NTAPI*)(HANDLE, IO_STATUS_BLOCK*, void*, ULONG, int);
constexpr int kFileRenameInformation = 10;

constexpr ULONG kFileOpen = 1, kFileCreate = 2;
constexpr ULONG kFileDirectoryFile = 0x1, kFileNonDirectoryFile = 0x40, kFileSynchronousIoNonAlert = 0x20, kFileOpenForBackupIntent = 0x4000,
                kFileOpenReparsePoint = 0x200000;
constexpr ULONG kObjCaseInsensitive = 0x40;
constexpr LONG kStatusInvalidOwner = static_cast<LONG>(0xC000005A);

template <class Proc>
Proc NtdllEntry(const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

// A name that stays directly below its folder.
bool IsPlainName(const std::wstring& name) {
  return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"\\/:") == std::wstring::npos;
}

struct LocalFreeTraits {
  using Type = PSECURITY_DESCRIPTOR;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type memory) noexcept { LocalFree(memory); }
};
using UniqueSecurityDescriptor = UniqueHandle<LocalFreeTraits>;

UniqueSecurityDescriptor DescriptorFromText(const wchar_t* sddl) {
  UniqueSecurityDescriptor sd;
  ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, sd.put(), nullptr);
  return sd;
}

UniqueFileHandle NtOpenBelow(HANDLE parent, const std::wstring& name, ACCESS_MASK access, ULONG disposition,
                             ULONG options, PSECURITY_DESCRIPTOR sd, LONG* status) {
  static const NtCreateFileProc create = NtdllEntry<NtCreateFileProc>("NtCreateFile");
  static const RtlNtStatusToDosErrorProc toError = NtdllEntry<RtlNtStatusToDosErrorProc>("RtlNtStatusToDosError");
  if (!create || !toError) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return {};
  }
  if (!IsPlainName(name)) {
    SetLastError(ERROR_INVALID_NAME);
    return {};
  }
  UNICODE_STRING text;
  text.Buffer = const_cast<wchar_t*>(name.c_str());
  text.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  text.MaximumLength = text.Length;
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &text, kObjCaseInsensitive, parent, sd);
  IO_STATUS_BLOCK io{};
  HANDLE raw = nullptr;
  const LONG result = create(&raw, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, disposition,
                             options | kFileSynchronousIoNonAlert | kFileOpenForBackupIntent | kFileOpenReparsePoint,
                             nullptr, 0);
  if (status) *status = result;
  if (result < 0) {
    SetLastError(toError(result));
    return {};
  }
  return UniqueFileHandle(raw);
}

constexpr ACCESS_MASK kFolderAccess = kFolderHandleAccess;

// Rights that let a holder change what a folder holds or who may do so.
constexpr ACCESS_MASK kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD |
                                        FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                        GENERIC_ALL | MAXIMUM_ALLOWED;

bool IsTrustedSid(PSID sid) {
  if (!sid || !IsValidSid(sid)) return false;
  if (IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid)) return true;
  // The installer service (NT SERVICE\TrustedInstaller) owns the system's own folders.
  PSID installer = nullptr;
  if (!ConvertStringSidToSidW(L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", &installer)) return false;
  const bool same = EqualSid(sid, installer) != FALSE;
  LocalFree(installer);
  return same;
}

// Entries that name their holder in place of a SID: the creator of what is made inside (who
// must have been allowed to make it) and the owner, who is checked on its own.
bool IsStandInSid(PSID sid) { return IsWellKnownSid(sid, WinCreatorOwnerSid) || IsWellKnownSid(sid, WinCreatorOwnerRightsSid); }

}  // namespace

UniqueFileHandle CreateFolderBelow(HANDLE parent, const std::wstring& name, bool adminOnly) {
  if (!adminOnly) return NtOpenBelow(parent, name, kFolderAccess, kFileCreate, kFileDirectoryFile, nullptr, nullptr);
  // Owned by the administrators as a group, so that no single account's other programs can
  // change it; a token that may not name them as owner makes it its own.
  for (const wchar_t* sddl : {L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)", L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)"}) {
    const UniqueSecurityDescriptor sd = DescriptorFromText(sddl);
    if (!sd) return {};
    LONG status = 0;
    UniqueFileHandle folder = NtOpenBelow(parent, name, kFolderAccess | WRITE_DAC | WRITE_OWNER, kFileCreate,
                                          kFileDirectoryFile, sd.get(), &status);
    if (!folder && status == kStatusInvalidOwner) continue;
    if (!folder || IsAdminOnly(folder.get())) return folder;
    // Not every system applies a descriptor given at creation: set it on the new folder, and
    // make sure it holds, before anything goes in.
    CurrentFileSecurityOps().Set(folder.get(), sd.get());
    if (IsAdminOnly(folder.get())) return folder;
    DeleteWhenClosed(folder.get());
    folder.reset();
    SetLastError(ERROR_ACCESS_DENIED);
    return {};
  }
  return {};
}

UniqueFileHandle OpenBelow(HANDLE parent, const std::wstring& name, DWORD access) {
  return NtOpenBelow(parent, name, access, kFileOpen, 0, nullptr, nullptr);
}

UniqueFileHandle OpenBelow(HANDLE parent, const std::wstring& name, DWORD access, bool folder) {
  return NtOpenBelow(parent, name, access, kFileOpen, folder ? kFileDirectoryFile : kFileNonDirectoryFile, nullptr,
                     nullptr);
}

UniqueFileHandle OpenFolderItself(const std::wstring& path, DWORD access) {
  return UniqueFileHandle(CreateFileW(LongFileName(path).c_str(), access,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

bool RenameInto(HANDLE file, HANDLE folder, const std::wstring& name) {
  // The system's own call: the documented one may turn a relative name into a path of the
  // current folder first.
  static const NtSetInformationFileProc set = NtdllEntry<NtSetInformationFileProc>("NtSetInformationFile");
  static const RtlNtStatusToDosErrorProc toError = NtdllEntry<RtlNtStatusToDosErrorProc>("RtlNtStatusToDosError");
  if (!set || !toError) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return false;
  }
  if (!IsPlainName(name)) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = FALSE;
  rename->RootDirectory = folder;
  rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
  std::copy(name.begin(), name.end(), rename->FileName);
  IO_STATUS_BLOCK io{};
  const LONG status = set(file, &io, rename, static_cast<ULONG>(buffer.size()), kFileRenameInformation);
  if (status < 0) SetLastError(toError(status));
  return status >= 0;
}

bool DeleteWhenClosed(HANDLE handle) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

bool IsPlainFolder(HANDLE handle) {
  FILE_BASIC_INFO basic{};
  return GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) &&
         (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsReparsePoint(HANDLE handle) {
  FILE_BASIC_INFO basic{};
  // Unreadable counts as one: nothing is entered that cannot be told apart.
  return !GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) ||
         (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

FileSecurityOps RealFileSecurityOps() {
  FileSecurityOps real;
  real.Get = [](HANDLE handle) {
    std::vector<BYTE> bytes;
    UniqueSecurityDescriptor sd;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr, nullptr,
                        nullptr, nullptr, sd.put()) == ERROR_SUCCESS &&
        sd)
      bytes.assign(static_cast<BYTE*>(sd.get()), static_cast<BYTE*>(sd.get()) + GetSecurityDescriptorLength(sd.get()));
    return bytes;
  };
  real.Set = [](HANDLE handle, PSECURITY_DESCRIPTOR sd) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    GetSecurityDescriptorOwner(sd, &owner, &defaulted);
    GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted);
    return SetSecurityInfo(handle, SE_FILE_OBJECT,
                           (owner ? OWNER_SECURITY_INFORMATION : 0) | DACL_SECURITY_INFORMATION |
                               PROTECTED_DACL_SECURITY_INFORMATION,
                           owner, nullptr, dacl, nullptr) == ERROR_SUCCESS;
  };
  return real;
}

namespace {

FileSecurityOps& InstalledSecurityOps() {
  static FileSecurityOps ops = RealFileSecurityOps();
  return ops;
}

// Whether Wine runs the process, whatever the host settings say: the disk is then Wine's.
bool RunsOnWineDisk() {
  static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
}

// The running account, which under Wine stands for every program of the host user.
std::vector<BYTE> ReadRunningAccountSid() {
  std::vector<BYTE> sid;
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return sid;
  const UniqueKernelHandle token(raw);
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (!size || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return sid;
  PSID user = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
  sid.assign(static_cast<BYTE*>(user), static_cast<BYTE*>(user) + GetLengthSid(user));
  return sid;
}

// The process token's account never changes, and the staging of a cleaning checks a new folder
// for every few dozen entries: it is read once (again only while it could not be read).
std::vector<BYTE> RunningAccountSid() {
  static std::mutex lock;
  static std::vector<BYTE> sid;
  const std::lock_guard<std::mutex> guard(lock);
  if (sid.empty()) sid = ReadRunningAccountSid();
  return sid;
}

}  // namespace

const FileSecurityOps& CurrentFileSecurityOps() { return InstalledSecurityOps(); }

ScopedFileSecurityOps::ScopedFileSecurityOps(const FileSecurityOps& ops) : FSaved(InstalledSecurityOps()) {
  FileSecurityOps& installed = InstalledSecurityOps();
  if (ops.Get) installed.Get = ops.Get;
  if (ops.Set) installed.Set = ops.Set;
  if (ops.KeepsAccessLists) installed.KeepsAccessLists = ops.KeepsAccessLists;
}

ScopedFileSecurityOps::~ScopedFileSecurityOps() { InstalledSecurityOps() = FSaved; }

bool IsAdminOnlySecurity(PSECURITY_DESCRIPTOR sd, PSID alsoTrusted) {
  auto trusted = [&](PSID sid) { return IsTrustedSid(sid) || (alsoTrusted && sid && EqualSid(sid, alsoTrusted)); };
  PSID owner = nullptr;
  PACL dacl = nullptr;
  BOOL present = FALSE, defaulted = FALSE;
  if (!sd || !GetSecurityDescriptorOwner(sd, &owner, &defaulted) || !GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted))
    return false;
  // No access list at all lets everyone do everything.
  if (!trusted(owner) || !present || !dacl) return false;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACE_HEADER* header = nullptr;
    if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) return false;
    if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
    // Callback and object entries carry their SID elsewhere: any right they grant counts.
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) return false;
    auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
    if (!(ace->Mask & kChangingRights)) continue;
    PSID sid = &ace->SidStart;
    if (!trusted(sid) && !IsStandInSid(sid)) return false;
  }
  return true;
}

bool IsAdminOnly(HANDLE handle) {
  const FileSecurityOps& ops = CurrentFileSecurityOps();
  std::vector<BYTE> sd = ops.Get(handle);
  if (sd.empty()) return false;
  if (IsAdminOnlySecurity(sd.data())) return true;
  if (ops.KeepsAccessLists.value_or(!RunsOnWineDisk())) return false;
  std::vector<BYTE> account = RunningAccountSid();
  return !account.empty() && IsAdminOnlySecurity(sd.data(), account.data());
}

bool IsAdminOnlyPath(const std::wstring& path) {
  const UniqueFileHandle opened = OpenFolderItself(path, READ_CONTROL | FILE_READ_ATTRIBUTES);
  return opened && !IsReparsePoint(opened.get()) && IsAdminOnly(opened.get());
}

std::wstring AdminOnlyDataFolder(const std::wstring& relative) {
  std::wstring path;
  {
    wchar_t* raw = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &raw)) && raw) path = raw;
    CoTaskMemFree(raw);
  }
  if (path.empty()) throw EHvGeneralError(L"The system names no ProgramData folder.");
  UniqueFileHandle current = OpenFolderItself(path, kFolderAccess);
  if (!current) RaiseLastOSError();
  std::size_t start = 0;
  while (start < relative.size()) {
    std::size_t end = relative.find(L'\\', start);
    if (end == std::wstring::npos) end = relative.size();
    const std::wstring name = relative.substr(start, end - start);
    start = end + 1;
    if (name.empty()) continue;
    path = IncludeTrailingBackslashLX(path) + name;
    UniqueFileHandle next = CreateFolderBelow(current.get(), name, true);
    if (!next) {
      const DWORD error = GetLastError();
      if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
        throw EOSError(Fmt(L"Could not create the folder %s: %s", path, SysErrorMessage(error)), error);
      next = OpenBelow(current.get(), name, kFolderAccess);
      if (!next || !IsPlainFolder(next.get()) || !IsAdminOnly(next.get()))
        throw EHvGeneralError(Fmt(
            L"The folder %s is not one that only administrators can change, so nothing is written there. Remove it, "
            L"and the next run makes it anew.",
            path));
    }
    current = std::move(next);
  }
  return IncludeTrailingBackslashLX(path);
}

}  // namespace hv
