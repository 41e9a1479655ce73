#include "HvPicture.h"

#include <vector>

#include "HvExceptions.h"
#include "HvImageDecoder.h"

namespace hv {

TPicture::~TPicture() { FreeBitmap(); }

void TPicture::FreeBitmap() {
  if (!FBitmap) return;
  DWORD lastError = GetLastError();  // freeing must not hide the error that led here
  DeleteObject(FBitmap);
  SetLastError(lastError);
  FBitmap = nullptr;
}

bool TPicture::Empty() const { return Width() <= 0 || Height() <= 0; }

int TPicture::Width() const {
  BITMAP info;
  return FBitmap && GetObjectW(FBitmap, sizeof info, &info) ? info.bmWidth : 0;
}

int TPicture::Height() const {
  BITMAP info;
  return FBitmap && GetObjectW(FBitmap, sizeof info, &info) ? info.bmHeight : 0;
}

void TPicture::SetBitmap(HBITMAP bitmap) { TakeBitmap(bitmap, false); }

void TPicture::TakeBitmap(HBITMAP bitmap, bool hasAlpha) {
  if (bitmap != FBitmap) {
    FreeBitmap();
    FBitmap = bitmap;
  }
  FHasAlpha = bitmap && hasAlpha;
  Changed();
}

TPicture& TPicture::operator=(const TPicture& other) {
  Assign(&other);
  return *this;
}

void TPicture::Assign(const TPicture* source) {
  if (source == this) return;
  HBITMAP copy = nullptr;
  if (source && source->FBitmap) {
    copy = static_cast<HBITMAP>(CopyImage(source->FBitmap, IMAGE_BITMAP, 0, 0, 0));
    if (!copy) RaiseLastOSError();
  }
  TakeBitmap(copy, copy && source->FHasAlpha);
}

void TPicture::Changed() {
  if (FOnChange) FOnChange();
}

void TPicture::Draw(HDC dc, const RECT& rect) const {
  if (Empty()) return;
  HDC source = CreateCompatibleDC(dc);
  if (!source) RaiseLastOSError();
  HGDIOBJ old = SelectObject(source, FBitmap);
  int w = rect.right - rect.left, h = rect.bottom - rect.top;
  BOOL ok;
  if (FHasAlpha) {
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ok = AlphaBlend(dc, rect.left, rect.top, w, h, source, 0, 0, Width(), Height(), blend);
  } else {
    ok = StretchBlt(dc, rect.left, rect.top, w, h, source, 0, 0, Width(), Height(), SRCCOPY);
  }
  DWORD error = GetLastError();
  SelectObject(source, old);
  DeleteDC(source);
  if (!ok) throw MakeOSError(error);
}

void TPicture::LoadFromMemory(const void* data, std::size_t size) {
  TDecodedImage image = DecodeImage(data, size);
  TakeBitmap(image.Bitmap, image.HasAlpha);
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
