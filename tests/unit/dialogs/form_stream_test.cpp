// The component stream reader and writer on hand-made streams: every value
// type, the prefix flags, collections, skipping, and the faults of broken input.
#include "dialogs/form_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrell {
namespace {

std::string Bytes(std::initializer_list<int> list) {
  std::string s;
  for (int b : list) s += static_cast<char>(b);
  return s;
}

std::string Short(std::string_view text) {
  return static_cast<char>(text.size()) + std::string(text);
}

// A root "TForm" named "F" with one property P of the given value bytes.
std::string StreamWithValue(const std::string& value) {
  return "TPF0" + Short("TForm") + Short("F") + Short("P") + value + Bytes({0, 0});
}

struct ValueCase {
  const char* what;
  std::string bytes;
  FormValueType type;
  int64_t integer;
  std::string data;  // FormValue::bytes
};

TEST(FormStreamTest, ReadsEveryValueType) {
  const std::vector<ValueCase> cases = {
      {"null", Bytes({0}), FormValueType::kNull, 0, ""},
      {"int8 negative", Bytes({2, 0xF3}), FormValueType::kInt8, -13, ""},
      {"int16", Bytes({3, 0xC3, 0x00}), FormValueType::kInt16, 195, ""},
      {"int16 negative", Bytes({3, 0x00, 0x80}), FormValueType::kInt16, -32768, ""},
      {"int32", Bytes({4, 0x78, 0x56, 0x34, 0x12}), FormValueType::kInt32, 0x12345678, ""},
      {"int32 negative", Bytes({4, 0xFF, 0xFF, 0xFF, 0xFF}), FormValueType::kInt32, -1, ""},
      {"extended", Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}), FormValueType::kExtended, 0,
       Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F})},
      {"string", Bytes({6, 2, 'h', 'i'}), FormValueType::kString, 0, "hi"},
      {"identifier", Bytes({7, 3, 'c', 'l', 'R'}), FormValueType::kIdent, 0, "clR"},
      {"false", Bytes({8}), FormValueType::kFalse, 0, ""},
      {"true", Bytes({9}), FormValueType::kTrue, 0, ""},
      {"binary", Bytes({10, 3, 0, 0, 0, 0, 0xFF, 7}), FormValueType::kBinary, 0,
       Bytes({0, 0xFF, 7})},
      {"long string", Bytes({12, 1, 0, 0, 0, 'x'}), FormValueType::kLongString, 0, "x"},
      {"nil", Bytes({13}), FormValueType::kNil, 0, ""},
      {"single", Bytes({15, 0, 0, 0x80, 0x3F}), FormValueType::kSingle, 0,
       Bytes({0, 0, 0x80, 0x3F})},
      {"currency", Bytes({16, 1, 2, 3, 4, 5, 6, 7, 8}), FormValueType::kCurrency, 0,
       Bytes({1, 2, 3, 4, 5, 6, 7, 8})},
      {"date", Bytes({17, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}), FormValueType::kDate, 0,
       Bytes({0, 0, 0, 0, 0, 0, 0xF0, 0x3F})},
      {"int64", Bytes({19, 0, 0, 0, 0, 1, 0, 0, 0}), FormValueType::kInt64, int64_t{1} << 32, ""},
      {"int64 negative", Bytes({19, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}),
       FormValueType::kInt64, -2, ""},
      {"utf-8 string", Bytes({20, 2, 0, 0, 0, 0xC2, 0xB0}), FormValueType::kUtf8String, 0,
       Bytes({0xC2, 0xB0})},
      {"double", Bytes({21, 0, 0, 0, 0, 0, 0, 0, 0x40}), FormValueType::kDouble, 0,
       Bytes({0, 0, 0, 0, 0, 0, 0, 0x40})},
  };
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(c.what);
    FormComponent root = ReadFormStream(StreamWithValue(c.bytes));
    ASSERT_EQ(root.properties.size(), 1u);
    const FormValue& v = root.properties[0].value;
    EXPECT_EQ(v.type, c.type);
    EXPECT_EQ(v.integer, c.integer);
    EXPECT_EQ(v.bytes, c.data);
  }
}

TEST(FormStreamTest, ReadsStructuredValues) {
  // A wide string of two characters: count 2 as four bytes, then four bytes.
  FormValue wide = ReadFormStream(StreamWithValue(Bytes({18, 2, 0, 0, 0, 'A', 0, 0x3D, 0x04})))
                       .properties[0]
                       .value;
  EXPECT_EQ(wide.type, FormValueType::kWideString);
  EXPECT_EQ(wide.wide, u"A\u043D");

  // An empty set is the type byte and one empty short string.
  FormValue emptySet = ReadFormStream(StreamWithValue(Bytes({11, 0}))).properties[0].value;
  EXPECT_EQ(emptySet.type, FormValueType::kSet);
  EXPECT_TRUE(emptySet.elements.empty());

  FormValue set =
      ReadFormStream(StreamWithValue(Bytes({11, 2, 'a', 'b', 1, 'c', 0}))).properties[0].value;
  EXPECT_EQ(set.elements, (std::vector<std::string>{"ab", "c"}));

  // A list holding an integer, a nested list and a string.
  FormValue list =
      ReadFormStream(StreamWithValue(Bytes({1, 2, 5, 1, 9, 0, 6, 1, 'z', 0}))).properties[0].value;
  ASSERT_EQ(list.type, FormValueType::kList);
  ASSERT_EQ(list.list.size(), 3u);
  EXPECT_EQ(list.list[0].integer, 5);
  ASSERT_EQ(list.list[1].list.size(), 1u);
  EXPECT_EQ(list.list[1].list[0].type, FormValueType::kTrue);
  EXPECT_EQ(list.list[2].bytes, "z");
}

TEST(FormStreamTest, ReadsCollectionWithAndWithoutOrder) {
  // Two items, the first with order value 0: 14, 2, 0, 1, ..., 0, 1, ..., 0, 0.
  std::string value = Bytes({14, 2, 0, 1}) + Short("A") + Bytes({2, 1}) + Bytes({0, 1}) +
                      Short("B") + Bytes({9}) + Short("C") + Bytes({8}) + Bytes({0, 0});
  FormValue v = ReadFormStream(StreamWithValue(value)).properties[0].value;
  ASSERT_EQ(v.type, FormValueType::kCollection);
  ASSERT_EQ(v.items.size(), 2u);
  EXPECT_EQ(v.items[0].order.type, FormValueType::kInt8);
  EXPECT_EQ(v.items[0].order.integer, 0);
  ASSERT_EQ(v.items[0].properties.size(), 1u);
  EXPECT_EQ(v.items[0].properties[0].name, "A");
  EXPECT_EQ(v.items[1].order.type, FormValueType::kNull);
  ASSERT_EQ(v.items[1].properties.size(), 2u);
  EXPECT_EQ(v.items[1].properties[1].name, "C");
  EXPECT_EQ(v.items[1].properties[1].value.type, FormValueType::kFalse);
}

TEST(FormStreamTest, ReadsPrefixFlagsAndChildren) {
  // Root with three children: inherited, child position 3 (0xF2), inline.
  std::string stream = "TPF0" + Short("TForm") + Short("F") + Bytes({0}) +  //
                       Bytes({0xF1}) + Short("TButton") + Short("B") + Bytes({0, 0}) +
                       Bytes({0xF2, 2, 3}) + Short("TLabel") + Short("L") + Short("Tag") +
                       Bytes({2, 7, 0, 0}) +  //
                       Bytes({0xF4}) + Short("TFrame") + Short("") + Bytes({0}) + Short("TEdit") +
                       Short("E") + Bytes({0, 0}) + Bytes({0}) +  //
                       Bytes({0});
  FormComponent root = ReadFormStream(stream);
  EXPECT_EQ(root.className, "TForm");
  EXPECT_EQ(root.flags, 0);
  ASSERT_EQ(root.children.size(), 3u);
  EXPECT_EQ(root.children[0].flags, kFormInherited);
  EXPECT_EQ(root.children[0].name, "B");
  EXPECT_EQ(root.children[1].flags, kFormChildPosition);
  EXPECT_EQ(root.children[1].position.integer, 3);
  EXPECT_EQ(root.children[1].className, "TLabel");
  EXPECT_EQ(root.children[1].properties[0].value.integer, 7);
  EXPECT_EQ(root.children[2].flags, kFormInline);
  EXPECT_EQ(root.children[2].name, "");
  ASSERT_EQ(root.children[2].children.size(), 1u);
  EXPECT_EQ(root.children[2].children[0].name, "E");
  EXPECT_EQ(WriteFormStream(root), stream);
}

TEST(FormStreamTest, SkipEndsWhereReadEnds) {
  const std::vector<std::string> values = {
      Bytes({0}),
      Bytes({1, 2, 5, 1, 9, 0, 6, 1, 'z', 0}),
      Bytes({5, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}),
      Bytes({10, 3, 0, 0, 0, 1, 2, 3}),
      Bytes({11, 2, 'a', 'b', 1, 'c', 0}),
      Bytes({14, 3, 1, 0, 1, 1, 'A', 2, 1, 0, 4, 9, 0, 0, 0, 1, 0, 1, 0, 0}),
      Bytes({15, 1, 2, 3, 4}),
      Bytes({16, 1, 2, 3, 4, 5, 6, 7, 8}),
      Bytes({18, 2, 0, 0, 0, 'A', 0, 'B', 0}),
      Bytes({19, 1, 2, 3, 4, 5, 6, 7, 8}),
      Bytes({20, 1, 0, 0, 0, 'q'}),
  };
  for (const std::string& value : values) {
    SCOPED_TRACE(static_cast<int>(value[0]));
    std::string data = value + "tail";
    FormStreamReader reading(data);
    FormValue read = reading.ReadValue();
    FormStreamReader skipping(data);
    skipping.SkipValue();
    EXPECT_EQ(reading.Offset(), value.size());
    EXPECT_EQ(skipping.Offset(), value.size());
  }
  // A whole component is skipped with its properties and children.
  std::string stream = StreamWithValue(Bytes({1, 2, 5, 0}));
  FormStreamReader reader(stream);
  reader.ReadSignature();
  reader.SkipComponent();
  EXPECT_TRUE(reader.AtEnd());
}

struct FaultCase {
  const char* what;
  std::string stream;
  FormStreamFault fault;
};

TEST(FormStreamTest, BrokenStreamsFailWithTheirFault) {
  std::string deepLists(200, '\1');
  std::string deepComponents;
  for (int i = 0; i < 200; ++i) deepComponents += Short("T") + Short("") + Bytes({0});
  const std::vector<FaultCase> cases = {
      {"empty", "", FormStreamFault::kSignature},
      {"wrong signature", "TPF1" + Short("T") + Short("") + Bytes({0, 0}),
       FormStreamFault::kSignature},
      {"ends after signature", "TPF0", FormStreamFault::kTruncated},
      {"class name cut", "TPF0" + Bytes({5, 'T', 'F'}), FormStreamFault::kTruncated},
      {"no end of properties", "TPF0" + Short("T") + Short("N"), FormStreamFault::kTruncated},
      {"no end of children", "TPF0" + Short("T") + Short("N") + Bytes({0}),
       FormStreamFault::kTruncated},
      {"unknown value type", StreamWithValue(Bytes({22})), FormStreamFault::kUnknownValueType},
      {"type byte 0xFF", StreamWithValue(Bytes({0xFF})), FormStreamFault::kUnknownValueType},
      {"binary longer than the data", StreamWithValue(Bytes({10, 0xFF, 0xFF, 0xFF, 0x7F})),
       FormStreamFault::kTruncated},
      {"wide string longer than the data", StreamWithValue(Bytes({18, 0xFF, 0xFF, 0xFF, 0xFF})),
       FormStreamFault::kTruncated},
      {"list without end", "TPF0" + Short("T") + Short("N") + Short("P") + Bytes({1, 2, 1}),
       FormStreamFault::kTruncated},
      {"set without end", "TPF0" + Short("T") + Short("N") + Short("P") + Bytes({11, 1, 'a'}),
       FormStreamFault::kTruncated},
      {"collection item without list byte", StreamWithValue(Bytes({14, 2, 0, 9, 0})),
       FormStreamFault::kUnknownValueType},
      {"child position not an integer", "TPF0" + Bytes({0xF2, 6, 1, 'x'}) + Short("T"),
       FormStreamFault::kUnknownValueType},
      {"nested lists", StreamWithValue(deepLists), FormStreamFault::kTooDeep},
      {"nested components", "TPF0" + deepComponents, FormStreamFault::kTooDeep},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      ReadFormStream(c.stream);
      ADD_FAILURE() << "no error";
    } catch (const FormStreamError& e) {
      EXPECT_EQ(e.Fault(), c.fault);
      EXPECT_LE(e.Offset(), c.stream.size());
    }
    FormStreamReader skipper(c.stream);
    EXPECT_THROW(
        {
          skipper.ReadSignature();
          skipper.SkipComponent();
        },
        FormStreamError);
  }
}

TEST(FormStreamTest, ErrorTexts) {
  try {
    ReadFormStream("XXXX");
  } catch (const FormStreamError& e) {
    EXPECT_STREQ(e.what(), "Invalid stream format");
  }
  try {
    ReadFormStream("TPF0");
  } catch (const FormStreamError& e) {
    EXPECT_STREQ(e.what(), "Stream read error");
  }
}

TEST(FormStreamTest, ResourceHeader) {
  std::string stream = StreamWithValue(Bytes({9}));
  FormResource resource;
  resource.resourceName = "TFORM1";
  resource.root = ReadFormStream(stream);
  std::string file = WriteFormResource(resource);
  // The header is the name's length plus 10 bytes.
  EXPECT_EQ(file.size(), resource.resourceName.size() + 10 + stream.size());
  EXPECT_EQ(file.substr(0, 12), Bytes({0xFF, 10, 0, 'T', 'F', 'O', 'R', 'M', '1', 0, 0x30, 0x10}));
  EXPECT_EQ(ReadFormResource(file), resource);

  const std::vector<FaultCase> cases = {
      {"bare stream", stream, FormStreamFault::kSignature},
      {"wrong resource type", Bytes({0xFF, 11, 0, 'A', 0, 0, 0, 0, 0, 0, 0}),
       FormStreamFault::kSignature},
      {"name without end", Bytes({0xFF, 10, 0, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}),
       FormStreamFault::kTruncated},
      {"size beyond the file", file.substr(0, file.size() - 1), FormStreamFault::kTruncated},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      ReadFormResource(c.stream);
      ADD_FAILURE() << "no error";
    } catch (const FormStreamError& e) {
      EXPECT_EQ(e.Fault(), c.fault);
    }
  }
}

}  // namespace
}  // namespace vantrell
