// The HTML layout (what it covers in html_layout.h). One pass over the tree:
// blocks stack down the page with their vertical margins collapsed, inline
// content fills lines that wrap at spaces, tables size their columns from the
// narrowest and widest widths of their cells' content before laying them out.
#include "dialogs/html_layout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <initializer_list>
#include <numeric>
#include <unordered_map>
#include <utility>

#include "common/ascii.h"
#include "dialogs/html_table.h"

namespace vantrell {
namespace {

using Names = std::initializer_list<std::string_view>;

bool IsOneOf(std::string_view name, Names names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

const Names kSkipped = {"head", "title",  "script", "style",    "meta",     "link",
                        "base", "select", "option", "textarea", "input",    "button",
                        "map",  "area",   "param",  "noembed",  "frameset", "iframe"};

using Style = HtmlStyle;
using Margins = HtmlMargins;
using Align = HtmlAlign;

constexpr uint32_t kRuleColor = 0x808080;
constexpr uint32_t kTableBorderColor = 0x808080;

int Clamped(int value, int low, int high) {
  return std::max(low, std::min(value, high));
}

// The running measure of content's extents.
struct Measure {
  HtmlExtent extent;
  int line = 0;
  bool space = false;
  void Add(int width, int spaceWidth, int indent) {
    extent.min = std::max(extent.min, width + indent);
    line += (space && line > 0 ? spaceWidth : 0) + width;
    space = false;
    extent.max = std::max(extent.max, line + indent);
  }
  void Break() {
    line = 0;
    space = false;
  }
};

struct Item {
  const Style* style = nullptr;
  std::string text;
  int x = 0;
  int width = 0;
  int ascent = 0;
  int descent = 0;
  bool spaced = false;
  const HtmlNode* image = nullptr;
  int border = 0;
};

struct Flow {
  int left = 0;
  int right = 0;
  Align align = Align::kLeft;
  std::vector<Item> line;
  int lineWidth = 0;
  int lineLeft = 0;
  int lineRight = 0;
  bool space = false;
};

struct ListState {
  bool ordered = false;
  int next = 1;
  char type = '1';
  int level = 0;
};

struct Marker {
  std::string text;
  const Style* style = nullptr;
  int right = 0;
};

class Layouter {
 public:
  Layouter(const HtmlDocument& document, int viewportWidth, const TextMeasurer& measurer,
           const ImageSizer& images, const HtmlLayoutOptions& options)
      : document_(document),
        viewport_(std::max(viewportWidth, 1)),
        measurer_(measurer),
        images_(images),
        options_(options),
        styler_(document, options) {}

  HtmlLayout Run() {
    layout_.title = document_.title;
    layout_.refresh = document_.refresh;
    layout_.textColor = options_.textColor;
    layout_.background = options_.background;
    layout_.linkColor = options_.linkColor;
    layout_.boxes.reserve(document_.nodes.size());
    Style& root = styles_.emplace_back();
    root.font.face = options_.face;
    root.font.sizePoints = options_.sizePoints;
    Margins margins{8, 8, 8, 8};
    if (const HtmlNode* body = Body()) BodySettings(*body, root, margins);
    root.color = layout_.textColor;
    y_ = margins.top;
    Flow flow{margins.left, std::max(viewport_ - margins.right, margins.left + 1)};
    maxRight_ = flow.right;
    Children(0, root, flow);
    FinishLine(flow);
    EmitPendingMarkers(root);
    int bottom = y_;
    for (const HtmlRect& f : floats_) bottom = std::max(bottom, f.y + f.height);
    layout_.height = bottom + margins.bottom;
    layout_.width = std::max(viewport_, maxRight_ + margins.right);
    return std::move(layout_);
  }

 private:
  const HtmlNode& Node(size_t index) const { return document_.nodes[index]; }

  const HtmlNode* Body() const {
    for (const size_t child : Node(0).children) {
      if (Node(child).IsElement("body")) return &Node(child);
      if (Node(child).IsElement("html")) {
        for (const size_t inner : Node(child).children) {
          if (Node(inner).IsElement("body")) return &Node(inner);
        }
      }
    }
    return nullptr;
  }

  void BodySettings(const HtmlNode& body, Style& root, Margins& margins) {
    auto color = [&](std::string_view name) -> std::optional<uint32_t> {
      const std::string* value = body.Attribute(name);
      return value != nullptr ? ParseHtmlColor(*value) : std::nullopt;
    };
    layout_.background = color("bgcolor").value_or(layout_.background);
    layout_.textColor = color("text").value_or(layout_.textColor);
    layout_.linkColor = color("link").value_or(layout_.linkColor);
    if (const std::string* image = body.Attribute("background")) layout_.backgroundImage = *image;
    auto margin = [&](std::string_view name, int& a, int& b) {
      if (const std::optional<int> px = HtmlLength(body.Attribute(name), 0)) a = b = *px;
    };
    margin("leftmargin", margins.left, margins.right);
    margin("marginwidth", margins.left, margins.right);
    margin("topmargin", margins.top, margins.bottom);
    margin("marginheight", margins.top, margins.bottom);
    for (const HtmlDeclaration& d : HtmlDeclarations(body)) {
      if (d.property == "background-color" || d.property == "background") {
        layout_.background = ParseHtmlColor(d.value).value_or(layout_.background);
      } else if (d.property == "color") {
        layout_.textColor = ParseHtmlColor(d.value).value_or(layout_.textColor);
      }
    }
    styler_.ApplyMargins(body, styler_.Em(root), margins);
  }

  const HtmlFontMetrics& Metrics(const Style& style) const {
    if (!style.metrics) style.metrics = measurer_.Metrics(style.font);
    return *style.metrics;
  }
  int SpaceWidth(const Style& style) const {
    if (style.spaceWidth < 0) style.spaceWidth = measurer_.Width(style.font, " ");
    return style.spaceWidth;
  }

  const Style* Derive(const HtmlNode& node, const Style& parent) {
    Style style = styler_.Styled(node, parent, layout_.linkColor);
    if (style.Same(parent) && style.href == parent.href) return &parent;
    return &styles_.emplace_back(std::move(style));
  }

  // ---- extents ----

  HtmlExtent ContentExtent(size_t node, const Style& style) {
    Measure measure;
    MeasureChildren(node, style, measure, 0);
    return measure.extent;
  }

  void MeasureChildren(size_t node, const Style& style, Measure& measure, int indent) {
    for (const size_t child : Node(node).children) MeasureNode(child, style, measure, indent);
  }

  void MeasureNode(size_t index, const Style& style, Measure& measure, int indent) {
    const HtmlNode& node = Node(index);
    if (node.kind == HtmlNodeKind::kText) {
      MeasureText(node.text, style, measure, indent);
      return;
    }
    const std::string& name = node.name;
    if (IsOneOf(name, kSkipped)) return;
    if (name == "br") {
      measure.Break();
      return;
    }
    if (name == "img") {
      measure.Add(ImageSize(node, 0).width, SpaceWidth(style), indent);
      return;
    }
    if (name == "hr") return;
    const Style& inner = *Derive(node, style);
    if (name == "table") {
      measure.Break();
      const HtmlExtent extent = TableOf(index, inner).extent;
      measure.extent.min = std::max(measure.extent.min, extent.min + indent);
      measure.extent.max = std::max(measure.extent.max, extent.max + indent);
      return;
    }
    if (IsHtmlBlock(name) || name == "td" || name == "th" || name == "tr") {
      measure.Break();
      const Margins margins = styler_.BlockMargins(node, inner, true);
      MeasureChildren(index, inner, measure, indent + margins.left + margins.right);
      measure.Break();
      return;
    }
    MeasureChildren(index, inner, measure, indent);
  }

  void MeasureText(std::string_view text, const Style& style, Measure& measure, int indent) {
    if (style.pre || style.noWrap) {
      size_t start = 0;
      while (start <= text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        if (end > start) {
          const std::string piece = style.pre ? Expanded(text.substr(start, end - start))
                                              : std::string(text.substr(start, end - start));
          const int width = measurer_.Width(style.font, piece);
          measure.extent.min = std::max(measure.extent.min, measure.line + width + indent);
          measure.Add(width, 0, indent);
        }
        if (end == text.size() || !style.pre) break;
        measure.Break();
        start = end + 1;
      }
      return;
    }
    size_t i = 0;
    while (i < text.size()) {
      if (text[i] == ' ') {
        measure.space = true;
        ++i;
        continue;
      }
      const size_t end = std::min(text.find(' ', i), text.size());
      measure.Add(measurer_.Width(style.font, text.substr(i, end - i)), SpaceWidth(style), indent);
      i = end;
    }
  }

  // ---- tables ----

  const HtmlTable& TableOf(size_t index, const Style& style) {
    if (const auto found = tables_.find(index); found != tables_.end()) return found->second;
    HtmlTable table = HtmlTableGrid(document_, index);
    const int frame = 2 * (table.padding + table.cellBorder);
    for (HtmlTableCell& cell : table.cells) {
      const Style& rowStyle = *Derive(Node(Node(cell.node).parent), style);
      cell.extent = ContentExtent(cell.node, *Derive(Node(cell.node), rowStyle));
      cell.extent.min += frame;
      cell.extent.max += frame;
    }
    SizeHtmlTableColumns(document_, index, table);
    return tables_.emplace(index, std::move(table)).first->second;
  }

  void LayoutTable(size_t index, const Style& style, Flow& flow) {
    FinishLine(flow);
    Place();
    const HtmlNode& node = Node(index);
    const Style& tableStyle = *Derive(node, style);
    const HtmlTable& table = TableOf(index, tableStyle);
    const int available = std::max(flow.right - flow.left, 0);
    int width = std::min(table.extent.max, available);
    const std::string* widthText = node.Attribute("width");
    if (widthText != nullptr) width = HtmlLength(widthText, available).value_or(width);
    width = std::max(width, table.extent.min);
    const bool stretch = widthText != nullptr;
    const std::vector<int> widths = HtmlColumnWidths(table, width, stretch);
    const int tableWidth = std::accumulate(
        widths.begin(), widths.end(), 2 * table.border + (table.columnCount + 1) * table.spacing);
    Align align = flow.align;
    if (const std::string* text = node.Attribute("align")) {
      align = ParseHtmlAlign(*text).value_or(Align::kLeft);
    }
    int x = flow.left;
    if (align == Align::kCenter) x += std::max((available - tableWidth) / 2, 0);
    if (align == Align::kRight) x += std::max(available - tableWidth, 0);
    maxRight_ = std::max(maxRight_, x + tableWidth);
    if (table.caption != 0) {
      Flow caption{x, x + tableWidth, Align::kCenter};
      const Style& captionStyle = *Derive(Node(table.caption), tableStyle);
      Children(table.caption, captionStyle, caption);
      FinishLine(caption);
    }
    const int top = y_;
    const size_t frameBox = layout_.boxes.size();
    layout_.boxes.emplace_back();
    std::vector<int> columnX(table.columnCount + 1);
    columnX[0] = x + table.border + table.spacing;
    for (int c = 0; c < table.columnCount; ++c) {
      columnX[c + 1] = columnX[c] + widths[c] + table.spacing;
    }
    const int rowCount = static_cast<int>(table.rows.size());
    std::vector<int> rowHeight(rowCount, 0);
    struct Placed {
      const HtmlTableCell* cell;
      size_t fillBox;
      size_t contentEnd;
      int height;
    };
    std::vector<Placed> placed;
    placed.reserve(table.cells.size());
    const int frame = table.padding + table.cellBorder;
    // Each cell is laid out from y 0 and moved to its row once the rows' heights are known.
    size_t next = 0;
    for (int r = 0; r < rowCount; ++r) {
      const HtmlNode& row = Node(table.rows[r]);
      const Style& rowStyle = *Derive(row, tableStyle);
      if (const std::optional<int> height = HtmlLength(row.Attribute("height"), 0)) {
        rowHeight[r] = std::min(*height, 100000);
      }
      for (; next < table.cells.size() && table.cells[next].row == r; ++next) {
        const HtmlTableCell& cell = table.cells[next];
        const HtmlNode& cellNode = Node(cell.node);
        const Style& cellStyle = *Derive(cellNode, rowStyle);
        const size_t fillBox = layout_.boxes.size();
        {
          HtmlBox& fill = layout_.boxes.emplace_back();  // before the content: painted under it
          fill.kind = HtmlBoxKind::kFill;
          fill.background = HtmlBackground(cellNode);
          if (!fill.background) fill.background = HtmlBackground(row);
          fill.border = table.cellBorder;
          fill.color = kTableBorderColor;
        }
        const int left = columnX[cell.column];
        const int right = columnX[cell.column + cell.columns] - table.spacing;
        const int height = CellContent(cell.node, cellStyle, left + frame, right - frame, frame);
        int needed = height + 2 * frame;
        if (const std::optional<int> fixed = HtmlLength(cellNode.Attribute("height"), 0)) {
          needed = std::max(needed, std::min(*fixed, 100000));
        }
        layout_.boxes[fillBox].rect = {left, 0, right - left, 0};
        placed.push_back({&cell, fillBox, layout_.boxes.size(), needed});
        if (cell.rows == 1) rowHeight[r] = std::max(rowHeight[r], needed);
      }
    }
    // What a spanning cell needs beyond its rows, shared among them.
    for (const Placed& p : placed) {
      const int first = p.cell->row;
      const int count = p.cell->rows;
      if (count == 1) continue;
      int spanned = (count - 1) * table.spacing;
      for (int r = first; r < first + count; ++r) spanned += rowHeight[r];
      const int extra = p.height - spanned;
      if (extra <= 0) continue;
      for (int k = 0; k < count; ++k) {
        rowHeight[first + k] += extra / count + (k == count - 1 ? extra % count : 0);
      }
    }
    std::vector<int> rowTop(rowCount + 1);
    rowTop[0] = top + table.border + table.spacing;
    for (int r = 0; r < rowCount; ++r) rowTop[r + 1] = rowTop[r] + rowHeight[r] + table.spacing;
    for (const Placed& p : placed) {
      const HtmlTableCell& cell = *p.cell;
      HtmlBox& fill = layout_.boxes[p.fillBox];
      fill.rect.y = rowTop[cell.row];
      fill.rect.height = rowTop[cell.row + cell.rows] - table.spacing - fill.rect.y;
      const HtmlNode& cellNode = Node(cell.node);
      const std::string* valign = cellNode.Attribute("valign");
      if (valign == nullptr) valign = Node(cellNode.parent).Attribute("valign");
      const std::string where = valign != nullptr ? AsciiLower(*valign) : "middle";
      const int slack = std::max(fill.rect.height - p.height, 0);
      int shift = rowTop[cell.row];
      if (where == "middle" || where == "center") shift += slack / 2;
      if (where == "bottom") shift += slack;
      for (size_t b = p.fillBox + 1; b < p.contentEnd; ++b) layout_.boxes[b].rect.y += shift;
    }
    const int bottom = rowTop[rowCount] + table.border;
    HtmlBox& frameBoxRef = layout_.boxes[frameBox];
    frameBoxRef.kind = HtmlBoxKind::kFill;
    frameBoxRef.rect = {x, top, tableWidth, bottom - top};
    frameBoxRef.background = HtmlBackground(node);
    frameBoxRef.border = table.border;
    frameBoxRef.color = kTableBorderColor;
    if (const std::string* color = node.Attribute("bordercolor")) {
      frameBoxRef.color = ParseHtmlColor(*color).value_or(kTableBorderColor);
    }
    y_ = bottom;
    atTop_ = false;
  }

  // Lays out a cell's content as a page of its own; its height.
  int CellContent(size_t cell, const Style& style, int left, int right, int top) {
    const int savedY = y_;
    const int savedMargin = pendingMargin_;
    const bool savedAtTop = atTop_;
    std::vector<HtmlRect> savedFloats;
    savedFloats.swap(floats_);
    std::vector<Marker> savedMarkers;
    savedMarkers.swap(markers_);
    y_ = top;
    pendingMargin_ = 0;
    atTop_ = true;
    Flow flow{left, std::max(right, left), style.align};
    Children(cell, style, flow);
    FinishLine(flow);
    EmitPendingMarkers(style);
    int bottom = y_;
    for (const HtmlRect& f : floats_) bottom = std::max(bottom, f.y + f.height);
    floats_.swap(savedFloats);
    markers_.swap(savedMarkers);
    y_ = savedY;
    pendingMargin_ = savedMargin;
    atTop_ = savedAtTop;
    return bottom - top;
  }

  // ---- flow ----

  void Children(size_t node, const Style& style, Flow& flow) {
    for (const size_t child : Node(node).children) {
      const HtmlNode& childNode = Node(child);
      if (childNode.kind == HtmlNodeKind::kText) {
        Text(childNode.text, style, flow);
      } else {
        Element(child, style, flow);
      }
    }
  }

  void Element(size_t index, const Style& style, Flow& flow) {
    const HtmlNode& node = Node(index);
    const std::string& name = node.name;
    if (IsOneOf(name, kSkipped)) return;
    if (name == "br") {
      LineBreak(flow, style);
      if (const std::string* clear = node.Attribute("clear")) {
        if (!clear->empty() && AsciiLower(*clear) != "none") ClearFloats();
      }
    } else if (name == "img") {
      Image(node, style, flow);
    } else if (name == "hr") {
      Rule(node, style, flow);
    } else if (name == "table") {
      LayoutTable(index, style, flow);
    } else if (IsHtmlBlock(name) || name == "td" || name == "th" || name == "tr") {
      Block(index, style, flow);
    } else {
      Children(index, *Derive(node, style), flow);
    }
  }

  void AddMargin(int margin) {
    if (!atTop_) pendingMargin_ = std::max(pendingMargin_, margin);
  }

  // Content goes at y_: the collapsed margin above it is taken.
  void Place() {
    y_ += pendingMargin_;
    pendingMargin_ = 0;
    atTop_ = false;
  }

  void ClearFloats() {
    for (const HtmlRect& f : floats_) y_ = std::max(y_, f.y + f.height);
  }

  void Block(size_t index, const Style& parent, Flow& parentFlow) {
    FinishLine(parentFlow);
    const HtmlNode& node = Node(index);
    const std::string& name = node.name;
    const Style& style = *Derive(node, parent);
    const bool isList = name == "ul" || name == "ol" || name == "dir" || name == "menu";
    const Margins margins = styler_.BlockMargins(node, style, !lists_.empty());
    AddMargin(margins.top);
    Flow flow{parentFlow.left + margins.left, parentFlow.right - margins.right, style.align};
    flow.right = std::max(flow.right, flow.left);
    if (const std::optional<int> width = WidthOf(node, flow.right - flow.left)) {
      flow.right = std::min(flow.right, flow.left + *width);
    }
    const std::optional<uint32_t> background =
        name == "html" || name == "body" ? std::nullopt : HtmlBackground(node);
    size_t fillBox = 0;
    int top = 0;
    if (background) {
      Place();
      top = y_;
      fillBox = layout_.boxes.size();
      layout_.boxes.emplace_back();
    }
    if (isList) {
      ListState list;
      list.ordered = name == "ol";
      list.level = static_cast<int>(lists_.size());
      if (const std::optional<int> start = HtmlLength(node.Attribute("start"), 0)) {
        list.next = *start;
      }
      if (const std::string* type = node.Attribute("type"); type != nullptr && !type->empty()) {
        list.type = (*type)[0];
      }
      lists_.push_back(list);
    }
    if (name == "li") StartListItem(node, style, flow.left);
    Children(index, style, flow);
    FinishLine(flow);
    if (name == "li") EmitPendingMarkers(style);
    if (isList) lists_.pop_back();
    if (background) {
      HtmlBox& fill = layout_.boxes[fillBox];
      fill.kind = HtmlBoxKind::kFill;
      fill.rect = {flow.left, top, flow.right - flow.left, y_ - top};
      fill.background = background;
    }
    AddMargin(margins.bottom);
  }

  static std::optional<int> WidthOf(const HtmlNode& node, int available) {
    for (const HtmlDeclaration& d : HtmlDeclarations(node)) {
      if (d.property == "width") {
        const std::string text(d.value);
        return HtmlLength(&text, available);
      }
    }
    return std::nullopt;
  }

  void StartListItem(const HtmlNode& node, const Style& style, int contentLeft) {
    ListState fallback;
    ListState& list = lists_.empty() ? fallback : lists_.back();
    if (const std::optional<int> value = HtmlLength(node.Attribute("value"), 0)) {
      list.next = *value;
    }
    std::string text;
    if (list.ordered) {
      text = Ordinal(list.next++, list.type) + ".";
    } else if (document_.utf8) {
      static constexpr std::array<std::string_view, 3> kBullets = {"\xE2\x80\xA2", "\xE2\x97\xA6",
                                                                   "\xE2\x96\xAA"};
      text = kBullets[std::min(list.level, 2)];
    } else {
      text = list.level == 1 ? "o" : "\x95";
    }
    const int gap = SpaceWidth(style);
    markers_.push_back({std::move(text), &style, contentLeft - gap});
  }

  static std::string Ordinal(int number, char type) {
    if ((type == 'a' || type == 'A') && number > 0) {
      std::string letters;
      for (int n = number; n > 0; n = (n - 1) / 26) {
        letters.insert(letters.begin(),
                       static_cast<char>((type == 'a' ? 'a' : 'A') + (n - 1) % 26));
      }
      return letters;
    }
    if ((type == 'i' || type == 'I') && number > 0 && number < 4000) {
      static constexpr std::array<std::pair<int, std::string_view>, 13> kRoman = {{{1000, "m"},
                                                                                   {900, "cm"},
                                                                                   {500, "d"},
                                                                                   {400, "cd"},
                                                                                   {100, "c"},
                                                                                   {90, "xc"},
                                                                                   {50, "l"},
                                                                                   {40, "xl"},
                                                                                   {10, "x"},
                                                                                   {9, "ix"},
                                                                                   {5, "v"},
                                                                                   {4, "iv"},
                                                                                   {1, "i"}}};
      std::string roman;
      for (int n = number; const auto& [value, digits] : kRoman) {
        for (; n >= value; n -= value) roman += digits;
      }
      return type == 'I' ? AsciiUpper(roman) : roman;
    }
    return std::to_string(number);
  }

  // Markers of list items no line has shown yet: on a line of their own.
  void EmitPendingMarkers(const Style& style) {
    if (markers_.empty()) return;
    Place();
    const HtmlFontMetrics& metrics = Metrics(style);
    EmitMarkers(y_, metrics.ascent);
    y_ += metrics.height;
  }

  void EmitMarkers(int lineTop, int baseline) {
    for (Marker& marker : markers_) {
      const HtmlFontMetrics& metrics = Metrics(*marker.style);
      HtmlBox& box = layout_.boxes.emplace_back();
      box.kind = HtmlBoxKind::kListMarker;
      const int width = measurer_.Width(marker.style->font, marker.text);
      box.rect = {marker.right - width, lineTop + baseline - metrics.ascent, width, metrics.height};
      box.baseline = metrics.ascent;
      box.text = std::move(marker.text);
      box.font = marker.style->font;
      box.font.underline = false;
      box.color = marker.style->color;
    }
    markers_.clear();
  }

  void StartLine(Flow& flow) {
    Place();
    flow.lineLeft = flow.left;
    flow.lineRight = flow.right;
    for (const HtmlRect& f : floats_) {
      if (f.y > y_ || f.y + f.height <= y_) continue;
      if (f.x + f.width <= flow.left + (flow.right - flow.left) / 2) {
        flow.lineLeft = std::max(flow.lineLeft, f.x + f.width);
      } else {
        flow.lineRight = std::min(flow.lineRight, f.x);
      }
    }
    flow.lineRight = std::max(flow.lineRight, flow.lineLeft);
  }

  void AddItem(Flow& flow, Item item) {
    if (flow.line.empty()) StartLine(flow);
    const int space = flow.space && !flow.line.empty() ? SpaceWidth(*item.style) : 0;
    if (!flow.line.empty() && !item.style->noWrap &&
        flow.lineWidth + space + item.width > flow.lineRight - flow.lineLeft) {
      FinishLine(flow);
      AddItem(flow, std::move(item));
      return;
    }
    item.spaced = space > 0;
    item.x = flow.lineWidth + space;
    flow.lineWidth = item.x + item.width;
    flow.space = false;
    flow.line.push_back(std::move(item));
  }

  void Text(std::string_view text, const Style& style, Flow& flow) {
    const HtmlFontMetrics& metrics = Metrics(style);
    if (style.pre) {
      size_t start = 0;
      for (;;) {
        const size_t end = std::min(text.find('\n', start), text.size());
        if (end > start) {
          Item item;
          item.style = &style;
          item.text = Expanded(text.substr(start, end - start));
          item.width = measurer_.Width(style.font, item.text);
          item.ascent = metrics.ascent;
          item.descent = metrics.height - metrics.ascent;
          flow.space = false;
          if (flow.line.empty()) StartLine(flow);
          item.x = flow.lineWidth;
          flow.lineWidth += item.width;
          flow.line.push_back(std::move(item));
        }
        if (end == text.size()) return;
        LineBreak(flow, style);
        start = end + 1;
      }
    }
    size_t i = 0;
    while (i < text.size()) {
      if (text[i] == ' ') {
        if (!flow.line.empty()) flow.space = true;
        ++i;
        continue;
      }
      const size_t end = std::min(text.find(' ', i), text.size());
      Item item;
      item.style = &style;
      item.text = std::string(text.substr(i, end - i));
      item.width = measurer_.Width(style.font, item.text);
      item.ascent = metrics.ascent;
      item.descent = metrics.height - metrics.ascent;
      AddItem(flow, std::move(item));
      i = end;
    }
  }

  // Tabs to the next multiple of eight columns.
  static std::string Expanded(std::string_view text) {
    std::string out;
    for (const char c : text) {
      if (c == '\t') {
        out.append(8 - out.size() % 8, ' ');
      } else {
        out += c;
      }
    }
    return out;
  }

  void LineBreak(Flow& flow, const Style& style) {
    if (!flow.line.empty()) {
      FinishLine(flow);
      return;
    }
    Place();
    const HtmlFontMetrics& metrics = Metrics(style);
    if (!markers_.empty()) EmitMarkers(y_, metrics.ascent);
    y_ += metrics.height;
  }

  HtmlSize ImageSize(const HtmlNode& node, int available) const {
    const std::optional<int> width = HtmlLength(node.Attribute("width"), available);
    const std::optional<int> height = HtmlLength(node.Attribute("height"), 0);
    const std::string* src = node.Attribute("src");
    const std::optional<HtmlSize> found =
        src != nullptr ? images_.Size(*src) : std::optional<HtmlSize>();
    const HtmlSize natural = found.value_or(options_.unknownImage);
    // One side given: the other in the natural proportion.
    auto scaled = [](int64_t side, int numerator, int denominator) {
      return static_cast<int>(std::min<int64_t>(side * numerator / denominator, 100000));
    };
    HtmlSize size = natural;
    if (width && height) {
      size = {*width, *height};
    } else if (width) {
      if (found && natural.width > 0) size.height = scaled(*width, natural.height, natural.width);
      size.width = *width;
    } else if (height) {
      if (found && natural.height > 0) size.width = scaled(*height, natural.width, natural.height);
      size.height = *height;
    }
    const int border = Clamped(HtmlLength(node.Attribute("border"), 0).value_or(0), 0, 100);
    return {Clamped(size.width, 0, 100000) + 2 * border,
            Clamped(size.height, 0, 100000) + 2 * border};
  }

  void Image(const HtmlNode& node, const Style& style, Flow& flow) {
    const HtmlSize size = ImageSize(node, flow.right - flow.left);
    const int border = Clamped(HtmlLength(node.Attribute("border"), 0).value_or(0), 0, 100);
    const std::string* alignText = node.Attribute("align");
    const std::string align = alignText != nullptr ? AsciiLower(*alignText) : "";
    if (align == "left" || align == "right") {
      int top = y_ + pendingMargin_;
      if (!flow.line.empty()) {
        top = y_;
      }
      int left = flow.left;
      int right = flow.right;
      for (const HtmlRect& f : floats_) {
        if (f.y > top || f.y + f.height <= top) continue;
        if (f.x + f.width <= flow.left + (flow.right - flow.left) / 2) {
          left = std::max(left, f.x + f.width);
        } else {
          right = std::min(right, f.x);
        }
      }
      const int x = align == "left" ? left : std::max(right - size.width, flow.left);
      const HtmlRect rect{x, top, size.width, size.height};
      floats_.push_back(rect);
      maxRight_ = std::max(maxRight_, rect.x + rect.width);
      EmitImage(node, style, rect, border);
      if (style.link != 0) {
        HtmlBox& link = layout_.boxes.emplace_back();
        link.kind = HtmlBoxKind::kLink;
        link.rect = rect;
        link.href = style.href;
      }
      if (!flow.line.empty()) {
        if (align == "left") {
          flow.lineLeft = std::max(flow.lineLeft, rect.x + rect.width);
        } else {
          flow.lineRight = std::max(std::min(flow.lineRight, rect.x), flow.lineLeft);
        }
      }
      return;
    }
    Item item;
    item.style = &style;
    item.image = &node;
    item.width = size.width;
    item.ascent = size.height;
    item.border = border;
    if (align == "middle" || align == "absmiddle" || align == "center") {
      const HtmlFontMetrics& metrics = Metrics(style);
      item.ascent = size.height / 2 + metrics.ascent / 2;
      item.descent = size.height - item.ascent;
    }
    AddItem(flow, std::move(item));
  }

  void EmitImage(const HtmlNode& node, const Style& style, const HtmlRect& rect, int border) {
    HtmlBox& box = layout_.boxes.emplace_back();
    box.kind = HtmlBoxKind::kImage;
    box.rect = rect;
    if (const std::string* src = node.Attribute("src")) box.src = *src;
    if (const std::string* alt = node.Attribute("alt")) box.text = *alt;
    box.border = border;
    box.color = style.color;
    box.href = style.href;
  }

  void Rule(const HtmlNode& node, const Style& style, Flow& flow) {
    FinishLine(flow);
    const int margin = styler_.Em(style) / 2;
    AddMargin(margin);
    Place();
    const int available = flow.right - flow.left;
    const int width = Clamped(HtmlLength(node.Attribute("width"), available).value_or(available), 0,
                              std::max(available, 0));
    const int height = Clamped(HtmlLength(node.Attribute("size"), 0).value_or(2), 1, 1000);
    Align align = Align::kCenter;
    if (const std::string* text = node.Attribute("align")) {
      align = ParseHtmlAlign(*text).value_or(align);
    }
    int x = flow.left;
    if (align == Align::kCenter) x += (available - width) / 2;
    if (align == Align::kRight) x += available - width;
    HtmlBox& box = layout_.boxes.emplace_back();
    box.kind = HtmlBoxKind::kRule;
    box.rect = {x, y_, width, height};
    box.color = kRuleColor;
    if (const std::string* color = node.Attribute("color")) {
      box.color = ParseHtmlColor(*color).value_or(kRuleColor);
    }
    y_ += height;
    AddMargin(margin);
  }

  void FinishLine(Flow& flow) {
    flow.space = false;
    if (flow.line.empty()) return;
    int ascent = 0;
    int descent = 0;
    for (const Item& item : flow.line) {
      ascent = std::max(ascent, item.ascent);
      descent = std::max(descent, item.descent);
    }
    const int available = flow.lineRight - flow.lineLeft;
    int x = flow.lineLeft;
    if (flow.align == Align::kCenter) x += std::max((available - flow.lineWidth) / 2, 0);
    if (flow.align == Align::kRight) x += std::max(available - flow.lineWidth, 0);
    const int top = y_;
    if (!markers_.empty()) EmitMarkers(top, ascent);
    size_t i = 0;
    while (i < flow.line.size()) {
      const Item& first = flow.line[i];
      if (first.image != nullptr) {
        const HtmlRect rect{x + first.x, top + ascent - first.ascent, first.width,
                            first.ascent + first.descent};
        EmitImage(*first.image, *first.style, rect, first.border);
        ++i;
        continue;
      }
      HtmlBox& box = layout_.boxes.emplace_back();
      box.kind = HtmlBoxKind::kText;
      box.text = first.text;
      size_t j = i + 1;
      for (; j < flow.line.size(); ++j) {
        const Item& item = flow.line[j];
        if (item.image != nullptr || item.style != first.style) break;
        if (item.spaced) box.text += ' ';
        box.text += item.text;
      }
      const Item& last = flow.line[j - 1];
      const HtmlFontMetrics& metrics = Metrics(*first.style);
      box.rect = {x + first.x, top + ascent - metrics.ascent, last.x + last.width - first.x,
                  metrics.height};
      box.baseline = metrics.ascent;
      box.font = first.style->font;
      box.color = first.style->color;
      box.background = first.style->background;
      box.href = first.style->href;
      i = j;
    }
    // Link areas: one per run of items of the same anchor.
    for (size_t k = 0; k < flow.line.size();) {
      const size_t link = flow.line[k].style->link;
      size_t end = k;
      int linkAscent = 0;
      int linkDescent = 0;
      for (; end < flow.line.size() && flow.line[end].style->link == link; ++end) {
        linkAscent = std::max(linkAscent, flow.line[end].ascent);
        linkDescent = std::max(linkDescent, flow.line[end].descent);
      }
      if (link != 0) {
        HtmlBox& box = layout_.boxes.emplace_back();
        box.kind = HtmlBoxKind::kLink;
        const Item& last = flow.line[end - 1];
        box.rect = {x + flow.line[k].x, top + ascent - linkAscent,
                    last.x + last.width - flow.line[k].x, linkAscent + linkDescent};
        box.href = flow.line[k].style->href;
      }
      k = end;
    }
    maxRight_ = std::max(maxRight_, x + flow.lineWidth);
    y_ = top + ascent + descent;
    flow.line.clear();
    flow.lineWidth = 0;
  }

  const HtmlDocument& document_;
  int viewport_;
  const TextMeasurer& measurer_;
  const ImageSizer& images_;
  const HtmlLayoutOptions& options_;
  HtmlStyler styler_;
  HtmlLayout layout_;
  std::deque<Style> styles_;
  std::unordered_map<size_t, HtmlTable> tables_;
  std::vector<HtmlRect> floats_;
  std::vector<ListState> lists_;
  std::vector<Marker> markers_;
  int y_ = 0;
  int pendingMargin_ = 0;
  bool atTop_ = true;
  int maxRight_ = 0;
};

}  // namespace

const std::string* HtmlLayout::LinkAt(int x, int y) const {
  for (auto it = boxes.rbegin(); it != boxes.rend(); ++it) {
    if (it->kind == HtmlBoxKind::kLink && it->rect.Contains(x, y)) return &it->href;
  }
  return nullptr;
}

HtmlLayout LayoutHtml(const HtmlDocument& document, int viewportWidth, const TextMeasurer& measurer,
                      const ImageSizer& images, const HtmlLayoutOptions& options) {
  return Layouter(document, viewportWidth, measurer, images, options).Run();
}
}  // namespace vantrell
