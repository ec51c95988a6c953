// The styles of HTML elements (what they cover in html_style.h).
#include "dialogs/html_style.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <utility>

#include "common/ascii.h"

namespace vantrell {
namespace {

using Names = std::initializer_list<std::string_view>;

bool IsOneOf(std::string_view name, Names names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

const Names kBlocks = {"html",   "body",    "div",      "p",         "h1",       "h2",
                       "h3",     "h4",      "h5",       "h6",        "center",   "blockquote",
                       "ul",     "ol",      "li",       "dl",        "dt",       "dd",
                       "pre",    "listing", "xmp",      "plaintext", "address",  "form",
                       "dir",    "menu",    "fieldset", "section",   "article",  "header",
                       "footer", "nav",     "aside",    "caption",   "noscript", "figure"};
const Names kPreformatted = {"pre", "listing", "xmp", "plaintext"};
const Names kMonospace = {"pre", "listing", "xmp", "plaintext", "tt", "code", "kbd", "samp"};

constexpr int kListIndent = 40;
// <font size=1..7> in points, for a 12 point default.
constexpr std::array<int, 7> kFontSizes = {8, 10, 12, 14, 18, 24, 36};
constexpr std::array<int, 6> kHeadingSizes = {24, 18, 14, 12, 10, 8};
// Heading margins in hundredths of the heading's em.
constexpr std::array<int, 6> kHeadingMargins = {67, 83, 100, 133, 167, 233};

struct NamedColor {
  std::string_view name;
  uint32_t rgb;
};

constexpr std::array<NamedColor, 30> kColorNames = {{
    {"black", 0x000000},    {"silver", 0xC0C0C0},    {"gray", 0x808080},
    {"grey", 0x808080},     {"white", 0xFFFFFF},     {"maroon", 0x800000},
    {"red", 0xFF0000},      {"purple", 0x800080},    {"fuchsia", 0xFF00FF},
    {"green", 0x008000},    {"lime", 0x00FF00},      {"olive", 0x808000},
    {"yellow", 0xFFFF00},   {"navy", 0x000080},      {"blue", 0x0000FF},
    {"teal", 0x008080},     {"aqua", 0x00FFFF},      {"orange", 0xFFA500},
    {"brown", 0xA52A2A},    {"pink", 0xFFC0CB},      {"gold", 0xFFD700},
    {"cyan", 0x00FFFF},     {"magenta", 0xFF00FF},   {"darkblue", 0x00008B},
    {"darkred", 0x8B0000},  {"darkgreen", 0x006400}, {"darkgray", 0xA9A9A9},
    {"darkgrey", 0xA9A9A9}, {"lightgray", 0xD3D3D3}, {"lightgrey", 0xD3D3D3},
}};

enum class Align : uint8_t { kLeft, kCenter, kRight };

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

// A leading decimal number ("12", "1.5", "-3"): its value and the rest.
std::optional<double> Number(std::string_view text, std::string_view& unit) {
  text = Trimmed(text);
  size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  double value = 0;
  double scale = 0;
  bool digits = false;
  for (; i < text.size(); ++i) {
    if (text[i] >= '0' && text[i] <= '9') {
      digits = true;
      if (scale == 0) {
        value = std::min(value * 10 + (text[i] - '0'), 1e7);
      } else {
        value += (text[i] - '0') * scale;
        scale /= 10;
      }
    } else if (text[i] == '.' && scale == 0) {
      scale = 0.1;
    } else {
      break;
    }
  }
  if (!digits) return std::nullopt;
  unit = Trimmed(text.substr(i));
  return text[0] == '-' ? -value : value;
}

int Clamped(int value, int low, int high) {
  return std::max(low, std::min(value, high));
}

// The font step (1..7) nearest a size in points.
int FontStep(int points, int basePoints) {
  int step = 1;
  for (int i = 0; i < 7; ++i) {
    if (kFontSizes[i] * basePoints / 12 <= points) step = i + 1;
  }
  return step;
}

std::optional<int> CssLength(std::string_view text, int em, int pixelsPerInch) {
  std::string_view unit;
  const std::optional<double> value = Number(text, unit);
  if (!value) return std::nullopt;
  const std::string lower = AsciiLower(unit);
  if (lower == "pt") return static_cast<int>(*value * pixelsPerInch / 72);
  if (lower == "em") return static_cast<int>(*value * em);
  if (lower == "in") return static_cast<int>(*value * pixelsPerInch);
  return static_cast<int>(*value);
}

}  // namespace

bool IsHtmlBlock(std::string_view name) {
  return IsOneOf(name, kBlocks);
}

std::vector<HtmlDeclaration> HtmlDeclarations(const HtmlNode& node) {
  std::vector<HtmlDeclaration> out;
  const std::string* style = node.Attribute("style");
  if (style == nullptr) return out;
  std::string_view rest = *style;
  while (!rest.empty()) {
    const size_t end = std::min(rest.find(';'), rest.size());
    const std::string_view item = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    const size_t colon = item.find(':');
    if (colon == std::string_view::npos) continue;
    std::string_view value = Trimmed(item.substr(colon + 1));
    if (const size_t bang = value.find('!'); bang != std::string_view::npos) {
      value = Trimmed(value.substr(0, bang));
    }
    out.push_back({AsciiLower(Trimmed(item.substr(0, colon))), value});
  }
  return out;
}

std::optional<HtmlAlign> ParseHtmlAlign(std::string_view text) {
  const std::string lower = AsciiLower(Trimmed(text));
  if (lower == "center" || lower == "middle") return HtmlAlign::kCenter;
  if (lower == "right") return HtmlAlign::kRight;
  if (lower == "left" || lower == "justify") return HtmlAlign::kLeft;
  return std::nullopt;
}

std::optional<uint32_t> ParseHtmlColor(std::string_view text) {
  text = Trimmed(text);
  const std::string lower = AsciiLower(text);
  for (const NamedColor& named : kColorNames) {
    if (named.name == lower) return named.rgb;
  }
  if (lower.starts_with("rgb(") && lower.ends_with(")")) {
    uint32_t rgb = 0;
    std::string_view rest = std::string_view(lower).substr(4, lower.size() - 5);
    for (int part = 0; part < 3; ++part) {
      const size_t end = std::min(rest.find(','), rest.size());
      std::string_view unit;
      const std::optional<double> value = Number(rest.substr(0, end), unit);
      if (!value) return std::nullopt;
      const int channel =
          Clamped(static_cast<int>(unit == "%" ? *value * 255 / 100 : *value), 0, 255);
      rgb = (rgb << 8) | static_cast<uint32_t>(channel);
      rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return rgb;
  }
  std::string_view hex = lower;
  if (hex.starts_with("#")) hex.remove_prefix(1);
  if (hex.size() != 6 && hex.size() != 3) return std::nullopt;
  uint32_t value = 0;
  for (const char c : hex) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : (c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1);
    if (digit < 0) return std::nullopt;
    value = (value << 4) | static_cast<uint32_t>(digit);
  }
  if (hex.size() == 3) {
    value = ((value & 0xF00) << 12) | ((value & 0xF00) << 8) | ((value & 0x0F0) << 8) |
            ((value & 0x0F0) << 4) | ((value & 0x00F) << 4) | (value & 0x00F);
  }
  return value;
}

std::optional<uint32_t> HtmlBackground(const HtmlNode& node) {
  std::optional<uint32_t> background;
  if (const std::string* color = node.Attribute("bgcolor")) background = ParseHtmlColor(*color);
  for (const HtmlDeclaration& d : HtmlDeclarations(node)) {
    if (d.property == "background-color" || d.property == "background") {
      if (const std::optional<uint32_t> color = ParseHtmlColor(d.value)) background = color;
    }
  }
  return background;
}

int HtmlStyler::FontSizeFromCss(std::string_view text, int parentPoints) const {
  static constexpr std::array<std::pair<std::string_view, int>, 7> kNamed = {{{"xx-small", 7},
                                                                              {"x-small", 8},
                                                                              {"small", 10},
                                                                              {"medium", 12},
                                                                              {"large", 14},
                                                                              {"x-large", 18},
                                                                              {"xx-large", 24}}};
  const std::string lower = AsciiLower(Trimmed(text));
  for (const auto& [name, points] : kNamed) {
    if (lower == name) return points * options_.sizePoints / 12;
  }
  if (lower == "larger") return parentPoints * 6 / 5;
  if (lower == "smaller") return parentPoints * 5 / 6;
  std::string_view unit;
  const std::optional<double> value = Number(lower, unit);
  if (!value || *value <= 0) return parentPoints;
  double points = *value * 72 / options_.pixelsPerInch;  // px
  if (unit == "pt") points = *value;
  if (unit == "em") points = *value * parentPoints;
  if (unit == "%") points = *value * parentPoints / 100;
  return static_cast<int>(std::lround(std::min(points, 1000.0)));
}

std::string HtmlStyler::Face(std::string_view families) const {
  std::string_view first = families.substr(0, families.find(','));
  first = Trimmed(first);
  if (!first.empty() && (first.front() == '"' || first.front() == '\'')) first.remove_prefix(1);
  if (!first.empty() && (first.back() == '"' || first.back() == '\'')) first.remove_suffix(1);
  const std::string lower = AsciiLower(first);
  if (lower == "serif") return options_.face;
  if (lower == "sans-serif") return options_.sansSerifFace;
  if (lower == "monospace") return options_.monospaceFace;
  return std::string(first);
}

HtmlStyle HtmlStyler::Styled(const HtmlNode& node, const HtmlStyle& parent,
                             uint32_t linkColor) const {
  HtmlStyle style = parent;
  style.metrics.reset();
  style.spaceWidth = -1;
  const std::string& name = node.name;
  const bool block = IsOneOf(name, kBlocks) ||
                     IsOneOf(name, {"table", "tr", "td", "th", "tbody", "thead", "tfoot"});
  if (block) style.background.reset();
  HtmlFont& font = style.font;
  if (name == "b" || name == "strong" || name == "th") font.bold = true;
  if (IsOneOf(name, {"i", "em", "cite", "var", "dfn", "address"})) font.italic = true;
  if (name == "u" || name == "ins") font.underline = true;
  if (name == "s" || name == "strike" || name == "del") font.strikeout = true;
  if (IsOneOf(name, kMonospace)) font.face = options_.monospaceFace;
  if (IsOneOf(name, kPreformatted)) {
    font.sizePoints = options_.monospaceSizePoints;
    style.pre = true;
  }
  if (name == "big" || name == "small" || name == "sub" || name == "sup") {
    const int step = FontStep(font.sizePoints, options_.sizePoints) + (name == "big" ? 1 : -1);
    font.sizePoints = kFontSizes[Clamped(step, 1, 7) - 1] * options_.sizePoints / 12;
  }
  if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6') {
    font.sizePoints = kHeadingSizes[name[1] - '1'] * options_.sizePoints / 12;
    font.bold = true;
  }
  if (name == "center" || name == "th") style.align = HtmlAlign::kCenter;
  if (name == "nobr") style.noWrap = true;
  if ((name == "td" || name == "th") && node.Attribute("nowrap") != nullptr) style.noWrap = true;
  if (name == "a") {
    if (const std::string* href = node.Attribute("href")) {
      style.href = *href;
      style.link = static_cast<size_t>(&node - document_.nodes.data());
      style.color = linkColor;
      font.underline = true;
    }
  }
  if (name == "font") {
    if (const std::string* face = node.Attribute("face")) font.face = Face(*face);
    if (const std::string* color = node.Attribute("color")) {
      style.color = ParseHtmlColor(*color).value_or(style.color);
    }
    if (const std::string* size = node.Attribute("size")) {
      std::string_view unit;
      if (const std::optional<double> value = Number(*size, unit)) {
        const std::string_view text = Trimmed(*size);
        int step = static_cast<int>(*value);
        if (text.starts_with("+") || text.starts_with("-")) step += 3;
        font.sizePoints = kFontSizes[Clamped(step, 1, 7) - 1] * options_.sizePoints / 12;
      }
    }
  }
  if (block || name == "tr") {
    if (const std::string* align = node.Attribute("align")) {
      if (name != "table") style.align = ParseHtmlAlign(*align).value_or(style.align);
    }
  }
  for (const HtmlDeclaration& d : HtmlDeclarations(node)) {
    const std::string lower = AsciiLower(d.value);
    if (d.property == "color") {
      style.color = ParseHtmlColor(d.value).value_or(style.color);
    } else if ((d.property == "background-color" || d.property == "background") && !block) {
      if (const std::optional<uint32_t> color = ParseHtmlColor(d.value)) style.background = color;
    } else if (d.property == "font-family") {
      font.face = Face(d.value);
    } else if (d.property == "font-size") {
      font.sizePoints = Clamped(FontSizeFromCss(d.value, parent.font.sizePoints), 1, 400);
    } else if (d.property == "font-weight") {
      std::string_view unit;
      const std::optional<double> weight = Number(lower, unit);
      font.bold = lower == "bold" || lower == "bolder" || (weight && *weight >= 600);
    } else if (d.property == "font-style") {
      font.italic = lower == "italic" || lower == "oblique";
    } else if (d.property == "text-align") {
      style.align = ParseHtmlAlign(lower).value_or(style.align);
    } else if (d.property == "text-decoration") {
      font.underline = lower.find("underline") != std::string::npos;
      font.strikeout = lower.find("line-through") != std::string::npos;
    } else if (d.property == "white-space") {
      style.pre = lower == "pre";
      style.noWrap = lower == "nowrap";
    }
  }
  return style;
}

void HtmlStyler::ApplyMargins(const HtmlNode& node, int em, HtmlMargins& margins) const {
  for (const HtmlDeclaration& d : HtmlDeclarations(node)) {
    auto length = [&](std::string_view text, int& to) {
      if (const std::optional<int> px = CssLength(text, em, options_.pixelsPerInch)) {
        to = std::max(*px, 0);
      }
    };
    if (d.property == "margin") {
      std::vector<std::string_view> parts;
      std::string_view rest = d.value;
      while (!rest.empty() && parts.size() < 4) {
        rest = Trimmed(rest);
        const size_t end = std::min(rest.find(' '), rest.size());
        if (end > 0) parts.push_back(rest.substr(0, end));
        rest.remove_prefix(end);
      }
      if (parts.empty()) continue;
      const size_t n = parts.size();
      length(parts[0], margins.top);
      length(parts[n > 1 ? 1 : 0], margins.right);
      length(parts[n > 2 ? 2 : 0], margins.bottom);
      length(parts[n > 3 ? 3 : (n > 1 ? 1 : 0)], margins.left);
    } else if (d.property == "margin-top") {
      length(d.value, margins.top);
    } else if (d.property == "margin-right") {
      length(d.value, margins.right);
    } else if (d.property == "margin-bottom") {
      length(d.value, margins.bottom);
    } else if (d.property == "margin-left") {
      length(d.value, margins.left);
    }
  }
}

HtmlMargins HtmlStyler::BlockMargins(const HtmlNode& node, const HtmlStyle& style,
                                     bool nestedList) const {
  const std::string& name = node.name;
  const int em = Em(style);
  HtmlMargins margins;
  if (name == "body" || name == "html") return margins;  // the page's own, taken at the start
  if (name == "p" || name == "dl" || IsOneOf(name, kPreformatted)) {
    margins.top = margins.bottom = em;
  } else if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6') {
    margins.top = margins.bottom = em * kHeadingMargins[name[1] - '1'] / 100;
  } else if (name == "ul" || name == "ol" || name == "dir" || name == "menu") {
    margins.top = margins.bottom = nestedList ? 0 : em;
    margins.left = kListIndent;
  } else if (name == "blockquote") {
    margins.top = margins.bottom = em;
    margins.left = margins.right = kListIndent;
  } else if (name == "dd") {
    margins.left = kListIndent;
  }
  ApplyMargins(node, em, margins);
  return margins;
}

}  // namespace vantrell
