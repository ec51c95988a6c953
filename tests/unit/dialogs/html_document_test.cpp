// The HTML reader: the tree it recovers from unclosed and misnested tags,
// character references in both encodings, whitespace in and out of pre, the
// title, refresh and charset of a page, and inputs that are empty, cut short,
// hostile in depth, size or node count.
#include "dialogs/html_document.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrell {
namespace {

struct TreeCase {
  std::string html;
  std::string tree;
};

TEST(HtmlDocumentTest, RecoversTheTreeBrowsersWouldBuild) {
  const TreeCase cases[] = {
      {"<p>a<p>b", R"(p("a") p("b"))"},
      {"<p>a<div>b</div>c", R"(p("a") div("b") "c")"},
      {"<p>a<table><tr><td>b</table>", R"(p("a" table(tr(td("b")))))"},
      {"<ul><li>a<li>b</ul>c", R"(ul(li("a") li("b")) "c")"},
      {"<ul><li>a<ul><li>b</ul><li>c</ul>", R"(ul(li("a" ul(li("b"))) li("c")))"},
      {"<dl><dt>a<dd>b<dt>c</dl>", R"(dl(dt("a") dd("b") dt("c")))"},
      {"<select><option>a<option>b</select>", R"(select(option("a") option("b")))"},
      {"<h1>a<h2>b</h2>", R"(h1("a") h2("b"))"},
      {"<table><tr><td>a<td>b<tr><td>c</table>", R"(table(tr(td("a") td("b")) tr(td("c"))))"},
      {"<table><td>a<th>b</table>", R"(table(tr(td("a") th("b"))))"},
      {"<table><tbody><tr><td>a</tbody><tfoot><tr><td>b</table>",
       R"(table(tbody(tr(td("a"))) tfoot(tr(td("b")))))"},
      {"<table><tr><td><b>a</td><td>b</table>", R"(table(tr(td(b("a")) td("b"))))"},
      {"<td>a", R"(td("a"))"},
      {"<b>1<i>2</b>3</i>4", R"(b("1" i("2")) i("3") "4")"},
      {"<p><b>a</p>b</b>c", R"(p(b("a")) b("b") "c")"},
      {"<p><b><i>a</p>b", R"(p(b(i("a"))) b(i("b")))"},
      {"<p><b>a</p></b>c", R"(p(b("a")) "c")"},
      {"<b><div>a</b>b</div>", R"(b(div("ab")))"},
      {"<div><span>a</div>b", R"(div(span("a")) "b")"},
      {"<a href=x>1<b>2<a href=y>3</a>4", R"(a[href=x]("1" b("2")) b(a[href=y]("3") "4"))"},
      {"a<br>b</br>c<br/>", R"("a" br "b" br "c" br)"},
      {"<hr><img src=a.gif><input type=x>a", R"(hr img[src=a.gif] input[type=x] "a")"},
      {"</b>a</p></table>", R"("a")"},
      {"<p>a</p></p>b", R"(p("a") "b")"},
      {"<DIV Class=X ID='y' data-z=\"1 2\" checked>a</DIV>",
       R"(div[class=X id=y data-z=1 2 checked=]("a"))"},
      {"<p a=1 a=2 A=3 b = 4 =c>", R"(p[a=1 b=4 =c=])"},
      {"<script>if (a<b) document.write('</p>');</script>a", R"(script "a")"},
      {"<style>p { color: red }</STYLE >a", R"(style "a")"},
      {"<script>never closed <p>a", R"(script)"},
      {"<!DOCTYPE html><!-- x <p> --><?xml x?>a", R"("a")"},
      {"a<!-->b", R"("ab")"},
      {"a < b <3 </ c>d", R"("a < b <3 d")"},
      {"<html><head><title>T</title></head><body bgcolor=red><p>a</body></html>",
       R"(html(head(title("T")) body[bgcolor=red](p("a"))))"},
      {"<body a=1><body a=2 b=3>x", R"(body[a=1 b=3]("x"))"},
      {"<title>a <b>c</b> &amp; d</title>", R"(title("a <b>c</b> & d"))"},
      {"<textarea>\n  a\n</textarea>", "textarea(\"  a\n\")"},
  };
  for (const TreeCase& c : cases) {
    EXPECT_EQ(PrintHtmlTree(ParseHtml(c.html)), c.tree) << c.html;
  }
}

TEST(HtmlDocumentTest, DecodesCharacterReferences) {
  const TreeCase cases[] = {
      {"&amp;&lt;&gt;&quot;&apos;", "&<>\"'"},
      {"&nbsp;&copy;&reg;&eacute;&Eacute;&yuml;", "\xA0\xA9\xAE\xE9\xC9\xFF"},
      {"&trade;&euro;&ndash;&mdash;&hellip;&bull;", "\x99\x80\x96\x97\x85\x95"},
      {"&laquo;x&raquo;", "\xABx\xBB"},
      {"&#65;&#x42;&#X43&#068", "ABCD"},
      {"&#150;&#x80;", "\x96\x80"},  // the Latin-1 page's own numbering
      {"&#0;&#xD800;&#99999999999;&#x263A;", "????"},
      {"&unknown; &amp &lt3 AT&T &; &# &#x;", "&unknown; & <3 AT&T &; &# &#x;"},
      {"&copy2024 &ampx",
       "\xA9"
       "2024 &x"},
      {"&AMP; &Amp;", "&AMP; &Amp;"},
  };
  for (const TreeCase& c : cases) {
    const HtmlDocument document = ParseHtml(c.html);
    ASSERT_EQ(document.Root().children.size(), 1U) << c.html;
    EXPECT_EQ(document.nodes[1].text, c.tree) << c.html;
  }
}

TEST(HtmlDocumentTest, ReferencesInAttributeValuesKeepQueryStrings) {
  const HtmlDocument document = ParseHtml(R"(<a href="?a=1&copy=2&amp;b&lt=3&gt;" title=&quot;x>)");
  EXPECT_EQ(*document.nodes[1].Attribute("href"), "?a=1&copy=2&b&lt=3>");
  EXPECT_EQ(*document.nodes[1].Attribute("title"), "\"x");
}

TEST(HtmlDocumentTest, EncodesReferencesAsUtf8WhenThePageSaysSo) {
  const HtmlDocument document =
      ParseHtml("<meta charset=utf-8><p>&eacute;&euro;&#x1F600;&nbsp;&#150;");
  EXPECT_TRUE(document.utf8);
  EXPECT_EQ(PrintHtmlTree(document),
            "meta[charset=utf-8] p(\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xC2\xA0\xE2\x80\x93\")");
}

TEST(HtmlDocumentTest, EncodesReferencesWithTheCallersEncoder) {
  const HtmlDocument document = ParseHtml("a&eacute;&#x416;", {}, [](char32_t code) {
    return "<" + std::to_string(static_cast<uint32_t>(code)) + ">";
  });
  EXPECT_EQ(document.nodes[1].text, "a<233><1046>");
}

TEST(HtmlDocumentTest, CollapsesWhitespaceOutsidePreformattedText) {
  const TreeCase cases[] = {
      {"<p>  a \n\t b  </p>", R"(p(" a b "))"},
      {"a <b> b </b> c", R"("a " b(" b ") " c")"},
      {"a&nbsp; &nbsp;b",
       "\"a\xA0 \xA0"
       "b\""},
      {"<table> <tr> <td> a </td> </tr> </table>", R"(table(tr(td(" a "))))"},
      {"<ul>\n <li> a\n</ul>", R"(ul(li(" a ")))"},
      {"<pre>\n  a\n\tb  </pre>", "pre(\"  a\n\tb  \")"},
      {"<pre>\r\na\r\nb\rc</pre>", "pre(\"a\nb\nc\")"},
      {"<pre><b>\n</b>x</pre>", "pre(b(\"\n\") \"x\")"},
      {"<pre>a<p>b \n c</pre>d  e", "pre(\"a\" p(\"b \n c\")) \"d e\""},
  };
  for (const TreeCase& c : cases) {
    EXPECT_EQ(PrintHtmlTree(ParseHtml(c.html)), c.tree) << c.html;
  }
}

TEST(HtmlDocumentTest, ExtractsTheTitleAndTheRefresh) {
  struct Case {
    std::string html;
    std::string title;
    std::optional<HtmlRefresh> refresh;
  } const cases[] = {
      {"<title>  My \n  Setup </title><title>Other</title>", "My Setup", std::nullopt},
      {"<title>A&amp;B", "A&B", std::nullopt},
      {R"(<meta http-equiv="Refresh" content="5; URL=next.htm">)", "", HtmlRefresh{5, "next.htm"}},
      {R"(<meta content="0;url='page two.html'" http-equiv=refresh>)", "",
       HtmlRefresh{0, "page two.html"}},
      {R"(<meta http-equiv="refresh" content=" 3 ">)", "", HtmlRefresh{3, ""}},
      {R"(<meta http-equiv="refresh" content="2.5, http://x/">)", "", HtmlRefresh{2, "http://x/"}},
      {R"(<meta http-equiv="refresh" content="soon">)", "", std::nullopt},
      {R"(<meta name="refresh" content="1; url=x">)", "", std::nullopt},
  };
  for (const Case& c : cases) {
    const HtmlDocument document = ParseHtml(c.html);
    EXPECT_EQ(document.title, c.title) << c.html;
    EXPECT_EQ(document.refresh, c.refresh) << c.html;
  }
}

TEST(HtmlDocumentTest, ReportsTheCharsetThePageNames) {
  struct Case {
    std::string html;
    std::string charset;
    bool utf8;
  } const cases[] = {
      {"<p>x", "", false},
      {R"(<meta charset="UTF-8">)", "utf-8", true},
      {"<META CHARSET=utf8>", "utf8", true},
      {R"(<meta http-equiv="Content-Type" content="text/html; charset=windows-1251">)",
       "windows-1251", false},
      {R"(<meta content='text/html;charset="ISO-8859-1"'>)", "iso-8859-1", false},
      {"\xEF\xBB\xBF<p>x", "utf-8", true},
      {R"(<meta name=x><meta charset=koi8-r><meta charset=utf-8>)", "koi8-r", false},
  };
  for (const Case& c : cases) {
    const HtmlDocument document = ParseHtml(c.html);
    EXPECT_EQ(document.charset, c.charset) << c.html;
    EXPECT_EQ(document.utf8, c.utf8) << c.html;
  }
}

TEST(HtmlDocumentTest, ReadsEmptyAndCutShortInputs) {
  const TreeCase cases[] = {
      {"", ""},
      {"just text", R"("just text")"},
      {"a<!-- never closed <p>b", R"("a")"},
      {"a<p class=\"never closed>b", R"("a")"},
      {"a<p class=", R"("a")"},
      {"a<p", R"("a")"},
      {"a<", R"("a<")"},
      {"a&", R"("a&")"},
      {"a&#x", R"("a&#x")"},
      {"<!DOCTYPE", ""},
      {"</", R"("</")"},
  };
  for (const TreeCase& c : cases) {
    const HtmlDocument document = ParseHtml(c.html);
    EXPECT_EQ(PrintHtmlTree(document), c.tree) << c.html;
    EXPECT_FALSE(document.truncated) << c.html;
  }
}

size_t Depth(const HtmlDocument& document, size_t index) {
  size_t deepest = 0;
  for (const size_t child : document.nodes[index].children) {
    deepest = std::max(deepest, Depth(document, child) + 1);
  }
  return deepest;
}

TEST(HtmlDocumentTest, BoundsTheDepthOfNestedElements) {
  std::string html;
  for (int i = 0; i < 10000; ++i) html += "<div><b>";
  html += "deep";
  const HtmlDocument document = ParseHtml(html);
  EXPECT_TRUE(document.truncated);
  EXPECT_LE(Depth(document, 0), HtmlLimits{}.maxDepth + 1);
  EXPECT_EQ(document.nodes.back().text, "deep");
}

TEST(HtmlDocumentTest, StopsAtTheNodeLimit) {
  std::string html;
  for (int i = 0; i < 1000; ++i) html += "<p>x";
  const HtmlDocument document = ParseHtml(html, HtmlLimits{200, 100});
  EXPECT_TRUE(document.truncated);
  EXPECT_EQ(document.nodes.size(), 100U);
}

TEST(HtmlDocumentTest, BoundsWhatMisnestingOpensAgain) {
  std::string html;
  for (int i = 0; i < 2000; ++i) html += "<b><i><u><font><s><tt><em><strong><small><big>";
  for (int i = 0; i < 2000; ++i) html += "<p>x</p>";
  const HtmlDocument document = ParseHtml(html);
  EXPECT_LT(document.nodes.size(), 100000U);
}

TEST(HtmlDocumentTest, KeepsAHugeAttribute) {
  const std::string value(1 << 20, 'v');
  const HtmlDocument document = ParseHtml("<img alt=\"" + value + "\">a");
  ASSERT_EQ(document.nodes.size(), 3U);
  EXPECT_EQ(*document.nodes[1].Attribute("alt"), value);
}

TEST(HtmlDocumentTest, EncodesCodePoints) {
  EXPECT_EQ(EncodeHtmlCharacter('A', false), "A");
  EXPECT_EQ(EncodeHtmlCharacter(0xE9, false), "\xE9");
  EXPECT_EQ(EncodeHtmlCharacter(0x2122, false), "\x99");
  EXPECT_EQ(EncodeHtmlCharacter(0x416, false), "?");
  EXPECT_EQ(EncodeHtmlCharacter(0xE9, true), "\xC3\xA9");
  EXPECT_EQ(EncodeHtmlCharacter(0x7FF, true), "\xDF\xBF");
  EXPECT_EQ(EncodeHtmlCharacter(0xFFFD, true), "\xEF\xBF\xBD");
  EXPECT_EQ(EncodeHtmlCharacter(0x10FFFF, true), "\xF4\x8F\xBF\xBF");
}

}  // namespace
}  // namespace vantrell
