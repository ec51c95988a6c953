// The grid of an HTML table and the widths of its columns, for the layout:
// cells placed in rows and columns by their spans (at most 1000 columns; a
// cell past them is left out), columns sized from the narrowest and widest
// widths of their cells' content and the cells' width attributes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/html_document.h"

namespace vantrell {

struct HtmlExtent {
  int min = 0;  // the narrowest the content can be
  int max = 0;  // its width without wrapping
  bool operator==(const HtmlExtent&) const = default;
};

struct HtmlTableCell {
  size_t node = 0;
  int row = 0;
  int column = 0;
  int columns = 1;    // colspan
  int rows = 1;       // rowspan
  HtmlExtent extent;  // content, padding and borders: the layout's to fill in
  int fixed = 0;      // width attribute in pixels
  int percent = 0;    // width attribute in percent
};

struct HtmlTable {
  std::vector<size_t> rows;          // tr nodes, in order
  std::vector<HtmlTableCell> cells;  // by row, then column
  size_t caption = 0;                // 0: none
  int columnCount = 0;
  int border = 0;
  int padding = 1;
  int spacing = 2;
  int cellBorder = 0;  // 1 when the table has a border
  std::vector<HtmlExtent> columns;
  std::vector<int> fixed;    // per column, pixels
  std::vector<int> percent;  // per column
  HtmlExtent extent;         // the whole table's, borders and spacing included
};

// A width or height attribute: pixels, or a percentage of `whole` ("50%");
// nullopt when missing or not a number of at least 0.
std::optional<int> HtmlLength(const std::string* text, int whole);

// The table's attributes, rows and cells in their places; extents not known.
HtmlTable HtmlTableGrid(const HtmlDocument& document, size_t table);

// The columns' and the table's extents from the cells'. A spanning cell adds
// what its columns lack, shared evenly; a fixed table width fixes both.
void SizeHtmlTableColumns(const HtmlDocument& document, size_t tableNode, HtmlTable& table);

// The columns' widths for a table `width` wide (its narrowest at least):
// each column its narrowest, then the percentage and fixed columns their
// share, then the others toward their widest in proportion to what they
// lack; with `stretch` (a width attribute) what is left goes to the columns
// with no width of their own.
std::vector<int> HtmlColumnWidths(const HtmlTable& table, int width, bool stretch);

}  // namespace vantrell
