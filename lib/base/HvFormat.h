// Format: the library's one text formatter. It takes the message texts exactly as they are
// written (%s %d %u %x %p %e %f %g %n %m, width, precision, '*', '-' and the index form %0:d)
// so every quoted message can be pasted unchanged.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace hv {

struct FormatArg {
  enum class Kind { Int, UInt, Float, String, Pointer };
  Kind kind;
  std::int64_t i = 0;
  double f = 0;
  std::wstring_view s;
  const void* p = nullptr;

  FormatArg(int v) : kind(Kind::Int), i(v) {}
  FormatArg(long v) : kind(Kind::Int), i(v) {}
  FormatArg(long long v) : kind(Kind::Int), i(v) {}
  FormatArg(unsigned v) : kind(Kind::UInt), i(static_cast<std::int64_t>(v)) {}
  FormatArg(unsigned long v) : kind(Kind::UInt), i(static_cast<std::int64_t>(v)) {}
  FormatArg(unsigned long long v) : kind(Kind::UInt), i(static_cast<std::int64_t>(v)) {}
  FormatArg(double v) : kind(Kind::Float), f(v) {}
  FormatArg(const wchar_t* v) : kind(Kind::String), s(v ? v : L"") {}
  FormatArg(const std::wstring& v) : kind(Kind::String), s(v) {}
  FormatArg(std::wstring_view v) : kind(Kind::String), s(v) {}
  FormatArg(const void* v) : kind(Kind::Pointer), p(v) {}
  FormatArg(bool) = delete;  // as in the original runtime: a Boolean is no format argument
};

// Raises EConvertError "Format '%s' invalid or incompatible with argument" on a bad
// specifier, a missing argument or an argument of the wrong kind.
std::wstring Format(std::wstring_view fmt, std::initializer_list<FormatArg> args);

template <class... A>
std::wstring Fmt(std::wstring_view fmt, const A&... args) {
  return Format(fmt, {FormatArg(args)...});
}

}  // namespace hv
