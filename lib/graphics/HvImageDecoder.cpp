#include "HvImageDecoder.h"

#include <objbase.h>
#include <wincodec.h>

#include <limits>

#include "HvComPtr.h"
#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvGdiHandles.h"
#include "HvHandles.h"
#include "HvPicture.h"

namespace hv {
namespace {

// COM for the scope of one decode, unless the thread has it already.
class TComScope {
 public:
  TComScope() : FInitialized(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~TComScope() {
    if (FInitialized) CoUninitialize();
  }
  TComScope(const TComScope&) = delete;
  TComScope& operator=(const TComScope&) = delete;

 private:
  bool FInitialized;  // also true for S_FALSE (already initialised), which must be balanced too
};

void Check(HRESULT hr, const wchar_t* what) {
  if (FAILED(hr)) throw EInvalidGraphic(Fmt(L"%s (0x%.8x)", what, static_cast<unsigned>(hr)));
}

}  // namespace

TDecodedImage DecodeImage(const void* data, std::size_t size) {
  if (!data || size == 0 || size > std::numeric_limits<DWORD>::max())
    throw EInvalidGraphic(L"The picture data is empty or too large");
  TComScope com;
  TComPtr<IWICImagingFactory> factory;
  Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                         factory.put_void()),
        L"The imaging component is not available");
  TComPtr<IWICStream> stream;
  Check(factory->CreateStream(stream.put()), L"Cannot read the picture data");
  Check(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), static_cast<DWORD>(size)),
        L"Cannot read the picture data");
  TComPtr<IWICBitmapDecoder> decoder;
  Check(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.put()),
        L"The picture data is not in a known image format");
  TComPtr<IWICBitmapFrameDecode> frame;
  Check(decoder->GetFrame(0, frame.put()), L"The picture has no image");
  TComPtr<IWICFormatConverter> converter;
  Check(factory->CreateFormatConverter(converter.put()), L"Cannot convert the picture");
  Check(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                              WICBitmapPaletteTypeCustom),
        L"Cannot convert the picture");
  UINT width = 0, height = 0;
  Check(converter->GetSize(&width, &height), L"The picture has no size");
  if (width == 0 || height == 0 || width > 32767 || height > 32767)
    throw EInvalidGraphic(L"The picture is empty or too large");

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down, as the decoder delivers rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  TUniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) RaiseLastOSError();
  UINT stride = width * 4;
  Check(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)),
        L"Cannot decode the picture");
  GdiFlush();
  bool hasAlpha = false;
  auto* pixels = static_cast<const BYTE*>(bits);
  for (std::size_t i = 3; i < static_cast<std::size_t>(stride) * height && !hasAlpha; i += 4) hasAlpha = pixels[i] != 255;
  return {std::move(bitmap), hasAlpha};
}

std::vector<unsigned char> ReadImageFile(const std::wstring& fileName) {
  UniqueFileHandle file(CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) RaiseLastOSError();
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) RaiseLastOSError();
  if (size.QuadPart > std::numeric_limits<DWORD>::max()) throw EInvalidGraphic(L"The picture file is too large");
  std::vector<unsigned char> bytes(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() && !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
    RaiseLastOSError();
  bytes.resize(read);
  return bytes;
}

}  // namespace hv
