#include "HvAccessSeen.h"

#include <aclapi.h>

#include "HvHandles.h"
#include "HvWindows.h"

namespace hvtest {
namespace {

std::tuple<unsigned long, unsigned long, unsigned long> IdOf(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return {0, 0, 0};
  return {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

}  // namespace

AccessSeen AccessOf(const std::wstring& path) {
  AccessSeen seen;
  hv::UniqueFileHandle file(CreateFileW(path.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                        nullptr));
  if (!file) return seen;
  std::vector<BYTE> bytes = hv::CurrentFileSecurityOps().Get(file.get());
  if (bytes.empty()) return seen;
  PSECURITY_DESCRIPTOR sd = bytes.data();
  PSID owner = nullptr;
  PACL dacl = nullptr;
  BOOL present = FALSE, defaulted = FALSE;
  GetSecurityDescriptorOwner(sd, &owner, &defaulted);
  GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted);
  auto trusted = [](PSID sid) {
    return sid && (IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid));
  };
  seen.read = present && dacl != nullptr;
  seen.ownedByAdministrators = trusted(owner);
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(sd, &control, &revision);
  seen.protectedList = (control & SE_DACL_PROTECTED) != 0;
  for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
    ACE_HEADER* header = nullptr;
    if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) continue;
    ++seen.entries;
    if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || !trusted(&reinterpret_cast<ACCESS_ALLOWED_ACE*>(header)->SidStart))
      seen.onlyAdministratorsAndSystem = false;
  }
  return seen;
}

SecurityKeepingDisk::SecurityKeepingDisk() {
  const hv::FileSecurityOps real = hv::RealFileSecurityOps();
  hv::FileSecurityOps kept;
  kept.Get = [this, real](HANDLE handle) {
    const auto found = FKept.find(IdOf(handle));
    return found != FKept.end() ? std::vector<BYTE>(found->second.begin(), found->second.end()) : real.Get(handle);
  };
  kept.Set = [this](HANDLE handle, PSECURITY_DESCRIPTOR sd) {
    // What a Windows disk keeps: the owner and list given, the list protected from inheritance.
    SECURITY_DESCRIPTOR absolute;
    InitializeSecurityDescriptor(&absolute, SECURITY_DESCRIPTOR_REVISION);
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    GetSecurityDescriptorOwner(sd, &owner, &defaulted);
    GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted);
    SetSecurityDescriptorOwner(&absolute, owner, FALSE);
    SetSecurityDescriptorDacl(&absolute, TRUE, dacl, FALSE);
    SetSecurityDescriptorControl(&absolute, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    DWORD size = 0;
    MakeSelfRelativeSD(&absolute, nullptr, &size);
    std::vector<BYTE> bytes(size);
    if (!MakeSelfRelativeSD(&absolute, bytes.data(), &size)) return false;
    FKept[IdOf(handle)].assign(bytes.begin(), bytes.end());
    return true;
  };
  kept.KeepsAccessLists = true;
  FScope = std::make_unique<hv::ScopedFileSecurityOps>(kept);
}

SecurityKeepingDisk::~SecurityKeepingDisk() = default;

}  // namespace hvtest
