// Screen capture and BMP output; see capture.h.
#include "capture.h"

#include <cstdlib>

#include "robot_io.h"

namespace vantrell::robot {
namespace {

class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {
    if (dc_ == nullptr) throw RobotError("GetDC(screen) failed");
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  ~ScreenDc() { ReleaseDC(nullptr, dc_); }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// A memory DC with a top-down 24-bit DIB section selected into it.
class DibCanvas {
 public:
  DibCanvas(HDC reference, int width, int height) : width_(width), height_(height) {
    dc_ = CreateCompatibleDC(reference);
    if (dc_ == nullptr) throw RobotError("CreateCompatibleDC failed");
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    if (bitmap_ == nullptr || bits_ == nullptr) {
      DeleteDC(dc_);
      throw RobotError("CreateDIBSection failed");
    }
    previous_ = SelectObject(dc_, bitmap_);
  }
  DibCanvas(const DibCanvas&) = delete;
  DibCanvas& operator=(const DibCanvas&) = delete;
  ~DibCanvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC Dc() const { return dc_; }

  Image ToImage() const {
    GdiFlush();
    Image image{width_, height_, {}};
    const auto* bytes = static_cast<const uint8_t*>(bits_);
    image.pixels.assign(bytes, bytes + static_cast<size_t>(image.Stride()) * height_);
    return image;
  }

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  void* bits_ = nullptr;
};

void WriteAll(HANDLE file, const void* data, size_t size) {
  DWORD written = 0;
  if (!WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) || written != size) {
    throw RobotError(Win32Failure("WriteFile (bmp)"));
  }
}

}  // namespace

COLORREF Image::At(int x, int y) const {
  const uint8_t* p = &pixels[static_cast<size_t>(y) * Stride() + static_cast<size_t>(x) * 3];
  return RGB(p[2], p[1], p[0]);
}

Image CaptureScreen(const RECT& rect) {
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) throw RobotError("empty rectangle to capture");
  ScreenDc screen;
  DibCanvas canvas(screen.Get(), width, height);
  if (!BitBlt(canvas.Dc(), 0, 0, width, height, screen.Get(), rect.left, rect.top,
              SRCCOPY | CAPTUREBLT)) {
    throw RobotError(Win32Failure("BitBlt (screen)"));
  }
  return canvas.ToImage();
}

Image RenderIcon(HICON icon, int width, int height, COLORREF background) {
  ScreenDc screen;
  DibCanvas canvas(screen.Get(), width, height);
  HBRUSH brush = CreateSolidBrush(background);
  if (brush == nullptr) throw RobotError("CreateSolidBrush failed");
  RECT all{0, 0, width, height};
  FillRect(canvas.Dc(), &all, brush);
  DeleteObject(brush);
  if (!DrawIconEx(canvas.Dc(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL)) {
    throw RobotError(Win32Failure("DrawIconEx"));
  }
  return canvas.ToImage();
}

double MeanDifference(const Image& a, const Image& b) {
  if (a.width != b.width || a.height != b.height || a.width == 0) return 255.0;
  long long total = 0;
  for (int y = 0; y < a.height; ++y) {
    const uint8_t* rowA = &a.pixels[static_cast<size_t>(y) * a.Stride()];
    const uint8_t* rowB = &b.pixels[static_cast<size_t>(y) * b.Stride()];
    for (int i = 0; i < a.width * 3; ++i) total += std::abs(rowA[i] - rowB[i]);
  }
  return static_cast<double>(total) / (static_cast<double>(a.width) * a.height * 3);
}

void WriteBmp(const Image& image, const std::wstring& path) {
  // BMP rows are bottom-up unless the height is negative; keep top-down rows as they are.
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = image.width;
  info.biHeight = -image.height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(image.pixels.size());
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof(header) + sizeof(info);
  header.bfSize = header.bfOffBits + info.biSizeImage;

  std::wstring windowsPath = ToWindowsPath(path);
  UniqueHandle file(CreateFileW(windowsPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) throw RobotError(Win32Failure("CreateFileW (bmp)") + ": " + ToUtf8(path));
  WriteAll(file.Get(), &header, sizeof(header));
  WriteAll(file.Get(), &info, sizeof(info));
  WriteAll(file.Get(), image.pixels.data(), image.pixels.size());
}

}  // namespace vantrell::robot
