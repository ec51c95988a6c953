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

// The picture of an image file's bytes (PNG, JPEG, GIF, BMP, ICO ...), or of
// an enhanced or placeable Windows metafile played at 96 pixels per inch.
std::optional<DecodedPicture> DecodeImageFile(std::string_view bytes);

// The six pictures of a push button's states (normal, hot, pressed, disabled,
// default, stylus hot) side by side, for its image list, from a glyph: a strip
// of `count` equal images (up, disabled, clicked, down). In a glyph without
// alpha the colour of the bottom-left pixel is transparent; a glyph of one
// image gets a greyed copy of it for the disabled state.
std::optional<DecodedPicture> ButtonGlyphStates(const DecodedPicture& glyph, int count);

// The image of an icon file that suits size pixels, as the system picks it
// (nullptr when the bytes hold no usable icon). The caller destroys it.
HICON IconOfFile(std::string_view bytes, int size);

}  // namespace vantrell
