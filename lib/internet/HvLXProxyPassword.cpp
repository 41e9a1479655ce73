#include "HvLXProxyPassword.h"

#include <string_view>
#include <vector>

#include "HvWindows.h"

#include <wincrypt.h>

#include "HvExceptions.h"
#include "HvScopeExit.h"

namespace hv {
namespace {

// Mixed into the protection so that the stored text is no plain protected blob that any tool
// unseals without a second thought. It is a constant of this program, readable in its file, so
// it does not keep out another program of the same user that looks for it: the protection is
// the user's own, as for everything the system protects for that user.
constexpr std::string_view kEntropy = "Halvern proxy password";
constexpr wchar_t kPrefix[] = L"dp1:";

DATA_BLOB EntropyBlob() {
  return {static_cast<DWORD>(kEntropy.size()), reinterpret_cast<BYTE*>(const_cast<char*>(kEntropy.data()))};
}

std::wstring ToBase64(const BYTE* bytes, DWORD count) {
  constexpr DWORD kFlags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
  DWORD size = 0;
  if (!CryptBinaryToStringW(bytes, count, kFlags, nullptr, &size)) RaiseLastOSError();
  std::wstring text(size, L'\0');
  if (!CryptBinaryToStringW(bytes, count, kFlags, text.data(), &size)) RaiseLastOSError();
  text.resize(size);
  return text;
}

bool FromBase64(std::wstring_view text, std::vector<BYTE>& bytes) {
  DWORD size = 0;
  const auto length = static_cast<DWORD>(text.size());
  if (!CryptStringToBinaryW(text.data(), length, CRYPT_STRING_BASE64, nullptr, &size, nullptr, nullptr)) return false;
  bytes.resize(size);
  return CryptStringToBinaryW(text.data(), length, CRYPT_STRING_BASE64, bytes.data(), &size, nullptr, nullptr) &&
         size > 0;
}

}  // namespace

std::wstring ProtectProxyPassword(const std::wstring& password) {
  if (password.empty()) return {};
  DATA_BLOB plain{static_cast<DWORD>(password.size() * sizeof(wchar_t)),
                  reinterpret_cast<BYTE*>(const_cast<wchar_t*>(password.data()))};
  DATA_BLOB entropy = EntropyBlob();
  DATA_BLOB sealed{};
  if (!CryptProtectData(&plain, L"", &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &sealed))
    RaiseLastOSError();
  auto freeSealed = ScopeExit([&] { LocalFree(sealed.pbData); });
  return kPrefix + ToBase64(sealed.pbData, sealed.cbData);
}

std::wstring UnprotectProxyPassword(const std::wstring& stored) {
  std::wstring_view text = stored;
  if (!text.starts_with(kPrefix)) return {};
  std::vector<BYTE> bytes;
  if (!FromBase64(text.substr(std::wstring_view(kPrefix).size()), bytes)) return {};
  DATA_BLOB sealed{static_cast<DWORD>(bytes.size()), bytes.data()};
  DATA_BLOB entropy = EntropyBlob();
  DATA_BLOB plain{};
  if (!CryptUnprotectData(&sealed, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &plain))
    return {};
  auto freePlain = ScopeExit([&] {
    SecureZeroMemory(plain.pbData, plain.cbData);
    LocalFree(plain.pbData);
  });
  return std::wstring(reinterpret_cast<const wchar_t*>(plain.pbData), plain.cbData / sizeof(wchar_t));
}

}  // namespace hv
