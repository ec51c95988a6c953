// The live form tree and the text forms of property values (form_runtime.h).
#include "dialogs/form_runtime.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "common/ascii.h"
#include "dialogs/form_scaling.h"

namespace vantrell {
namespace {

struct NamedNumber {
  std::string_view name;
  int64_t value;
};

// The standard colour names and their values; system colours are the
// platform's colour index with the high bit set.
constexpr uint32_t kSystemColor = 0x80000000U;
constexpr NamedNumber kColorNames[] = {
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clNone", 0x1FFFFFFF},
    {"clDefault", 0x20000000},
    {"clScrollBar", kSystemColor | 0},
    {"clBackground", kSystemColor | 1},
    {"clActiveCaption", kSystemColor | 2},
    {"clInactiveCaption", kSystemColor | 3},
    {"clMenu", kSystemColor | 4},
    {"clWindow", kSystemColor | 5},
    {"clWindowFrame", kSystemColor | 6},
    {"clMenuText", kSystemColor | 7},
    {"clWindowText", kSystemColor | 8},
    {"clCaptionText", kSystemColor | 9},
    {"clActiveBorder", kSystemColor | 10},
    {"clInactiveBorder", kSystemColor | 11},
    {"clAppWorkSpace", kSystemColor | 12},
    {"clHighlight", kSystemColor | 13},
    {"clHighlightText", kSystemColor | 14},
    {"clBtnFace", kSystemColor | 15},
    {"clBtnShadow", kSystemColor | 16},
    {"clGrayText", kSystemColor | 17},
    {"clBtnText", kSystemColor | 18},
    {"clInactiveCaptionText", kSystemColor | 19},
    {"clBtnHighlight", kSystemColor | 20},
    {"cl3DDkShadow", kSystemColor | 21},
    {"cl3DLight", kSystemColor | 22},
    {"clInfoText", kSystemColor | 23},
    {"clInfoBk", kSystemColor | 24},
    {"clHotLight", kSystemColor | 26},
    {"clGradientActiveCaption", kSystemColor | 27},
    {"clGradientInactiveCaption", kSystemColor | 28},
    {"clMenuHighlight", kSystemColor | 29},
    {"clMenuBar", kSystemColor | 30},
};

constexpr NamedNumber kCharsetNames[] = {
    {"ANSI_CHARSET", 0},      {"DEFAULT_CHARSET", 1},    {"SYMBOL_CHARSET", 2},
    {"MAC_CHARSET", 77},      {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129},
    {"JOHAB_CHARSET", 130},   {"GB2312_CHARSET", 134},   {"CHINESEBIG5_CHARSET", 136},
    {"GREEK_CHARSET", 161},   {"TURKISH_CHARSET", 162},  {"VIETNAMESE_CHARSET", 163},
    {"HEBREW_CHARSET", 177},  {"ARABIC_CHARSET", 178},   {"BALTIC_CHARSET", 186},
    {"RUSSIAN_CHARSET", 204}, {"THAI_CHARSET", 222},     {"EASTEUROPE_CHARSET", 238},
    {"OEM_CHARSET", 255},
};

template <size_t N>
const NamedNumber* ByName(const NamedNumber (&table)[N], std::string_view name) {
  for (const NamedNumber& entry : table) {
    if (EqualsIgnoreCase(entry.name, name)) return &entry;
  }
  return nullptr;
}

template <size_t N>
const NamedNumber* ByValue(const NamedNumber (&table)[N], int64_t value) {
  for (const NamedNumber& entry : table) {
    if (entry.value == value) return &entry;
  }
  return nullptr;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// Optional blanks and sign, then decimal digits or hexadecimal after "$".
std::optional<int64_t> ParseInteger(std::string_view text) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value > 0xFFFFFFFFULL) return std::nullopt;
  // "$FF000000" is a 32-bit pattern, read as the signed number it stores.
  if (base == 16) return static_cast<int32_t>(static_cast<uint32_t>(value)) * (negative ? -1 : 1);
  int64_t signedValue = negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
  if (signedValue < INT32_MIN || signedValue > INT32_MAX) return std::nullopt;
  return signedValue;
}

bool IsIdentifier(std::string_view text) {
  if (text.empty() || std::isdigit(static_cast<unsigned char>(text.front()))) return false;
  for (char c : text) {
    if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '_' && c != '.') return false;
  }
  return true;
}

FormValue IntegerValue(int64_t n) {
  FormValue v;
  v.type = SmallestIntegerType(n);
  v.integer = n;
  return v;
}

FormValue BytesValue(FormValueType type, std::string_view bytes) {
  FormValue v;
  v.type = type;
  v.bytes = std::string(bytes);
  return v;
}

FormValue TextValue(std::string_view text) {
  return BytesValue(text.size() > 255 ? FormValueType::kLongString : FormValueType::kString, text);
}

bool IsInteger(const FormValue& v) {
  return v.type == FormValueType::kInt8 || v.type == FormValueType::kInt16 ||
         v.type == FormValueType::kInt32 || v.type == FormValueType::kInt64;
}

std::string WideToUtf8(const std::u16string& wide) {
  std::string out;
  for (size_t i = 0; i < wide.size(); ++i) {
    uint32_t c = wide[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      ++i;
    }
    AppendUtf8(out, c);
  }
  return out;
}

// The float types' raw bytes as a number.
double FloatOf(const FormValue& v) {
  const std::string& b = v.bytes;
  switch (v.type) {
    case FormValueType::kExtended: {
      if (b.size() != 10) return 0;
      uint64_t mantissa = 0;
      std::memcpy(&mantissa, b.data(), 8);
      auto exponentWord =
          static_cast<uint16_t>(static_cast<uint8_t>(b[8]) | (static_cast<uint8_t>(b[9]) << 8));
      int exponent = exponentWord & 0x7FFF;
      double value = exponent == 0 && mantissa == 0
                         ? 0.0
                         : std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
      return (exponentWord & 0x8000) != 0 ? -value : value;
    }
    case FormValueType::kSingle: {
      float f = 0;
      if (b.size() == 4) std::memcpy(&f, b.data(), 4);
      return f;
    }
    case FormValueType::kCurrency: {
      int64_t n = 0;
      if (b.size() == 8) std::memcpy(&n, b.data(), 8);
      return static_cast<double>(n) / 10000.0;
    }
    default: {
      double d = 0;
      if (b.size() == 8) std::memcpy(&d, b.data(), 8);
      return d;
    }
  }
}

std::string SetText(const std::vector<std::string>& elements) {
  std::string text = "[";
  for (size_t i = 0; i < elements.size(); ++i) {
    if (i > 0) text += ',';
    text += elements[i];
  }
  return text + "]";
}

// The text of a stored value, whatever property it belongs to.
std::string GenericText(const FormValue& v) {
  switch (v.type) {
    case FormValueType::kInt8:
    case FormValueType::kInt16:
    case FormValueType::kInt32:
    case FormValueType::kInt64:
      return std::to_string(v.integer);
    case FormValueType::kString:
    case FormValueType::kIdent:
    case FormValueType::kLongString:
    case FormValueType::kUtf8String:
    case FormValueType::kBinary:
      return v.bytes;
    case FormValueType::kWideString:
      return WideToUtf8(v.wide);
    case FormValueType::kTrue:
      return "True";
    case FormValueType::kFalse:
      return "False";
    case FormValueType::kSet:
      return SetText(v.elements);
    case FormValueType::kList: {
      std::string text;
      for (size_t i = 0; i < v.list.size(); ++i) {
        if (i > 0) text += "\r\n";
        text += GenericText(v.list[i]);
      }
      return text;
    }
    case FormValueType::kExtended:
    case FormValueType::kSingle:
    case FormValueType::kCurrency:
    case FormValueType::kDate:
    case FormValueType::kDouble: {
      // The fewer of 15 or 17 significant digits that read back as the same
      // number, by the C library's formatting (the C++ library's shortest
      // digits bring tables of some 160 KB into the engine).
      const double value = FloatOf(v);
      char buffer[32];
      std::snprintf(buffer, sizeof buffer, "%.15g", value);
      if (std::strtod(buffer, nullptr) != value) {
        std::snprintf(buffer, sizeof buffer, "%.17g", value);
      }
      return buffer;
    }
    default:
      return {};  // null, nil, collection
  }
}

std::string ColorText(int64_t value) {
  if (const NamedNumber* named = ByValue(kColorNames, value)) return std::string(named->name);
  // Colours with the high byte 0xFF are system colours as well.
  if ((value & 0xFF000000) == 0xFF000000) {
    if (const NamedNumber* named = ByValue(kColorNames, (value & 0xFF) | kSystemColor)) {
      return std::string(named->name);
    }
  }
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text = "$";
  auto bits = static_cast<uint32_t>(value);
  for (int shift = 28; shift >= 0; shift -= 4) text += kHex[(bits >> shift) & 0xF];
  return text;
}

PropertyKind KindOfStored(const FormValue& v) {
  switch (v.type) {
    case FormValueType::kInt8:
    case FormValueType::kInt16:
    case FormValueType::kInt32:
    case FormValueType::kInt64:
      return PropertyKind::kInteger;
    case FormValueType::kTrue:
    case FormValueType::kFalse:
      return PropertyKind::kBool;
    case FormValueType::kIdent:
      return PropertyKind::kIdent;
    case FormValueType::kSet:
      return PropertyKind::kSet;
    case FormValueType::kList:
      return PropertyKind::kStrings;
    case FormValueType::kBinary:
      return PropertyKind::kBinary;
    default:
      return PropertyKind::kText;
  }
}

bool Storable(const FormValue& v) {
  switch (v.type) {
    case FormValueType::kString:
    case FormValueType::kLongString:
    case FormValueType::kUtf8String:
    case FormValueType::kWideString:
      return true;
    default:
      return KindOfStored(v) != PropertyKind::kText;
  }
}

// The value that text gives a property of kind; nullopt when it gives none.
// names restricts identifiers and set elements when not empty.
std::optional<FormValue> ParseValue(PropertyKind kind, std::string_view names,
                                    std::string_view text) {
  switch (kind) {
    case PropertyKind::kInteger:
    case PropertyKind::kFontHeight:
    case PropertyKind::kFontSize: {
      std::optional<int64_t> n = ParseInteger(text);
      if (!n) return std::nullopt;
      return IntegerValue(*n);
    }
    case PropertyKind::kText:
      return TextValue(text);
    case PropertyKind::kBool: {
      std::string_view t = Trim(text);
      FormValue v;
      if (EqualsIgnoreCase(t, "True") || t == "-1" || t == "1") {
        v.type = FormValueType::kTrue;
      } else if (EqualsIgnoreCase(t, "False") || t == "0") {
        v.type = FormValueType::kFalse;
      } else {
        return std::nullopt;
      }
      return v;
    }
    case PropertyKind::kIdent: {
      std::string_view t = Trim(text);
      if (names.empty()) {
        if (std::optional<int64_t> n = ParseInteger(t)) return IntegerValue(*n);
        if (!t.empty() && !IsIdentifier(t)) return std::nullopt;
        return BytesValue(FormValueType::kIdent, t);
      }
      for (std::string_view name : SplitNames(names)) {
        if (EqualsIgnoreCase(name, t)) return BytesValue(FormValueType::kIdent, name);
      }
      return std::nullopt;
    }
    case PropertyKind::kSet: {
      std::optional<std::vector<std::string>> elements = ParseSetText(text);
      if (!elements) return std::nullopt;
      FormValue v;
      v.type = FormValueType::kSet;
      if (names.empty()) {
        for (const std::string& e : *elements) {
          if (!IsIdentifier(e)) return std::nullopt;
        }
        v.elements = std::move(*elements);
        return v;
      }
      // Canonical spelling, in the order of the names.
      std::vector<std::string_view> allowed = SplitNames(names);
      for (const std::string& e : *elements) {
        bool known = false;
        for (std::string_view name : allowed) known = known || EqualsIgnoreCase(name, e);
        if (!known) return std::nullopt;
      }
      for (std::string_view name : allowed) {
        for (const std::string& e : *elements) {
          if (EqualsIgnoreCase(name, e)) {
            v.elements.emplace_back(name);
            break;
          }
        }
      }
      return v;
    }
    case PropertyKind::kColor: {
      std::string_view t = Trim(text);
      if (const NamedNumber* named = ByName(kColorNames, t)) {
        return BytesValue(FormValueType::kIdent, named->name);
      }
      std::optional<int64_t> n = ParseInteger(t);
      if (!n) return std::nullopt;
      return IntegerValue(*n);
    }
    case PropertyKind::kCharset: {
      std::string_view t = Trim(text);
      if (const NamedNumber* named = ByName(kCharsetNames, t)) {
        return BytesValue(FormValueType::kIdent, named->name);
      }
      std::optional<int64_t> n = ParseInteger(t);
      if (!n || *n < 0 || *n > 255) return std::nullopt;
      return IntegerValue(*n);
    }
    case PropertyKind::kStrings: {
      FormValue v;
      v.type = FormValueType::kList;
      size_t start = 0;
      while (start < text.size()) {
        size_t lf = text.find('\n', start);
        std::string_view line =
            text.substr(start, lf == std::string_view::npos ? std::string_view::npos : lf - start);
        if (!line.empty() && line.back() == '\r' && lf != std::string_view::npos) {
          line.remove_suffix(1);
        }
        v.list.push_back(TextValue(line));
        if (lf == std::string_view::npos) break;
        start = lf + 1;
      }
      return v;
    }
    case PropertyKind::kBinary:
      return BytesValue(FormValueType::kBinary, text);
  }
  return std::nullopt;
}

}  // namespace

FormClassError::FormClassError(const std::string& className)
    : EngineError("Class " + className + " not found"), className_(className) {}

std::optional<ColorValue> ParseColor(std::string_view text) {
  std::optional<FormValue> v = ParseValue(PropertyKind::kColor, {}, text);
  if (!v) return std::nullopt;
  int64_t n = v->type == FormValueType::kIdent ? ByName(kColorNames, v->bytes)->value : v->integer;
  auto bits = static_cast<uint32_t>(n);
  ColorValue c;
  if (bits == 0x1FFFFFFFU || bits == 0x20000000U) return c;
  if ((bits & 0xFF000000U) == kSystemColor || (bits & 0xFF000000U) == 0xFF000000U) {
    c.source = ColorValue::Source::kSystem;
    c.value = bits & 0xFF;
  } else {
    c.source = ColorValue::Source::kRgb;
    c.value = bits & 0xFFFFFF;
  }
  return c;
}

std::optional<int> ParseCharset(std::string_view text) {
  std::optional<FormValue> v = ParseValue(PropertyKind::kCharset, {}, text);
  if (!v) return std::nullopt;
  if (v->type == FormValueType::kIdent) {
    return static_cast<int>(ByName(kCharsetNames, v->bytes)->value);
  }
  return static_cast<int>(v->integer);
}

std::optional<std::vector<std::string>> ParseSetText(std::string_view text) {
  text = Trim(text);
  if (text.size() < 2 || text.front() != '[' || text.back() != ']') return std::nullopt;
  text = text.substr(1, text.size() - 2);
  std::vector<std::string> elements;
  if (Trim(text).empty()) return elements;
  for (std::string_view e : SplitNames(text)) {
    e = Trim(e);
    if (e.empty()) return std::nullopt;
    elements.emplace_back(e);
  }
  return elements;
}

PictureData SplitPictureData(std::string_view data) {
  PictureData picture;
  if (data.empty() || data.size() < 1U + static_cast<uint8_t>(data[0])) return picture;
  size_t nameLength = static_cast<uint8_t>(data[0]);
  picture.className = std::string(data.substr(1, nameLength));
  std::string_view rest = data.substr(1 + nameLength);
  if (rest.size() >= 4) {
    uint32_t size = 0;
    for (int i = 3; i >= 0; --i) size = (size << 8) | static_cast<uint8_t>(rest[i]);
    if (size == rest.size() - 4) rest.remove_prefix(4);
  }
  picture.image = rest;
  return picture;
}

FormControl::FormControl(const ClassDescriptor& descriptor, const FormComponent& component,
                         FormControl* parent, Form* form)
    : descriptor_(&descriptor),
      className_(component.className),
      name_(component.name),
      flags_(component.flags),
      position_(component.position),
      stored_(component.properties),
      parent_(parent),
      form_(form) {
  for (const FormComponent& child : component.children) {
    const ClassDescriptor* childClass = FindControlClass(child.className);
    if (childClass == nullptr) throw FormClassError(child.className);
    children_.push_back(std::make_unique<FormControl>(*childClass, child, this, form));
  }
}

std::string FormControl::Canonical(std::string_view property) const {
  if (EqualsIgnoreCase(property, "Lines")) return "Lines.Strings";
  if (EqualsIgnoreCase(property, "Items")) return "Items.Strings";
  if (EqualsIgnoreCase(property, "Text") && descriptor_->Find("Lines.Strings") != nullptr) {
    return "Lines.Strings";
  }
  if (const PropertyDescriptor* p = descriptor_->Find(property)) return std::string(p->name);
  for (const FormProperty& p : stored_) {
    if (EqualsIgnoreCase(p.name, property)) return p.name;
  }
  return std::string(property);
}

const FormValue* FormControl::Find(std::string_view canonical) const {
  for (const FormProperty& p : stored_) {
    if (EqualsIgnoreCase(p.name, canonical)) return &p.value;
  }
  return nullptr;
}

void FormControl::Store(std::string_view canonical, FormValue value) {
  for (FormProperty& p : stored_) {
    if (EqualsIgnoreCase(p.name, canonical)) {
      p.value = std::move(value);
      return;
    }
  }
  stored_.push_back({std::string(canonical), std::move(value)});
}

bool FormControl::Has(std::string_view property) const {
  std::string name = Canonical(property);
  return descriptor_->Find(name) != nullptr || Find(name) != nullptr;
}

bool FormControl::IsStored(std::string_view property) const {
  return Find(Canonical(property)) != nullptr;
}

const FormValue* FormControl::Value(std::string_view property) const {
  return Find(Canonical(property));
}

std::optional<std::string> FormControl::Get(std::string_view property) const {
  std::string name = Canonical(property);
  const PropertyDescriptor* p = descriptor_->Find(name);
  const FormValue* v = Find(name);
  if (p == nullptr) {
    if (v == nullptr) return std::nullopt;
    return GenericText(*v);
  }
  if (p->kind == PropertyKind::kFontSize) {
    if (v != nullptr && IsInteger(*v)) return std::to_string(v->integer);  // a file with Font.Size
    int64_t height = Integer("Font.Height", -11);
    int ppi = form_->DesignPixelsPerInch();
    return std::to_string(-MulDiv(static_cast<int32_t>(height), 72, ppi));
  }
  if (v == nullptr) return std::string(p->defaultText);
  if (p->kind == PropertyKind::kColor && IsInteger(*v)) return ColorText(v->integer);
  if (p->kind == PropertyKind::kCharset && IsInteger(*v)) {
    if (const NamedNumber* named = ByValue(kCharsetNames, v->integer)) {
      return std::string(named->name);
    }
  }
  return GenericText(*v);
}

SetResult FormControl::Set(std::string_view property, std::string_view text) {
  std::string name = Canonical(property);
  const PropertyDescriptor* p = descriptor_->Find(name);
  std::optional<FormValue> value;
  if (p != nullptr) {
    value = ParseValue(p->kind, p->names, text);
  } else if (const FormValue* v = Find(name)) {
    if (!Storable(*v)) return SetResult::kBadValue;
    value = ParseValue(KindOfStored(*v), {}, text);
  } else {
    return SetResult::kUnknownProperty;
  }
  if (!value) return SetResult::kBadValue;
  if (p != nullptr && p->kind == PropertyKind::kFontSize) {
    int ppi = form_->DesignPixelsPerInch();
    int32_t height = -MulDiv(static_cast<int32_t>(value->integer), ppi, 72);
    std::erase_if(stored_,
                  [](const FormProperty& s) { return EqualsIgnoreCase(s.name, "Font.Size"); });
    Store("Font.Height", IntegerValue(height));
    return SetResult::kDone;
  }
  if (p != nullptr && p->kind == PropertyKind::kFontHeight) {
    std::erase_if(stored_,
                  [](const FormProperty& s) { return EqualsIgnoreCase(s.name, "Font.Size"); });
  }
  Store(name, std::move(*value));
  return SetResult::kDone;
}

int64_t FormControl::Integer(std::string_view property, int64_t fallback) const {
  std::optional<std::string> text = Get(property);
  if (!text) return fallback;
  std::optional<int64_t> n = ParseInteger(*text);
  return n ? *n : fallback;
}

bool FormControl::Truth(std::string_view property) const {
  std::optional<std::string> text = Get(property);
  return text && EqualsIgnoreCase(*text, "True");
}

std::vector<std::string> FormControl::Lines(std::string_view property) const {
  std::vector<std::string> lines;
  const FormValue* v = Find(Canonical(property));
  if (v == nullptr || v->type != FormValueType::kList) return lines;
  for (const FormValue& item : v->list) lines.push_back(GenericText(item));
  return lines;
}

FormComponent FormControl::ToComponent() const {
  FormComponent c;
  c.flags = flags_;
  c.position = position_;
  c.className = className_;
  c.name = name_;
  c.properties = stored_;
  for (const auto& child : children_) c.children.push_back(child->ToComponent());
  return c;
}

Form::Form(const FormComponent& root)
    : root_(std::make_unique<FormControl>(FormClass(), root, nullptr, this)) {}

FormControl* Form::Find(std::string_view name) const {
  if (EqualsIgnoreCase(root_->Name(), name)) return root_.get();
  for (FormControl* c : Controls()) {
    if (EqualsIgnoreCase(c->Name(), name)) return c;
  }
  return nullptr;
}

std::vector<FormControl*> Form::Controls() const {
  std::vector<FormControl*> out;
  std::vector<FormControl*> stack{root_.get()};
  while (!stack.empty()) {
    FormControl* c = stack.back();
    stack.pop_back();
    if (c != root_.get()) out.push_back(c);
    for (auto it = c->Children().rbegin(); it != c->Children().rend(); ++it) {
      stack.push_back(it->get());
    }
  }
  return out;
}

int Form::DesignPixelsPerInch() const {
  const FormValue* v = root_->Value("PixelsPerInch");
  if (v == nullptr || !IsInteger(*v) || v->integer <= 0 || v->integer > 10000) return 96;
  return static_cast<int>(v->integer);
}

}  // namespace vantrell
