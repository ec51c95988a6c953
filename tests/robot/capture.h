// Screen capture for the robot: reads a screen rectangle into a 24-bit image,
// renders an icon the same way a static control does, and writes BMP files.
// Captures read the screen DC, so the window must be on top and painted.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vantrell::robot {

// Top-down rows of blue, green, red bytes, each row padded to 4 bytes.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;

  int Stride() const { return (width * 3 + 3) & ~3; }
  COLORREF At(int x, int y) const;
};

Image CaptureScreen(const RECT& rect);
Image RenderIcon(HICON icon, int width, int height, COLORREF background);

// Mean absolute difference per colour channel (0-255); images must be the same size.
double MeanDifference(const Image& a, const Image& b);

void WriteBmp(const Image& image, const std::wstring& path);

}  // namespace vantrell::robot
