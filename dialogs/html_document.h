// The HTML of setup pages read into a tree of elements and texts, the way
// browsers roughly read HTML 4: tolerant of anything, never failing. Texts
// stay bytes of the page's own encoding; only the character references are
// turned into bytes (UTF-8 when the page says so, the Windows Latin-1 page
// otherwise, or whatever the caller's encoder makes of them).
//
// Reading, in order of the input:
//   <!-- ... -->   a comment, to the end of the input when not closed
//   <!...> <?...>  doctype and other declarations, skipped
//   <name attrs>   a start tag; names and attribute names lower-cased, values
//                  quoted ('...' "...") or bare, references decoded; a tag
//                  the input ends inside is dropped; a trailing "/" ignored
//   </name ...>    an end tag; "</br>" is a line break
//   any other "<"  text
//   &name; &#N; &#xH;  character references; "&amp" "&lt" "&gt" "&quot"
//                  "&nbsp" "&copy" "&reg" also without ";" (not in values
//                  when a letter, digit or "=" follows); unknown ones literal
// Void elements (br hr img meta input link area base col param embed wbr
// basefont) have no content; script and style hold their raw text (skipped),
// title and textarea their text with references decoded.
//
// The tree: a start tag closes an open p when it starts a block; li, dt, dd,
// option, tr, td, th, thead, tbody, tfoot and a end the open one of their
// kind (a cell outside a row gets a row); a heading ends an open heading. An end
// tag closes the nearest open element of its name, within the table cell or
// table it is in, and everything open inside it; the inline formatting
// elements closed that way (b i u font ...) open again around the text that
// follows, as browsers render "<b>1<i>2</b>3</i>". An end tag with nothing
// to close is ignored.
//
// Text outside pre, textarea and listing has its runs of spaces, tabs and
// line ends collapsed to one space; in them it is kept, less the line end
// that follows the start tag.
//
// Bounds: elements past the depth limit are left out (their text stays);
// at the node limit reading stops. Either sets `truncated`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrell {

enum class HtmlNodeKind : uint8_t { kElement, kText };

struct HtmlAttribute {
  std::string name;  // lower case
  std::string value;
  bool operator==(const HtmlAttribute&) const = default;
};

// A node of the tree: nodes live in the document's vector and refer to each
// other by index; node 0 is the root, an element named "".
struct HtmlNode {
  HtmlNodeKind kind = HtmlNodeKind::kElement;
  std::string name;  // element: lower-case tag name
  std::string text;  // text node: its bytes
  std::vector<HtmlAttribute> attributes;
  size_t parent = 0;
  std::vector<size_t> children;

  bool IsElement(std::string_view tag) const {
    return kind == HtmlNodeKind::kElement && name == tag;
  }
  // The attribute's value, or nullptr when the element has none of that name.
  const std::string* Attribute(std::string_view attributeName) const;
};

// <meta http-equiv="refresh" content="SECONDS; URL=url">
struct HtmlRefresh {
  int seconds = 0;
  std::string url;  // empty: the page itself
  bool operator==(const HtmlRefresh&) const = default;
};

struct HtmlDocument {
  std::vector<HtmlNode> nodes;  // nodes[0] is the root
  std::string title;            // the first title's text, spaces collapsed
  std::optional<HtmlRefresh> refresh;
  std::string charset;  // as the page names it, lower case; "" when it names none
  bool utf8 = false;    // the page says UTF-8 (by charset or byte order mark)
  bool truncated = false;

  const HtmlNode& Root() const { return nodes.front(); }
};

struct HtmlLimits {
  size_t maxDepth = 200;
  size_t maxNodes = 1 << 20;
};

// The bytes of a character reference's code point; nullptr: the default,
// EncodeHtmlCharacter with the document's utf8.
using HtmlCharacterEncoder = std::function<std::string(char32_t)>;

HtmlDocument ParseHtml(std::string_view html, const HtmlLimits& limits = {},
                       const HtmlCharacterEncoder& encoder = nullptr);

// UTF-8 when utf8, else the Windows Latin-1 page's byte ('?' when it has none).
std::string EncodeHtmlCharacter(char32_t codePoint, bool utf8);

// The tree on one line, for tests and traces: elements as name[attr=value
// ...](children), texts quoted, siblings separated by a space.
std::string PrintHtmlTree(const HtmlDocument& document);

}  // namespace vantrell
