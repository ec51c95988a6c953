// The HTML layout with a measurer of fixed-width characters (7 pixels each,
// lines 4/3 of the size in points, 16 pixels at 12 points): headings,
// paragraphs wrapping at the viewport, lists and their markers, tables with
// spans and widths, images, alignment, floats, styles, links under a point,
// and pages that are empty or hostile. The page's margin is 8 pixels.
#include "dialogs/html_layout.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace vantrell {
namespace {

constexpr int kCharWidth = 7;

class FixedMeasurer final : public TextMeasurer {
 public:
  int Width(const HtmlFont&, std::string_view text) const override {
    return static_cast<int>(text.size()) * kCharWidth;
  }
  HtmlFontMetrics Metrics(const HtmlFont& font) const override {
    const int height = font.sizePoints * 4 / 3;
    return {height, height * 3 / 4};
  }
};

class MapImages final : public ImageSizer {
 public:
  std::optional<HtmlSize> Size(std::string_view src) const override {
    const auto found = sizes.find(std::string(src));
    if (found == sizes.end()) return std::nullopt;
    return found->second;
  }
  std::map<std::string, HtmlSize> sizes;
};

HtmlLayout Layout(std::string_view html, int width = 400, const MapImages& images = {}) {
  return LayoutHtml(ParseHtml(html), width, FixedMeasurer(), images);
}

std::vector<HtmlBox> OfKind(const HtmlLayout& layout, HtmlBoxKind kind) {
  std::vector<HtmlBox> out;
  for (const HtmlBox& box : layout.boxes) {
    if (box.kind == kind) out.push_back(box);
  }
  return out;
}

// Text boxes as "text@x,y".
std::vector<std::string> Texts(const HtmlLayout& layout, HtmlBoxKind kind = HtmlBoxKind::kText) {
  std::vector<std::string> out;
  for (const HtmlBox& box : OfKind(layout, kind)) {
    out.push_back(box.text + "@" + std::to_string(box.rect.x) + "," + std::to_string(box.rect.y));
  }
  return out;
}

using Strings = std::vector<std::string>;

TEST(HtmlLayoutTest, EmptyPageHasOnlyItsMargins) {
  const HtmlLayout layout = Layout("", 300);
  EXPECT_TRUE(layout.boxes.empty());
  EXPECT_EQ(layout.width, 300);
  EXPECT_EQ(layout.height, 16);
}

TEST(HtmlLayoutTest, HeadingIsLargeAndBold) {
  const HtmlLayout layout = Layout("<h1>Welcome</h1>text");
  const std::vector<HtmlBox> texts = OfKind(layout, HtmlBoxKind::kText);
  ASSERT_EQ(texts.size(), 2U);
  EXPECT_EQ(texts[0].rect, (HtmlRect{8, 8, 49, 32}));
  EXPECT_EQ(texts[0].baseline, 24);
  EXPECT_EQ(texts[0].font.sizePoints, 24);
  EXPECT_TRUE(texts[0].font.bold);
  EXPECT_EQ(texts[0].font.face, "Times New Roman");
  // h1's bottom margin is 0.67 of its 32 pixel em.
  EXPECT_EQ(texts[1].rect, (HtmlRect{8, 8 + 32 + 21, 28, 16}));
  EXPECT_FALSE(texts[1].font.bold);
}

TEST(HtmlLayoutTest, ParagraphsWrapAtTheViewportAndCollapseMargins) {
  // 84 pixels of content: twelve characters a line.
  const HtmlLayout layout =
      Layout("<p>aaaa bbbb <b>cccc</b> dddd eeeeeeeeeeeeeeee f</p><p>g</p>", 100);
  EXPECT_EQ(Texts(layout), (Strings{"aaaa bbbb@8,8", "cccc@8,24", "dddd@43,24",
                                    "eeeeeeeeeeeeeeee@8,40", "f@8,56", "g@8,88"}));
  EXPECT_EQ(layout.width, 8 + 16 * kCharWidth + 8);  // the long word overflows
  EXPECT_EQ(layout.height, 88 + 16 + 8);
}

TEST(HtmlLayoutTest, SpacesBetweenElementsCountOnce) {
  EXPECT_EQ(Texts(Layout(" a <i> b </i>  c ")), (Strings{"a@8,8", "b@22,8", "c@36,8"}));
}

TEST(HtmlLayoutTest, LineBreaksAndPreformattedText) {
  EXPECT_EQ(Texts(Layout("a<br>b<br><br>c")), (Strings{"a@8,8", "b@8,24", "c@8,56"}));
  const HtmlLayout pre = Layout("<pre>a  b\n\tc\n\nd</pre>");
  // 10 points: lines of 13 pixels, no margin above at the page's top.
  EXPECT_EQ(Texts(pre), (Strings{"a  b@8,8", "        c@8,21", "d@8,47"}));
  EXPECT_EQ(OfKind(pre, HtmlBoxKind::kText)[0].font.face, "Courier New");
}

TEST(HtmlLayoutTest, ListsHaveMarkersLeftOfTheirItems) {
  const HtmlLayout layout =
      Layout("<ul><li>one<li>two<ul><li>three</ul></ul><ol start=3><li>x<li value=9>y</ol>");
  EXPECT_EQ(Texts(layout), (Strings{"one@48,8", "two@48,24", "three@88,40", "x@48,72", "y@48,88"}));
  EXPECT_EQ(Texts(layout, HtmlBoxKind::kListMarker),
            (Strings{"\x95@34,8", "\x95@34,24", "o@74,40", "3.@27,72", "9.@27,88"}));
}

TEST(HtmlLayoutTest, ListMarkersFollowTheEncodingAndType) {
  const HtmlLayout layout = Layout(
      "<meta charset=utf-8><ul><li>a<ul><li>b<ul><li>c</ul></ul></ul>"
      "<ol type=a start=27><li>d</ol><ol type=I start=14><li>e</ol>");
  std::vector<std::string> markers;
  for (const HtmlBox& box : OfKind(layout, HtmlBoxKind::kListMarker)) markers.push_back(box.text);
  EXPECT_EQ(markers, (Strings{"\xE2\x80\xA2", "\xE2\x97\xA6", "\xE2\x96\xAA", "aa.", "XIV."}));
}

TEST(HtmlLayoutTest, EmptyListItemStillShowsItsMarker) {
  const HtmlLayout layout = Layout("<ul><li><li>b</ul>");
  EXPECT_EQ(Texts(layout, HtmlBoxKind::kListMarker), (Strings{"\x95@34,8", "\x95@34,24"}));
}

TEST(HtmlLayoutTest, TableColumnsFromWidthsAndSpans) {
  const HtmlLayout layout = Layout(
      "<table border=1 cellpadding=2 cellspacing=0 width=200>"
      "<tr><td width=50>a</td><td>b</td></tr>"
      "<tr><td colspan=2 bgcolor=#00ff00>cc</td></tr></table>after");
  const std::vector<HtmlBox> fills = OfKind(layout, HtmlBoxKind::kFill);
  ASSERT_EQ(fills.size(), 4U);
  EXPECT_EQ(fills[0].rect, (HtmlRect{8, 8, 200, 46}));  // the table: border 1 around
  EXPECT_EQ(fills[0].border, 1);
  EXPECT_EQ(fills[1].rect, (HtmlRect{9, 9, 50, 22}));  // text 16 + padding 2 + border 1
  EXPECT_EQ(fills[2].rect, (HtmlRect{59, 9, 148, 22}));
  EXPECT_EQ(fills[3].rect, (HtmlRect{9, 31, 198, 22}));
  EXPECT_EQ(fills[3].background, 0x00FF00U);
  EXPECT_EQ(fills[1].border, 1);
  EXPECT_EQ(Texts(layout), (Strings{"a@12,12", "b@62,12", "cc@12,34", "after@8,54"}));
}

TEST(HtmlLayoutTest, TableSizesColumnsFromTheirContent) {
  // Widest: 10 and 40 characters; they fit in 400 - 16, so each gets its widest.
  const HtmlLayout wide = Layout("<table cellspacing=0 cellpadding=0><tr><td>" +
                                 std::string(10, 'a') + "<td>" + std::string(40, 'b') + "</table>");
  const std::vector<HtmlBox> fills = OfKind(wide, HtmlBoxKind::kFill);
  ASSERT_EQ(fills.size(), 3U);
  EXPECT_EQ(fills[1].rect.width, 70);
  EXPECT_EQ(fills[2].rect.width, 280);
  // In 200 pixels the second column wraps; both keep their narrowest word.
  const HtmlLayout narrow = Layout(
      "<table cellspacing=0 cellpadding=0><tr><td>aaaaaaaaaa<td>bbbb bbbb bbbb bbbb "
      "bbbb bbbb bbbb bbbb</table>",
      216);
  const std::vector<HtmlBox> cells = OfKind(narrow, HtmlBoxKind::kFill);
  ASSERT_EQ(cells.size(), 3U);
  EXPECT_EQ(cells[0].rect.width, 200);
  EXPECT_GE(cells[1].rect.width, 70);
  EXPECT_GE(cells[2].rect.width, 28);
  EXPECT_EQ(cells[1].rect.width + cells[2].rect.width, 200);
  EXPECT_GT(cells[2].rect.height, 16);
}

TEST(HtmlLayoutTest, TableCellsAlignAndRowspan) {
  const HtmlLayout layout = Layout(
      "<table cellspacing=0 cellpadding=0><tr><td rowspan=2>x<br>x<br>x</td>"
      "<td valign=top>t</td><td valign=bottom>b</td><td align=right width=30>r</td></tr>"
      "<tr><td>m</td></tr></table>");
  // The spanning cell's extra 16 pixels go half to each row.
  EXPECT_EQ(Texts(layout),
            (Strings{"x@8,8", "x@8,24", "x@8,40", "t@15,8", "b@22,16", "r@52,12", "m@15,36"}));
}

TEST(HtmlLayoutTest, CenteredAndAlignedTables) {
  const HtmlLayout layout = Layout(
      "<center><table cellspacing=0 cellpadding=0><tr><td>abcd</table></center>"
      "<table align=right cellspacing=0 cellpadding=0><tr><td>ab</table>",
      116);
  EXPECT_EQ(Texts(layout), (Strings{"abcd@44,8", "ab@94,24"}));
}

TEST(HtmlLayoutTest, ImagesTakeTheirSizes) {
  MapImages images;
  images.sizes["big.png"] = {100, 50};
  const HtmlLayout layout = Layout(
      "<img src=a.png width=40 height=30><img src=big.png><img src=none.png>"
      "<img src=big.png width=50><img src=big.png height=10 border=2 alt=Logo>",
      400, images);
  const std::vector<HtmlBox> boxes = OfKind(layout, HtmlBoxKind::kImage);
  ASSERT_EQ(boxes.size(), 5U);
  // One line, bottoms on its baseline (50 below its top).
  EXPECT_EQ(boxes[0].rect, (HtmlRect{8, 28, 40, 30}));
  EXPECT_EQ(boxes[1].rect, (HtmlRect{48, 8, 100, 50}));
  EXPECT_EQ(boxes[2].rect, (HtmlRect{148, 34, 24, 24}));
  EXPECT_EQ(boxes[3].rect, (HtmlRect{172, 33, 50, 25}));
  EXPECT_EQ(boxes[4].rect, (HtmlRect{222, 44, 24, 14}));
  EXPECT_EQ(boxes[4].border, 2);
  EXPECT_EQ(boxes[4].text, "Logo");
  EXPECT_EQ(boxes[1].src, "big.png");
}

TEST(HtmlLayoutTest, FloatingImagesNarrowTheLinesBeside) {
  const HtmlLayout layout = Layout(
      "<img src=a align=left width=20 height=40>aaa bbb<img src=b align=right width=10 "
      "height=20> ccc<br clear=all>d",
      100);
  const std::vector<HtmlBox> images = OfKind(layout, HtmlBoxKind::kImage);
  ASSERT_EQ(images.size(), 2U);
  EXPECT_EQ(images[0].rect, (HtmlRect{8, 8, 20, 40}));
  EXPECT_EQ(images[1].rect, (HtmlRect{82, 8, 10, 20}));
  // 84 pixels less the floats: 54, seven characters and a space.
  EXPECT_EQ(Texts(layout), (Strings{"aaa bbb@28,8", "ccc@28,24", "d@8,48"}));
}

TEST(HtmlLayoutTest, AlignmentOfBlocks) {
  const HtmlLayout layout = Layout(
      "<center>abc</center><p align=right>abc</p><div style='text-align:center'>ab<div "
      "align=left>c</div></div>",
      100);
  EXPECT_EQ(Texts(layout), (Strings{"abc@39,8", "abc@71,40", "ab@43,72", "c@8,88"}));
}

TEST(HtmlLayoutTest, FontsAndColoursFromTagsAndStyles) {
  const HtmlLayout layout = Layout(
      "<font face='Arial, Helvetica' size=5 color=red>a</font>"
      "<font size=-1>b</font><span style=\"font-family:monospace; font-size:16px; "
      "font-weight:700; font-style:italic; color:#123; background-color:rgb(0,0,255)\">c</span>"
      "<u>d</u><strike>e</strike><big>f</big><small>g</small><tt>h</tt>");
  const std::vector<HtmlBox> texts = OfKind(layout, HtmlBoxKind::kText);
  ASSERT_EQ(texts.size(), 8U);
  EXPECT_EQ(texts[0].font, (HtmlFont{"Arial", 18, false, false, false, false}));
  EXPECT_EQ(texts[0].color, 0xFF0000U);
  EXPECT_EQ(texts[1].font.sizePoints, 10);
  EXPECT_EQ(texts[2].font, (HtmlFont{"Courier New", 12, true, true, false, false}));
  EXPECT_EQ(texts[2].color, 0x112233U);
  EXPECT_EQ(texts[2].background, 0x0000FFU);
  EXPECT_TRUE(texts[3].font.underline);
  EXPECT_TRUE(texts[4].font.strikeout);
  EXPECT_EQ(texts[5].font.sizePoints, 14);
  EXPECT_EQ(texts[6].font.sizePoints, 10);
  EXPECT_EQ(texts[7].font.face, "Courier New");
  // Baselines line up: the 18 point "a" is 24 pixels, the rest 16 or less.
  for (const HtmlBox& box : texts) EXPECT_EQ(box.rect.y + box.baseline, 8 + 18) << box.text;
}

TEST(HtmlLayoutTest, MarginsFromStyles) {
  const HtmlLayout layout = Layout(
      "<div style='margin: 10px 20px'>a</div><p style='margin-left:30px;margin-top:0'>b</p>");
  EXPECT_EQ(Texts(layout), (Strings{"a@28,8", "b@38,34"}));
}

TEST(HtmlLayoutTest, BodySettings) {
  const HtmlLayout layout = Layout(
      "<head><title>Setup</title><meta http-equiv=refresh content='2;url=next.htm'></head>"
      "<body bgcolor=#ff0000 text=navy link=green background='bg.bmp' leftmargin=0 "
      "topmargin=4 style='margin-left:3px'>a <a href=x>b</a></body>");
  EXPECT_EQ(layout.background, 0xFF0000U);
  EXPECT_EQ(layout.backgroundImage, "bg.bmp");
  EXPECT_EQ(layout.title, "Setup");
  EXPECT_EQ(layout.refresh, (HtmlRefresh{2, "next.htm"}));
  const std::vector<HtmlBox> texts = OfKind(layout, HtmlBoxKind::kText);
  ASSERT_EQ(texts.size(), 2U);
  EXPECT_EQ(texts[0].rect, (HtmlRect{3, 4, 7, 16}));
  EXPECT_EQ(texts[0].color, 0x000080U);
  EXPECT_EQ(texts[1].color, 0x008000U);
  EXPECT_EQ(layout.height, 4 + 16 + 4);
}

TEST(HtmlLayoutTest, LinksUnderAPoint) {
  MapImages images;
  images.sizes["i.png"] = {10, 10};
  const HtmlLayout layout = Layout(
      "x <a href='next.htm'>go <b>on</b></a> y <a href=pic><img src=i.png></a>"
      "<a name=anchor>z</a>",
      400, images);
  const std::vector<HtmlBox> texts = OfKind(layout, HtmlBoxKind::kText);
  ASSERT_EQ(texts.size(), 5U);
  EXPECT_EQ(texts[1].href, "next.htm");
  EXPECT_TRUE(texts[1].font.underline);
  EXPECT_EQ(texts[1].color, 0x0000FFU);
  EXPECT_FALSE(texts[4].font.underline);
  const std::vector<HtmlBox> links = OfKind(layout, HtmlBoxKind::kLink);
  ASSERT_EQ(links.size(), 2U);
  EXPECT_EQ(links[0].rect, (HtmlRect{22, 8, 35, 16}));  // "go on" across both styles
  EXPECT_EQ(links[1].rect, (HtmlRect{78, 10, 10, 10}));
  struct Case {
    int x, y;
    const char* href;
  } const cases[] = {{22, 8, "next.htm"}, {56, 23, "next.htm"}, {57, 8, nullptr},
                     {21, 8, nullptr},    {25, 24, nullptr},    {80, 15, "pic"},
                     {80, 9, nullptr},    {90, 10, nullptr}};
  for (const Case& c : cases) {
    const std::string* href = layout.LinkAt(c.x, c.y);
    if (c.href == nullptr) {
      EXPECT_EQ(href, nullptr) << c.x << "," << c.y;
    } else {
      ASSERT_NE(href, nullptr) << c.x << "," << c.y;
      EXPECT_EQ(*href, c.href);
    }
  }
}

TEST(HtmlLayoutTest, HorizontalRules) {
  const HtmlLayout layout = Layout("a<hr><hr width=50% size=4 align=left color=blue>b", 216);
  const std::vector<HtmlBox> rules = OfKind(layout, HtmlBoxKind::kRule);
  ASSERT_EQ(rules.size(), 2U);
  EXPECT_EQ(rules[0].rect, (HtmlRect{8, 32, 200, 2}));
  EXPECT_EQ(rules[1].rect, (HtmlRect{8, 42, 100, 4}));
  EXPECT_EQ(rules[1].color, 0x0000FFU);
  EXPECT_EQ(Texts(layout), (Strings{"a@8,8", "b@8,54"}));
}

TEST(HtmlLayoutTest, BlockBackgrounds) {
  const HtmlLayout layout = Layout("<div style='background-color:yellow'>a<br>b</div>", 100);
  const std::vector<HtmlBox> fills = OfKind(layout, HtmlBoxKind::kFill);
  ASSERT_EQ(fills.size(), 1U);
  EXPECT_EQ(fills[0].rect, (HtmlRect{8, 8, 84, 32}));
  EXPECT_EQ(fills[0].background, 0xFFFF00U);
  EXPECT_EQ(layout.boxes.front().kind, HtmlBoxKind::kFill);  // painted first
}

TEST(HtmlLayoutTest, HostilePagesStayBounded) {
  std::string deep;
  for (int i = 0; i < 10000; ++i) deep += "<div><table><tr><td>";
  deep += "x";
  const HtmlLayout nested = Layout(deep);
  EXPECT_EQ(OfKind(nested, HtmlBoxKind::kText).size(), 1U);

  // Past the thousandth column a cell is left out.
  const HtmlLayout spans = Layout(
      "<table><tr><td colspan=99999>a<td colspan=-4>b"
      "<tr><td width=999999999>c<td width=400% rowspan=99999>d</table>");
  EXPECT_EQ(Texts(spans).size(), 3U);

  const HtmlLayout tiny = Layout("<p>words that never fit</p><table><tr><td>x</table>", 0);
  EXPECT_EQ(OfKind(tiny, HtmlBoxKind::kText).size(), 5U);
}

TEST(HtmlLayoutTest, ParsesColours) {
  struct Case {
    const char* text;
    std::optional<uint32_t> rgb;
  } const cases[] = {
      {"#FF8000", 0xFF8000},          {"ff8000", 0xFF8000},    {"#f80", 0xFF8800},
      {" Navy ", 0x000080},           {"grey", 0x808080},      {"rgb(1, 2,3)", 0x010203},
      {"rgb(100%,0%,300)", 0xFF00FF}, {"#ff80", std::nullopt}, {"#gg0000", std::nullopt},
      {"rgb(1,2)", std::nullopt},     {"", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseHtmlColor(c.text), c.rgb) << c.text;
}

}  // namespace
}  // namespace vantrell
