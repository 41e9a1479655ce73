#include "HvEncoding.h"

#include <array>

#include "HvLXCodePage.h"
#include "HvWindows.h"

namespace hv {
namespace {

constexpr unsigned kCpUtf16LE = 1200;
constexpr unsigned kCpUtf16BE = 1201;
constexpr unsigned kCpGB18030 = 54936;
constexpr wchar_t kReplacementChar = 0xFFFD;

// Appends without a copy when `out` is still empty (a whole text decoded at once).
template <class S>
void AppendTo(S& out, S&& piece) {
  if (out.empty())
    out = std::move(piece);
  else
    out += piece;
}

void AppendWide(unsigned codePage, std::string_view bytes, std::wstring& out) {
  AppendTo(out, MultiByteToWideLX(bytes, codePage));
}

void AppendNarrow(unsigned codePage, std::wstring_view text, std::string& out) {
  AppendTo(out, WideToMultiByteLX(text, codePage));
}

class TUTF8Encoding final : public TEncoding {
 public:
  unsigned CodePage() const override { return CP_UTF8; }
  std::string_view Preamble() const override { return "\xEF\xBB\xBF"; }
  int MaxBytesPerChar() const override { return 4; }
  std::unique_ptr<TEncoding> Clone() const override { return std::make_unique<TUTF8Encoding>(); }
  void Decode(std::string_view bytes, std::wstring& out) const override { AppendWide(CP_UTF8, bytes, out); }
  void Encode(std::wstring_view text, std::string& out) const override { AppendNarrow(CP_UTF8, text, out); }

  size_t CompleteLength(std::string_view bytes) const override {
    size_t n = bytes.size();
    size_t i = n;
    // Step back over at most three continuation bytes to the lead byte of the last character.
    while (i > 0 && n - i < 3 && (static_cast<unsigned char>(bytes[i - 1]) & 0xC0) == 0x80) --i;
    if (i == 0) return n;
    unsigned char lead = static_cast<unsigned char>(bytes[i - 1]);
    size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 && lead < 0xF0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 1;
    return length > n - (i - 1) ? i - 1 : n;
  }
};

// UTF-16 in either byte order. Units are copied as they are, unpaired surrogates included,
// so text read and written again is unchanged; only a lone last byte has no character and
// becomes the replacement character.
class TUnicodeEncoding final : public TEncoding {
 public:
  explicit TUnicodeEncoding(bool bigEndian) : FBigEndian(bigEndian) {}
  unsigned CodePage() const override { return FBigEndian ? kCpUtf16BE : kCpUtf16LE; }
  std::string_view Preamble() const override { return FBigEndian ? "\xFE\xFF" : "\xFF\xFE"; }
  int MaxBytesPerChar() const override { return 4; }
  std::unique_ptr<TEncoding> Clone() const override { return std::make_unique<TUnicodeEncoding>(FBigEndian); }

  void Decode(std::string_view bytes, std::wstring& out) const override {
    size_t units = bytes.size() / 2;
    size_t start = out.size();
    out.resize(start + units + bytes.size() % 2);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t k = 0; k < units; ++k, p += 2)
      out[start + k] = static_cast<wchar_t>(FBigEndian ? (p[0] << 8) | p[1] : p[0] | (p[1] << 8));
    if (bytes.size() % 2) out.back() = kReplacementChar;
  }

  void Encode(std::wstring_view text, std::string& out) const override {
    size_t start = out.size();
    out.resize(start + text.size() * 2);
    char* p = out.data() + start;
    for (wchar_t c : text) {
      char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
      *p++ = FBigEndian ? hi : lo;
      *p++ = FBigEndian ? lo : hi;
    }
  }

  size_t CompleteLength(std::string_view bytes) const override {
    size_t n = bytes.size() & ~size_t{1};
    if (n >= 2) {
      unsigned char a = static_cast<unsigned char>(bytes[n - 2]), b = static_cast<unsigned char>(bytes[n - 1]);
      unsigned unit = FBigEndian ? (a << 8) | b : a | (b << 8);
      if (unit >= 0xD800 && unit <= 0xDBFF) n -= 2;  // keep a surrogate pair together
    }
    return n;
  }

 private:
  bool FBigEndian;
};

// Any other code page, through the system's conversion functions.
class TMBCSEncoding final : public TEncoding {
 public:
  explicit TMBCSEncoding(unsigned codePage) : FCodePage(codePage) {
    CPINFO info{};
    if (!GetCPInfo(codePage, &info)) throw EEncodingError(L"Invalid code page");
    FMaxCharSize = info.MaxCharSize;
    for (int k = 0; k + 1 < MAX_LEADBYTES && info.LeadByte[k]; k += 2)
      for (unsigned b = info.LeadByte[k]; b <= info.LeadByte[k + 1]; ++b) FLeadByte[b] = true;
    FDoubleByte = FMaxCharSize == 2 && info.LeadByte[0] != 0;
  }
  unsigned CodePage() const override { return FCodePage; }
  std::string_view Preamble() const override { return {}; }
  int MaxBytesPerChar() const override { return FMaxCharSize; }
  std::unique_ptr<TEncoding> Clone() const override { return std::make_unique<TMBCSEncoding>(FCodePage); }
  void Decode(std::string_view bytes, std::wstring& out) const override { AppendWide(FCodePage, bytes, out); }
  void Encode(std::wstring_view text, std::string& out) const override { AppendNarrow(FCodePage, text, out); }

  bool HasCharBoundaries() const override { return FMaxCharSize == 1 || FDoubleByte || FCodePage == kCpGB18030; }

  size_t CompleteLength(std::string_view bytes) const override {
    if (FMaxCharSize == 1) return bytes.size();
    // A trail byte can look like a lead byte, so only a walk from the start finds the last
    // character's first byte.
    size_t i = 0;
    while (i < bytes.size()) {
      size_t at = i;
      unsigned char b = static_cast<unsigned char>(bytes[i]);
      if (FCodePage == kCpGB18030 && b >= 0x81 && b <= 0xFE) {
        if (i + 1 == bytes.size()) return at;  // the second byte decides the length
        i += bytes[i + 1] >= '0' && bytes[i + 1] <= '9' ? 4 : 2;
      } else {
        i += FLeadByte[b] ? 2 : 1;
      }
      if (i > bytes.size()) return at;
    }
    return bytes.size();
  }

 private:
  unsigned FCodePage;
  int FMaxCharSize = 1;
  bool FDoubleByte = false;
  std::array<bool, 256> FLeadByte{};
};

}  // namespace

struct StandardEncodings {
  static const TEncoding* Mark(TEncoding* e) {
    e->FStandard = true;
    return e;
  }
};

std::wstring TEncoding::GetString(std::string_view bytes) const {
  std::wstring out;
  Decode(bytes, out);
  return out;
}

std::string TEncoding::GetBytes(std::wstring_view text) const {
  std::string out;
  Encode(text, out);
  return out;
}

// The shared instances are never destroyed: lists and readers may still point at them
// while other static objects are torn down.
const TEncoding* TEncoding::UTF8() {
  static const TEncoding* e = StandardEncodings::Mark(new TUTF8Encoding());
  return e;
}
const TEncoding* TEncoding::Unicode() {
  static const TEncoding* e = StandardEncodings::Mark(new TUnicodeEncoding(false));
  return e;
}
const TEncoding* TEncoding::BigEndianUnicode() {
  static const TEncoding* e = StandardEncodings::Mark(new TUnicodeEncoding(true));
  return e;
}
const TEncoding* TEncoding::ANSI() {
  static const TEncoding* e = StandardEncodings::Mark(new TMBCSEncoding(GetACP()));
  return e;
}
const TEncoding* TEncoding::ASCII() {
  static const TEncoding* e = StandardEncodings::Mark(new TMBCSEncoding(20127));
  return e;
}

std::unique_ptr<TEncoding> TEncoding::GetEncoding(unsigned codePage) {
  if (codePage == CP_ACP) codePage = GetACP();
  switch (codePage) {
    case CP_UTF8: return std::make_unique<TUTF8Encoding>();
    case kCpUtf16LE: return std::make_unique<TUnicodeEncoding>(false);
    case kCpUtf16BE: return std::make_unique<TUnicodeEncoding>(true);
    default:
      if (!IsValidCodePage(codePage)) throw EEncodingError(L"Invalid code page");
      return std::make_unique<TMBCSEncoding>(codePage);
  }
}

const TEncoding* TEncoding::DetectBOM(std::string_view bytes) {
  for (const TEncoding* e : {UTF8(), Unicode(), BigEndianUnicode()})
    if (bytes.starts_with(e->Preamble())) return e;
  return nullptr;
}

}  // namespace hv
