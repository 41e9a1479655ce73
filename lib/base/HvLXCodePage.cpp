#include "HvLXCodePage.h"

#include <climits>

#include "HvExceptions.h"

namespace hv {
namespace {
int CheckedLength(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX)) RaiseLastOSError(ERROR_ARITHMETIC_OVERFLOW);
  return static_cast<int>(size);
}
}  // namespace

std::wstring MultiByteToWideLX(std::string_view text, UINT codePage) {
  if (text.empty()) return {};
  int inLength = CheckedLength(text.size());
  // No MB_ERR_INVALID_CHARS: invalid bytes become replacement characters.
  int length = MultiByteToWideChar(codePage, 0, text.data(), inLength, nullptr, 0);
  if (length <= 0) RaiseLastOSError();
  std::wstring result(static_cast<std::size_t>(length), L'\0');
  length = MultiByteToWideChar(codePage, 0, text.data(), inLength, result.data(), length);
  if (length <= 0) RaiseLastOSError();
  result.resize(static_cast<std::size_t>(length));
  return result;
}

std::string WideToMultiByteLX(std::wstring_view text, UINT codePage) {
  if (text.empty()) return {};
  int inLength = CheckedLength(text.size());
  int length = WideCharToMultiByte(codePage, 0, text.data(), inLength, nullptr, 0, nullptr, nullptr);
  if (length <= 0) RaiseLastOSError();
  std::string result(static_cast<std::size_t>(length), '\0');
  length = WideCharToMultiByte(codePage, 0, text.data(), inLength, result.data(), length, nullptr, nullptr);
  if (length <= 0) RaiseLastOSError();
  result.resize(static_cast<std::size_t>(length));
  return result;
}

}  // namespace hv
