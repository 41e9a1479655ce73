#include "HvPicture.h"

#include "HvExceptions.h"

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

void TPicture::SetBitmap(HBITMAP bitmap) {
  if (bitmap != FBitmap) {
    FreeBitmap();
    FBitmap = bitmap;
  }
  Changed();
}

void TPicture::Assign(const TPicture* source) {
  if (source == this) return;
  HBITMAP copy = nullptr;
  if (source && source->FBitmap) {
    copy = static_cast<HBITMAP>(CopyImage(source->FBitmap, IMAGE_BITMAP, 0, 0, 0));
    if (!copy) RaiseLastOSError();
  }
  SetBitmap(copy);
}

void TPicture::Changed() {
  if (FOnChange) FOnChange();
}

}  // namespace hv
