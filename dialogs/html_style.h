// The styles of an HTML page's elements, for the layout: the font, colours,
// alignment and wrapping an element gives its content, and the margins and
// background of a block, from the element's name, its presentational
// attributes (font face/size/color, align, bgcolor, nowrap) and the
// declarations of its style attribute (color, background-color, font-family,
// font-size, font-weight, font-style, text-align, text-decoration,
// white-space, margin and its sides, width).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dialogs/html_document.h"

namespace vantrell {

struct HtmlFont {
  std::string face;
  int sizePoints = 12;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeout = false;
  bool operator==(const HtmlFont&) const = default;
};

struct HtmlFontMetrics {
  int height = 0;  // of a line, pixels
  int ascent = 0;  // from the line's top to the baseline
};

struct HtmlSize {
  int width = 0;
  int height = 0;
};

constexpr uint32_t kHtmlBlack = 0x000000;

// The page's defaults, for what it does not set itself. Colours are 0xRRGGBB.
struct HtmlLayoutOptions {
  std::string face = "Times New Roman";
  std::string monospaceFace = "Courier New";
  std::string sansSerifFace = "Arial";
  int sizePoints = 12;
  int monospaceSizePoints = 10;
  int pixelsPerInch = 96;
  HtmlSize unknownImage{24, 24};  // an image without size from sizer or attributes
  uint32_t textColor = kHtmlBlack;
  uint32_t background = 0xFFFFFF;
  uint32_t linkColor = 0x0000FF;
};

enum class HtmlAlign : uint8_t { kLeft, kCenter, kRight };

// What an element passes on to its content. Colours are 0xRRGGBB.
struct HtmlStyle {
  HtmlFont font;
  uint32_t color = kHtmlBlack;
  std::optional<uint32_t> background;  // of inline content
  HtmlAlign align = HtmlAlign::kLeft;
  bool pre = false;
  bool noWrap = false;
  std::string href;
  size_t link = 0;  // the anchor's node, 0 outside links
  // The layout's measures of the font, taken once per style.
  mutable std::optional<HtmlFontMetrics> metrics;
  mutable int spaceWidth = -1;

  bool Same(const HtmlStyle& other) const {
    return font == other.font && color == other.color && background == other.background &&
           align == other.align && pre == other.pre && noWrap == other.noWrap && link == other.link;
  }
};

struct HtmlMargins {
  int top = 0;
  int right = 0;
  int bottom = 0;
  int left = 0;
};

struct HtmlDeclaration {
  std::string property;  // lower case
  std::string_view value;
};

// The declarations of the element's style attribute ("color: red; margin: 4px").
std::vector<HtmlDeclaration> HtmlDeclarations(const HtmlNode& node);

// Block elements of the flow (p, div, h1 ... ul, li, pre ...), not tables.
bool IsHtmlBlock(std::string_view name);

// "left", "center", "middle", "right", "justify" in any case.
std::optional<HtmlAlign> ParseHtmlAlign(std::string_view text);

// "#rrggbb", "rrggbb", "#rgb", a colour name of HTML 4 (and a few more) or
// "rgb(r, g, b)"; nullopt for anything else.
std::optional<uint32_t> ParseHtmlColor(std::string_view text);

// The background colour an element asks for (bgcolor, background-color).
std::optional<uint32_t> HtmlBackground(const HtmlNode& node);

class HtmlStyler {
 public:
  HtmlStyler(const HtmlDocument& document, const HtmlLayoutOptions& options)
      : document_(document), options_(options) {}

  // The style of the element's content; links take linkColor.
  HtmlStyle Styled(const HtmlNode& node, const HtmlStyle& parent, uint32_t linkColor) const;
  // A block's margins (lists' indent included in the left one); nestedList:
  // a list inside a list, which has no vertical margins.
  HtmlMargins BlockMargins(const HtmlNode& node, const HtmlStyle& style, bool nestedList) const;
  // The margin declarations of the element's style over margins.
  void ApplyMargins(const HtmlNode& node, int em, HtmlMargins& margins) const;
  // The font size of the style in pixels.
  int Em(const HtmlStyle& style) const {
    return style.font.sizePoints * options_.pixelsPerInch / 72;
  }

 private:
  int FontSizeFromCss(std::string_view text, int parentPoints) const;
  std::string Face(std::string_view families) const;

  const HtmlDocument& document_;
  const HtmlLayoutOptions& options_;
};

}  // namespace vantrell
