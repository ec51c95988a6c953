// "Read from Text File", "Write to Text File", "Get INI File Settings",
// "Get Temporary File" and "Get Environment" against the twin, including
// unreadable, device and oversized inputs, and the 64-bit file view each
// file statement holds.
#include <gtest/gtest.h>

#include "text/text_statement_test.h"

namespace vantrell {
namespace {

using testing::TextStatementTest;

const std::string kFile = "C:\\d\\t.txt";

class ReadFromTextFileTest : public TextStatementTest {
 protected:
  void Read(const std::string& path, const std::string& flag = "EOF") {
    Run("Read from Text File", {path, "V", flag});
  }
};

TEST_F(ReadFromTextFileTest, LineByLineThenFromTheStart) {
  struct Case {
    std::string bytes;
    size_t chunk;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"one\r\ntwo\r\nthree\r\n", 1 << 16, {"one", "two", "three"}},
      {"one\r\ntwo\r\nthree\r\n", 1, {"one", "two", "three"}},
      {"one\ntwo\nthree", 1 << 16, {"one", "two", "three"}},
      {"one\rtwo\rthree\r", 1, {"one", "two", "three"}},
      {"a\r\r\nb", 2, {"a", "", "b"}},
      {"\r\n", 1, {""}},
      {"x", 1, {"x"}},
      {std::string("n\0l\r\n", 5), 3, {std::string("n\0l", 3)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    system.readChunk = c.chunk;
    system.AddFile(kFile, c.bytes);
    std::vector<std::string> got;
    std::vector<std::string> flags;
    for (size_t i = 0; i < c.lines.size(); ++i) {
      Read(kFile);
      got.push_back(Get("V"));
      flags.push_back(Get("EOF"));
    }
    EXPECT_EQ(got, c.lines);
    std::vector<std::string> wantFlags(c.lines.size(), "FALSE");
    wantFlags.back() = "TRUE";
    EXPECT_EQ(flags, wantFlags);
    EXPECT_EQ(system.openReaders, 0);
    Read(kFile);
    EXPECT_EQ(Get("V"), c.lines.front());
    run.RunExitCleanup();  // the next case starts with no open reader
  }
}

TEST_F(ReadFromTextFileTest, ReadAll) {
  system.AddFile(kFile, "one\r\ntwo\r\nthree\r\n");
  Read("#READALL\\" + kFile);
  EXPECT_EQ(Get("V"), "one$NEWLINE$two$NEWLINE$three");
  EXPECT_EQ(Get("EOF"), "TRUE");
  Read(kFile);
  EXPECT_EQ(Get("V"), "one");
  Read("#READALL\\" + kFile);
  EXPECT_EQ(Get("V"), "two$NEWLINE$three");
  EXPECT_EQ(Get("EOF"), "TRUE");
}

TEST_F(ReadFromTextFileTest, UnopenableFilesReadAsTheEnd) {
  system.AddFolder("C:\\folder");
  system.AddDevice("NUL");
  system.AddFile("C:\\locked.txt", "secret");
  system.unreadable.insert("c:\\locked.txt");
  for (const std::string path : {"C:\\missing.txt", "C:\\folder", "NUL", "C:\\locked.txt"}) {
    SCOPED_TRACE(path);
    vars.PutVariable("V", "keep");
    vars.PutVariable("EOF", "FALSE");
    Read(path);
    EXPECT_EQ(Get("V"), "keep");
    EXPECT_EQ(Get("EOF"), "TRUE");
  }
}

TEST_F(ReadFromTextFileTest, EmptyFileLeavesTheValue) {
  system.AddFile(kFile, "");
  Read(kFile);
  EXPECT_TRUE(vars.VariableExists("V"));
  EXPECT_EQ(Get("V"), "");
  EXPECT_EQ(Get("EOF"), "TRUE");
  EXPECT_EQ(system.openReaders, 0);
}

TEST_F(ReadFromTextFileTest, WithoutFlagVariable) {
  vars.ClearVariables();
  system.AddFile(kFile, "a\r\nb");
  Read(kFile, "");
  Read(kFile, "");
  EXPECT_EQ(Get("V"), "b");
  std::vector<std::string> list;
  vars.ListVariables(list);
  EXPECT_EQ(list, (std::vector<std::string>{"V", "b"}));
}

TEST_F(ReadFromTextFileTest, OneReaderAcrossPaths) {
  system.AddFile("C:\\a.txt", "a1\r\na2\r\n");
  system.AddFile("C:\\b.txt", "b1\r\nb2\r\n");
  Read("C:\\a.txt");
  Read("c:\\A.TXT");
  EXPECT_EQ(Get("V"), "a2");
  system.AddFile("C:\\a.txt", "a1\r\na2\r\na3\r\n");
  Read("C:\\b.txt");
  EXPECT_EQ(Get("V"), "b1");
  EXPECT_EQ(system.openReaders, 1);
  Read("C:\\a.txt");
  EXPECT_EQ(Get("V"), "a1");
}

TEST_F(ReadFromTextFileTest, ExitCleanupClosesTheReader) {
  system.AddFile(kFile, "one\r\ntwo\r\n");
  Read(kFile);
  EXPECT_EQ(system.openReaders, 1);
  run.RunExitCleanup();
  EXPECT_EQ(system.openReaders, 0);
  Read(kFile);
  EXPECT_EQ(Get("V"), "one");
}

TEST_F(ReadFromTextFileTest, OversizedLinesComeInPieces) {
  options.maxReadBytes = 20;
  Register();
  system.AddFile(kFile, std::string(45, 'x') + "\r\nshort\r\n" + "aaaa\r\nbbbb\r\ncccc");
  std::vector<std::string> got;
  for (int i = 0; i < 4; ++i) {
    Read(kFile);
    got.push_back(Get("V"));
  }
  EXPECT_EQ(got, (std::vector<std::string>{std::string(20, 'x'), std::string(20, 'x'), "xxxxx",
                                           "short"}));
  Read("#READALL\\" + kFile);
  EXPECT_EQ(Get("V"), "aaaa$NEWLINE$bbbb");
  EXPECT_EQ(Get("EOF"), "FALSE");
  Read("#READALL\\" + kFile);
  EXPECT_EQ(Get("V"), "cccc");
  EXPECT_EQ(Get("EOF"), "TRUE");
}

TEST_F(ReadFromTextFileTest, ReadErrorEndsTheFile) {
  system.AddFile(kFile, "one\r\ntwo\r\n");
  system.failAfter["c:\\d\\t.txt"] = 5;
  Read(kFile);
  EXPECT_EQ(Get("V"), "one");
  EXPECT_EQ(Get("EOF"), "TRUE");
}

class WriteToTextFileTest : public TextStatementTest {};

TEST_F(WriteToTextFileTest, LinesAreKeptAndEndInCrLf) {
  struct Case {
    std::optional<std::string> before;
    std::string text, top;
    size_t chunk;
    std::string after;
  };
  const std::vector<Case> cases = {
      {std::nullopt, "x", "", 1 << 16, "x\r\n"},
      {"a\r\nb\r\n", "c", "FALSE", 1 << 16, "a\r\nb\r\nc\r\n"},
      {"a\nb", "c", "", 1 << 16, "a\r\nb\r\nc\r\n"},
      {"a\r\nb", "c", "", 1, "a\r\nb\r\nc\r\n"},
      {"a\rb\r", "c", "TRUE", 1 << 16, "c\r\na\r\nb\r\n"},
      {"a\r\r\nb", "c", "", 2, "a\r\n\r\nb\r\nc\r\n"},
      {"", "c", "", 1 << 16, "c\r\n"},
      {"a\r\n", "l1$NEWLINE$l2", "", 1 << 16, "a\r\nl1\r\nl2\r\n"},
      {"a\r\n", "$W$", "-1", 1 << 16, "w\r\na\r\n"},
  };
  system.AddFolder("C:\\d");
  vars.PutVariable("W", "w");
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.text + " " + ::testing::PrintToString(c.before));
    const std::string name = "t" + std::to_string(i) + ".txt";
    system.readChunk = c.chunk;
    if (c.before) system.AddFile("C:\\d\\" + name, *c.before, true);
    vars.PutVariable("F", name);
    Run("Write to Text File", {"C:\\\\d\\\\$F$", c.text, c.top});
    EXPECT_EQ(system.Bytes("C:\\d\\" + name), c.after);
    EXPECT_FALSE(system.Find("C:\\d\\" + name)->readOnly);
  }
}

TEST_F(WriteToTextFileTest, NothingIsLostWhenTheFileCannotBeRead) {
  struct Case {
    const char* name;
    std::function<void()> fault;
  };
  const std::vector<Case> cases = {
      {"unreadable", [this] { system.unreadable.insert("c:\\d\\t.txt"); }},
      {"read error", [this] { system.failAfter["c:\\d\\t.txt"] = 3; }},
      {"no replacement", [this] { system.failReplacement = true; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    system.unreadable.clear();
    system.failAfter.clear();
    system.failReplacement = false;
    system.readChunk = 2;
    system.AddFile(kFile, "keep\r\nme\r\n");
    c.fault();
    Run("Write to Text File", {kFile, "new", ""});
    EXPECT_EQ(system.Bytes(kFile), "keep\r\nme\r\n");
  }
}

TEST_F(WriteToTextFileTest, NonFilesAreLeftAlone) {
  system.AddFolder("C:\\folder");
  system.AddDevice("NUL");
  for (const std::string path : {"C:\\folder", "NUL", "C:\\nodir\\x.txt"}) {
    SCOPED_TRACE(path);
    Run("Write to Text File", {path, "x", ""});
    const auto* node = system.Find(path);
    EXPECT_TRUE(node == nullptr || node->folder);
  }
}

TEST_F(WriteToTextFileTest, ClosesTheReaderOfThePath) {
  system.AddFile(kFile, "one\r\ntwo\r\n");
  Run("Read from Text File", {kFile, "V", "EOF"});
  Run("Write to Text File", {"c:\\D\\T.TXT", "three", ""});
  EXPECT_EQ(system.openReaders, 0);
  Run("Read from Text File", {kFile, "V", "EOF"});
  EXPECT_EQ(Get("V"), "one");
}

class IniTempEnvironmentTest : public TextStatementTest {};

TEST_F(IniTempEnvironmentTest, IniValues) {
  system.AddIni("C:\\a.ini", "Sec", "Key", "value");
  system.AddIni("C:\\a.ini", "Sec", "Long", std::string(30000, 'v'));
  system.AddIni("NUL", "Sec", "Key", "device");
  system.AddDevice("NUL");
  struct Case {
    std::string file, section, key, want;
  };
  const std::vector<Case> cases = {
      {"C:\\a.ini", "sec", "KEY", "value"},
      {"C:\\\\$D$.ini", "$S$", "Key", "value"},
      {"C:\\a.ini", "Sec", "none", ""},
      {"C:\\a.ini", "", "Key", ""},
      {"C:\\a.ini", "Sec", "", ""},
      {"C:\\a.ini", "Sec", "Long", std::string(25999, 'v')},
      {"NUL", "Sec", "Key", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file + " " + c.section + " " + c.key);
    vars.PutVariable("D", "a");
    vars.PutVariable("S", "Sec");
    vars.PutVariable("R", "old");
    Run("Get INI File Settings", {"R", c.file, c.section, c.key});
    EXPECT_EQ(Get("R"), c.want);
  }
}

TEST_F(IniTempEnvironmentTest, TemporaryFiles) {
  Run("Get Temporary File", {"$T$"});
  EXPECT_EQ(Get("T"), "C:\\Temp\\zeb1.tmp");
  EXPECT_EQ(system.Bytes(Get("T")), "");
  system.failTempFile = true;
  Run("Get Temporary File", {"T"});
  EXPECT_EQ(Get("T"), "");
}

TEST_F(IniTempEnvironmentTest, Environment) {
  system.environment = {"=C:=C:\\", "PATH=x;y", "Foo=bar"};
  struct Case {
    std::string name, want;
  };
  const std::vector<Case> cases = {
      {"foo", "bar"},
      {"$N$", "bar"},
      {"NO_SUCH_NAME_X", "%NO_SUCH_NAME_X%"},
      {"", "=C:=C:\\$NEWLINE$PATH=x;y$NEWLINE$Foo=bar"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    vars.PutVariable("N", "FOO");
    Run("Get Environment", {c.name, "$E$"});
    EXPECT_EQ(Get("E"), c.want);
  }
}

TEST_F(IniTempEnvironmentTest, FileStatementsHoldTheFileView) {
  system.AddFile(kFile, "x\r\n");
  struct Case {
    std::string command;
    std::vector<std::string> parameters;
    int views;
  };
  const std::vector<Case> cases = {
      {"Get Temporary File", {"T"}, 1},
      {"Convert Path", {"T", "FALSE"}, 1},
      {"Get Environment", {"", "E"}, 1},
      {"Read from Text File", {kFile, "V", "F"}, 1},
      {"Write to Text File", {kFile, "y", ""}, 1},
      {"Get INI File Settings", {"I", kFile, "s", "k"}, 1},
      {"Set Variable", {"S", "1"}, 0},
      {"Parse String", {"a", ",", "A", "B", "0", "", ""}, 0},
      {"Replace String", {"S", "1", "2", "", ""}, 0},
      {"Convert Case", {"S", "TRUE"}, 0},
      {"Extract Path", {"S", "0"}, 0},
      {"Mathematics", {"1", "2", "0", "M"}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    int before = system.viewsEntered;
    Run(c.command, c.parameters);
    EXPECT_EQ(system.viewsEntered - before, c.views);
  }
}

}  // namespace
}  // namespace vantrell
