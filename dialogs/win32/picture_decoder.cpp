// Decoding of form pictures through the Windows Imaging Component and GDI
// (metafiles); the state pictures of button glyphs; icons of icon files.
#include "dialogs/win32/picture_decoder.h"

#include <wincodec.h>

#include <algorithm>
#include <cstdint>
#include <string>

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

// A 32-bit top-down DIB section of the given size; bits receives its pixels.
std::optional<DecodedPicture> NewPicture(int width, int height, uint32_t** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  DecodedPicture picture;
  picture.bitmap.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!picture.bitmap || pixels == nullptr) return std::nullopt;
  picture.width = width;
  picture.height = height;
  *bits = static_cast<uint32_t*>(pixels);
  return picture;
}

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
  uint32_t* bits = nullptr;
  std::optional<DecodedPicture> picture =
      NewPicture(static_cast<int>(width), static_cast<int>(height), &bits);
  if (!picture) return std::nullopt;
  UINT stride = width * 4;
  if (FAILED(
          converter->CopyPixels(nullptr, stride, stride * height, reinterpret_cast<BYTE*>(bits)))) {
    return std::nullopt;
  }
  return picture;
}

uint32_t ReadU32(std::string_view bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 4; i-- > 0;) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

uint16_t ReadU16(std::string_view bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) |
                               (static_cast<uint8_t>(bytes[at + 1]) << 8));
}

int ReadI16(std::string_view bytes, size_t at) {
  return static_cast<int16_t>(ReadU16(bytes, at));
}

// An enhanced metafile, or a placeable Windows metafile, played into a
// picture at 96 pixels per inch. GDI leaves the alpha channel alone, so the
// metafile is played on black and on white: a pixel that comes out the same
// on both is the metafile's, any other is background and stays transparent.
std::optional<DecodedPicture> DecodeMetafile(std::string_view bytes) {
  constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
  constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
  constexpr size_t kPlaceableHeader = 22;
  constexpr int kMostSide = 4096;
  HENHMETAFILE metafile = nullptr;
  int width = 0;
  int height = 0;
  if (bytes.size() >= 88 && ReadU32(bytes, 0) == EMR_HEADER &&
      ReadU32(bytes, 40) == kEmfSignature) {
    metafile = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()),
                                  reinterpret_cast<const BYTE*>(bytes.data()));
    ENHMETAHEADER header{};
    if (metafile != nullptr && GetEnhMetaFileHeader(metafile, sizeof header, &header) != 0) {
      // The frame is in hundredths of a millimetre.
      width = MulDiv(header.rclFrame.right - header.rclFrame.left, 96, 2540);
      height = MulDiv(header.rclFrame.bottom - header.rclFrame.top, 96, 2540);
    }
  } else if (bytes.size() > kPlaceableHeader && ReadU32(bytes, 0) == kPlaceableKey) {
    const int unitsPerInch = ReadI16(bytes, 14);
    const int right = ReadI16(bytes, 10) - ReadI16(bytes, 6);
    const int bottom = ReadI16(bytes, 12) - ReadI16(bytes, 8);
    if (unitsPerInch > 0 && right > 0 && bottom > 0) {
      width = MulDiv(right, 96, unitsPerInch);
      height = MulDiv(bottom, 96, unitsPerInch);
      METAFILEPICT picture{MM_ANISOTROPIC, MulDiv(right, 2540, unitsPerInch),
                           MulDiv(bottom, 2540, unitsPerInch), nullptr};
      std::string_view records = bytes.substr(kPlaceableHeader);
      metafile =
          SetWinMetaFileBits(static_cast<UINT>(records.size()),
                             reinterpret_cast<const BYTE*>(records.data()), nullptr, &picture);
    }
  }
  std::optional<DecodedPicture> result;
  if (metafile != nullptr && width > 0 && height > 0 && width <= kMostSide && height <= kMostSide) {
    uint32_t* onBlack = nullptr;
    uint32_t* onWhite = nullptr;
    std::optional<DecodedPicture> black = NewPicture(width, height, &onBlack);
    std::optional<DecodedPicture> white = NewPicture(width, height, &onWhite);
    HDC dc = CreateCompatibleDC(nullptr);
    if (black && white && dc != nullptr) {
      const RECT all{0, 0, width, height};
      for (DecodedPicture* target : {&*black, &*white}) {
        HGDIOBJ old = SelectObject(dc, target->bitmap.Get());
        FillRect(
            dc, &all,
            static_cast<HBRUSH>(GetStockObject(target == &*black ? BLACK_BRUSH : WHITE_BRUSH)));
        PlayEnhMetaFile(dc, metafile, &all);
        SelectObject(dc, old);
      }
      GdiFlush();
      for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        const uint32_t pixel = onBlack[i] & 0xFFFFFF;
        onBlack[i] = pixel == (onWhite[i] & 0xFFFFFF) ? pixel | 0xFF000000U : 0;
      }
      result = std::move(black);
    }
    if (dc != nullptr) DeleteDC(dc);
  }
  if (metafile != nullptr) DeleteEnhMetaFile(metafile);
  return result;
}

}  // namespace

std::optional<DecodedPicture> DecodePicture(std::string_view pictureData) {
  PictureData data = SplitPictureData(pictureData);
  if (data.className.empty() || data.image.empty()) return std::nullopt;
  return DecodeImageFile(data.image);
}

std::optional<DecodedPicture> DecodeImageFile(std::string_view bytes) {
  if (bytes.empty()) return std::nullopt;
  if (std::optional<DecodedPicture> metafile = DecodeMetafile(bytes)) return metafile;
  ComScope com;
  ComRef<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out())))) {
    return std::nullopt;
  }
  return Decode(factory.Get(), bytes);
}

std::optional<DecodedPicture> ButtonGlyphStates(const DecodedPicture& glyph, int count) {
  constexpr int kStates = 6;
  count = std::clamp(count, 1, 4);
  const int width = glyph.width / count;
  const int height = glyph.height;
  DIBSECTION dib{};
  if (width <= 0 || height <= 0 || GetObjectW(glyph.bitmap.Get(), sizeof dib, &dib) != sizeof dib ||
      dib.dsBm.bmBits == nullptr) {
    return std::nullopt;
  }
  const auto* source = static_cast<const uint32_t*>(dib.dsBm.bmBits);
  const size_t stride = static_cast<size_t>(glyph.width);
  const bool hasAlpha = std::any_of(source, source + stride * height,
                                    [](uint32_t pixel) { return (pixel >> 24) != 0xFF; });
  const uint32_t key = source[(static_cast<size_t>(height) - 1) * stride];
  uint32_t* bits = nullptr;
  std::optional<DecodedPicture> states = NewPicture(width * kStates, height, &bits);
  if (!states) return std::nullopt;
  // The glyph's image of each state: up, up, clicked, disabled, up, up.
  const int clicked = count >= 3 ? 2 : 0;
  const int disabled = count >= 2 ? 1 : 0;
  const int images[kStates] = {0, 0, clicked, disabled, 0, 0};
  for (int state = 0; state < kStates; ++state) {
    const bool grey = state == 3 && count == 1;
    for (int y = 0; y < height; ++y) {
      const uint32_t* from = source + static_cast<size_t>(y) * stride + images[state] * width;
      uint32_t* to = bits + static_cast<size_t>(y) * width * kStates + state * width;
      for (int x = 0; x < width; ++x) {
        uint32_t pixel = !hasAlpha && from[x] == key ? 0 : from[x];
        if (grey) {
          // Its brightness at half strength (the channels are premultiplied).
          const uint32_t level =
              (((pixel >> 16) & 0xFF) * 30 + ((pixel >> 8) & 0xFF) * 59 + (pixel & 0xFF) * 11) /
              200;
          pixel = ((pixel >> 25) << 24) | level * 0x010101U;
        }
        to[x] = pixel;
      }
    }
  }
  return states;
}

HICON IconOfFile(std::string_view bytes, int size) {
  // The file's directory (a header, then 16 bytes per image ending in the
  // image's length and offset) becomes the resource form the system's
  // choice reads: 14 bytes per image ending in an identifier, here its number.
  constexpr size_t kHeader = 6;
  constexpr size_t kEntry = 16;
  if (bytes.size() < kHeader || ReadU16(bytes, 0) != 0 || ReadU16(bytes, 2) != 1) return nullptr;
  const size_t count = ReadU16(bytes, 4);
  if (count == 0 || bytes.size() < kHeader + count * kEntry) return nullptr;
  std::string group(bytes.substr(0, kHeader));
  for (size_t i = 0; i < count; ++i) {
    group.append(bytes.substr(kHeader + i * kEntry, 12));
    group.push_back(static_cast<char>((i + 1) & 0xFF));
    group.push_back(static_cast<char>((i + 1) >> 8));
  }
  const int id = LookupIconIdFromDirectoryEx(reinterpret_cast<BYTE*>(group.data()), TRUE, size,
                                             size, LR_DEFAULTCOLOR);
  if (id <= 0 || static_cast<size_t>(id) > count) return nullptr;
  const size_t entry = kHeader + (static_cast<size_t>(id) - 1) * kEntry;
  const uint32_t length = ReadU32(bytes, entry + 8);
  const uint32_t offset = ReadU32(bytes, entry + 12);
  if (length == 0 || offset > bytes.size() || length > bytes.size() - offset) return nullptr;
  // The system only reads the image it is given.
  auto* image = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())) + offset;
  constexpr DWORD kIconFormat = 0x00030000;
  return CreateIconFromResourceEx(image, length, TRUE, kIconFormat, size, size, LR_DEFAULTCOLOR);
}

}  // namespace vantrell
