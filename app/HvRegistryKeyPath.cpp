#include "HvRegistryKeyPath.h"

#include <sddl.h>

#include <vector>

#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvHandles.h"
#include "HvLXStrings.h"

namespace hv {
namespace {

// ntdll's own query: the documented registry calls do not tell where a key lives.
constexpr int kKeyNameInformation = 3;
using NtQueryKeyProc = LONG(WINAPI*)(HANDLE key, int infoClass, void* info, ULONG length, ULONG* resultLength);
constexpr LONG kStatusBufferOverflow = static_cast<LONG>(0x80000005);
constexpr LONG kStatusBufferTooSmall = static_cast<LONG>(0xC0000023);

NtQueryKeyProc NtQueryKeyEntry() {
  static const NtQueryKeyProc proc =
      reinterpret_cast<NtQueryKeyProc>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryKey")));
  return proc;
}

// Whether `name` is `prefix` or begins with `prefix` and a backslash; `rest` gets what follows.
bool TakePrefix(const std::wstring& name, const std::wstring& prefix, std::wstring& rest) {
  if (name.size() < prefix.size() || !SameTextOrdinal(std::wstring_view(name).substr(0, prefix.size()), prefix)) return false;
  if (name.size() == prefix.size()) {
    rest.clear();
    return true;
  }
  if (name[prefix.size()] != L'\\') return false;
  rest = name.substr(prefix.size());
  return true;
}

}  // namespace

std::wstring RegistryPathFromNativeName(const std::wstring& nativeName, const std::wstring& currentUserSid) {
  std::wstring rest;
  if (TakePrefix(nativeName, L"\\REGISTRY\\MACHINE", rest)) return L"HKEY_LOCAL_MACHINE" + rest;
  if (TakePrefix(nativeName, L"\\REGISTRY\\USER", rest) && !rest.empty()) {
    std::wstring below;
    if (!currentUserSid.empty() && TakePrefix(rest.substr(1), currentUserSid, below)) return L"HKEY_CURRENT_USER" + below;
    return L"HKEY_USERS" + rest;
  }
  throw EHvGeneralError(Fmt(L"The registry key \"%s\" lies outside the roots a backup file can name.", nativeName));
}

std::wstring CurrentUserSid() {
  static const std::wstring sid = [] {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) RaiseLastOSError();
    const UniqueKernelHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<std::uint8_t> buffer(size);
    if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) RaiseLastOSError();
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) RaiseLastOSError();
    const UniqueLocalMem<wchar_t*> owned(text);
    return std::wstring(text);
  }();
  return sid;
}

std::wstring RegistryKeyRealPath(HKEY key) {
  const NtQueryKeyProc query = NtQueryKeyEntry();
  if (!query) RaiseLastOSError(ERROR_PROC_NOT_FOUND);
  std::vector<std::uint8_t> buffer(512);
  for (;;) {
    ULONG needed = 0;
    const LONG status = query(key, kKeyNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if ((status == kStatusBufferOverflow || status == kStatusBufferTooSmall) && needed > buffer.size()) {
      buffer.resize(needed);
      continue;
    }
    if (status < 0) throw EOSError(Fmt(L"The system did not name a registry key (status %.8x).", static_cast<unsigned>(status)), static_cast<std::uint32_t>(status));
    ULONG length = 0;
    memcpy(&length, buffer.data(), sizeof length);
    const std::wstring native(reinterpret_cast<const wchar_t*>(buffer.data() + sizeof(ULONG)), length / sizeof(wchar_t));
    return RegistryPathFromNativeName(native, CurrentUserSid());
  }
}

}  // namespace hv
