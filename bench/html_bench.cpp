// Speed of an HTML page's way to the boxes a painter draws: a generated page
// of about 1 MB (headings, paragraphs with formatting, links and references,
// lists, tables with spans, images, preformatted text) read into its tree,
// and the tree laid out for a 500 pixel viewport with a measurer of
// fixed-width characters.
#include <benchmark/benchmark.h>

#include <optional>
#include <string>

#include "dialogs/html_document.h"
#include "dialogs/html_layout.h"

namespace {

using namespace vantrell;

constexpr size_t kPageBytes = 1 << 20;

std::string Page() {
  std::string html =
      "<html><head><title>Read me</title><meta http-equiv=\"Content-Type\" "
      "content=\"text/html; charset=windows-1252\"></head><body bgcolor=white>\n";
  for (int section = 0; html.size() < kPageBytes; ++section) {
    const std::string n = std::to_string(section);
    html += "<h2>Section " + n + "</h2>\n<p>This is the <b>text</b> of section " + n +
            ", with <i>some</i> <a href=\"page" + n +
            ".htm\">links</a> &amp; references &copy; &#8212; and words that wrap across the "
            "width of the page, as a license or a read-me would have them.<br>\n"
            "<font face=Arial size=2 color=#404040>A smaller line in another face.</font>\n"
            "<ul><li>First item<li>Second item with <u>underlined</u> words<ol><li>one<li>two"
            "</ol></ul>\n"
            "<table border=1 cellpadding=3 cellspacing=0 width=90%><tr><th>Name<th>Size"
            "<th>Note<tr><td>File " +
            n +
            ".dat<td align=right>1024 KB<td>Needed<tr><td colspan=2>Both columns<td>"
            "<img src=\"icon.bmp\" width=16 height=16></table>\n"
            "<pre>  preformatted\ttext " +
            n +
            "\n  second line</pre>\n"
            "<p align=center><img src=\"logo.bmp\" align=left>Centered text beside a "
            "floating image.<hr>\n";
  }
  return html + "</body></html>\n";
}

class FixedMeasurer final : public TextMeasurer {
 public:
  int Width(const HtmlFont&, std::string_view text) const override {
    return static_cast<int>(text.size()) * 7;
  }
  HtmlFontMetrics Metrics(const HtmlFont& font) const override {
    return {font.sizePoints * 4 / 3, font.sizePoints};
  }
};

class FixedImages final : public ImageSizer {
 public:
  std::optional<HtmlSize> Size(std::string_view) const override { return HtmlSize{32, 32}; }
};

void BM_ParseHtmlPage(benchmark::State& state) {
  const std::string html = Page();
  for (auto _ : state) {
    HtmlDocument document = ParseHtml(html);
    benchmark::DoNotOptimize(document.nodes.size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * html.size()));
}
BENCHMARK(BM_ParseHtmlPage)->Unit(benchmark::kMillisecond);

void BM_LayoutHtmlPage(benchmark::State& state) {
  const std::string html = Page();
  const HtmlDocument document = ParseHtml(html);
  for (auto _ : state) {
    HtmlLayout layout = LayoutHtml(document, 500, FixedMeasurer(), FixedImages());
    benchmark::DoNotOptimize(layout.boxes.size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * html.size()));
}
BENCHMARK(BM_LayoutHtmlPage)->Unit(benchmark::kMillisecond);

void BM_ParseAndLayoutHtmlPage(benchmark::State& state) {
  const std::string html = Page();
  for (auto _ : state) {
    HtmlLayout layout = LayoutHtml(ParseHtml(html), 500, FixedMeasurer(), FixedImages());
    benchmark::DoNotOptimize(layout.height);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * html.size()));
}
BENCHMARK(BM_ParseAndLayoutHtmlPage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
