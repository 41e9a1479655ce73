#include "HvLXResourcePicture.h"

#include <objbase.h>
#include <wincodec.h>

#include "HvGdiHandles.h"

namespace hv {
namespace {

// Releases a COM interface at the end of a scope.
template <class T>
class TComPtr {
 public:
  TComPtr() = default;
  ~TComPtr() {
    if (FPtr) FPtr->Release();
  }
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;
  T** put() { return &FPtr; }
  T* operator->() const { return FPtr; }
  T* get() const { return FPtr; }

 private:
  T* FPtr = nullptr;
};

// COM for the calling thread while the scope lives; a thread that already runs COM in
// another mode keeps it, which the imaging component accepts as well.
class TComScope {
 public:
  TComScope() : FInitialized(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~TComScope() {
    if (FInitialized) CoUninitialize();
  }
  TComScope(const TComScope&) = delete;
  TComScope& operator=(const TComScope&) = delete;

 private:
  bool FInitialized;
};

HBITMAP DecodeToBitmap(const BYTE* data, DWORD size) {
  TComScope com;
  TComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(factory.put()))))
    return nullptr;
  TComPtr<IWICStream> stream;
  if (FAILED(factory->CreateStream(stream.put())) ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), size)))
    return nullptr;
  TComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.put())))
    return nullptr;
  TComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, frame.put()))) return nullptr;
  TComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(converter.put())) ||
      FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)))
    return nullptr;
  UINT width = 0, height = 0;
  if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0) return nullptr;

  BITMAPINFO info{};
  BITMAPINFOHEADER& header = info.bmiHeader;
  header.biSize = sizeof(header);
  header.biWidth = static_cast<LONG>(width);
  header.biHeight = -static_cast<LONG>(height);  // top-down, as the decoder writes rows
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  void* bits = nullptr;
  TUniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) return nullptr;
  UINT stride = width * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)))) return nullptr;
  return bitmap.release();
}

}  // namespace

bool LoadPictureFromResource(TPicture& picture, HMODULE module, const wchar_t* name) {
  HRSRC info = FindResourceW(module, name, RT_RCDATA);
  HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return false;
  HBITMAP bitmap = DecodeToBitmap(static_cast<const BYTE*>(data), SizeofResource(module, info));
  if (!bitmap) return false;
  picture.SetBitmap(bitmap);
  return true;
}

}  // namespace hv
