// The text form: how each value type prints, that the parser gives the same
// tree back, and that broken text fails with its line.
#include "dialogs/form_text.h"

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

FormValue Of(FormValueType type, std::string bytes = {}) {
  FormValue v;
  v.type = type;
  v.bytes = std::move(bytes);
  return v;
}

FormValue Integer(int64_t n, FormValueType type) {
  FormValue v;
  v.type = type;
  v.integer = n;
  return v;
}

// The text of "object F: TForm" with the one property P = value.
std::string PrintedValue(const FormValue& value) {
  FormComponent root;
  root.className = "TForm";
  root.name = "F";
  root.properties.push_back({"P", value});
  std::string text = PrintFormText(root);
  std::string head = "object F: TForm\n  P = ";
  EXPECT_EQ(text.substr(0, head.size()), head);
  return text.substr(head.size(), text.size() - head.size() - 5);  // without "\nend\n"
}

struct PrintCase {
  const char* what;
  FormValue value;
  std::string text;
};

TEST(FormTextTest, PrintsEachValueType) {
  FormValue wide = Of(FormValueType::kWideString);
  wide.wide = u"A'\u043D\U0001F600";
  FormValue set = Of(FormValueType::kSet);
  set.elements = {"fsBold", "fsItalic"};
  FormValue list = Of(FormValueType::kList);
  list.list = {Of(FormValueType::kString, "a"), Integer(-1, FormValueType::kInt8)};
  FormValue collection = Of(FormValueType::kCollection);
  collection.items.push_back({Integer(2, FormValueType::kInt8), {{"A", Of(FormValueType::kTrue)}}});
  collection.items.push_back({FormValue{}, {}});
  const std::vector<PrintCase> cases = {
      {"int8", Integer(-13, FormValueType::kInt8), "-13"},
      {"int32", Integer(2147483647, FormValueType::kInt32), "2147483647"},
      {"int64", Integer(int64_t{-1} << 40, FormValueType::kInt64), "-1099511627776"},
      {"extended 127", Of(FormValueType::kExtended, Bytes({0, 0, 0, 0, 0, 0, 0, 0xFE, 0x05, 0x40})),
       " 1.27000000000000000000E+0002"},
      {"extended -0.5",
       Of(FormValueType::kExtended, Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0xBF})),
       "-5.00000000000000000000E-0001"},
      {"extended 0", Of(FormValueType::kExtended, std::string(10, '\0')),
       " 0.00000000000000000000E+0000"},
      {"single 1", Of(FormValueType::kSingle, Bytes({0, 0, 0x80, 0x3F})),
       " 1.00000000000000000000E+0000s"},
      {"double 2", Of(FormValueType::kDouble, Bytes({0, 0, 0, 0, 0, 0, 0, 0x40})),
       " 2.00000000000000000000E+0000f"},
      {"date", Of(FormValueType::kDate, Bytes({0, 0, 0, 0, 0, 0, 0xF0, 0x3F})),
       " 1.00000000000000000000E+0000d"},
      {"currency -1.5",
       Of(FormValueType::kCurrency, Bytes({0x68, 0xC5, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})),
       "-1.5000c"},
      {"string", Of(FormValueType::kString, "it's"), "'it''s'"},
      {"empty string", Of(FormValueType::kString, ""), "''"},
      {"code page bytes", Of(FormValueType::kString, Bytes({0xD1, 'a', 0xE5, 13, 10})),
       "#209'a'#229#13#10"},
      {"long string", Of(FormValueType::kLongString, "x"), "'x'"},
      {"utf-8", Of(FormValueType::kUtf8String, Bytes({'9', '0', 0xC2, 0xB0})), "'90'#176"},
      {"malformed utf-8", Of(FormValueType::kUtf8String, Bytes({0xC2, 'x', 0xE0})), "#194'x'#224"},
      {"wide with surrogate pair", wide, "'A'''#1085#128512"},
      {"identifier", Of(FormValueType::kIdent, "clBtnFace"), "clBtnFace"},
      {"true", Of(FormValueType::kTrue), "True"},
      {"false", Of(FormValueType::kFalse), "False"},
      {"nil", Of(FormValueType::kNil), "nil"},
      {"empty set", Of(FormValueType::kSet), "[]"},
      {"set", set, "[fsBold, fsItalic]"},
      {"list", list, "(\n    'a'\n    -1\n  )"},
      {"empty list", Of(FormValueType::kList), "()"},
      {"binary", Of(FormValueType::kBinary, Bytes({0x0A, 0xFF})), "{\n    0AFF\n  }"},
      {"empty binary", Of(FormValueType::kBinary), "{}"},
      {"collection", collection, "<\n    item [2]\n      A = True\n    end\n    item\n    end>"},
      {"empty collection", Of(FormValueType::kCollection), "<>"},
  };
  for (const PrintCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(PrintedValue(c.value), c.text);
  }
}

TEST(FormTextTest, BinaryLinesHoldThirtyTwoBytes) {
  std::string text = PrintedValue(Of(FormValueType::kBinary, std::string(33, '\x11')));
  EXPECT_EQ(text, "{\n    " + std::string(64, '1') + "\n    11\n  }");
}

TEST(FormTextTest, PrintsComponentHeaders) {
  FormComponent root;
  root.className = "TForm1";
  root.name = "Form1";
  root.flags = kFormInherited;
  FormComponent positioned;
  positioned.className = "TPanel";
  positioned.name = "P";
  positioned.flags = kFormInherited | kFormChildPosition;
  positioned.position = Integer(6, FormValueType::kInt8);
  FormComponent frame;
  frame.className = "TFrame2";
  frame.name = "fr";
  frame.flags = kFormInline;
  FormComponent unnamed;
  unnamed.className = "TTimer";
  frame.children.push_back(unnamed);
  root.children = {positioned, frame};
  EXPECT_EQ(PrintFormText(root),
            "inherited Form1: TForm1\n"
            "  inherited P: TPanel[6]\n"
            "  end\n"
            "  inline fr: TFrame2\n"
            "    object TTimer\n"
            "    end\n"
            "  end\n"
            "end\n");
  EXPECT_EQ(ParseFormText(PrintFormText(root)), root);
}

TEST(FormTextTest, ParsesWhatItPrints) {
  const std::vector<std::string> texts = {
      "object F: TForm\n"
      "  Left = 195\n"
      "  Big = 100000\n"
      "  Huge = 5000000000\n"
      "  Neg = -129\n"
      "  Caption = 'O''Brien'#13#10'x'\n"
      "  Cyr = #209#229\n"
      "  Deg = 'Rotate 90'#176\n"
      "  Wide = 'Fam'#1085'lias'\n"
      "  Scale =  1.27000000000000000000E+0002\n"
      "  Tiny = -3.64519953188247460253E-4951\n"
      "  S =  2.50000000000000000000E-0001s\n"
      "  D =  3.70876726538194416207E+0004d\n"
      "  Dbl = -1.00000000000000005250E+0300f\n"
      "  C = -1.5000c\n"
      "  Style = [fsBold, fsItalic]\n"
      "  Empty = []\n"
      "  Lines.Strings = (\n"
      "    'a'\n"
      "    (\n"
      "      1\n"
      "    )\n"
      "  )\n"
      "  Data = {\n"
      "    0AFF\n"
      "  }\n"
      "  Columns = <\n"
      "    item [3]\n"
      "      Width = 64\n"
      "      End = 2\n"
      "    end\n"
      "    item\n"
      "    end>\n"
      "  Action = nil\n"
      "  Visible = False\n"
      "  OnClick = Form.Click\n"
      "  Object = inline\n"
      "  End = 1\n"
      "  object B: TButton[2]\n"
      "  end\n"
      "end\n",
  };
  for (const std::string& text : texts) {
    FormComponent tree = ParseFormText(text);
    EXPECT_EQ(PrintFormText(tree), text);
    EXPECT_EQ(ReadFormStream(WriteFormStream(tree)), tree);
  }
}

TEST(FormTextTest, ParserChoosesCompactTypes) {
  FormComponent tree = ParseFormText(
      "object F: TForm\n A = 1\n B = 300\n C = 70000\n D = 5000000000\n"
      " E = 'x'\n G = 'a' +\n   'b'\n H = #300\nend");
  const std::vector<FormValueType> types = {FormValueType::kInt8,      FormValueType::kInt16,
                                            FormValueType::kInt32,     FormValueType::kInt64,
                                            FormValueType::kString,    FormValueType::kString,
                                            FormValueType::kUtf8String};
  ASSERT_EQ(tree.properties.size(), types.size());
  for (size_t i = 0; i < types.size(); ++i) EXPECT_EQ(tree.properties[i].value.type, types[i]);
  EXPECT_EQ(tree.properties[5].value.bytes, "ab");
  EXPECT_EQ(tree.properties[6].value.bytes, "\xC4\xAC");
  std::string longText = "object F: TForm\n A = '" + std::string(256, 'x') + "'\nend";
  EXPECT_EQ(ParseFormText(longText).properties[0].value.type, FormValueType::kLongString);
}

struct BadText {
  const char* text;
  int line;
};

TEST(FormTextTest, BrokenTextFailsWithItsLine) {
  const std::vector<BadText> cases = {
      {"", 1},
      {"thing F: TForm\nend", 1},
      {"object F: TForm\n  Left 5\nend", 2},
      {"object F: TForm\n  Caption = 'open\nend", 2},
      {"object F: TForm\n  Data = {\n  0AF\n  }\nend", 4},
      {"object F: TForm\n  Data = {\n  0AG0 }\nend", 3},
      {"object F: TForm\n  L = (\n  1\n", 4},
      {"object F: TForm\n  C = <\n  thing\n  >\nend", 3},
      {"object F: TForm\n  X = #99999999\nend", 2},
      {"object F: TForm\n  X = 99999999999999999999\nend", 2},
      {"object F: TForm\n  X = $\nend", 2},
      {"object F: TForm\n  X = 1.5e\nend", 2},
      {"object F: TForm\n  object B: TButton[x]\n  end\nend", 2},
      {"object F: TForm\n", 2},
      {"object F: TForm\nend\nend", 3},
  };
  for (const BadText& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      ParseFormText(c.text);
      ADD_FAILURE() << "no error";
    } catch (const FormTextError& e) {
      EXPECT_EQ(e.Line(), c.line) << e.what();
    }
  }
  std::string deep = "object F: TForm\n X = " + std::string(500, '(') + "\nend";
  EXPECT_THROW(ParseFormText(deep), FormTextError);
}

}  // namespace
}  // namespace vantrell
