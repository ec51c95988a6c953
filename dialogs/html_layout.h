// The layout of an HTML tree for a viewport width: the boxes a painter draws,
// in document coordinates (pixels, y down from the page's top), in painting
// order. Text is measured and images are sized by the caller, so the layout
// knows no platform.
//
// What it lays out: block flow with collapsing vertical margins (p, h1-h6,
// div, center, blockquote, ul/ol/li with markers, dl/dt/dd, pre, hr, address,
// form), inline flow wrapped at spaces (b strong i em u s strike font span a
// br img tt code small big sub sup), images inline or floating (align
// left/right), the align attribute and the inline style properties color,
// background-color, font-family, font-size, font-weight, font-style,
// text-align, text-decoration, margin and width; body colours, background
// and margins; tables with border, cellpadding, cellspacing, width, cell
// widths, colspan, rowspan, bgcolor, align and valign, their columns sized
// from the content's narrowest and widest widths. Styles are html_style.h's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dialogs/html_document.h"
#include "dialogs/html_style.h"

namespace vantrell {

// Text measurement of the painter's device.
class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // The width in pixels of the text (bytes of the page's encoding).
  virtual int Width(const HtmlFont& font, std::string_view text) const = 0;
  virtual HtmlFontMetrics Metrics(const HtmlFont& font) const = 0;
};

// The natural sizes of the page's images; nullopt when an image is unknown.
class ImageSizer {
 public:
  virtual ~ImageSizer() = default;
  virtual std::optional<HtmlSize> Size(std::string_view src) const = 0;
};

struct HtmlRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool Contains(int px, int py) const {
    return px >= x && py >= y && px < x + width && py < y + height;
  }
  bool operator==(const HtmlRect&) const = default;
};

enum class HtmlBoxKind : uint8_t {
  kText,        // a run of text in one font and colour, drawn from the rect's top left
  kListMarker,  // a list item's bullet or number, drawn like text
  kImage,       // src scaled to the rect; border around it when > 0
  kRule,        // a horizontal rule: filled with color (or outlined when background)
  kFill,        // a background and/or border: a table's, a cell's or a block's
  kLink,        // the area of a link, not drawn: href under the rect
};

// Colours are 0xRRGGBB.
struct HtmlBox {
  HtmlBoxKind kind = HtmlBoxKind::kText;
  HtmlRect rect;
  std::string text;  // kText, kListMarker; kImage: its alt text
  HtmlFont font;
  int baseline = 0;             // kText, kListMarker: from the rect's top
  uint32_t color = kHtmlBlack;  // text, rule or border colour
  std::optional<uint32_t> background;
  int border = 0;    // border width in pixels (kFill, kImage)
  std::string src;   // kImage
  std::string href;  // the link the box is part of, if any
};

struct HtmlLayout {
  std::vector<HtmlBox> boxes;  // painting order
  int width = 0;               // the viewport's, or the widest content's when wider
  int height = 0;
  uint32_t background = 0xFFFFFF;
  std::string backgroundImage;  // body background, tiled
  uint32_t textColor = kHtmlBlack;
  uint32_t linkColor = 0x0000FF;
  std::string title;
  std::optional<HtmlRefresh> refresh;

  // The link at a point of the document, or nullptr.
  const std::string* LinkAt(int x, int y) const;
};

HtmlLayout LayoutHtml(const HtmlDocument& document, int viewportWidth, const TextMeasurer& measurer,
                      const ImageSizer& images, const HtmlLayoutOptions& options = {});

}  // namespace vantrell
