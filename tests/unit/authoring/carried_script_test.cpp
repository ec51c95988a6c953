// The carried script writer's byte layout, the "$" rules and the splitter that
// takes written bytes apart again.
#include "authoring/carried_script.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace vantrell::authoring {
namespace {

CarriedScript Small() {
  CarriedScript s;
  s.commands = {"Comment", "End"};
  s.identifiers = {"{11111111-1111-1111-1111-111111111111}",
                   "{22222222-2222-2222-2222-222222222222}"};
  s.pool = {"{11111111-1111-1111-1111-111111111111}", "$DOLLAR$"};
  s.markers = {"", "C"};
  s.productCode = "{P}";
  s.title = "T";
  s.pluginCommands = {"File Dialog"};
  s.registration = {"pub", "", "", "", "", "1.0"};
  s.mediaFolders = {"", ""};
  s.buildKind = "1";
  s.componentSizes = {"VELD-PREDEF-COMPONENT", "0"};
  s.revisionCode = "{R}";
  s.languageSelection = "FALSE";
  s.defaultLanguage = "English";
  s.statementHeaders = {"1A2B", "1"};
  s.buildVariables = {"TITLE", "T"};
  return s;
}

TEST(CarriedScriptTest, WritesEveryItemInOrderWithCrLf) {
  const std::string expected =
      "Comment\r\nEnd\r\n$\r\n"
      "{11111111-1111-1111-1111-111111111111}\r\n{22222222-2222-2222-2222-222222222222}\r\n$\r\n"
      "{11111111-1111-1111-1111-111111111111}\r\n$DOLLAR$\r\n$\r\n"
      "\r\nC\r\n$\r\n"
      "{P}\r\nT\r\n"
      "File Dialog\r\n$\r\n"
      "pub\r\n\r\n\r\n\r\n\r\n1.0\r\n"
      "$\r\n"
      "\r\n\r\n$\r\n"
      "1\r\n"
      "VELD-PREDEF-COMPONENT\r\n0\r\n$\r\n"
      "{R}\r\n"
      "$\r\n"
      "FALSE\r\nEnglish\r\n"
      "1A2B\r\n1\r\n$\r\n"
      "TITLE\r\nT\r\n$\r\n";
  EXPECT_EQ(WriteCarriedScript(Small()), expected);
}

TEST(CarriedScriptTest, EmptyScriptIsSeparatorsAndEmptyLines) {
  CarriedScript s;
  EXPECT_EQ(WriteCarriedScript(s),
            "$\r\n$\r\n$\r\n$\r\n\r\n\r\n$\r\n\r\n\r\n\r\n\r\n\r\n\r\n$\r\n$\r\n\r\n$\r\n\r\n$"
            "\r\n\r\n\r\n$\r\n$\r\n");
}

TEST(CarriedScriptTest, RefusesWhatCannotBeCarried) {
  struct Case {
    const char* what;
    void (*edit)(CarriedScript&);
  } cases[] = {
      {"a list item that is exactly $", [](CarriedScript& s) { s.pool.push_back("$"); }},
      {"a line break in a line", [](CarriedScript& s) { s.title = "a\nb"; }},
      {"a CR in a list item", [](CarriedScript& s) { s.buildVariables.push_back("a\rb"); }},
  };
  for (const Case& c : cases) {
    CarriedScript s = Small();
    c.edit(s);
    EXPECT_THROW(WriteCarriedScript(s), std::invalid_argument) << c.what;
  }
  CarriedScript s = Small();
  s.title = "$";  // a single line may be "$": no list ends there
  EXPECT_NO_THROW(WriteCarriedScript(s));
}

TEST(CarriedScriptTest, SplitGivesBackWhatWasWrittenAndStopsAtTheLayoutsEnd) {
  std::string bytes = WriteCarriedScript(Small());
  size_t consumed = 0;
  auto split = SplitCarriedScript(bytes + "\0\0SIGNATURE", &consumed);
  ASSERT_TRUE(split.has_value());
  EXPECT_EQ(*split, Small());
  EXPECT_EQ(consumed, bytes.size());
}

TEST(CarriedScriptTest, SplitRefusesTruncatedData) {
  std::string bytes = WriteCarriedScript(Small());
  EXPECT_FALSE(SplitCarriedScript(bytes.substr(0, bytes.size() - 3)).has_value());
  EXPECT_FALSE(SplitCarriedScript("").has_value());
}

}  // namespace
}  // namespace vantrell::authoring
