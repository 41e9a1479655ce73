#include "HvLXFileStrings.h"

#include "HvLXChecks.h"
#include "HvStringListOps.h"

namespace hv {
namespace {
std::int64_t ByteLength(const std::wstring& s) { return static_cast<std::int64_t>(s.size() * sizeof(wchar_t)); }
}  // namespace

THvFileStrings::THvFileStrings() : IFS(std::make_unique<THvIndexedTempFileStream>()) {}

std::wstring THvFileStrings::Get(int index) const {
  const std::int64_t len = IFS->GetBufferLen(index);
  CheckTrueFmt(len % 2 == 0, L"Internal Error: String length in bytes (%d) was odd.", len);
  std::wstring s(static_cast<size_t>(len / 2), L'\0');
  IFS->Get(index, s.data(), len);
  return s;
}

int THvFileStrings::GetCount() const { return IFS->GetCount(); }

void THvFileStrings::Put(int index, const std::wstring& s) { IFS->Put(index, s.data(), ByteLength(s)); }

void THvFileStrings::PutObject(int index, void* object) {
  if (object) throw ENotSupportedException(L"Internal Error: Non-nil objects are not supported.");
}

int THvFileStrings::Add(const std::wstring& s) { return IFS->Add(s.data(), ByteLength(s)); }

void THvFileStrings::Clear() { IFS->Clear(); }

void THvFileStrings::Delete(int index) { IFS->Delete(index); }

void THvFileStrings::Insert(int index, const std::wstring& s) { IFS->Insert(index, s.data(), ByteLength(s)); }

void THvFileStrings::LoadFromStream(TStream& stream, const TEncoding* encoding) {
  LoadFromStream_Safe(*this, stream, encoding);
}

void THvFileStrings::SaveToFile(const std::wstring& fileName) {
  TStrings::SaveToFile(fileName, Encoding() ? Encoding() : TEncoding::Unicode());
}

void THvFileStrings::SaveToStream(TStream& stream, const TEncoding* encoding) {
  SaveToStream_Safe(*this, stream, encoding);
}

}  // namespace hv
