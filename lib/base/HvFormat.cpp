#include "HvFormat.h"

#include <cmath>
#include <cstdio>
#include <cwchar>

#include "HvExceptions.h"

namespace hv {
namespace {

[[noreturn]] void FormatError(std::wstring_view fmt) {
  std::wstring text = L"Format '";
  text.append(fmt);
  text += L"' invalid or incompatible with argument";
  throw EConvertError(text);
}

std::wstring Digits(std::uint64_t v, unsigned base) {
  if (v == 0) return L"0";
  std::wstring s;
  while (v) {
    unsigned d = static_cast<unsigned>(v % base);
    s.insert(s.begin(), static_cast<wchar_t>(d < 10 ? L'0' + d : L'A' + d - 10));
    v /= base;
  }
  return s;
}

std::wstring FloatText(double v, wchar_t type, int prec) {
  char buf[512];
  switch (type) {
    case L'e': std::snprintf(buf, sizeof buf, "%.*E", prec < 0 ? 15 - 1 : (prec > 0 ? prec - 1 : 0), v); break;
    case L'f': std::snprintf(buf, sizeof buf, "%.*f", prec < 0 ? 2 : prec, v); break;
    case L'g': std::snprintf(buf, sizeof buf, "%.*G", prec < 0 ? 15 : (prec == 0 ? 1 : prec), v); break;
    default: {  // n and m: fixed with thousands separators
      std::snprintf(buf, sizeof buf, "%.*f", prec < 0 ? 2 : prec, std::fabs(v));
      std::string s = buf, out;
      auto dot = s.find('.');
      std::string whole = s.substr(0, dot), frac = dot == std::string::npos ? "" : s.substr(dot);
      for (size_t i = 0; i < whole.size(); ++i) {
        if (i && (whole.size() - i) % 3 == 0) out += ',';
        out += whole[i];
      }
      out = (v < 0 ? "-" : "") + out + frac;
      return std::wstring(out.begin(), out.end());
    }
  }
  std::string s = buf;
  return std::wstring(s.begin(), s.end());
}

}  // namespace

std::wstring Format(std::wstring_view fmt, std::initializer_list<FormatArg> args) {
  std::wstring out;
  out.reserve(fmt.size() + 16 * args.size());
  const FormatArg* argv = args.begin();
  const size_t argc = args.size();
  size_t next = 0;
  size_t i = 0;
  auto readNumber = [&](int& value) -> bool {
    if (i < fmt.size() && fmt[i] == L'*') {
      ++i;
      if (next >= argc || argv[next].kind != FormatArg::Kind::Int) FormatError(fmt);
      value = static_cast<int>(argv[next++].i);
      return true;
    }
    bool any = false;
    value = 0;
    while (i < fmt.size() && fmt[i] >= L'0' && fmt[i] <= L'9') {
      value = value * 10 + (fmt[i++] - L'0');
      any = true;
    }
    return any;
  };

  while (i < fmt.size()) {
    wchar_t c = fmt[i++];
    if (c != L'%') {
      out += c;
      continue;
    }
    if (i < fmt.size() && fmt[i] == L'%') {
      out += L'%';
      ++i;
      continue;
    }
    // [index ":"] ["-"] [width] ["." prec] type
    int number = 0;
    bool left = false;
    int width = -1, prec = -1;
    size_t mark = i;
    bool digits = false;
    while (i < fmt.size() && fmt[i] >= L'0' && fmt[i] <= L'9') {
      number = number * 10 + (fmt[i++] - L'0');
      digits = true;
    }
    if (digits && i < fmt.size() && fmt[i] == L':') {
      ++i;
      next = static_cast<size_t>(number);
    } else {
      i = mark;
    }
    if (i < fmt.size() && fmt[i] == L'-') {
      left = true;
      ++i;
    }
    int w;
    if (readNumber(w)) width = w;
    if (i < fmt.size() && fmt[i] == L'.') {
      ++i;
      int p;
      prec = readNumber(p) ? p : 0;
    }
    if (i >= fmt.size()) FormatError(fmt);
    wchar_t type = static_cast<wchar_t>(std::towlower(fmt[i++]));
    if (next >= argc) FormatError(fmt);
    const FormatArg& a = argv[next++];
    std::wstring piece;
    switch (type) {
      case L'd':
      case L'u': {
        if (a.kind != FormatArg::Kind::Int && a.kind != FormatArg::Kind::UInt) FormatError(fmt);
        std::int64_t v = a.i;
        if (type == L'u' && a.kind == FormatArg::Kind::Int) v = static_cast<std::uint32_t>(v);
        bool neg = v < 0;
        std::wstring digits = Digits(neg ? static_cast<std::uint64_t>(-(v + 1)) + 1 : static_cast<std::uint64_t>(v), 10);
        if (prec > static_cast<int>(digits.size())) digits.insert(0, prec - digits.size(), L'0');
        piece = (neg ? L"-" : L"") + digits;
        break;
      }
      case L'x': {
        if (a.kind != FormatArg::Kind::Int && a.kind != FormatArg::Kind::UInt) FormatError(fmt);
        std::uint64_t v = static_cast<std::uint64_t>(a.i);
        if (a.kind == FormatArg::Kind::Int && a.i >= INT32_MIN && a.i <= INT32_MAX) v = static_cast<std::uint32_t>(a.i);
        piece = Digits(v, 16);
        if (prec > static_cast<int>(piece.size())) piece.insert(0, prec - piece.size(), L'0');
        break;
      }
      case L'p': {
        if (a.kind != FormatArg::Kind::Pointer) FormatError(fmt);
        piece = Digits(reinterpret_cast<std::uintptr_t>(a.p), 16);
        piece.insert(0, sizeof(void*) * 2 - piece.size(), L'0');
        break;
      }
      case L's': {
        if (a.kind != FormatArg::Kind::String) FormatError(fmt);
        piece.assign(a.s);
        if (prec >= 0 && static_cast<size_t>(prec) < piece.size()) piece.resize(prec);
        break;
      }
      case L'e':
      case L'f':
      case L'g':
      case L'n':
      case L'm': {
        double v;
        if (a.kind == FormatArg::Kind::Float) v = a.f;
        else FormatError(fmt);
        piece = FloatText(v, type, prec);
        break;
      }
      default:
        FormatError(fmt);
    }
    if (width > static_cast<int>(piece.size())) {
      std::wstring pad(width - piece.size(), L' ');
      piece = left ? piece + pad : pad + piece;
    }
    out += piece;
  }
  return out;
}

}  // namespace hv
