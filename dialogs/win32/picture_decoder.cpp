// Decoding of form pictures through the Windows Imaging Component.
#include "dialogs/win32/picture_decoder.h"

#include <wincodec.h>

#include <cstring>

#include "dialogs/form_runtime.h"

namespace vantrell {
namespace {

// COM for one decoding; a thread that already runs COM keeps its mode.
class ComScope {
 public:
  ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }

 private:
  HRESULT hr_;
};

std::optional<DecodedPicture> Decode(IWICImagingFactory* factory, std::string_view image) {
  ComRef<IWICStream> stream;
  if (FAILED(factory->CreateStream(stream.Out()))) return std::nullopt;
  // The stream only reads the memory it is given.
  auto* bytes = reinterpret_cast<BYTE*>(const_cast<char*>(image.data()));
  if (FAILED(stream->InitializeFromMemory(bytes, static_cast<DWORD>(image.size())))) {
    return std::nullopt;
  }
  ComRef<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.Out()))) {
    return std::nullopt;
  }
  // The largest frame: an icon file holds one image per size.
  UINT frames = 0;
  if (FAILED(decoder->GetFrameCount(&frames)) || frames == 0) return std::nullopt;
  UINT best = 0;
  UINT bestArea = 0;
  for (UINT i = 0; i < frames; ++i) {
    ComRef<IWICBitmapFrameDecode> frame;
    UINT w = 0;
    UINT h = 0;
    if (SUCCEEDED(decoder->GetFrame(i, frame.Out())) && SUCCEEDED(frame->GetSize(&w, &h)) &&
        w * h > bestArea) {
      best = i;
      bestArea = w * h;
    }
  }
  ComRef<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(best, frame.Out()))) return std::nullopt;
  ComRef<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(converter.Out())) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0,
                                   WICBitmapPaletteTypeCustom))) {
    return std::nullopt;
  }
  UINT width = 0;
  UINT height = 0;
  if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 || width > 16384 ||
      height > 16384) {
    return std::nullopt;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  DecodedPicture picture;
  picture.bitmap.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!picture.bitmap || bits == nullptr) return std::nullopt;
  UINT stride = width * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)))) {
    return std::nullopt;
  }
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  return picture;
}

}  // namespace

std::optional<DecodedPicture> DecodePicture(std::string_view pictureData) {
  PictureData data = SplitPictureData(pictureData);
  if (data.className.empty() || data.image.empty()) return std::nullopt;
  return DecodeImageFile(data.image);
}

std::optional<DecodedPicture> DecodeImageFile(std::string_view bytes) {
  if (bytes.empty()) return std::nullopt;
  ComScope com;
  ComRef<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out())))) {
    return std::nullopt;
  }
  return Decode(factory.Get(), bytes);
}

}  // namespace vantrell
