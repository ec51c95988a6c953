// Fuzzes the HTML reader and layout: any bytes read into a tree whose nodes
// point at their parents, no deeper than the depth limit and no larger than
// the node limit, and lay out at any viewport width into boxes of no negative
// size, never a crash, a hang or an unbounded allocation. The first byte
// picks the viewport width. Seed: html_fuzz CORPUS fuzz/seeds/html
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "dialogs/html_document.h"
#include "dialogs/html_layout.h"

namespace {

constexpr vantrell::HtmlLimits kLimits{64, 20000};

class Measurer final : public vantrell::TextMeasurer {
 public:
  int Width(const vantrell::HtmlFont& font, std::string_view text) const override {
    return static_cast<int>(text.size()) * (font.sizePoints / 2 + 1);
  }
  vantrell::HtmlFontMetrics Metrics(const vantrell::HtmlFont& font) const override {
    return {font.sizePoints + 4, font.sizePoints};
  }
};

class Images final : public vantrell::ImageSizer {
 public:
  std::optional<vantrell::HtmlSize> Size(std::string_view src) const override {
    if (src.empty()) return std::nullopt;
    return vantrell::HtmlSize{static_cast<int>(src.size()) * 3, 20};
  }
};

size_t CheckNode(const vantrell::HtmlDocument& document, size_t index, size_t depth) {
  if (depth > kLimits.maxDepth + 1) std::abort();
  size_t count = 1;
  for (const size_t child : document.nodes[index].children) {
    if (child <= index || child >= document.nodes.size()) std::abort();
    if (document.nodes[child].parent != index) std::abort();
    count += CheckNode(document, child, depth + 1);
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int width = data[0] * 4;
  const std::string_view html(reinterpret_cast<const char*>(data) + 1, size - 1);
  const vantrell::HtmlDocument document = vantrell::ParseHtml(html, kLimits);
  if (document.nodes.empty() || document.nodes.size() > kLimits.maxNodes) std::abort();
  if (CheckNode(document, 0, 0) != document.nodes.size()) std::abort();  // a tree, every node in it
  const vantrell::HtmlLayout layout = vantrell::LayoutHtml(document, width, Measurer(), Images());
  if (layout.height < 0 || layout.width < width) std::abort();
  for (const vantrell::HtmlBox& box : layout.boxes) {
    if (box.rect.width < 0 || box.rect.height < 0) std::abort();
  }
  return 0;
}
