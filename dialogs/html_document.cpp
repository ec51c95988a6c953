// The HTML reader (grammar and tree rules in html_document.h).
#include "dialogs/html_document.h"

#include <algorithm>
#include <array>
#include <initializer_list>

#include "common/ascii.h"

namespace vantrell {
namespace {

using Names = std::initializer_list<std::string_view>;

bool IsOneOf(std::string_view name, Names names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

const Names kVoidElements = {"br",       "hr",    "img",    "meta",  "input", "link",
                             "area",     "base",  "col",    "param", "embed", "wbr",
                             "basefont", "frame", "keygen", "source"};
// Elements whose start closes an open p.
const Names kParagraphClosers = {
    "address",  "article", "aside",   "blockquote", "center",  "dir",  "div", "dl",
    "fieldset", "figure",  "footer",  "form",       "h1",      "h2",   "h3",  "h4",
    "h5",       "h6",      "header",  "hr",         "listing", "menu", "nav", "ol",
    "p",        "pre",     "section", "ul",         "li",      "dd",   "dt",  "plaintext"};
const Names kFormatting = {"a",    "b", "big",   "code",   "em",     "font", "i",
                           "nobr", "s", "small", "strike", "strong", "tt",   "u"};
const Names kHeadings = {"h1", "h2", "h3", "h4", "h5", "h6"};
// Where the search for an element to close stops.
const Names kScopeBarriers = {"td", "th", "table", "caption", "button", "object"};
const Names kTableParts = {"tr", "tbody", "thead", "tfoot", "table"};
const Names kKeptWhitespace = {"pre", "listing", "textarea", "plaintext"};
// Containers whose whitespace-only texts mean nothing.
const Names kNoBlankText = {"",      "html", "head", "table", "tbody", "thead",
                            "tfoot", "tr",   "ul",   "ol",    "dl",    "select"};

constexpr size_t kMostReopened = 8;
constexpr size_t kPrescanBytes = 4096;

struct NamedCharacter {
  std::string_view name;
  char32_t codePoint;
};

// The Latin-1 block's names from U+00A0 on.
constexpr std::array<std::string_view, 96> kLatin1Names = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

constexpr std::array<NamedCharacter, 52> kOtherNames = {{
    {"amp", '&'},       {"lt", '<'},        {"gt", '>'},        {"quot", '"'},
    {"apos", '\''},     {"euro", 0x20AC},   {"ndash", 0x2013},  {"mdash", 0x2014},
    {"hellip", 0x2026}, {"trade", 0x2122},  {"lsquo", 0x2018},  {"rsquo", 0x2019},
    {"sbquo", 0x201A},  {"ldquo", 0x201C},  {"rdquo", 0x201D},  {"bdquo", 0x201E},
    {"bull", 0x2022},   {"dagger", 0x2020}, {"Dagger", 0x2021}, {"permil", 0x2030},
    {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"OElig", 0x152},   {"oelig", 0x153},
    {"Scaron", 0x160},  {"scaron", 0x161},  {"Yuml", 0x178},    {"fnof", 0x192},
    {"circ", 0x2C6},    {"tilde", 0x2DC},   {"ensp", 0x2002},   {"emsp", 0x2003},
    {"thinsp", 0x2009}, {"zwnj", 0x200C},   {"zwj", 0x200D},    {"lrm", 0x200E},
    {"rlm", 0x200F},    {"larr", 0x2190},   {"uarr", 0x2191},   {"rarr", 0x2192},
    {"darr", 0x2193},   {"harr", 0x2194},   {"minus", 0x2212},  {"le", 0x2264},
    {"ge", 0x2265},     {"ne", 0x2260},     {"infin", 0x221E},  {"hearts", 0x2665},
    {"prime", 0x2032},  {"Prime", 0x2033},  {"oline", 0x203E},  {"frasl", 0x2044},
}};

// References that may go without their ";".
const Names kLegacyNames = {"amp", "lt", "gt", "quot", "nbsp", "copy", "reg"};

// Code points of the Windows Latin-1 page's bytes 0x80..0x9F (0: none).
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::optional<char32_t> NamedCodePoint(std::string_view name) {
  for (size_t i = 0; i < kLatin1Names.size(); ++i) {
    if (kLatin1Names[i] == name) return static_cast<char32_t>(0xA0 + i);
  }
  for (const NamedCharacter& named : kOtherNames) {
    if (named.name == name) return named.codePoint;
  }
  return std::nullopt;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsAsciiLetter(char c) {
  const char lower = AsciiLower(c);
  return lower >= 'a' && lower <= 'z';
}

bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsAlphanumeric(char c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c);
}

int HexValue(char c) {
  if (IsAsciiDigit(c)) return c - '0';
  const char lower = AsciiLower(c);
  if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
  return -1;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

// Runs of spaces as one space; leading and trailing ones dropped.
std::string Collapsed(std::string_view text) {
  std::string out;
  for (const char c : Trimmed(text)) {
    if (!IsSpace(c)) {
      out += c;
    } else if (out.back() != ' ') {
      out += ' ';
    }
  }
  return out;
}

struct Tag {
  std::string name;
  std::vector<HtmlAttribute> attributes;
  bool end = false;
};

// Reads the characters and tags of the input; the tree builder asks for them.
class Reader {
 public:
  Reader(std::string_view input, const HtmlCharacterEncoder& encoder)
      : input_(input), encoder_(encoder) {}

  // A reference at `at` ('&'): its bytes and the input it takes, or nothing
  // when it is none and the '&' is text.
  bool Reference(std::string_view text, size_t at, bool inValue, std::string& out,
                 size_t& length) const {
    size_t i = at + 1;
    if (i < text.size() && text[i] == '#') {
      ++i;
      const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
      if (hex) ++i;
      const size_t digitsStart = i;
      uint32_t value = 0;
      while (i < text.size()) {
        const int digit = hex ? HexValue(text[i]) : (IsAsciiDigit(text[i]) ? text[i] - '0' : -1);
        if (digit < 0) break;
        value =
            std::min<uint32_t>(value * (hex ? 16 : 10) + static_cast<uint32_t>(digit), 0x110000);
        ++i;
      }
      if (i == digitsStart) return false;
      if (i < text.size() && text[i] == ';') ++i;
      char32_t code = value;
      if (code >= 0x80 && code <= 0x9F && kWindows1252High[code - 0x80] != 0) {
        code = kWindows1252High[code - 0x80];
      } else if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        code = 0xFFFD;
      }
      out += Encode(code);
      length = i - at;
      return true;
    }
    size_t end = i;
    while (end < text.size() && end - i < 8 && IsAlphanumeric(text[end])) ++end;
    std::string_view name = text.substr(i, end - i);
    if (name.empty()) return false;
    const bool terminated = end < text.size() && text[end] == ';';
    if (!terminated) {
      const auto* legacy = std::find_if(kLegacyNames.begin(), kLegacyNames.end(),
                                        [&](std::string_view n) { return name.starts_with(n); });
      if (legacy == kLegacyNames.end()) return false;
      name = *legacy;
      end = i + name.size();
      if (inValue && end < text.size() && (IsAlphanumeric(text[end]) || text[end] == '=')) {
        return false;
      }
    }
    const std::optional<char32_t> code = NamedCodePoint(name);
    if (!code) return false;
    out += Encode(*code);
    length = end - at + (terminated ? 1 : 0);
    return true;
  }

  std::string Decoded(std::string_view text, bool inValue) const {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
      size_t length = 0;
      if (text[i] == '&' && Reference(text, i, inValue, out, length)) {
        i += length;
      } else {
        out += text[i++];
      }
    }
    return out;
  }

  // The tag at pos_ ("<" and a letter, or "</" and a letter); false when the
  // input ends inside it, which drops it.
  bool ReadTag(Tag& tag) {
    size_t i = pos_ + 1;
    tag.end = input_[i] == '/';
    if (tag.end) ++i;
    const size_t nameStart = i;
    while (i < input_.size() && !IsSpace(input_[i]) && input_[i] != '/' && input_[i] != '>') ++i;
    tag.name = AsciiLower(input_.substr(nameStart, i - nameStart));
    for (;;) {
      while (i < input_.size() && (IsSpace(input_[i]) || input_[i] == '/')) ++i;
      if (i >= input_.size()) return false;
      if (input_[i] == '>') break;
      const size_t attrStart = i++;  // a leading '=' belongs to the name
      while (i < input_.size() && !IsSpace(input_[i]) && input_[i] != '/' && input_[i] != '>' &&
             input_[i] != '=') {
        ++i;
      }
      HtmlAttribute attribute{AsciiLower(input_.substr(attrStart, i - attrStart)), {}};
      size_t look = i;
      while (look < input_.size() && IsSpace(input_[look])) ++look;
      if (look < input_.size() && input_[look] == '=') {
        i = look + 1;
        while (i < input_.size() && IsSpace(input_[i])) ++i;
        if (i >= input_.size()) return false;
        size_t valueStart = i;
        size_t valueEnd = 0;
        if (input_[i] == '"' || input_[i] == '\'') {
          valueStart = i + 1;
          valueEnd = input_.find(input_[i], valueStart);
          if (valueEnd == std::string_view::npos) return false;
          i = valueEnd + 1;
        } else {
          while (i < input_.size() && !IsSpace(input_[i]) && input_[i] != '>') ++i;
          valueEnd = i;
        }
        if (!tag.end) {
          attribute.value = Decoded(input_.substr(valueStart, valueEnd - valueStart), true);
        }
      }
      const bool known =
          std::any_of(tag.attributes.begin(), tag.attributes.end(),
                      [&](const HtmlAttribute& a) { return a.name == attribute.name; });
      if (!tag.end && !known) tag.attributes.push_back(std::move(attribute));
    }
    pos_ = i + 1;
    return true;
  }

  std::string Encode(char32_t code) const {
    return encoder_ ? encoder_(code) : EncodeHtmlCharacter(code, utf8_);
  }

  std::string_view input_;
  size_t pos_ = 0;
  bool utf8_ = false;
  const HtmlCharacterEncoder& encoder_;
};

std::string CharsetOfContent(std::string_view content) {
  const size_t at = FindIgnoreCase(content, "charset");
  if (at == std::string_view::npos) return {};
  size_t i = at + 7;
  while (i < content.size() && IsSpace(content[i])) ++i;
  if (i >= content.size() || content[i] != '=') return {};
  ++i;
  while (i < content.size() && (IsSpace(content[i]) || content[i] == '"' || content[i] == '\'')) {
    ++i;
  }
  size_t end = i;
  while (end < content.size() && !IsSpace(content[end]) && content[end] != ';' &&
         content[end] != '"' && content[end] != '\'') {
    ++end;
  }
  return AsciiLower(content.substr(i, end - i));
}

const std::string* FindAttribute(const std::vector<HtmlAttribute>& attributes,
                                 std::string_view name) {
  for (const HtmlAttribute& attribute : attributes) {
    if (attribute.name == name) return &attribute.value;
  }
  return nullptr;
}

// "5; URL=next.htm", "0;url='x'", "3".
std::optional<HtmlRefresh> ParseRefresh(std::string_view content) {
  content = Trimmed(content);
  size_t i = 0;
  int seconds = 0;
  while (i < content.size() && IsAsciiDigit(content[i])) {
    seconds = std::min(seconds * 10 + (content[i] - '0'), 1000000);
    ++i;
  }
  if (i == 0) return std::nullopt;
  while (i < content.size() && (IsAsciiDigit(content[i]) || content[i] == '.')) ++i;
  while (i < content.size() && (IsSpace(content[i]) || content[i] == ';' || content[i] == ',')) {
    ++i;
  }
  std::string_view url = content.substr(i);
  if (url.size() >= 3 && EqualsIgnoreCase(url.substr(0, 3), "url")) {
    std::string_view rest = Trimmed(url.substr(3));
    if (!rest.empty() && rest.front() == '=') url = Trimmed(rest.substr(1));
  }
  if (!url.empty() && (url.front() == '"' || url.front() == '\'')) {
    const size_t close = url.find(url.front(), 1);
    url = url.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
  }
  return HtmlRefresh{seconds, std::string(Trimmed(url))};
}

class TreeBuilder {
 public:
  TreeBuilder(std::string_view html, const HtmlLimits& limits, const HtmlCharacterEncoder& encoder)
      : reader_(html, encoder), limits_(limits) {}

  HtmlDocument Build() {
    std::string_view& input = reader_.input_;
    if (input.substr(0, 3) == "\xEF\xBB\xBF") {
      input.remove_prefix(3);
      document_.utf8 = true;
      document_.charset = "utf-8";
    }
    Prescan();
    reader_.utf8_ = document_.utf8;
    reader_.pos_ = 0;
    // About a tag and a text per "<": growing the vector would move every node.
    const size_t tags = static_cast<size_t>(std::count(input.begin(), input.end(), '<'));
    document_.nodes.reserve(std::min(limits_.maxNodes, 2 * tags + 1));
    document_.nodes.emplace_back();
    open_.push_back(0);
    while (reader_.pos_ < input.size() && !stopped_) Step();
    return std::move(document_);
  }

 private:
  // The charset a meta tag near the start names.
  void Prescan() {
    const std::string_view head = reader_.input_.substr(0, kPrescanBytes);
    for (size_t at = FindIgnoreCase(head, "<meta"); at != std::string_view::npos;
         at = FindIgnoreCase(head, "<meta", at + 1)) {
      reader_.pos_ = at;
      Tag tag;
      if (!reader_.ReadTag(tag) || tag.name != "meta") continue;
      std::string charset;
      if (const std::string* value = FindAttribute(tag.attributes, "charset")) {
        charset = AsciiLower(Trimmed(*value));
      } else if (const std::string* content = FindAttribute(tag.attributes, "content")) {
        charset = CharsetOfContent(*content);
      }
      if (charset.empty()) continue;
      if (document_.charset.empty()) document_.charset = charset;
      document_.utf8 = document_.charset == "utf-8" || document_.charset == "utf8";
      return;
    }
  }

  void Step() {
    const std::string_view input = reader_.input_;
    size_t& pos = reader_.pos_;
    if (input[pos] != '<') {
      const size_t end = std::min(input.find('<', pos), input.size());
      Text(input.substr(pos, end - pos));
      pos = end;
      return;
    }
    const std::string_view rest = input.substr(pos);
    if (rest.starts_with("<!--")) {
      size_t end = input.find("-->", pos + 4);
      if (rest.starts_with("<!-->")) end = pos + 2;
      pos = end == std::string_view::npos ? input.size() : end + 3;
      return;
    }
    if (rest.starts_with("<!") || rest.starts_with("<?") || rest.starts_with("</>") ||
        (rest.starts_with("</") && rest.size() > 2 && !IsAsciiLetter(rest[2]))) {
      const size_t end = input.find('>', pos);
      pos = end == std::string_view::npos ? input.size() : end + 1;
      return;
    }
    const bool tagStart = rest.size() > 1 && IsAsciiLetter(rest[1]);
    const bool endTagStart = rest.size() > 2 && rest[1] == '/' && IsAsciiLetter(rest[2]);
    if (!tagStart && !endTagStart) {
      Text("<");
      ++pos;
      return;
    }
    Tag tag;
    if (!reader_.ReadTag(tag)) {
      pos = input.size();
      return;
    }
    skipNewline_ = false;
    if (tag.end) {
      EndTag(tag.name);
    } else {
      StartTag(std::move(tag));
    }
  }

  HtmlNode& Node(size_t index) { return document_.nodes[index]; }
  size_t Top() const { return open_.back(); }

  // A new node under the open element; npos at the node limit.
  size_t Add(HtmlNode node) {
    if (document_.nodes.size() >= limits_.maxNodes) {
      document_.truncated = true;
      stopped_ = true;
      return std::string_view::npos;
    }
    node.parent = Top();
    const size_t index = document_.nodes.size();
    document_.nodes.push_back(std::move(node));
    Node(document_.nodes[index].parent).children.push_back(index);
    return index;
  }

  void Push(size_t index) {
    if (IsOneOf(Node(index).name, kKeptWhitespace)) ++keptWhitespace_;
    open_.push_back(index);
  }

  // Closes the open elements from the top down to open_[at]; the formatting
  // ones closed on the way open again around the text that follows.
  void PopTo(size_t at, bool reopen) {
    std::vector<size_t> closed;
    while (open_.size() > at) {
      const size_t index = open_.back();
      if (IsOneOf(Node(index).name, kKeptWhitespace)) --keptWhitespace_;
      open_.pop_back();
      if (open_.size() > at && IsOneOf(Node(index).name, kFormatting)) closed.push_back(index);
    }
    if (!reopen) return;
    for (auto it = closed.rbegin(); it != closed.rend() && reopen_.size() < kMostReopened; ++it) {
      reopen_.push_back(Node(*it));
      reopen_.back().children.clear();
    }
  }

  // The nearest open element named one of `names`, searching down from the
  // top and stopping at `barriers`; 0 when none.
  size_t FindOpen(Names names, Names barriers) const {
    for (size_t k = open_.size() - 1; k > 0; --k) {
      const std::string& name = document_.nodes[open_[k]].name;
      if (IsOneOf(name, names)) return k;
      if (IsOneOf(name, barriers)) return 0;
    }
    return 0;
  }

  void Reopen() {
    std::vector<HtmlNode> pending;
    pending.swap(reopen_);
    for (HtmlNode& node : pending) {
      if (open_.size() > limits_.maxDepth) return;
      const size_t index = Add(std::move(node));
      if (index == std::string_view::npos) return;
      Push(index);
    }
  }

  void Text(std::string_view raw) {
    const bool kept = keptWhitespace_ > 0;
    if (skipNewline_) {
      if (raw.starts_with("\r\n")) raw.remove_prefix(2);
      if (raw.starts_with("\n") || raw.starts_with("\r")) raw.remove_prefix(1);
      skipNewline_ = false;
    }
    if (raw.empty()) return;
    const bool blank = std::all_of(raw.begin(), raw.end(), IsSpace);
    if (blank && !kept && IsOneOf(Node(Top()).name, kNoBlankText)) return;
    if (!blank) Reopen();
    const std::string decoded = reader_.Decoded(raw, false);
    HtmlNode* node = nullptr;
    std::vector<size_t>& siblings = Node(Top()).children;
    if (!siblings.empty() && Node(siblings.back()).kind == HtmlNodeKind::kText) {
      node = &Node(siblings.back());
    } else {
      const size_t index = Add(HtmlNode{HtmlNodeKind::kText, {}, {}, {}, 0, {}});
      if (index == std::string_view::npos) return;
      node = &Node(index);
    }
    for (size_t i = 0; i < decoded.size(); ++i) {
      const char c = decoded[i];
      if (kept) {
        if (c == '\r') {
          node->text += '\n';
          if (i + 1 < decoded.size() && decoded[i + 1] == '\n') ++i;
        } else {
          node->text += c;
        }
      } else if (!IsSpace(c)) {
        node->text += c;
      } else if (node->text.empty() || node->text.back() != ' ') {
        node->text += ' ';
      }
    }
  }

  void StartTag(Tag tag) {
    const std::string& name = tag.name;
    if (name == "html" || name == "body" || name == "head") {
      if (const size_t at = FindOpen({name}, {}); at != 0) {
        for (HtmlAttribute& attribute : tag.attributes) {
          if (Node(open_[at]).Attribute(attribute.name) == nullptr) {
            Node(open_[at]).attributes.push_back(std::move(attribute));
          }
        }
        return;
      }
    }
    if (IsOneOf(name, kParagraphClosers)) {
      if (const size_t at = FindOpen({"p"}, kScopeBarriers); at != 0) PopTo(at, true);
    }
    if (name == "li") {
      if (const size_t at = FindOpen({"li"}, {"ul", "ol", "td", "th", "table"}); at != 0) {
        PopTo(at, true);
      }
    } else if (name == "dt" || name == "dd") {
      if (const size_t at = FindOpen({"dt", "dd"}, {"dl", "td", "th", "table"}); at != 0) {
        PopTo(at, true);
      }
    } else if (name == "option" || name == "optgroup") {
      if (Node(Top()).name == "option") PopTo(open_.size() - 1, false);
      if (name == "optgroup" && Node(Top()).name == "optgroup") PopTo(open_.size() - 1, false);
    } else if (IsOneOf(name, kHeadings) && IsOneOf(Node(Top()).name, kHeadings)) {
      PopTo(open_.size() - 1, true);
    } else if (name == "tr") {
      reopen_.clear();
      if (const size_t at = FindOpen({"tbody", "thead", "tfoot", "table"}, {}); at != 0) {
        PopTo(at + 1, false);
      }
    } else if (name == "td" || name == "th") {
      reopen_.clear();
      size_t at = FindOpen({"td", "th", "tr", "tbody", "thead", "tfoot", "table"}, {});
      if (at != 0 && (Node(open_[at]).name == "td" || Node(open_[at]).name == "th")) {
        PopTo(at, false);
        at = FindOpen({"tr", "tbody", "thead", "tfoot", "table"}, {});
      }
      if (at != 0) {
        PopTo(at + 1, false);
        if (Node(Top()).name != "tr") OpenElement(Tag{"tr", {}, false});
      }
    } else if (name == "tbody" || name == "thead" || name == "tfoot" || name == "caption") {
      reopen_.clear();
      if (const size_t at = FindOpen({"table"}, {}); at != 0) PopTo(at + 1, false);
    } else if (name == "table") {
      reopen_.clear();
    } else if (name == "a") {
      if (const size_t at = FindOpen({"a"}, kScopeBarriers); at != 0) PopTo(at, true);
    }
    if (!IsBlockStart(name)) Reopen();
    if (stopped_) return;
    OpenElement(std::move(tag));
  }

  static bool IsBlockStart(std::string_view name) {
    return IsOneOf(name, kParagraphClosers) ||
           IsOneOf(name, {"table", "tr", "td", "th", "tbody", "thead", "tfoot", "caption", "html",
                          "head", "body", "title", "meta", "link", "style", "script"});
  }

  void OpenElement(Tag tag) {
    const std::string name = tag.name;
    if (name == "meta") Meta(tag.attributes);
    const bool isVoid = IsOneOf(name, kVoidElements);
    const bool raw = name == "script" || name == "style" || name == "title" || name == "textarea" ||
                     name == "xmp";
    if (!isVoid && !raw && open_.size() > limits_.maxDepth) {
      document_.truncated = true;
      return;
    }
    const size_t index =
        Add(HtmlNode{HtmlNodeKind::kElement, name, {}, std::move(tag.attributes), 0, {}});
    if (index == std::string_view::npos || isVoid) return;
    if (raw) {
      RawText(index);
      return;
    }
    Push(index);
    if (IsOneOf(name, kKeptWhitespace)) skipNewline_ = true;
  }

  // The content of a raw text element, up to its end tag.
  void RawText(size_t index) {
    const std::string_view input = reader_.input_;
    const std::string name = Node(index).name;
    size_t& pos = reader_.pos_;
    size_t end = pos;
    for (;;) {
      end = FindIgnoreCase(input, "</" + name, end);
      if (end == std::string_view::npos) break;
      const size_t after = end + 2 + name.size();
      if (after >= input.size() || IsSpace(input[after]) || input[after] == '>' ||
          input[after] == '/') {
        break;
      }
      ++end;
    }
    std::string_view content =
        input.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    if (end == std::string_view::npos) {
      pos = input.size();
    } else {
      const size_t close = input.find('>', end);
      pos = close == std::string_view::npos ? input.size() : close + 1;
    }
    if (name == "script" || name == "style") return;
    if (name == "textarea" && content.starts_with('\n')) content.remove_prefix(1);
    std::string text = name == "xmp" ? std::string(content) : reader_.Decoded(content, false);
    if (name == "title") {
      text = Collapsed(text);
      if (document_.title.empty()) document_.title = text;
    }
    if (text.empty()) return;
    open_.push_back(index);
    Add(HtmlNode{HtmlNodeKind::kText, {}, std::move(text), {}, 0, {}});
    open_.pop_back();
  }

  void Meta(const std::vector<HtmlAttribute>& attributes) {
    const std::string* equiv = FindAttribute(attributes, "http-equiv");
    const std::string* content = FindAttribute(attributes, "content");
    if (equiv == nullptr || content == nullptr || document_.refresh) return;
    if (EqualsIgnoreCase(Trimmed(*equiv), "refresh")) document_.refresh = ParseRefresh(*content);
  }

  void EndTag(const std::string& name) {
    if (name == "br") {
      StartTag(Tag{"br", {}, false});
      return;
    }
    const bool tablePart = IsOneOf(name, kTableParts) || name == "td" || name == "th";
    if (tablePart) reopen_.clear();
    size_t at = 0;
    if (IsOneOf(name, kFormatting)) {
      // Only across other formatting: a block inside keeps its place.
      for (size_t k = open_.size() - 1; k > 0; --k) {
        const std::string& open = Node(open_[k]).name;
        if (open == name) at = k;
        if (open == name || !IsOneOf(open, kFormatting)) break;
      }
      if (at == 0) {
        const auto pending = std::find_if(reopen_.rbegin(), reopen_.rend(),
                                          [&](const HtmlNode& node) { return node.name == name; });
        if (pending != reopen_.rend()) reopen_.erase(std::next(pending).base());
        return;
      }
    } else if (IsOneOf(name, kTableParts)) {
      at = FindOpen({name}, {"table"});
    } else {
      at = FindOpen({name}, kScopeBarriers);
    }
    if (at != 0) PopTo(at, !tablePart);
  }

  Reader reader_;
  const HtmlLimits& limits_;
  HtmlDocument document_;
  std::vector<size_t> open_;
  std::vector<HtmlNode> reopen_;
  size_t keptWhitespace_ = 0;
  bool skipNewline_ = false;
  bool stopped_ = false;
};

void PrintNode(const HtmlDocument& document, size_t index, std::string& out) {
  const HtmlNode& node = document.nodes[index];
  if (node.kind == HtmlNodeKind::kText) {
    out += '"' + node.text + '"';
    return;
  }
  out += node.name;
  if (!node.attributes.empty()) {
    out += '[';
    for (size_t i = 0; i < node.attributes.size(); ++i) {
      if (i != 0) out += ' ';
      out += node.attributes[i].name + '=' + node.attributes[i].value;
    }
    out += ']';
  }
  if (node.children.empty()) return;
  out += '(';
  for (size_t i = 0; i < node.children.size(); ++i) {
    if (i != 0) out += ' ';
    PrintNode(document, node.children[i], out);
  }
  out += ')';
}

}  // namespace

const std::string* HtmlNode::Attribute(std::string_view attributeName) const {
  return FindAttribute(attributes, attributeName);
}

HtmlDocument ParseHtml(std::string_view html, const HtmlLimits& limits,
                       const HtmlCharacterEncoder& encoder) {
  return TreeBuilder(html, limits, encoder).Build();
}

std::string EncodeHtmlCharacter(char32_t codePoint, bool utf8) {
  std::string out;
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (utf8) {
    if (codePoint < 0x800) {
      out += static_cast<char>(0xC0 | (codePoint >> 6));
    } else {
      if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
      } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
      }
      out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint >= 0xA0 && codePoint <= 0xFF) {
    out += static_cast<char>(codePoint);
  } else {
    const auto* found = std::find(kWindows1252High.begin(), kWindows1252High.end(), codePoint);
    out += found == kWindows1252High.end()
               ? '?'
               : static_cast<char>(0x80 + (found - kWindows1252High.begin()));
  }
  return out;
}

std::string PrintHtmlTree(const HtmlDocument& document) {
  std::string out;
  const HtmlNode& root = document.Root();
  for (size_t i = 0; i < root.children.size(); ++i) {
    if (i != 0) out += ' ';
    PrintNode(document, root.children[i], out);
  }
  return out;
}

}  // namespace vantrell
