#include "HvLXBoolText.h"

#include <cwchar>
#include <cwctype>

#include "HvExceptions.h"
#include "HvLXStrings.h"

namespace hv {
namespace {
constexpr std::wstring_view kTrueWords[] = {L"True", L"Yes"};
constexpr std::wstring_view kFalseWords[] = {L"False", L"No"};

bool TryInteger(std::wstring_view text, long long& number) {
  std::wstring s(text);
  if (s.empty() || std::iswspace(s.front())) return false;
  wchar_t* end = nullptr;
  errno = 0;
  number = std::wcstoll(s.c_str(), &end, 10);
  return errno == 0 && end == s.c_str() + s.size();
}
}  // namespace

std::wstring BoolToStrLX(bool value) { return value ? L"True" : L"False"; }

bool TryStrToBoolLX(std::wstring_view text, bool& value) {
  for (auto word : kTrueWords)
    if (SameTextLX(word, text)) return value = true, true;
  for (auto word : kFalseWords)
    if (SameTextLX(word, text)) return value = false, true;
  long long number = 0;
  if (!TryInteger(text, number)) return false;
  value = number != 0;
  return true;
}

bool StrToBoolLX(std::wstring_view text) {
  bool value = false;
  if (!TryStrToBoolLX(text, value)) throw EConvertError(Fmt(L"'%s' is not a valid boolean value", text));
  return value;
}

}  // namespace hv
