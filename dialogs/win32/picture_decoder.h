// Pictures of form files for painting: the file image of a bitmap, icon, PNG,
// JPEG or GIF decoded through the Windows Imaging Component into a 32-bit
// top-down DIB section with premultiplied alpha (for AlphaBlend).
#pragma once

#include <windows.h>

#include <optional>
#include <string_view>

#include "dialogs/win32/gdi_object.h"

namespace vantrell {

struct DecodedPicture {
  GdiObject<HBITMAP> bitmap;
  int width = 0;
  int height = 0;
};

// The picture of a picture property's data (class name, optional size, image;
// see SplitPictureData); of an icon its largest image. nullopt when the data
// holds nothing that decodes.
std::optional<DecodedPicture> DecodePicture(std::string_view pictureData);

// The picture of an image file's bytes (PNG, JPEG, GIF, BMP, ICO ...).
std::optional<DecodedPicture> DecodeImageFile(std::string_view bytes);

}  // namespace vantrell
