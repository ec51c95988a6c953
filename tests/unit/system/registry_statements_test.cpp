// "Read Registry", "Check Registry" and "Delete Registry" as table tests on
// the in-memory registry: every value type and marker, the view chosen by the
// target platform, key and tree deletion, and bad root key lines.
#include <gtest/gtest.h>

#include "common/engine_error.h"
#include "common/target_platform.h"
#include "system/registry_statements.h"
#include "twins/registry_twin.h"
#include "twins/statement_test.h"

namespace vantrell {
namespace {

using testing::MemoryRegistry;

constexpr RegistryRoot kMachine = RegistryRoot::kLocalMachine;
constexpr RegistryRoot kUser = RegistryRoot::kCurrentUser;

std::string Dword(uint32_t value) {
  return std::string(reinterpret_cast<const char*>(&value), 4);
}
std::string Text(const std::string& text) {
  return text + std::string(1, '\0');
}

class RegistryStatementTest : public testing::StatementTest {
 protected:
  void SetUp() override {
    SetTargetPlatform(kPlatformWin32);
    RegisterRegistryStatements(table, registry);
    vars.PutVariable("KEY", "Software\\Vantrell");
    vars.PutVariable("ROOT", "2");
  }
  // The target platform belongs to the process.
  void TearDown() override { SetTargetPlatform(kPlatformWin32); }

  std::string Read(const std::string& command, const std::string& root, const std::string& key,
                   const std::string& value) {
    vars.PutVariable("OUT", "stale");
    Run(command, {"OUT", root, key, value});
    return vars.GetVariable("OUT");
  }

  MemoryRegistry registry;
};

TEST_F(RegistryStatementTest, ValueTypesAndMarkers) {
  const RegistryView v = RegistryView::k32;
  registry.SetValue(kMachine, v, "Software\\Vantrell", "Text", kRegString, Text("hello world"));
  registry.SetValue(kMachine, v, "Software\\Vantrell", "Expand", kRegExpandString,
                    Text("%SystemRoot%\\x"));
  registry.SetValue(kMachine, v, "Software\\Vantrell", "Unterminated", kRegString, "raw");
  registry.SetValue(kMachine, v, "Software\\Vantrell", "Minus", kRegDword, Dword(0xFFFFFFFF));
  registry.SetValue(kMachine, v, "Software\\Vantrell", "Big", kRegDword, Dword(0x7FFFFFFF));
  registry.SetValue(kMachine, v, "Software\\Vantrell", "Zero", kRegDword, Dword(0));
  registry.SetValue(kMachine, v, "Software\\Vantrell", "Short", kRegDword, "\1");
  registry.SetValue(kMachine, v, "Software\\Vantrell", "Blob", kRegBinary,
                    std::string("\x01\x02", 2));
  registry.SetValue(kMachine, v, "Software\\Vantrell", "Multi", kRegMultiString,
                    std::string("a\0b\0\0", 5));
  registry.SetValue(kMachine, v, "Software\\Vantrell", "Quad", kRegQword, std::string(8, '\1'));
  registry.SetValue(kMachine, v, "Software\\Vantrell", "Nothing", 0, "");
  registry.SetValue(kMachine, v, "Software\\Vantrell", "", kRegString, Text("default"));
  registry.SetValue(kMachine, v, "Software\\Vantrell", "Broken", kRegString, Text("x"));
  registry.unreadable.insert("32|2\\software\\vantrell|broken");
  registry.AddKey(kMachine, v, "Software\\Empty");
  registry.SetValue(kUser, v, "Software\\Vantrell", "Text", kRegString, Text("user"));

  struct Case {
    const char* root;
    const char* key;
    const char* value;
    const char* check;  // "Check Registry"
    const char* read;   // "Read Registry"
  } cases[] = {
      {"2", "Software\\Vantrell", "Text", "hello world", "hello world"},
      {"2", "$KEY$", "text", "hello world", "hello world"},
      {"$ROOT$", "\\Software\\Vantrell", "Text", "hello world", "hello world"},
      {"1", "Software\\Vantrell", "Text", "user", "user"},
      {"2", "Software\\Vantrell", "Expand", "%SystemRoot%\\x", "%SystemRoot%\\x"},
      {"2", "Software\\Vantrell", "Unterminated", "raw", "raw"},
      {"2", "Software\\Vantrell", "Minus", "-1", "-1"},
      {"2", "Software\\Vantrell", "Big", "2147483647", "2147483647"},
      {"2", "Software\\Vantrell", "Zero", "0", "0"},
      {"2", "Software\\Vantrell", "Short", "READ$ERROR", ""},
      {"2", "Software\\Vantrell", "Blob", "BINARY$VALUE", ""},
      {"2", "Software\\Vantrell", "Multi", "UNKNOWN$TYPE", ""},
      {"2", "Software\\Vantrell", "Quad", "UNKNOWN$TYPE", ""},
      {"2", "Software\\Vantrell", "Nothing", "UNKNOWN$TYPE", ""},
      {"2", "Software\\Vantrell", "", "default", "default"},
      {"2", "Software\\Vantrell", "Missing", "NO$VALUE", ""},
      {"2", "Software\\Empty", "", "NO$VALUE", ""},
      {"2", "Software\\Vantrell", "Broken", "READ$ERROR", ""},
      {"2", "Software\\Missing", "Text", "NO$KEY", ""},
      {"0", "Software\\Vantrell", "Text", "NO$KEY", ""},
      {"7", "Software\\Vantrell", "Text", "NO$KEY", ""},
      {"-1", "Software\\Vantrell", "Text", "NO$KEY", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Read("Check Registry", c.root, c.key, c.value), c.check)
        << c.root << " " << c.key << " " << c.value;
    EXPECT_EQ(Read("Read Registry", c.root, c.key, c.value), c.read)
        << c.root << " " << c.key << " " << c.value;
  }
}

TEST_F(RegistryStatementTest, ResultVariableIsDeclaredUnderItsName) {
  Run("Read Registry", {"$FRESH$", "2", "Software\\None", ""});
  EXPECT_TRUE(vars.VariableExists("FRESH"));
  EXPECT_EQ(vars.GetVariable("FRESH"), "");
  Run("Check Registry", {"marker", "2", "Software\\None", ""});
  EXPECT_EQ(vars.GetVariable("MARKER"), "NO$KEY");
}

TEST_F(RegistryStatementTest, ViewFollowsTargetPlatform) {
  registry.SetValue(kMachine, RegistryView::k32, "SOFTWARE\\Probe", "Side", kRegString, Text("32"));
  registry.SetValue(kMachine, RegistryView::k64, "SOFTWARE\\Probe", "Side", kRegString, Text("64"));
  struct Case {
    bool windows64;
    const char* platform;
    const char* want;
    const char* view;
  } cases[] = {
      {true, "Win32", "32", "32"},     {true, "x64", "64", "64"},
      {true, "ia64", "64", "64"},      {false, "Win32", "32", "default"},
      {false, "x64", "32", "default"},
  };
  for (const Case& c : cases) {
    registry.windows64 = c.windows64;
    registry.calls.clear();
    SetTargetPlatform(c.platform);
    EXPECT_EQ(Read("Read Registry", "2", "SOFTWARE\\Probe", "Side"), c.want)
        << c.platform << c.windows64;
    ASSERT_EQ(registry.calls.size(), 1u);
    EXPECT_EQ(registry.calls[0], std::string("read|") + c.view + "|SOFTWARE\\Probe|Side");
  }
  EXPECT_EQ(StatementRegistryView(true, false), RegistryView::k32);
  EXPECT_EQ(static_cast<uint32_t>(StatementRegistryView(true, true)), 0x0100u);
  EXPECT_EQ(static_cast<uint32_t>(StatementRegistryView(false, true)), 0u);
}

TEST_F(RegistryStatementTest, BadRootLineFailsTheStatement) {
  for (const char* root : {"", "HKLM", "2x", "$NOSUCH$"}) {
    EXPECT_THROW(Run("Read Registry", {"OUT", root, "Software", "x"}), EngineError) << root;
    EXPECT_THROW(Run("Check Registry", {"OUT", root, "Software", "x"}), EngineError) << root;
    EXPECT_THROW(Run("Delete Registry", {root, "Software", "x", "FALSE"}), EngineError) << root;
  }
  EXPECT_TRUE(registry.calls.empty());
}

TEST_F(RegistryStatementTest, DeleteValues) {
  const RegistryView v = RegistryView::k32;
  registry.SetValue(kMachine, v, "Software\\Vantrell", "Gone", kRegString, Text("x"));
  registry.SetValue(kMachine, v, "Software\\Vantrell", "Kept", kRegString, Text("x"));
  registry.SetValue(kMachine, v, "Software\\Vantrell", "", kRegString, Text("default"));
  vars.PutVariable("NAME", "Gone");
  Run("Delete Registry", {"$ROOT$", "$KEY$", "$NAME$", "FALSE"});
  EXPECT_FALSE(registry.HasValue(kMachine, v, "Software\\Vantrell", "Gone"));
  EXPECT_TRUE(registry.HasValue(kMachine, v, "Software\\Vantrell", "Kept"));
  Run("Delete Registry", {"2", "Software\\Vantrell", "", ""});
  EXPECT_FALSE(registry.HasValue(kMachine, v, "Software\\Vantrell", ""));
  // Missing values, keys and undefined roots are quietly ignored.
  Run("Delete Registry", {"2", "Software\\Vantrell", "Gone", "FALSE"});
  Run("Delete Registry", {"2", "Software\\Missing", "Gone", "no"});
  Run("Delete Registry", {"9", "Software\\Vantrell", "Kept", "FALSE"});
  EXPECT_TRUE(registry.HasValue(kMachine, v, "Software\\Vantrell", "Kept"));
  EXPECT_TRUE(registry.HasKey(kMachine, v, "Software\\Vantrell"));
}

TEST_F(RegistryStatementTest, DeleteKeyTreeInThe32BitView) {
  const RegistryView v = RegistryView::k32;
  registry.SetValue(kMachine, v, "Software\\Tree\\A\\Deep", "x", kRegDword, Dword(1));
  registry.SetValue(kMachine, v, "Software\\Tree\\B", "", kRegString, Text("b"));
  registry.AddKey(kMachine, RegistryView::k64, "Software\\Tree\\A");
  Run("Delete Registry", {"2", "Software\\Tree", "ignored", "true"});
  EXPECT_FALSE(registry.HasKey(kMachine, v, "Software\\Tree"));
  EXPECT_FALSE(registry.HasKey(kMachine, v, "Software\\Tree\\A\\Deep"));
  EXPECT_TRUE(registry.HasKey(kMachine, v, "Software"));
  EXPECT_TRUE(registry.HasKey(kMachine, RegistryView::k64, "Software\\Tree\\A"));
  // A key directly under the root goes as well; the root itself never.
  registry.AddKey(kUser, v, "TopLevel\\Child");
  Run("Delete Registry", {"1", "TopLevel", "", "-1"});
  EXPECT_FALSE(registry.HasKey(kUser, v, "TopLevel"));
  registry.AddKey(kUser, v, "Other");
  registry.calls.clear();
  Run("Delete Registry", {"1", "", "", "TRUE"});
  Run("Delete Registry", {"1", "\\", "", "TRUE"});
  EXPECT_TRUE(registry.HasKey(kUser, v, "Other"));
  EXPECT_TRUE(registry.calls.empty());
  // On 32-bit Windows the same tree deletion runs without a view flag.
  registry.windows64 = false;
  registry.AddKey(kMachine, v, "Software\\Plain\\Sub");
  Run("Delete Registry", {"2", "Software\\Plain", "", "TRUE"});
  EXPECT_FALSE(registry.HasKey(kMachine, v, "Software\\Plain"));
  EXPECT_EQ(registry.calls.back(), "delete key|default|Software|Plain");
}

TEST_F(RegistryStatementTest, DeleteKeyInThe64BitViewTakesOnlyLeaves) {
  const RegistryView v = RegistryView::k64;
  SetTargetPlatform("x64");
  registry.AddKey(kMachine, v, "Software\\Tree\\A\\Deep");
  registry.AddKey(kMachine, v, "Software\\Leaf");
  registry.AddKey(kMachine, v, "TopLevel");
  registry.AddKey(kMachine, RegistryView::k32, "Software\\Leaf");
  Run("Delete Registry", {"2", "Software\\Tree", "", "TRUE"});
  EXPECT_TRUE(registry.HasKey(kMachine, v, "Software\\Tree\\A\\Deep"));
  Run("Delete Registry", {"2", "Software\\Leaf", "", "TRUE"});
  EXPECT_FALSE(registry.HasKey(kMachine, v, "Software\\Leaf"));
  EXPECT_TRUE(registry.HasKey(kMachine, RegistryView::k32, "Software\\Leaf"));
  EXPECT_EQ(registry.calls.back(), "delete key|64|Software|Leaf");
  // A path without "\" names no parent and deletes nothing.
  registry.calls.clear();
  Run("Delete Registry", {"2", "TopLevel", "", "TRUE"});
  EXPECT_TRUE(registry.HasKey(kMachine, v, "TopLevel"));
  EXPECT_TRUE(registry.calls.empty());
  // Values in the 64-bit view.
  registry.SetValue(kMachine, v, "Software\\Tree", "V", kRegString, Text("x"));
  Run("Delete Registry", {"2", "Software\\Tree", "V", "FALSE"});
  EXPECT_FALSE(registry.HasValue(kMachine, v, "Software\\Tree", "V"));
  EXPECT_EQ(registry.calls.back(), "delete value|64|Software\\Tree|V");
}

}  // namespace
}  // namespace vantrell
