#include "HvLXSystemIconPicture.h"

#include "HvGdiHandles.h"

namespace hv {

void LoadSystemIconPicture(TPicture& picture, const wchar_t* id, int width, int height, COLORREF back) {
  HICON icon = static_cast<HICON>(LoadImageW(nullptr, id, IMAGE_ICON, width, height, LR_SHARED));
  if (!icon) icon = static_cast<HICON>(LoadImageW(nullptr, IDI_WARNING, IMAGE_ICON, width, height, LR_SHARED));
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  if (!bitmap || !dc) {
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    RaiseLastOSError();
  }
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT r{0, 0, width, height};
  TUniqueBrush brush(CreateSolidBrush(back));
  FillRect(dc, &r, brush.get());
  if (icon) DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
  SelectObject(dc, old);
  DeleteDC(dc);
  picture.SetBitmap(bitmap);  // the picture owns it from here
}

}  // namespace hv
