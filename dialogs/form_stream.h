// The binary component stream of form files: a tree of components with typed
// property values, its reader, its writer and the resource header in front of
// it. Byte layout (little-endian; "short string" = length byte + bytes):
//   form file  = 0xFF, u16 type 10, name bytes, 0, u16 flags, u32 size, stream
//   stream     = "TPF0" component
//   component  = [prefix] class:short name:short property* 0 component* 0
//   prefix     = byte 0xF0..0xFF, low bits 1 inherited, 2 position, 4 inline;
//                with bit 2 an integer value (type 2, 3 or 4) follows
//   property   = name:short value
//   value      = type byte + data, types 0-21 (FormValueType)
//   collection = 14 item* 0, item = [integer value] 1 property* 0
// Every length is checked against the bytes that remain and nesting is
// limited, so any input ends in a tree or in a FormStreamError.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/engine_error.h"

namespace vantrell {

enum class FormValueType : uint8_t {
  kNull = 0,
  kList = 1,
  kInt8 = 2,
  kInt16 = 3,
  kInt32 = 4,
  kExtended = 5,
  kString = 6,
  kIdent = 7,
  kFalse = 8,
  kTrue = 9,
  kBinary = 10,
  kSet = 11,
  kLongString = 12,
  kNil = 13,
  kCollection = 14,
  kSingle = 15,
  kCurrency = 16,
  kDate = 17,
  kWideString = 18,
  kInt64 = 19,
  kUtf8String = 20,
  kDouble = 21,
};
constexpr uint8_t kLastFormValueType = 21;

struct FormProperty;
struct FormCollectionItem;

// One property value. Which member is meaningful follows from type:
// integers (types 2, 3, 4, 19) in integer; the bytes of strings, identifiers,
// UTF-8 strings and binaries in bytes, and the raw little-endian bytes of the
// float types (10 for extended, 4 single, 8 currency, date and double);
// wide strings in wide; set element names in elements; list values in list;
// collection items in items.
struct FormValue {
  FormValueType type = FormValueType::kNull;
  int64_t integer = 0;
  std::string bytes;
  std::u16string wide;
  std::vector<std::string> elements;
  std::vector<FormValue> list;
  std::vector<FormCollectionItem> items;

  bool operator==(const FormValue&) const;
};

struct FormProperty {
  std::string name;
  FormValue value;
  bool operator==(const FormProperty&) const = default;
};

// A collection item; order is of type kNull when the item has none.
struct FormCollectionItem {
  FormValue order;
  std::vector<FormProperty> properties;
  bool operator==(const FormCollectionItem&) const = default;
};

enum FormComponentFlags : uint8_t {
  kFormInherited = 1,
  kFormChildPosition = 2,
  kFormInline = 4,
};

struct FormComponent {
  uint8_t flags = 0;      // FormComponentFlags; the prefix is written when not 0
  FormValue position;     // integer value, present with kFormChildPosition
  std::string className;  // "TLabel"
  std::string name;       // may be empty
  std::vector<FormProperty> properties;
  std::vector<FormComponent> children;
  bool operator==(const FormComponent&) const = default;
};

// The form file: resource header and the stream's root component.
struct FormResource {
  std::string resourceName;  // "TFORM1"
  uint16_t resourceFlags = 0x1030;
  FormComponent root;
  bool operator==(const FormResource&) const = default;
};

enum class FormStreamFault {
  kSignature,         // no "TPF0", or a form file without its resource header
  kTruncated,         // the data ends inside a component, a list or a value
  kUnknownValueType,  // a type byte above 21, or a type where only some may stand
  kTooDeep,           // components or values nested beyond kMaxFormNesting
};

constexpr int kMaxFormNesting = 64;

class FormStreamError : public EngineError {
 public:
  FormStreamError(FormStreamFault fault, size_t offset);
  FormStreamFault Fault() const { return fault_; }
  size_t Offset() const { return offset_; }  // of the byte where reading failed

 private:
  FormStreamFault fault_;
  size_t offset_;
};

// Sequential reader over one stream; the building blocks of ReadFormStream,
// for readers that take only what they need and skip the rest.
class FormStreamReader {
 public:
  explicit FormStreamReader(std::string_view data) : data_(data) {}

  size_t Offset() const { return offset_; }
  bool AtEnd() const { return offset_ == data_.size(); }

  void ReadSignature();  // "TPF0"
  FormComponent ReadComponent();
  void SkipComponent();
  FormProperty ReadProperty();
  FormValue ReadValue();
  void SkipValue();
  // True when the next byte ends a sequence of properties, items or children
  // (and consumes it).
  bool EndOfList();

 private:
  uint8_t Byte();
  uint8_t PeekByte() const;
  std::string_view Take(size_t count);
  uint32_t Uint32();
  std::string ShortString();
  FormValue ReadValueOfType(uint8_t type, size_t typeOffset);
  void ReadPrefix(FormComponent& component);
  void Enter();
  void Leave() { --depth_; }

  std::string_view data_;
  size_t offset_ = 0;
  int depth_ = 0;
};

// Appends the code point as UTF-8 (the form of UTF-8 and wide strings as text).
void AppendUtf8(std::string& out, uint32_t c);

// A whole stream ("TPF0" and the root); bytes after the root are ignored.
FormComponent ReadFormStream(std::string_view data);
// A form file: resource header, then the stream of its stated size.
FormResource ReadFormResource(std::string_view data);

// The writer: ReadFormStream(WriteFormStream(c)) == c for every tree the
// reader gives.
std::string WriteFormStream(const FormComponent& root);
std::string WriteFormResource(const FormResource& resource);

// The integer value type that holds v in the fewest bytes (2, 3, 4 or 19).
FormValueType SmallestIntegerType(int64_t v);

}  // namespace vantrell
