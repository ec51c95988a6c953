// Printer and parser of the text form of component trees (grammar in
// form_text.h). Floats go through long double, which holds the 80-bit
// extended type exactly where the compiler makes it the x87 type.
#include "dialogs/form_text.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace vantrell {

namespace {

constexpr int kIndentStep = 2;
constexpr size_t kBinaryBytesPerLine = 32;

uint64_t LittleEndian(std::string_view bytes, size_t count) {
  uint64_t v = 0;
  for (size_t i = count; i-- > 0;) v = (v << 8) | static_cast<uint8_t>(bytes[i]);
  return v;
}

std::string ToLittleEndian(uint64_t v, size_t count) {
  std::string bytes(count, '\0');
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(v >> (8 * i));
  return bytes;
}

long double ExtendedValue(std::string_view bytes) {
  uint64_t mantissa = LittleEndian(bytes, 8);
  auto signExponent = static_cast<uint16_t>(LittleEndian(bytes.substr(8), 2));
  int exponent = signExponent & 0x7FFF;
  bool negative = (signExponent & 0x8000) != 0;
  long double v = 0;
  if (exponent == 0x7FFF) {
    v = (mantissa << 1) == 0 ? HUGE_VALL : std::nanl("");
  } else {
    // Denormals carry the exponent of the smallest normal number.
    v = std::ldexp(static_cast<long double>(mantissa), (exponent == 0 ? 1 : exponent) - 16383 - 63);
  }
  return negative ? -v : v;
}

std::string ExtendedBytes(long double v) {
  uint16_t sign = std::signbit(v) ? 0x8000 : 0;
  v = std::fabs(v);
  uint64_t mantissa = 0;
  int biased = 0;
  if (std::isinf(v)) {
    mantissa = uint64_t{1} << 63;
    biased = 0x7FFF;
  } else if (std::isnan(v)) {
    mantissa = uint64_t{3} << 62;
    biased = 0x7FFF;
  } else if (v != 0) {
    int exponent = 0;
    long double fraction = std::frexp(v, &exponent);  // [0.5, 1)
    mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));
    biased = exponent - 1 + 16383;
    if (biased <= 0) {
      int shift = 1 - biased;
      mantissa = shift >= 64 ? 0 : mantissa >> shift;
      biased = 0;
    }
  }
  return ToLittleEndian(mantissa, 8) + ToLittleEndian(sign | biased, 2);
}

// " 1.27000000000000000000E+0002": a sign place, 21 significant digits and a
// four-digit exponent.
std::string FloatText(long double v) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.20Le", v);
  std::string text = buffer;
  size_t e = text.find('e');
  if (e == std::string::npos) return text;
  std::string digits = text.substr(0, e);
  bool negative = !digits.empty() && digits[0] == '-';
  if (negative) digits.erase(0, 1);
  char expSign = text[e + 1];
  std::string expDigits = text.substr(e + 2);
  while (expDigits.size() < 4) expDigits.insert(0, "0");
  return std::string(negative ? "-" : " ") + digits + "E" + expSign + expDigits;
}

std::string CurrencyText(int64_t units) {
  // Four decimals, exactly.
  uint64_t magnitude = units < 0 ? 0 - static_cast<uint64_t>(units) : static_cast<uint64_t>(units);
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%s%llu.%04llu", units < 0 ? "-" : "",
                static_cast<unsigned long long>(magnitude / 10000),
                static_cast<unsigned long long>(magnitude % 10000));
  return buffer;
}

// Code points to quoted text: printable ASCII between quotes, the rest as #n.
std::string QuotedText(const std::vector<uint32_t>& codes) {
  if (codes.empty()) return "''";
  std::string out;
  bool inQuotes = false;
  for (uint32_t c : codes) {
    if (c >= 32 && c < 127) {
      if (!inQuotes) out += '\'';
      inQuotes = true;
      if (c == '\'') out += '\'';
      out += static_cast<char>(c);
    } else {
      if (inQuotes) out += '\'';
      inQuotes = false;
      out += '#';
      out += std::to_string(c);
    }
  }
  if (inQuotes) out += '\'';
  return out;
}

std::vector<uint32_t> ByteCodes(std::string_view bytes) {
  std::vector<uint32_t> codes;
  codes.reserve(bytes.size());
  for (char c : bytes) codes.push_back(static_cast<uint8_t>(c));
  return codes;
}

// A malformed sequence yields its first byte as a code of its own.
std::vector<uint32_t> Utf8Codes(std::string_view bytes) {
  std::vector<uint32_t> codes;
  size_t i = 0;
  while (i < bytes.size()) {
    auto lead = static_cast<uint8_t>(bytes[i]);
    size_t extra = 0;
    if (lead >= 0xC0 && lead < 0xE0) {
      extra = 1;
    } else if (lead >= 0xE0 && lead < 0xF0) {
      extra = 2;
    } else if (lead >= 0xF0 && lead < 0xF8) {
      extra = 3;
    }
    bool valid = lead < 0x80 || (extra > 0 && extra < bytes.size() - i);
    uint32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
    for (size_t k = 1; valid && k <= extra; ++k) {
      auto next = static_cast<uint8_t>(bytes[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    codes.push_back(valid ? code : lead);
    i += valid ? extra + 1 : 1;
  }
  return codes;
}

std::vector<uint32_t> Utf16Codes(const std::u16string& wide) {
  std::vector<uint32_t> codes;
  for (size_t i = 0; i < wide.size(); ++i) {
    uint32_t c = wide[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      ++i;
    }
    codes.push_back(c);
  }
  return codes;
}

class Printer {
 public:
  std::string out;

  void Component(const FormComponent& c, int indent) {
    Pad(indent);
    if ((c.flags & kFormInline) != 0) {
      out += "inline ";
    } else if ((c.flags & kFormInherited) != 0) {
      out += "inherited ";
    } else {
      out += "object ";
    }
    if (!c.name.empty()) out += c.name + ": ";
    out += c.className;
    if ((c.flags & kFormChildPosition) != 0) out += "[" + std::to_string(c.position.integer) + "]";
    out += '\n';
    Properties(c.properties, indent + kIndentStep);
    for (const FormComponent& child : c.children) Component(child, indent + kIndentStep);
    Pad(indent);
    out += "end\n";
  }

 private:
  void Pad(int indent) { out.append(static_cast<size_t>(indent), ' '); }

  void Properties(const std::vector<FormProperty>& properties, int indent) {
    for (const FormProperty& p : properties) {
      Pad(indent);
      out += p.name + " = ";
      Value(p.value, indent);
      out += '\n';
    }
  }

  // The value's text; lines after the first are indented one step below
  // indent and the closing bracket stands at indent.
  void Value(const FormValue& v, int indent) {
    switch (v.type) {
      case FormValueType::kNull:
        out += "Null";
        break;
      case FormValueType::kList:
        if (v.list.empty()) {
          out += "()";
          break;
        }
        out += "(\n";
        for (const FormValue& item : v.list) {
          Pad(indent + kIndentStep);
          Value(item, indent + kIndentStep);
          out += '\n';
        }
        Pad(indent);
        out += ')';
        break;
      case FormValueType::kInt8:
      case FormValueType::kInt16:
      case FormValueType::kInt32:
      case FormValueType::kInt64:
        out += std::to_string(v.integer);
        break;
      case FormValueType::kExtended:
        out += FloatText(ExtendedValue(v.bytes));
        break;
      case FormValueType::kSingle: {
        float f = 0;
        std::memcpy(&f, v.bytes.data(), sizeof f);
        out += FloatText(f) + "s";
        break;
      }
      case FormValueType::kDate:
      case FormValueType::kDouble: {
        double d = 0;
        std::memcpy(&d, v.bytes.data(), sizeof d);
        out += FloatText(d) + (v.type == FormValueType::kDate ? "d" : "f");
        break;
      }
      case FormValueType::kCurrency:
        out += CurrencyText(static_cast<int64_t>(LittleEndian(v.bytes, 8))) + "c";
        break;
      case FormValueType::kString:
      case FormValueType::kLongString:
        out += QuotedText(ByteCodes(v.bytes));
        break;
      case FormValueType::kUtf8String:
        out += QuotedText(Utf8Codes(v.bytes));
        break;
      case FormValueType::kWideString:
        out += QuotedText(Utf16Codes(v.wide));
        break;
      case FormValueType::kIdent:
        out += v.bytes;
        break;
      case FormValueType::kFalse:
        out += "False";
        break;
      case FormValueType::kTrue:
        out += "True";
        break;
      case FormValueType::kNil:
        out += "nil";
        break;
      case FormValueType::kSet:
        out += '[';
        for (size_t i = 0; i < v.elements.size(); ++i) {
          if (i > 0) out += ", ";
          out += v.elements[i];
        }
        out += ']';
        break;
      case FormValueType::kBinary:
        Binary(v.bytes, indent);
        break;
      case FormValueType::kCollection:
        Collection(v, indent);
        break;
    }
  }

  void Binary(std::string_view bytes, int indent) {
    if (bytes.empty()) {
      out += "{}";
      return;
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "{\n";
    for (size_t i = 0; i < bytes.size(); i += kBinaryBytesPerLine) {
      Pad(indent + kIndentStep);
      for (size_t k = i; k < bytes.size() && k < i + kBinaryBytesPerLine; ++k) {
        auto b = static_cast<uint8_t>(bytes[k]);
        out += kHex[b >> 4];
        out += kHex[b & 15];
      }
      out += '\n';
    }
    Pad(indent);
    out += '}';
  }

  void Collection(const FormValue& v, int indent) {
    out += '<';
    for (const FormCollectionItem& item : v.items) {
      out += '\n';
      Pad(indent + kIndentStep);
      out += "item";
      if (item.order.type != FormValueType::kNull) {
        out += " [" + std::to_string(item.order.integer) + "]";
      }
      out += '\n';
      Properties(item.properties, indent + 2 * kIndentStep);
      Pad(indent + kIndentStep);
      out += "end";
    }
    out += '>';
  }
};

}  // namespace

std::string PrintFormText(const FormComponent& root) {
  Printer printer;
  printer.Component(root, 0);
  return std::move(printer.out);
}

// ---- parser

FormTextError::FormTextError(const std::string& message, int line)
    : EngineError("Line " + std::to_string(line) + ": " + message), line_(line) {}

namespace {

bool IsIdentStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsIdentChar(char c) {
  return IsIdentStart(c) || (c >= '0' && c <= '9') || c == '.';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 32) : a[i];
    char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  FormComponent Root() {
    FormComponent root = Component();
    SkipBlanks();
    if (pos_ != text_.size()) Fail("text after the last \"end\"");
    return root;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const { throw FormTextError(what, line_); }

  void SkipBlanks() {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == '\n') {
        ++line_;
      } else if (c != ' ' && c != '\t' && c != '\r') {
        break;
      }
      ++pos_;
    }
  }

  char Peek() {
    SkipBlanks();
    return pos_ < text_.size() ? text_[pos_] : '\0';
  }

  void Expect(char c) {
    if (Peek() != c) Fail(std::string("'") + c + "' expected");
    ++pos_;
  }

  std::string Word() {
    if (!IsIdentStart(Peek())) Fail("name expected");
    size_t start = pos_;
    while (pos_ < text_.size() && IsIdentChar(text_[pos_])) ++pos_;
    return std::string(text_.substr(start, pos_ - start));
  }

  bool NextIsWord(std::string_view word) {
    if (!IsIdentStart(Peek())) return false;
    size_t end = pos_;
    while (end < text_.size() && IsIdentChar(text_[end])) ++end;
    return SameWord(text_.substr(pos_, end - pos_), word);
  }

  // A word followed by "=": a property, even when named like a keyword.
  bool NextIsProperty() {
    size_t end = pos_;
    while (end < text_.size() && IsIdentChar(text_[end])) ++end;
    while (end < text_.size() && (text_[end] == ' ' || text_[end] == '\t')) ++end;
    return end < text_.size() && text_[end] == '=';
  }

  void Enter() {
    if (++depth_ > kMaxFormNesting) Fail("nesting too deep");
  }

  FormComponent Component() {
    Enter();
    FormComponent c;
    std::string keyword = Word();
    if (SameWord(keyword, "inherited")) {
      c.flags = kFormInherited;
    } else if (SameWord(keyword, "inline")) {
      c.flags = kFormInline;
    } else if (!SameWord(keyword, "object")) {
      Fail("\"object\" expected");
    }
    std::string first = Word();
    if (Peek() == ':') {
      ++pos_;
      c.name = first;
      c.className = Word();
    } else {
      c.className = first;
    }
    if (Peek() == '[') {
      ++pos_;
      c.flags |= kFormChildPosition;
      c.position = Integer();
      Expect(']');
    }
    for (;;) {
      if (NextIsWord("end") && !NextIsProperty()) {
        Word();
        break;
      }
      if ((NextIsWord("object") || NextIsWord("inherited") || NextIsWord("inline")) &&
          !NextIsProperty()) {
        c.children.push_back(Component());
      } else {
        c.properties.push_back(Property());
      }
    }
    --depth_;
    return c;
  }

  FormProperty Property() {
    FormProperty p;
    p.name = Word();
    Expect('=');
    p.value = Value();
    return p;
  }

  FormValue Integer() {
    FormValue v = Value();
    if (v.type != FormValueType::kInt8 && v.type != FormValueType::kInt16 &&
        v.type != FormValueType::kInt32) {
      Fail("integer expected");
    }
    return v;
  }

  FormValue Value() {
    char c = Peek();
    if (c == '\'' || c == '#') return String();
    if (c == '-' || c == '+' || c == '$' || IsDigit(c)) return Number();
    FormValue v;
    switch (c) {
      case '[':
        ++pos_;
        v.type = FormValueType::kSet;
        if (Peek() != ']') {
          for (;;) {
            v.elements.push_back(Word());
            if (Peek() != ',') break;
            ++pos_;
          }
        }
        Expect(']');
        return v;
      case '(':
        ++pos_;
        Enter();
        v.type = FormValueType::kList;
        while (Peek() != ')') {
          if (Peek() == '\0') Fail("')' expected");
          v.list.push_back(Value());
        }
        ++pos_;
        --depth_;
        return v;
      case '<':
        ++pos_;
        Enter();
        v.type = FormValueType::kCollection;
        while (Peek() != '>') {
          if (!NextIsWord("item")) Fail("\"item\" expected");
          Word();
          FormCollectionItem item;
          if (Peek() == '[') {
            ++pos_;
            item.order = Integer();
            Expect(']');
          }
          while (!NextIsWord("end") || NextIsProperty()) {
            if (Peek() == '\0') Fail("\"end\" expected");
            item.properties.push_back(Property());
          }
          Word();
          v.items.push_back(std::move(item));
        }
        ++pos_;
        --depth_;
        return v;
      case '{':
        ++pos_;
        return Binary();
      default:
        break;
    }
    std::string word = Word();
    if (SameWord(word, "True")) {
      v.type = FormValueType::kTrue;
    } else if (SameWord(word, "False")) {
      v.type = FormValueType::kFalse;
    } else if (SameWord(word, "nil")) {
      v.type = FormValueType::kNil;
    } else {
      if (word.size() > 255) Fail("name too long");
      v.type = FormValueType::kIdent;
      v.bytes = word;
    }
    return v;
  }

  FormValue Binary() {
    FormValue v;
    v.type = FormValueType::kBinary;
    int high = -1;
    for (;;) {
      char c = Peek();
      int digit = IsDigit(c)               ? c - '0'
                  : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                  : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                           : -1;
      if (c == '}') break;
      if (digit < 0) Fail("hexadecimal digit expected");
      ++pos_;
      if (high < 0) {
        high = digit;
      } else {
        v.bytes += static_cast<char>(high * 16 + digit);
        high = -1;
      }
    }
    if (high >= 0) Fail("odd number of hexadecimal digits");
    ++pos_;
    return v;
  }

  FormValue String() {
    std::vector<uint32_t> codes;
    for (;;) {
      char c = pos_ < text_.size() ? text_[pos_] : '\0';
      if (c == '\'') {
        ++pos_;
        for (;;) {
          if (pos_ >= text_.size() || text_[pos_] == '\n') Fail("unterminated string");
          char q = text_[pos_++];
          if (q == '\'') {
            if (pos_ < text_.size() && text_[pos_] == '\'') {
              ++pos_;
            } else {
              break;
            }
          }
          codes.push_back(static_cast<uint8_t>(q));
        }
      } else if (c == '#') {
        ++pos_;
        if (pos_ >= text_.size() || !IsDigit(text_[pos_])) Fail("character code expected");
        uint32_t code = 0;
        while (pos_ < text_.size() && IsDigit(text_[pos_])) {
          code = code * 10 + static_cast<uint32_t>(text_[pos_++] - '0');
          if (code > 0x10FFFF) Fail("character code out of range");
        }
        codes.push_back(code);
      } else {
        // A "+" joins the next piece, usually on the next line.
        size_t savePos = pos_;
        int saveLine = line_;
        if (Peek() == '+') {
          ++pos_;
          char next = Peek();
          if (next == '\'' || next == '#') continue;
        }
        pos_ = savePos;
        line_ = saveLine;
        break;
      }
    }
    FormValue v;
    bool wide = false;
    for (uint32_t code : codes) wide = wide || code > 255;
    if (wide) {
      v.type = FormValueType::kUtf8String;
      for (uint32_t code : codes) AppendUtf8(v.bytes, code);
    } else {
      for (uint32_t code : codes) v.bytes += static_cast<char>(code);
      v.type = v.bytes.size() > 255 ? FormValueType::kLongString : FormValueType::kString;
    }
    return v;
  }

  FormValue Number() {
    size_t start = pos_;
    if (text_[pos_] == '-' || text_[pos_] == '+') ++pos_;
    FormValue v;
    if (pos_ < text_.size() && text_[pos_] == '$') {
      ++pos_;
      size_t digitsStart = pos_;
      uint64_t n = 0;
      while (pos_ < text_.size() && std::isxdigit(static_cast<unsigned char>(text_[pos_]))) {
        char c = text_[pos_++];
        n = n * 16 + static_cast<uint64_t>(IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10);
        if (pos_ - digitsStart > 16) Fail("number out of range");
      }
      if (pos_ == digitsStart) Fail("number expected");
      v.integer = static_cast<int64_t>(n);
      if (text_[start] == '-') v.integer = static_cast<int64_t>(0 - n);
      v.type = SmallestIntegerType(v.integer);
      return v;
    }
    bool isFloat = false;
    while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    if (pos_ == start || (pos_ == start + 1 && !IsDigit(text_[start]))) Fail("number expected");
    if (pos_ < text_.size() && text_[pos_] == '.') {
      isFloat = true;
      ++pos_;
      while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    }
    if (pos_ < text_.size() && (text_[pos_] == 'E' || text_[pos_] == 'e')) {
      isFloat = true;
      ++pos_;
      if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
      size_t expStart = pos_;
      while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
      if (pos_ == expStart) Fail("exponent expected");
    }
    std::string number(text_.substr(start, pos_ - start));
    char suffix = pos_ < text_.size() ? static_cast<char>(text_[pos_] | 0x20) : '\0';
    bool hasSuffix = (suffix == 's' || suffix == 'c' || suffix == 'd' || suffix == 'f') &&
                     (pos_ + 1 >= text_.size() || !IsIdentChar(text_[pos_ + 1]));
    if (hasSuffix) ++pos_;
    if (!isFloat && !hasSuffix) {
      errno = 0;
      long long n = std::strtoll(number.c_str(), nullptr, 10);
      if (errno == ERANGE) Fail("number out of range");
      v.integer = n;
      v.type = SmallestIntegerType(n);
      return v;
    }
    long double f = std::strtold(number.c_str(), nullptr);
    switch (hasSuffix ? suffix : 'x') {
      case 's': {
        auto single = static_cast<float>(f);
        v.type = FormValueType::kSingle;
        v.bytes.assign(sizeof single, '\0');
        std::memcpy(v.bytes.data(), &single, sizeof single);
        break;
      }
      case 'd':
      case 'f': {
        auto d = static_cast<double>(f);
        v.type = suffix == 'd' ? FormValueType::kDate : FormValueType::kDouble;
        v.bytes.assign(sizeof d, '\0');
        std::memcpy(v.bytes.data(), &d, sizeof d);
        break;
      }
      case 'c':
        v.type = FormValueType::kCurrency;
        v.bytes = ToLittleEndian(static_cast<uint64_t>(CurrencyUnits(number, f)), 8);
        break;
      default:
        v.type = FormValueType::kExtended;
        v.bytes = ExtendedBytes(f);
        break;
    }
    return v;
  }

  // Ten-thousandths, exactly from the digits when there is no exponent.
  int64_t CurrencyUnits(const std::string& number, long double approximate) {
    if (number.find_first_of("eE") != std::string::npos) {
      long double units = std::round(approximate * 10000);
      if (!(units > -9.2e18L && units < 9.2e18L)) Fail("currency out of range");
      return static_cast<int64_t>(units);
    }
    bool negative = number[0] == '-';
    uint64_t units = 0;
    int decimals = -1;
    for (char c : number) {
      if (c == '.') {
        decimals = 0;
      } else if (IsDigit(c) && decimals < 4) {
        if (units > (uint64_t{INT64_MAX} - 9) / 10) Fail("currency out of range");
        units = units * 10 + static_cast<uint64_t>(c - '0');
        if (decimals >= 0) ++decimals;
      }
    }
    for (decimals = decimals < 0 ? 0 : decimals; decimals < 4; ++decimals) {
      if (units > uint64_t{INT64_MAX} / 10) Fail("currency out of range");
      units *= 10;
    }
    return negative ? -static_cast<int64_t>(units) : static_cast<int64_t>(units);
  }

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
  int depth_ = 0;
};

}  // namespace

FormComponent ParseFormText(std::string_view text) {
  return Parser(text).Root();
}

}  // namespace vantrell
