// TPicture: an owned image (a GDI bitmap) that tells its owner when it changes, so a
// display showing it can refresh. JPEG and PNG files are decoded by the Windows Imaging
// Component; an image with an alpha channel is kept premultiplied, as AlphaBlend wants it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "HvExceptions.h"
#include "HvGdiHandles.h"
#include "HvWindows.h"

namespace hv {

// Picture data that cannot be decoded.
HV_DECLARE_EXCEPTION(EInvalidGraphic, Exception);

class TPicture {
 public:
  TPicture() = default;
  // Owners hand out pointers to their picture; copying goes through Assign.
  TPicture(const TPicture&) = delete;
  // Copies the image (as Assign does); the change handler stays this picture's own.
  TPicture& operator=(const TPicture& other);

  // True without a bitmap or with one of no pixels.
  bool Empty() const;
  int Width() const;
  int Height() const;
  // Borrowed; draw into it in place and then call Changed.
  HBITMAP Bitmap() const { return FBitmap.get(); }

  // Takes ownership of `bitmap` (nullptr empties the picture) and notifies.
  void SetBitmap(HBITMAP bitmap);
  // Copies the image of `source` (nullptr empties the picture) and notifies. Raises
  // EOSError when the system cannot copy the bitmap.
  void Assign(const TPicture* source);
  void Clear() { SetBitmap(nullptr); }

  // Decode an image (JPEG, PNG, BMP, GIF, ICO, TIFF: whatever the system's imaging
  // component reads) and notify. Raise EInvalidGraphic for data it cannot decode, EOSError
  // for a file that cannot be read; the picture is unchanged then.
  void LoadFromMemory(const void* data, std::size_t size);
  void LoadFromFile(const std::wstring& fileName);
  // An RCDATA (or other typed) resource of `module` holding an image file.
  void LoadFromResource(HMODULE module, const wchar_t* name, const wchar_t* type = MAKEINTRESOURCEW(10));

  // Draws the image stretched into `rect` (blended when it has alpha); nothing when empty.
  void Draw(HDC dc, const RECT& rect) const;

  // Whether some pixel is not fully opaque (the bitmap then holds premultiplied alpha).
  bool HasAlpha() const { return FHasAlpha; }
  // Tells the owner that the image changed in place.
  void Changed();

  void SetOnChange(std::function<void()> handler) { FOnChange = std::move(handler); }

 private:
  void TakeBitmap(HBITMAP bitmap, bool hasAlpha);

  TUniqueBitmap FBitmap;
  bool FHasAlpha = false;
  std::function<void()> FOnChange;
};

}  // namespace hv
