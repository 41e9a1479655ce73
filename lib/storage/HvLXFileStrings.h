// THvFileStrings: a string list whose strings live in an indexed temporary file, for lists
// too large to keep in memory. Only the offsets of the strings are in memory. String i is
// buffer i: its UTF-16 code units as they are, any value including unpaired surrogates, with
// no terminator. Items carry no objects.
#pragma once

#include <memory>
#include <string>

#include "HvLXIndexedTempFile.h"
#include "HvStrings.h"

namespace hv {

class THvFileStrings : public TStrings {
 public:
  THvFileStrings();

  std::wstring Get(int index) const override;
  int GetCount() const override;
  void Put(int index, const std::wstring& s) override;
  // Raises ENotSupportedException for a non-nil object; AddObject with one therefore adds
  // the string and then raises.
  void PutObject(int index, void* object) override;
  int Add(const std::wstring& s) override;
  void Clear() override;
  void Delete(int index) override;
  void Insert(int index, const std::wstring& s) override;

  using TStrings::LoadFromStream;
  void LoadFromStream(TStream& stream, const TEncoding* encoding) override;
  using TStrings::SaveToFile;
  // With the list's encoding, or UTF-16 little-endian (mark FF FE) when it has none.
  void SaveToFile(const std::wstring& fileName) override;
  using TStrings::SaveToStream;
  void SaveToStream(TStream& stream, const TEncoding* encoding) override;

  const THvIndexedTempFileStream& Storage() const { return *IFS; }

 private:
  std::unique_ptr<THvIndexedTempFileStream> IFS;
};

}  // namespace hv
