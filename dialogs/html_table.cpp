// HTML table grids and column widths (what they do in html_table.h).
#include "dialogs/html_table.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string_view>

namespace vantrell {
namespace {

constexpr int kMostColumns = 1000;

int Clamped(int value, int low, int high) {
  return std::max(low, std::min(value, high));
}

}  // namespace

std::optional<int> HtmlLength(const std::string* text, int whole) {
  if (text == nullptr) return std::nullopt;
  std::string_view rest = *text;
  while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
  double value = 0;
  double scale = 0;
  bool digits = false;
  size_t i = 0;
  for (; i < rest.size(); ++i) {
    if (rest[i] >= '0' && rest[i] <= '9') {
      digits = true;
      if (scale == 0) {
        value = std::min(value * 10 + (rest[i] - '0'), 1e7);
      } else {
        value += (rest[i] - '0') * scale;
        scale /= 10;
      }
    } else if (rest[i] == '.' && scale == 0) {
      scale = 0.1;
    } else {
      break;
    }
  }
  if (!digits) return std::nullopt;
  while (i < rest.size() && rest[i] == ' ') ++i;
  if (i < rest.size() && rest[i] == '%') return static_cast<int>(value * whole / 100);
  return static_cast<int>(value);
}

HtmlTable HtmlTableGrid(const HtmlDocument& document, size_t index) {
  HtmlTable table;
  const HtmlNode& tableNode = document.nodes[index];
  table.border = Clamped(HtmlLength(tableNode.Attribute("border"), 0).value_or(0), 0, 100);
  if (tableNode.Attribute("border") != nullptr && tableNode.Attribute("border")->empty()) {
    table.border = 1;
  }
  table.padding = Clamped(HtmlLength(tableNode.Attribute("cellpadding"), 0).value_or(1), 0, 500);
  table.spacing = Clamped(HtmlLength(tableNode.Attribute("cellspacing"), 0).value_or(2), 0, 500);
  table.cellBorder = table.border > 0 ? 1 : 0;
  for (const size_t child : document.nodes.at(index).children) {
    const HtmlNode& node = document.nodes.at(child);
    if (node.IsElement("tr")) {
      table.rows.push_back(child);
    } else if (node.IsElement("tbody") || node.IsElement("thead") || node.IsElement("tfoot")) {
      for (const size_t row : node.children) {
        if (document.nodes.at(row).IsElement("tr")) table.rows.push_back(row);
      }
    } else if (node.IsElement("caption") && table.caption == 0) {
      table.caption = child;
    }
  }
  const int rowCount = static_cast<int>(table.rows.size());
  std::vector<int> takenUntil;  // per column: the row a rowspan above ends before
  for (int r = 0; r < rowCount; ++r) {
    int column = 0;
    for (const size_t child : document.nodes.at(table.rows[r]).children) {
      const HtmlNode& node = document.nodes.at(child);
      if (!node.IsElement("td") && !node.IsElement("th")) continue;
      while (column < static_cast<int>(takenUntil.size()) && takenUntil[column] > r) ++column;
      if (column >= kMostColumns) break;
      HtmlTableCell cell;
      cell.node = child;
      cell.row = r;
      cell.column = column;
      cell.columns =
          Clamped(HtmlLength(node.Attribute("colspan"), 0).value_or(1), 1, kMostColumns - column);
      const int rows = HtmlLength(node.Attribute("rowspan"), 0).value_or(1);
      cell.rows = rows == 0 ? rowCount - r : Clamped(rows, 1, rowCount - r);
      if (static_cast<int>(takenUntil.size()) < column + cell.columns) {
        takenUntil.resize(column + cell.columns, 0);
      }
      for (int c = column; c < column + cell.columns; ++c) takenUntil[c] = r + cell.rows;
      if (const std::string* width = node.Attribute("width")) {
        if (width->find('%') != std::string::npos) {
          cell.percent = Clamped(HtmlLength(width, 100).value_or(0), 0, 100);
        } else {
          cell.fixed = Clamped(HtmlLength(width, 0).value_or(0), 0, 100000);
        }
      }
      column += cell.columns;
      table.columnCount = std::max(table.columnCount, column);
      table.cells.push_back(cell);
    }
  }
  return table;
}

void SizeHtmlTableColumns(const HtmlDocument& document, size_t tableNode, HtmlTable& table) {
  table.columns.assign(table.columnCount, {});
  table.fixed.assign(table.columnCount, 0);
  table.percent.assign(table.columnCount, 0);
  for (HtmlTableCell& cell : table.cells) {
    cell.extent.max = std::max({cell.extent.max, cell.extent.min, cell.fixed});
  }
  // Single columns first, then what spanning cells need beyond their columns.
  for (const HtmlTableCell& cell : table.cells) {
    if (cell.columns != 1) continue;
    HtmlExtent& column = table.columns[cell.column];
    column.min = std::max(column.min, cell.extent.min);
    column.max = std::max(column.max, cell.extent.max);
    table.fixed[cell.column] = std::max(table.fixed[cell.column], cell.fixed);
    table.percent[cell.column] = std::max(table.percent[cell.column], cell.percent);
  }
  for (const HtmlTableCell& cell : table.cells) {
    if (cell.columns == 1) continue;
    const int inner = (cell.columns - 1) * table.spacing;
    int min = 0;
    int max = 0;
    for (int c = cell.column; c < cell.column + cell.columns; ++c) {
      min += table.columns[c].min;
      max += table.columns[c].max;
    }
    for (int c = cell.column; c < cell.column + cell.columns; ++c) {
      table.columns[c].min += std::max(cell.extent.min - inner - min, 0) / cell.columns;
      table.columns[c].max += std::max(cell.extent.max - inner - max, 0) / cell.columns;
      table.columns[c].max = std::max(table.columns[c].max, table.columns[c].min);
    }
  }
  const int chrome = 2 * table.border + (table.columnCount + 1) * table.spacing;
  table.extent = {chrome, chrome};
  for (const HtmlExtent& column : table.columns) {
    table.extent.min += column.min;
    table.extent.max += column.max;
  }
  const std::string* width = document.nodes[tableNode].Attribute("width");
  if (width != nullptr && width->find('%') == std::string::npos) {
    const int fixed = HtmlLength(width, 0).value_or(0);
    table.extent.min = std::max(table.extent.min, std::min(fixed, 100000));
    table.extent.max = table.extent.min;
  }
}

std::vector<int> HtmlColumnWidths(const HtmlTable& table, int width, bool stretch) {
  const int count = table.columnCount;
  std::vector<int> widths(count);
  const int chrome = 2 * table.border + (count + 1) * table.spacing;
  int remaining = width - chrome;
  for (int c = 0; c < count; ++c) {
    widths[c] = table.columns[c].min;
    remaining -= widths[c];
  }
  auto grow = [&](int c, int target) {
    const int add = std::min(std::max(target - widths[c], 0), std::max(remaining, 0));
    widths[c] += add;
    remaining -= add;
  };
  const int space = width - chrome;
  for (int c = 0; c < count; ++c) {
    if (table.percent[c] > 0) grow(c, space * table.percent[c] / 100);
  }
  for (int c = 0; c < count; ++c) {
    if (table.fixed[c] > 0 && table.percent[c] == 0) grow(c, table.fixed[c]);
  }
  // Auto columns toward their widest, in proportion to what they lack.
  int lacking = 0;
  for (int c = 0; c < count; ++c) {
    if (table.fixed[c] == 0 && table.percent[c] == 0) {
      lacking += table.columns[c].max - widths[c];
    }
  }
  if (lacking > 0 && remaining > 0) {
    const int share = std::min(remaining, lacking);
    int given = 0;
    int last = -1;
    for (int c = 0; c < count; ++c) {
      if (table.fixed[c] != 0 || table.percent[c] != 0) continue;
      const int lack = table.columns[c].max - widths[c];
      const int add = static_cast<int>(static_cast<int64_t>(share) * lack / lacking);
      widths[c] += add;
      given += add;
      if (lack > 0) last = c;
    }
    if (last >= 0) widths[last] += share - given;  // what rounding kept back
    remaining -= share;
  }
  if (stretch && remaining > 0 && count > 0) {
    std::vector<int> targets;
    for (int c = 0; c < count; ++c) {
      if (table.percent[c] == 0 && table.fixed[c] == 0) targets.push_back(c);
    }
    if (targets.empty()) {
      targets.resize(count);
      std::iota(targets.begin(), targets.end(), 0);
    }
    for (size_t k = 0; k < targets.size(); ++k) {
      const int add = remaining / static_cast<int>(targets.size() - k);
      widths[targets[k]] += add;
      remaining -= add;
    }
  }
  return widths;
}

}  // namespace vantrell
