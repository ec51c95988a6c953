// The install-type statements run from a script through the statement table:
// what each records into the property list and the Property-table queue, the
// text lists, the install states, "Set 64 Bit Mode" and the queue's hand-over.
#include "msi/install_statements.h"

#include <gtest/gtest.h>

#include <map>

#include "common/engine_error.h"
#include "common/target_platform.h"
#include "msi/property_list.h"
#include "twins/statement_test.h"

namespace vantrell {
namespace {

using testing::ScriptBuilder;

using Pairs = std::vector<std::pair<std::string, std::string>>;

class InstallStatementsTest : public testing::StatementTest {
 protected:
  void SetUp() override {
    Properties().Clear();
    ResetInstallRecording();
    SetTargetPlatform("Win32");
    services.markInstalled = [this](size_t index) { installed.push_back(index); };
    RegisterInstallStatements(table, services);
  }
  // The property list, the recording and the target platform belong to the process.
  void TearDown() override {
    Properties().Clear();
    ResetInstallRecording();
    SetTargetPlatform("Win32");
  }

  // Runs every statement of the script in order; statement i has header "H" + i
  // unless the test gives headers.
  void Run(const ScriptBuilder& builder, std::vector<std::string> headers = {}) {
    SetupScript script = builder.Build();
    if (headers.empty()) {
      for (size_t i = 0; i < script.StatementCount(); ++i)
        headers.push_back("1" + std::to_string(i));
    }
    for (size_t i = 0; i < headers.size(); ++i) {
      if (headers[i].empty()) continue;
      script.statementHeaders.push_back(headers[i]);
      script.statementHeaders.push_back(std::to_string(i));
    }
    script.buildKind = buildKind;
    script.mediaFolders = mediaFolders;
    StatementTest::Run(script);
  }

  static Pairs PropertyPairs() {
    Pairs pairs;
    std::vector<std::string> lines = Properties().Lines();
    for (size_t i = 0; i + 1 < lines.size(); i += 2) pairs.emplace_back(lines[i], lines[i + 1]);
    return pairs;
  }
  static Pairs QueuePairs() {
    Pairs pairs;
    for (const QueuedProperty& p : PropertyQueue()) pairs.emplace_back(p.name, p.value);
    return pairs;
  }

  InstallStatementServices services;
  std::vector<size_t> installed;
  int64_t buildKind = 1;
  std::vector<std::string> mediaFolders;
};

// Statement, parameters, and the "P" values it records as (n, value).
struct RecordingCase {
  const char* command;
  std::vector<std::string> parameters;
  Pairs recorded;
};

TEST_F(InstallStatementsTest, EachStatementRecordsItsValues) {
  const std::vector<std::string> p = {"p1", "p2",  "p3",  "p4",  "p5",  "p6",  "p7", "p8",
                                      "p9", "p10", "p11", "p12", "p13", "p14", "p15"};
  const std::vector<RecordingCase> cases = {
      {"Install Files", p, {{"1", "p3"}}},
      {"Install Assembly", p, {{"1", "p3"}}},
      {"Install ODBC Driver", p, {{"1", "p4"}}},
      {"Create ODBC DSN", p, {}},
      {"Create Folder", p, {{"1", "p1"}}},
      {"Delete Files", p, {{"1", "p1"}}},
      {"Copy/Move Local Files", p, {{"1", "p1"}, {"2", "p3"}}},
      {"Set Environment", p, {{"1", "p2"}}},
      {"Edit INI File", p, {{"1", "p1"}, {"2", "p4"}, {"3", "p5"}, {"4", "p6"}}},
      {"Write Registry", {"HKLM", "Key", "$A$", "lit", "x$B$"}, {{"1", "a"}, {"3", "xb"}}},
      {"Create File Type", p, {{"1", "p1"}, {"2", "p2"}, {"3", "p3"}, {"4", "p4"}, {"5", "p5"}}},
      {"Advertised File Type", p, {}},
      {"Create Shortcut", p, {{"1", "p3"}, {"2", "p1"}, {"3", "p5"}, {"4", "p6"}}},
      {"Advertised Shortcut", p, {{"1", "p3"}, {"2", "p1"}, {"3", "p5"}, {"4", "p6"}}},
      {"Control Service", p, {{"1", "p1"}, {"2", "p2"}}},
      {"Install Service",
       p,
       {{"1", "p2"},
        {"2", "p4"},
        {"3", "p5"},
        {"4", "p9"},
        {"5", "p10"},
        {"6", "p13"},
        {"7", "p14"},
        {"8", "p15"},
        {"9", "p6"}}},
  };
  vars.PutVariable("A", "a");
  vars.PutVariable("B", "b");
  for (const RecordingCase& c : cases) {
    Properties().Clear();
    ResetInstallRecording();
    installed.clear();
    Run(ScriptBuilder().Add(c.command, c.parameters), {"7E"});
    Pairs want = {{"A7E", "TRUE"}};
    for (const auto& [n, value] : c.recorded) want.emplace_back("P7E_" + n, value);
    EXPECT_EQ(PropertyPairs(), want) << c.command;
    EXPECT_EQ(QueuePairs(), want) << c.command;
    EXPECT_EQ(installed, std::vector<size_t>{0}) << c.command;
  }
}

TEST_F(InstallStatementsTest, ValuesAreExpandedAsPaths) {
  vars.PutVariable("TARGETDIR", "C:\\Program Files\\App\\");
  vars.PutVariable("SHARE", "\\\\server\\share\\");
  Run(ScriptBuilder()
          .Add("Create Folder", {"$TARGETDIR$\\Data"})
          .Add("Create Folder", {"$SHARE$\\x"})
          .Add("Install Service", {"", "", "", "", "", "", "", "", "", "a~b~~"}));
  const Pairs pairs = PropertyPairs();
  EXPECT_EQ(pairs[1],
            (std::pair<std::string, std::string>{"P10_1", "C:\\Program Files\\App\\Data"}));
  EXPECT_EQ(pairs[3], (std::pair<std::string, std::string>{"P11_1", "\\\\server\\share\\x"}));
  EXPECT_EQ(pairs[9], (std::pair<std::string, std::string>{"P12_5", "a$NULL$b$NULL$$NULL$"}));
}

TEST_F(InstallStatementsTest, TranslatedSlotsWhileALanguageIsCurrent) {
  std::vector<std::string> asked;
  services.translate = [&asked](const std::string& text, const std::string& key,
                                int slot) -> std::optional<std::string> {
    asked.push_back(text + "@" + std::to_string(slot));
    if (key != ScriptBuilder::Identifier(0)) return std::nullopt;
    return "[$LANG$ " + text + "]";
  };
  RegisterInstallStatements(table, services);
  vars.PutVariable("LANG", "de");
  Run(ScriptBuilder().Add("Control Service", {"Spooler", "stop"}), {"C1"});
  EXPECT_EQ(PropertyPairs(),
            (Pairs{{"AC1", "TRUE"}, {"PC1_1", "[de Spooler]"}, {"PC1_2", "stop"}}));
  EXPECT_EQ(asked, std::vector<std::string>{"Spooler@1"});
}

TEST_F(InstallStatementsTest, ShortcutAndFileTypeTexts) {
  services.translate = [](const std::string& text, const std::string&,
                          int slot) -> std::optional<std::string> {
    return slot == 1 ? " Mein " + text : "Beschreibung";
  };
  RegisterInstallStatements(table, services);
  vars.PutVariable("APP", "Programm");
  Run(ScriptBuilder()
          .Add("Create Shortcut", {"C:\\A\\app.exe", "$APP$", "$PROGRAMS$", "Starts it", "", ""})
          .Add("Advertised File Type", {"App.$APP$", "x", "Document"}),
      {"5C", "6D"});
  const std::vector<ShortcutText> shortcuts = ShortcutTexts();
  ASSERT_EQ(shortcuts.size(), 1u);
  EXPECT_EQ(shortcuts[0].key, "P5C_1");
  EXPECT_EQ(shortcuts[0].name, "Mein~1| Mein Programm");
  EXPECT_EQ(shortcuts[0].description, "Beschreibung");
  const std::vector<FileTypeText> fileTypes = FileTypeTexts();
  ASSERT_EQ(fileTypes.size(), 1u);
  EXPECT_EQ(fileTypes[0].key, "App.$APP$");
  EXPECT_EQ(fileTypes[0].identifier, " Mein App.Programm");
  EXPECT_EQ(fileTypes[0].description, "Beschreibung");
  EXPECT_EQ(PropertyPairs(), (Pairs{{"A5C", "TRUE"},
                                    {"P5C_1", "$PROGRAMS$"},
                                    {"P5C_2", "C:\\A\\app.exe"},
                                    {"P5C_3", ""},
                                    {"P5C_4", ""},
                                    {"A6D", "TRUE"}}));
}

TEST_F(InstallStatementsTest, RunningTwiceAppendsTwiceButQueuesOnce) {
  Run(ScriptBuilder()
          .Add("Install Files", {"", "", "C:\\One"})
          .Add("Install Files", {"", "", "C:\\Two"}),
      {"AB", "AB"});
  EXPECT_EQ(PropertyPairs(),
            (Pairs{{"AAB", "TRUE"}, {"PAB_1", "C:\\One"}, {"AAB", "TRUE"}, {"PAB_1", "C:\\Two"}}));
  EXPECT_EQ(QueuePairs(), (Pairs{{"AAB", "TRUE"}, {"PAB_1", "C:\\Two"}}));
  EXPECT_EQ(installed, (std::vector<size_t>{0, 1}));
}

TEST_F(InstallStatementsTest, ALoopDoesNotGrowTheQueue) {
  for (int i = 0; i < 1000; ++i) {
    QueueProperty("A1", "TRUE");
    QueueProperty("P1_1", std::to_string(i));
  }
  EXPECT_EQ(QueuePairs(), (Pairs{{"A1", "TRUE"}, {"P1_1", "999"}}));
  QueueProperty("A1", "FALSE");
  EXPECT_EQ(QueuePairs(), (Pairs{{"P1_1", "999"}, {"A1", "FALSE"}}));
}

TEST_F(InstallStatementsTest, LineBreaksAreEncoded) {
  vars.PutVariable("TEXT", "one\r\ntwo");
  Run(ScriptBuilder().Add("Set Environment", {"PATH", "$TEXT$"}), {"E1"});
  EXPECT_EQ(PropertyPairs().back().second, "one$NEWLINE$two");
  EXPECT_EQ(QueuePairs().back().second, "one$NEWLINE$two");
  EXPECT_EQ(PropertyTableValue(QueuePairs().back().second), "one\r\ntwo");
}

TEST_F(InstallStatementsTest, MissingHeaderFails) {
  try {
    Run(ScriptBuilder().Add("Install Files", {"", "", "C:\\X"}), {""});
    FAIL() << "no error";
  } catch (const EngineError& e) {
    EXPECT_STREQ(e.what(), "Unable to obtain command headers. Please rebuild your project.");
  }
  EXPECT_TRUE(installed.empty());
  EXPECT_TRUE(PropertyPairs().empty());
}

TEST_F(InstallStatementsTest, MediaBlocksForBuildKindTwo) {
  std::vector<std::string> brought;
  services.bringMediaBlock = [&brought](const std::string& folder) { brought.push_back(folder); };
  RegisterInstallStatements(table, services);
  mediaFolders = {"WEB1\\", "", "WEB2\\", "WEB3\\"};
  const ScriptBuilder script = ScriptBuilder()
                                   .Add("Install Files", {"", "", "C:\\X"})
                                   .Add("Install Files", {"", "", "C:\\Y"})
                                   .Add("Install Service", {})
                                   .Add("Create Folder", {"C:\\Z"});
  buildKind = 1;
  Run(script);
  EXPECT_TRUE(brought.empty());
  buildKind = 2;
  Run(script);
  EXPECT_EQ(brought, (std::vector<std::string>{"WEB1\\", "WEB2\\"}));
}

TEST_F(InstallStatementsTest, Set64BitMode) {
  struct Case {
    std::vector<std::string> flags;
    const char* platform;
  } cases[] = {
      {{"TRUE", "FALSE", "TRUE"}, "x64"},
      {{"FALSE", "TRUE", "FALSE"}, "ia64"},
      {{"TRUE", "", ""}, "Win32"},
      {{"true", "-1", "FALSE"}, "keep"},
      {{}, "keep"},
  };
  for (const Case& c : cases) {
    SetTargetPlatform("keep");
    Run(ScriptBuilder().Add("Set 64 Bit Mode", c.flags), {""});
    EXPECT_EQ(TargetPlatform(), c.platform);
  }
  EXPECT_TRUE(PropertyPairs().empty());
}

TEST_F(InstallStatementsTest, QueueHandOver) {
  EXPECT_FALSE(TakePropertyQueuePlan("C:\\p.msi").hasQueue);
  vantrell::RecordProperty("A1", "TRUE");
  PropertyQueuePlan plan = TakePropertyQueuePlan("C:\\p.msi");
  EXPECT_TRUE(plan.hasQueue);
  EXPECT_FALSE(plan.renewComponentIds);
  EXPECT_EQ(plan.session.size(), 2u);
  EXPECT_TRUE(PropertyQueue().empty());
  EXPECT_FALSE(TakePropertyQueuePlan("C:\\p.msi").hasQueue);
  EXPECT_EQ(EditedPackagePath(), "");
  // The property list keeps its pairs for the engine cache.
  EXPECT_EQ(PropertyPairs(), (Pairs{{"A1", "TRUE"}}));
}

TEST_F(InstallStatementsTest, NewInstanceRenewsComponentsOnce) {
  RequestNewInstance("{P}", "{R}");
  PropertyQueuePlan first = TakePropertyQueuePlan("C:\\cache\\p.msi");
  EXPECT_TRUE(first.renewComponentIds);
  EXPECT_FALSE(first.hasQueue);
  EXPECT_EQ(EditedPackagePath(), "");
  vantrell::RecordProperty("A1", "TRUE");
  PropertyQueuePlan second = TakePropertyQueuePlan("C:\\cache\\p.msi");
  EXPECT_FALSE(second.renewComponentIds);
  ASSERT_EQ(second.session.size(), 4u);
  EXPECT_EQ(std::get<edit::SummaryText>(second.session[0]).text, "{R}");
  EXPECT_EQ(EditedPackagePath(), "C:\\cache\\p.msi");
}

TEST_F(InstallStatementsTest, EachNewInstanceRenewsComponentsAgain) {
  RequestNewInstance("{P1}", "{R1}");
  EXPECT_TRUE(TakePropertyQueuePlan("C:\\cache\\p.msi").renewComponentIds);
  // A second instance in the same run must not share the first one's components.
  RequestNewInstance("{P2}", "{R2}");
  EXPECT_TRUE(TakePropertyQueuePlan("C:\\cache\\p.msi").renewComponentIds);
  EXPECT_FALSE(TakePropertyQueuePlan("C:\\cache\\p.msi").renewComponentIds);
}

}  // namespace
}  // namespace vantrell
