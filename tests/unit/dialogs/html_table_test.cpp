// HTML table grids and column widths: cells placed by their spans, the
// extents spanning cells add to their columns, and the widths columns get
// from their extents, width attributes and the table's width.
#include "dialogs/html_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrell {
namespace {

TEST(HtmlTableTest, ReadsLengths) {
  struct Case {
    const char* text;
    int whole;
    std::optional<int> length;
  } const cases[] = {
      {"50", 0, 50},         {" 50%", 200, 100}, {"12.7", 0, 12},          {"33.3%", 300, 99},
      {"7px", 0, 7},         {"0", 0, 0},        {"abc", 0, std::nullopt}, {"-3", 0, std::nullopt},
      {"", 0, std::nullopt},
  };
  for (const Case& c : cases) {
    const std::string text = c.text;
    EXPECT_EQ(HtmlLength(&text, c.whole), c.length) << c.text;
  }
  EXPECT_EQ(HtmlLength(nullptr, 0), std::nullopt);
}

TEST(HtmlTableTest, PlacesCellsBySpans) {
  const HtmlDocument document = ParseHtml(
      "<table border cellpadding=3><caption>c</caption><tr><td colspan=2>a<td rowspan=2>b"
      "<tr><td>c<th width=40%>d<td width=30>e</table>");
  const HtmlTable table = HtmlTableGrid(document, 1);
  EXPECT_EQ(table.border, 1);
  EXPECT_EQ(table.cellBorder, 1);
  EXPECT_EQ(table.padding, 3);
  EXPECT_EQ(table.spacing, 2);
  EXPECT_NE(table.caption, 0U);
  EXPECT_EQ(table.rows.size(), 2U);
  EXPECT_EQ(table.columnCount, 4);
  std::vector<std::string> places;
  for (const HtmlTableCell& cell : table.cells) {
    places.push_back(document.nodes[document.nodes[cell.node].children[0]].text + " " +
                     std::to_string(cell.row) + "," + std::to_string(cell.column) + " " +
                     std::to_string(cell.columns) + "x" + std::to_string(cell.rows) + " " +
                     std::to_string(cell.fixed) + "px " + std::to_string(cell.percent) + "%");
  }
  EXPECT_EQ(places,
            (std::vector<std::string>{"a 0,0 2x1 0px 0%", "b 0,2 1x2 0px 0%", "c 1,0 1x1 0px 0%",
                                      "d 1,1 1x1 0px 40%", "e 1,3 1x1 30px 0%"}));
}

HtmlTable Columns(std::vector<HtmlExtent> columns, std::vector<int> fixed,
                  std::vector<int> percent) {
  HtmlTable table;
  table.spacing = 0;
  table.columnCount = static_cast<int>(columns.size());
  table.columns = std::move(columns);
  table.fixed = std::move(fixed);
  table.percent = std::move(percent);
  return table;
}

TEST(HtmlTableTest, SizesColumnsFromTheirCells) {
  const HtmlDocument document =
      ParseHtml("<table width=500><tr><td><td><tr><td colspan=2></table>");
  HtmlTable table = HtmlTableGrid(document, 1);
  ASSERT_EQ(table.cells.size(), 3U);
  table.cells[0].extent = {20, 40};
  table.cells[1].extent = {30, 30};
  table.cells[2].extent = {100, 300};
  SizeHtmlTableColumns(document, 1, table);
  // The spanning cell lacks 100 - 2 - 50 of its narrowest and 300 - 2 - 70 of its widest.
  EXPECT_EQ(table.columns, (std::vector<HtmlExtent>{{44, 154}, {54, 144}}));
  EXPECT_EQ(table.extent, (HtmlExtent{500, 500}));  // the fixed width, spacing included
}

TEST(HtmlTableTest, GivesColumnsTheirWidths) {
  struct Case {
    std::string name;
    HtmlTable table;
    int width;
    bool stretch;
    std::vector<int> widths;
  } const cases[] = {
      {"room for the widest",
       Columns({{10, 70}, {10, 280}}, {0, 0}, {0, 0}),
       400,
       false,
       {70, 280}},
      {"short of the widest",
       Columns({{10, 70}, {10, 280}}, {0, 0}, {0, 0}),
       200,
       false,
       {42, 158}},
      {"narrower than the narrowest",
       Columns({{10, 70}, {20, 280}}, {0, 0}, {0, 0}),
       5,
       true,
       {10, 20}},
      {"percentage", Columns({{10, 10}, {10, 10}}, {0, 0}, {25, 0}), 400, true, {100, 300}},
      {"fixed beside auto", Columns({{13, 50}, {13, 13}}, {50, 0}, {0, 0}), 200, true, {50, 150}},
      {"all fixed", Columns({{10, 50}, {10, 50}}, {50, 50}, {0, 0}), 200, true, {100, 100}},
      {"no stretch without a width", Columns({{10, 20}}, {0}, {0}), 300, false, {20}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HtmlColumnWidths(c.table, c.width, c.stretch), c.widths) << c.name;
  }
}

}  // namespace
}  // namespace vantrell
