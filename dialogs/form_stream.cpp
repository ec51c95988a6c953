// Reader and writer of the binary component stream and the form file's
// resource header (layout in form_stream.h).
#include "dialogs/form_stream.h"

#include <cstring>

namespace vantrell {

namespace {

constexpr std::string_view kSignature = "TPF0";
constexpr uint8_t kResourceMarker = 0xFF;
constexpr uint16_t kResourceTypeForm = 10;

// Sizes of the fixed-size value types.
constexpr size_t FixedSize(FormValueType type) {
  switch (type) {
    case FormValueType::kExtended:
      return 10;
    case FormValueType::kSingle:
      return 4;
    case FormValueType::kCurrency:
    case FormValueType::kDate:
    case FormValueType::kDouble:
      return 8;
    default:
      return 0;
  }
}

const char* FaultText(FormStreamFault fault) {
  switch (fault) {
    case FormStreamFault::kSignature:
      return "Invalid stream format";
    case FormStreamFault::kTruncated:
      return "Stream read error";
    case FormStreamFault::kUnknownValueType:
      return "Invalid property value type";
    case FormStreamFault::kTooDeep:
      return "Form nesting too deep";
  }
  return "Invalid stream format";
}

}  // namespace

bool FormValue::operator==(const FormValue& other) const {
  return type == other.type && integer == other.integer && bytes == other.bytes &&
         wide == other.wide && elements == other.elements && list == other.list &&
         items == other.items;
}

FormStreamError::FormStreamError(FormStreamFault fault, size_t offset)
    : EngineError(FaultText(fault)), fault_(fault), offset_(offset) {}

uint8_t FormStreamReader::Byte() {
  if (offset_ >= data_.size()) throw FormStreamError(FormStreamFault::kTruncated, offset_);
  return static_cast<uint8_t>(data_[offset_++]);
}

uint8_t FormStreamReader::PeekByte() const {
  if (offset_ >= data_.size()) throw FormStreamError(FormStreamFault::kTruncated, offset_);
  return static_cast<uint8_t>(data_[offset_]);
}

std::string_view FormStreamReader::Take(size_t count) {
  if (count > data_.size() - offset_) {
    throw FormStreamError(FormStreamFault::kTruncated, data_.size());
  }
  std::string_view taken = data_.substr(offset_, count);
  offset_ += count;
  return taken;
}

uint32_t FormStreamReader::Uint32() {
  std::string_view b = Take(4);
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[i]);
  return v;
}

std::string FormStreamReader::ShortString() {
  uint8_t length = Byte();
  return std::string(Take(length));
}

void FormStreamReader::Enter() {
  if (++depth_ > kMaxFormNesting) {
    throw FormStreamError(FormStreamFault::kTooDeep, offset_);
  }
}

void FormStreamReader::ReadSignature() {
  if (data_.size() - offset_ < kSignature.size() ||
      data_.substr(offset_, kSignature.size()) != kSignature) {
    throw FormStreamError(FormStreamFault::kSignature, offset_);
  }
  offset_ += kSignature.size();
}

bool FormStreamReader::EndOfList() {
  if (PeekByte() != 0) return false;
  ++offset_;
  return true;
}

void FormStreamReader::ReadPrefix(FormComponent& component) {
  if ((PeekByte() & 0xF0) != 0xF0) return;
  component.flags = Byte() & 0x0F;
  if ((component.flags & kFormChildPosition) != 0) {
    size_t at = offset_;
    uint8_t type = Byte();
    if (type < static_cast<uint8_t>(FormValueType::kInt8) ||
        type > static_cast<uint8_t>(FormValueType::kInt32)) {
      throw FormStreamError(FormStreamFault::kUnknownValueType, at);
    }
    component.position = ReadValueOfType(type, at);
  }
}

FormComponent FormStreamReader::ReadComponent() {
  Enter();
  FormComponent component;
  ReadPrefix(component);
  component.className = ShortString();
  component.name = ShortString();
  while (!EndOfList()) component.properties.push_back(ReadProperty());
  while (!EndOfList()) component.children.push_back(ReadComponent());
  Leave();
  return component;
}

void FormStreamReader::SkipComponent() {
  Enter();
  FormComponent prefix;
  ReadPrefix(prefix);
  Take(Byte());  // class name
  Take(Byte());  // component name
  while (!EndOfList()) {
    Take(Byte());
    SkipValue();
  }
  while (!EndOfList()) SkipComponent();
  Leave();
}

FormProperty FormStreamReader::ReadProperty() {
  FormProperty property;
  property.name = ShortString();
  property.value = ReadValue();
  return property;
}

FormValue FormStreamReader::ReadValue() {
  size_t at = offset_;
  return ReadValueOfType(Byte(), at);
}

FormValue FormStreamReader::ReadValueOfType(uint8_t type, size_t typeOffset) {
  if (type > kLastFormValueType) {
    throw FormStreamError(FormStreamFault::kUnknownValueType, typeOffset);
  }
  FormValue value;
  value.type = static_cast<FormValueType>(type);
  switch (value.type) {
    case FormValueType::kNull:
    case FormValueType::kFalse:
    case FormValueType::kTrue:
    case FormValueType::kNil:
      break;
    case FormValueType::kList:
      Enter();
      while (!EndOfList()) value.list.push_back(ReadValue());
      Leave();
      break;
    case FormValueType::kInt8: {
      int64_t b = Byte();
      value.integer = b >= 0x80 ? b - 0x100 : b;
      break;
    }
    case FormValueType::kInt16: {
      std::string_view b = Take(2);
      value.integer =
          static_cast<int16_t>(static_cast<uint8_t>(b[0]) | (static_cast<uint8_t>(b[1]) << 8));
      break;
    }
    case FormValueType::kInt32:
      value.integer = static_cast<int32_t>(Uint32());
      break;
    case FormValueType::kInt64: {
      uint64_t low = Uint32();
      uint64_t high = Uint32();
      value.integer = static_cast<int64_t>((high << 32) | low);
      break;
    }
    case FormValueType::kExtended:
    case FormValueType::kSingle:
    case FormValueType::kCurrency:
    case FormValueType::kDate:
    case FormValueType::kDouble:
      value.bytes = std::string(Take(FixedSize(value.type)));
      break;
    case FormValueType::kString:
    case FormValueType::kIdent:
      value.bytes = ShortString();
      break;
    case FormValueType::kBinary:
    case FormValueType::kLongString:
    case FormValueType::kUtf8String: {
      uint32_t length = Uint32();
      value.bytes = std::string(Take(length));
      break;
    }
    case FormValueType::kWideString: {
      uint32_t count = Uint32();
      if (count > (data_.size() - offset_) / 2) {
        throw FormStreamError(FormStreamFault::kTruncated, data_.size());
      }
      std::string_view b = Take(size_t{count} * 2);
      value.wide.resize(count);
      for (size_t i = 0; i < count; ++i) {
        value.wide[i] = static_cast<char16_t>(static_cast<uint8_t>(b[2 * i]) |
                                              (static_cast<uint8_t>(b[2 * i + 1]) << 8));
      }
      break;
    }
    case FormValueType::kSet:
      for (;;) {
        std::string element = ShortString();
        if (element.empty()) break;
        value.elements.push_back(std::move(element));
      }
      break;
    case FormValueType::kCollection:
      Enter();
      while (!EndOfList()) {
        FormCollectionItem item;
        size_t at = offset_;
        uint8_t next = Byte();
        if (next == static_cast<uint8_t>(FormValueType::kInt8) ||
            next == static_cast<uint8_t>(FormValueType::kInt16) ||
            next == static_cast<uint8_t>(FormValueType::kInt32)) {
          item.order = ReadValueOfType(next, at);
          at = offset_;
          next = Byte();
        }
        if (next != static_cast<uint8_t>(FormValueType::kList)) {
          throw FormStreamError(FormStreamFault::kUnknownValueType, at);
        }
        while (!EndOfList()) item.properties.push_back(ReadProperty());
        value.items.push_back(std::move(item));
      }
      Leave();
      break;
  }
  return value;
}

void FormStreamReader::SkipValue() {
  size_t at = offset_;
  uint8_t type = Byte();
  if (type > kLastFormValueType) {
    throw FormStreamError(FormStreamFault::kUnknownValueType, at);
  }
  auto kind = static_cast<FormValueType>(type);
  switch (kind) {
    case FormValueType::kNull:
    case FormValueType::kFalse:
    case FormValueType::kTrue:
    case FormValueType::kNil:
      break;
    case FormValueType::kList:
      Enter();
      while (!EndOfList()) SkipValue();
      Leave();
      break;
    case FormValueType::kInt8:
      Take(1);
      break;
    case FormValueType::kInt16:
      Take(2);
      break;
    case FormValueType::kInt32:
      Take(4);
      break;
    case FormValueType::kInt64:
      Take(8);
      break;
    case FormValueType::kExtended:
    case FormValueType::kSingle:
    case FormValueType::kCurrency:
    case FormValueType::kDate:
    case FormValueType::kDouble:
      Take(FixedSize(kind));
      break;
    case FormValueType::kString:
    case FormValueType::kIdent:
      Take(Byte());
      break;
    case FormValueType::kBinary:
    case FormValueType::kLongString:
    case FormValueType::kUtf8String:
      Take(Uint32());
      break;
    case FormValueType::kWideString: {
      uint32_t count = Uint32();
      if (count > (data_.size() - offset_) / 2) {
        throw FormStreamError(FormStreamFault::kTruncated, data_.size());
      }
      Take(size_t{count} * 2);
      break;
    }
    case FormValueType::kSet:
      for (uint8_t length = Byte(); length != 0; length = Byte()) Take(length);
      break;
    case FormValueType::kCollection:
      Enter();
      while (!EndOfList()) {
        at = offset_;
        uint8_t next = Byte();
        if (next >= static_cast<uint8_t>(FormValueType::kInt8) &&
            next <= static_cast<uint8_t>(FormValueType::kInt32)) {
          Take(next == 2 ? 1 : next == 3 ? 2 : 4);
          at = offset_;
          next = Byte();
        }
        if (next != static_cast<uint8_t>(FormValueType::kList)) {
          throw FormStreamError(FormStreamFault::kUnknownValueType, at);
        }
        while (!EndOfList()) {
          Take(Byte());
          SkipValue();
        }
      }
      Leave();
      break;
  }
}

FormComponent ReadFormStream(std::string_view data) {
  FormStreamReader reader(data);
  reader.ReadSignature();
  return reader.ReadComponent();
}

FormResource ReadFormResource(std::string_view data) {
  // 0xFF, type word, name, NUL, flags word, size: at least 10 bytes.
  auto byteAt = [&](size_t i) { return static_cast<uint8_t>(data[i]); };
  if (data.size() < 10 || byteAt(0) != kResourceMarker ||
      (byteAt(1) | (byteAt(2) << 8)) != kResourceTypeForm) {
    throw FormStreamError(FormStreamFault::kSignature, 0);
  }
  size_t nul = data.find('\0', 3);
  if (nul == std::string_view::npos || data.size() - nul - 1 < 6) {
    throw FormStreamError(FormStreamFault::kTruncated, data.size());
  }
  FormResource resource;
  resource.resourceName = std::string(data.substr(3, nul - 3));
  size_t at = nul + 1;
  resource.resourceFlags = static_cast<uint16_t>(byteAt(at) | (byteAt(at + 1) << 8));
  uint32_t size = 0;
  for (int i = 3; i >= 0; --i) size = (size << 8) | byteAt(at + 2 + i);
  size_t stream = at + 6;
  if (size > data.size() - stream) throw FormStreamError(FormStreamFault::kTruncated, data.size());
  resource.root = ReadFormStream(data.substr(stream, size));
  return resource;
}

// ---- writer

namespace {

class FormStreamWriter {
 public:
  std::string out;

  void Byte(uint8_t b) { out.push_back(static_cast<char>(b)); }
  void Uint16(uint16_t v) {
    Byte(static_cast<uint8_t>(v));
    Byte(static_cast<uint8_t>(v >> 8));
  }
  void Uint32(uint32_t v) {
    for (int i = 0; i < 4; ++i) Byte(static_cast<uint8_t>(v >> (8 * i)));
  }
  // Texts longer than a short string allows are cut; the reader never gives them.
  void ShortString(std::string_view s) {
    size_t length = s.size() < 255 ? s.size() : 255;
    Byte(static_cast<uint8_t>(length));
    out.append(s.substr(0, length));
  }
  void Fixed(std::string_view bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) Byte(i < bytes.size() ? static_cast<uint8_t>(bytes[i]) : 0);
  }

  void Value(const FormValue& value) {
    Byte(static_cast<uint8_t>(value.type));
    switch (value.type) {
      case FormValueType::kNull:
      case FormValueType::kFalse:
      case FormValueType::kTrue:
      case FormValueType::kNil:
        break;
      case FormValueType::kList:
        for (const FormValue& v : value.list) Value(v);
        Byte(0);
        break;
      case FormValueType::kInt8:
        Byte(static_cast<uint8_t>(value.integer));
        break;
      case FormValueType::kInt16:
        Uint16(static_cast<uint16_t>(value.integer));
        break;
      case FormValueType::kInt32:
        Uint32(static_cast<uint32_t>(value.integer));
        break;
      case FormValueType::kInt64:
        Uint32(static_cast<uint32_t>(value.integer));
        Uint32(static_cast<uint32_t>(static_cast<uint64_t>(value.integer) >> 32));
        break;
      case FormValueType::kExtended:
      case FormValueType::kSingle:
      case FormValueType::kCurrency:
      case FormValueType::kDate:
      case FormValueType::kDouble:
        Fixed(value.bytes, FixedSize(value.type));
        break;
      case FormValueType::kString:
      case FormValueType::kIdent:
        ShortString(value.bytes);
        break;
      case FormValueType::kBinary:
      case FormValueType::kLongString:
      case FormValueType::kUtf8String:
        Uint32(static_cast<uint32_t>(value.bytes.size()));
        out.append(value.bytes);
        break;
      case FormValueType::kWideString:
        Uint32(static_cast<uint32_t>(value.wide.size()));
        for (char16_t c : value.wide) Uint16(c);
        break;
      case FormValueType::kSet:
        for (const std::string& element : value.elements) ShortString(element);
        Byte(0);
        break;
      case FormValueType::kCollection:
        for (const FormCollectionItem& item : value.items) {
          if (item.order.type != FormValueType::kNull) Value(item.order);
          Byte(static_cast<uint8_t>(FormValueType::kList));
          Properties(item.properties);
        }
        Byte(0);
        break;
    }
  }

  void Properties(const std::vector<FormProperty>& properties) {
    for (const FormProperty& p : properties) {
      ShortString(p.name);
      Value(p.value);
    }
    Byte(0);
  }

  void Component(const FormComponent& component) {
    if (component.flags != 0) {
      Byte(static_cast<uint8_t>(0xF0 | (component.flags & 0x0F)));
      if ((component.flags & kFormChildPosition) != 0) Value(component.position);
    }
    ShortString(component.className);
    ShortString(component.name);
    Properties(component.properties);
    for (const FormComponent& child : component.children) Component(child);
    Byte(0);
  }
};

}  // namespace

std::string WriteFormStream(const FormComponent& root) {
  FormStreamWriter writer;
  writer.out.append(kSignature);
  writer.Component(root);
  return std::move(writer.out);
}

std::string WriteFormResource(const FormResource& resource) {
  std::string stream = WriteFormStream(resource.root);
  FormStreamWriter writer;
  writer.Byte(kResourceMarker);
  writer.Uint16(kResourceTypeForm);
  writer.out.append(resource.resourceName);
  writer.Byte(0);
  writer.Uint16(resource.resourceFlags);
  writer.Uint32(static_cast<uint32_t>(stream.size()));
  writer.out.append(stream);
  return std::move(writer.out);
}

FormValueType SmallestIntegerType(int64_t v) {
  if (v >= INT8_MIN && v <= INT8_MAX) return FormValueType::kInt8;
  if (v >= INT16_MIN && v <= INT16_MAX) return FormValueType::kInt16;
  if (v >= INT32_MIN && v <= INT32_MAX) return FormValueType::kInt32;
  return FormValueType::kInt64;
}

void AppendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace vantrell
