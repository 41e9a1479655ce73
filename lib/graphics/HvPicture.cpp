#include "HvPicture.h"

#include <vector>

#include "HvExceptions.h"
#include "HvImageDecoder.h"
#include "HvGdiHandles.h"

namespace hv {

bool TPicture::Empty() const { return Width() <= 0 || Height() <= 0; }

int TPicture::Width() const {
  BITMAP info;
  return FBitmap && GetObjectW(FBitmap.get(), sizeof info, &info) ? info.bmWidth : 0;
}

int TPicture::Height() const {
  BITMAP info;
  return FBitmap && GetObjectW(FBitmap.get(), sizeof info, &info) ? info.bmHeight : 0;
}

void TPicture::SetBitmap(HBITMAP bitmap) { TakeBitmap(bitmap, false); }

void TPicture::TakeBitmap(HBITMAP bitmap, bool hasAlpha) {
  // (Freeing keeps the last error, which may tell why a new picture is being set.)
  if (bitmap != FBitmap.get()) FBitmap.reset(bitmap);
  FHasAlpha = bitmap && hasAlpha;
  Changed();
}

TPicture& TPicture::operator=(const TPicture& other) {
  Assign(&other);
  return *this;
}

void TPicture::Assign(const TPicture* source) {
  if (source == this) return;
  TUniqueBitmap copy;
  if (source && source->FBitmap) {
    copy.reset(static_cast<HBITMAP>(CopyImage(source->FBitmap.get(), IMAGE_BITMAP, 0, 0, 0)));
    if (!copy) RaiseLastOSError();
  }
  bool hasAlpha = copy && source->FHasAlpha;
  TakeBitmap(copy.release(), hasAlpha);
}

void TPicture::Changed() {
  if (FOnChange) FOnChange();
}

void TPicture::Draw(HDC dc, const RECT& rect) const {
  if (Empty()) return;
  TUniqueMemoryDC source(CreateCompatibleDC(dc));
  if (!source) RaiseLastOSError();
  HGDIOBJ old = SelectObject(source.get(), FBitmap.get());
  int w = rect.right - rect.left, h = rect.bottom - rect.top;
  BOOL ok;
  if (FHasAlpha) {
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ok = AlphaBlend(dc, rect.left, rect.top, w, h, source.get(), 0, 0, Width(), Height(), blend);
  } else {
    ok = StretchBlt(dc, rect.left, rect.top, w, h, source.get(), 0, 0, Width(), Height(), SRCCOPY);
  }
  DWORD error = GetLastError();
  SelectObject(source.get(), old);
  source.reset();
  if (!ok) throw MakeOSError(error);
}

void TPicture::LoadFromMemory(const void* data, std::size_t size) {
  TDecodedImage image = DecodeImage(data, size);
  TakeBitmap(image.Bitmap.release(), image.HasAlpha);
}

void TPicture::LoadFromFile(const std::wstring& fileName) {
  std::vector<unsigned char> bytes = ReadImageFile(fileName);
  LoadFromMemory(bytes.data(), bytes.size());
}

void TPicture::LoadFromResource(HMODULE module, const wchar_t* name, const wchar_t* type) {
  HRSRC info = FindResourceW(module, name, type);
  HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) RaiseLastOSError();
  LoadFromMemory(data, SizeofResource(module, info));
}

}  // namespace hv
