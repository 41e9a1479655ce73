// Text encodings: UTF-8, UTF-16 in both byte orders, and every code page the system knows.
// Decoding never rejects bytes: what is not valid in the encoding becomes the system's
// replacement character, so reading a damaged file loses nothing that follows the damage.
// Bytes travel in std::string (one char per byte).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "HvExceptions.h"

namespace hv {

HV_DECLARE_EXCEPTION(EEncodingError, Exception);

class TEncoding {
 public:
  virtual ~TEncoding() = default;
  TEncoding(const TEncoding&) = delete;
  TEncoding& operator=(const TEncoding&) = delete;

  virtual unsigned CodePage() const = 0;
  // The byte order mark written before the text (empty for most code pages).
  virtual std::string_view Preamble() const = 0;
  // The largest number of bytes one character (a code point) can take.
  virtual int MaxBytesPerChar() const = 0;
  virtual std::unique_ptr<TEncoding> Clone() const = 0;

  // Appends the decoded/encoded form of `bytes`/`text` to `out`.
  virtual void Decode(std::string_view bytes, std::wstring& out) const = 0;
  virtual void Encode(std::wstring_view text, std::string& out) const = 0;

  // How many leading bytes of `bytes` (which starts at a character boundary) hold whole
  // characters, so a reader can hand the rest back and read it with the next block.
  virtual size_t CompleteLength(std::string_view bytes) const { return bytes.size(); }
  // False for encodings whose characters cannot be told apart from the bytes alone
  // (stateful ones such as UTF-7): such text must be decoded in one piece.
  virtual bool HasCharBoundaries() const { return true; }

  std::wstring GetString(std::string_view bytes) const;
  std::string GetBytes(std::wstring_view text) const;

  // True for the shared instances below, which live as long as the process and are never
  // freed by whoever holds them.
  bool IsStandard() const { return FStandard; }

  static const TEncoding* UTF8();
  static const TEncoding* Unicode();           // UTF-16 little-endian
  static const TEncoding* BigEndianUnicode();  // UTF-16 big-endian
  static const TEncoding* ANSI();              // the system's ANSI code page
  static const TEncoding* ASCII();             // code page 20127

  // A new encoding for a code page (0 is the ANSI code page). Raises EEncodingError
  // "Invalid code page" for a code page the system does not know.
  static std::unique_ptr<TEncoding> GetEncoding(unsigned codePage);

  // The encoding named by a byte order mark at the start of `bytes` (UTF-8 EF BB BF,
  // UTF-16 LE FF FE, UTF-16 BE FE FF, tested in that order), or nullptr.
  static const TEncoding* DetectBOM(std::string_view bytes);

 protected:
  TEncoding() = default;

 private:
  friend struct StandardEncodings;
  bool FStandard = false;
};

}  // namespace hv
