// The package edits as data: SQL texts, quote and line-break handling, the
// platform template rule, the 64-bit attribute and the GUID text.
#include "msi/package_edits.h"

#include <gtest/gtest.h>

namespace vantrell {
namespace {

std::vector<std::string> Sql(const EditSession& session) {
  std::vector<std::string> texts;
  for (const PackageEdit& step : session) {
    if (const auto* query = std::get_if<edit::Query>(&step)) texts.push_back(query->sql);
  }
  return texts;
}

TEST(PackageEdits, PropertyRowsAreInsertedThenUpdated) {
  EditSession session =
      PropertyQueueSession({{"A1F", "TRUE"}, {"P1F_1", "C:\\Program Files\\App"}}, nullptr);
  EXPECT_EQ(
      Sql(session),
      (std::vector<std::string>{
          "INSERT INTO `Property` ( `Property` , `Value` ) VALUES ( 'A1F' , 'TRUE' )",
          "UPDATE `Property` SET `Value`='TRUE' WHERE `Property`='A1F'",
          "INSERT INTO `Property` ( `Property` , `Value` ) VALUES ( 'P1F_1' , 'C:\\Program "
          "Files\\App' )",
          "UPDATE `Property` SET `Value`='C:\\Program Files\\App' WHERE `Property`='P1F_1'"}));
}

TEST(PackageEdits, PropertyValues) {
  struct Case {
    const char* queued;
    const char* written;
  } cases[] = {
      {"plain", "plain"},     {"one$NEWLINE$two", "one\r\ntwo"},        {"a$newline$b", "a\r\nb"},
      {"it's", "it$QUOTE$s"}, {"'' WHERE 1", "$QUOTE$$QUOTE$ WHERE 1"}, {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(PropertyTableValue(c.queued), c.written) << c.queued;
}

TEST(PackageEdits, NamesThatCannotBeLiteralsAreSkipped) {
  EditSession session = PropertyQueueSession({{"X' OR '1", "v"}, {"", "v"}, {"OK", "v"}}, nullptr);
  ASSERT_EQ(Sql(session).size(), 2u);
  EXPECT_EQ(Sql(session)[0],
            "INSERT INTO `Property` ( `Property` , `Value` ) VALUES ( 'OK' , 'v' )");
}

TEST(PackageEdits, NewInstanceCodesPrecedeTheLastEntry) {
  NewInstanceIdentity identity{"{NEW-PRODUCT}", "{NEW-REVISION}"};
  EditSession session = PropertyQueueSession({{"A1", "TRUE"}, {"A2", "FALSE"}}, &identity);
  ASSERT_EQ(session.size(), 6u);
  const auto* revision = std::get_if<edit::SummaryText>(&session[2]);
  ASSERT_NE(revision, nullptr);
  EXPECT_EQ(revision->id, kSummaryRevisionNumber);
  EXPECT_EQ(revision->text, "{NEW-REVISION}");
  EXPECT_EQ(std::get<edit::Query>(session[3]).sql,
            "UPDATE `Property` SET `Value`='{NEW-PRODUCT}' WHERE `Property`='ProductCode'");
  EXPECT_EQ(std::get<edit::Query>(session[4]).sql,
            "INSERT INTO `Property` ( `Property` , `Value` ) VALUES ( 'A2' , 'FALSE' )");
  EXPECT_TRUE(PropertyQueueSession({}, &identity).empty());
}

TEST(PackageEdits, LocalizedTextsGoThroughRecordsAndRenameByKey) {
  EditSession session =
      LocalizedTextSession({{"P1A_1", "Appli~1|Application's", "Starts it"}},
                           {{"App.Doc", "Appli.Dok", "Dokument"}, {"K'ey", "New", "d"}});
  ASSERT_EQ(session.size(), 4u);
  const auto& shortcut = std::get<edit::RowTexts>(session[0]);
  EXPECT_EQ(shortcut.select, "SELECT `Directory_`, `Name`, `Description` FROM `Shortcut`");
  EXPECT_EQ(shortcut.key, "P1A_1");
  EXPECT_EQ(shortcut.texts, (std::vector<std::string>{"Appli~1|Application's", "Starts it"}));
  const auto& description = std::get<edit::RowTexts>(session[1]);
  EXPECT_EQ(description.select, "SELECT `ProgId`, `Description` FROM `ProgId`");
  EXPECT_EQ(description.texts, (std::vector<std::string>{"Dokument"}));
  EXPECT_EQ(std::get<edit::Query>(session[2]).sql,
            "UPDATE `ProgId` SET `ProgId`='Appli.Dok' WHERE `ProgId`='App.Doc'");
  // A key with a quote still gets its description; its rename cannot be written as SQL.
  EXPECT_EQ(std::get<edit::RowTexts>(session[3]).key, "K'ey");
}

TEST(PackageEdits, TemplateForPlatform) {
  struct Case {
    const char* current;
    const char* platform;
    const char* text;
    bool changed;
    bool set64;
  } cases[] = {
      {"x64;1033", "Win32", "Intel;1033", true, false},
      {"Intel;1033", "Win32", "Intel;1033", false, false},
      {"Intel;1033,1031", "x64", "x64;1033,1031", true, true},
      {"Intel;0", "ia64", "Intel64;0", true, true},
      {"Intel64;1031", "ia64", "Intel64;1031", false, true},
      {"", "Win32", "Intel;", true, false},
      {"Intel", "Win32", "Intel;", false, false},
  };
  for (const Case& c : cases) {
    TemplateEdit e = TemplateForPlatform(c.current, c.platform);
    EXPECT_EQ(e.text, c.text) << c.current << " " << c.platform;
    EXPECT_EQ(e.platformChanged, c.changed) << c.current << " " << c.platform;
    EXPECT_EQ(e.set64, c.set64) << c.current << " " << c.platform;
  }
}

TEST(PackageEdits, ComponentAttributes) {
  EXPECT_EQ(AttributesForPlatform(0x104, false), 0x004);
  EXPECT_EQ(AttributesForPlatform(0x004, true), 0x104);
  EXPECT_EQ(AttributesForPlatform(0x104, true), 0x104);
  EXPECT_EQ(AttributesForPlatform(0, false), 0);
}

TEST(PackageEdits, WordCount) {
  EditSession session = WordCountSession();
  ASSERT_EQ(session.size(), 1u);
  EXPECT_EQ(std::get<edit::SummaryInteger>(session[0]).id, 15u);
  EXPECT_EQ(std::get<edit::SummaryInteger>(session[0]).value, 8);
}

TEST(PackageEdits, GuidText) {
  const uint8_t tail[8] = {0x8e, 0x9f, 0x1d, 0x2c, 0x3b, 0x4a, 0x5e, 0x6f};
  EXPECT_EQ(FormatGuid(0xa7c3e1f2, 0x5b4d, 0x4c6a, tail), "{A7C3E1F2-5B4D-4C6A-8E9F-1D2C3B4A5E6F}");
}

TEST(PackageEdits, ShortcutStoredName) {
  EXPECT_EQ(ShortcutStoredName("Application"), "Applic~1|Application");
  EXPECT_EQ(ShortcutStoredName(" My App Tools"), "My Ap~1| My App Tools");
  EXPECT_EQ(ShortcutStoredName("App"), "App~1|App");
  EXPECT_EQ(ShortcutStoredName(""), "~1|");
}

TEST(PackageEdits, SqlLiteralSafety) {
  EXPECT_TRUE(IsSqlLiteralSafe("C:\\Program Files\\x\r\ny"));
  EXPECT_FALSE(IsSqlLiteralSafe("it's"));
  EXPECT_FALSE(IsSqlLiteralSafe(std::string("a\0b", 3)));
}

}  // namespace
}  // namespace vantrell
