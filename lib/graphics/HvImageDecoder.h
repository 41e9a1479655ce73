// Decoding image files into GDI bitmaps through the Windows Imaging Component.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "HvGdiHandles.h"
#include "HvWindows.h"

namespace hv {

struct TDecodedImage {
  TUniqueBitmap Bitmap;  // a 32-bit top-down DIB section
  bool HasAlpha = false;  // some pixel is not fully opaque; colours are premultiplied
};

// Raises EInvalidGraphic when the data is no image the system can decode.
TDecodedImage DecodeImage(const void* data, std::size_t size);
// The whole file; raises EOSError when it cannot be read.
std::vector<unsigned char> ReadImageFile(const std::wstring& fileName);

}  // namespace hv
