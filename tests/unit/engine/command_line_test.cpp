// Command-line rules: program part cut, switches, valued switches and assignments.
#include <gtest/gtest.h>

#include "engine/command_line.h"

namespace vantrell {
namespace {

TEST(CommandLine, TailCutsTheProgramPart) {
  struct Case {
    const char* full;
    const char* tail;
  } cases[] = {
      {"\"C:\\Program Files\\setup.exe\" /s X=1", "/s X=1"},
      {"\"C:\\a b\\setup.exe\"\t/s", "/s"},  // one separator of any kind
      {"\"C:\\a b\\setup.exe\"", ""},
      {"setup.exe /s", "/s"},
      {"setup.exe", ""},
      {"\"unterminated", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(CommandLineTail(c.full), c.tail) << c.full;
}

TEST(CommandLine, Switches) {
  struct Case {
    const char* args;
    bool silent;
    bool update;
  } cases[] = {
      {"/s", true, false},        {"/S", true, false},         {"-qn", true, false},
      {"-QN", true, false},       {"/s=1", false, false},      {"/silent", false, false},
      {"s", false, false},        {"/update", false, true},    {"-UpdateSetup", false, true},
      {"/updates", false, false}, {"/qn /update", true, true},
  };
  for (const Case& c : cases) {
    CommandLine cl = ParseCommandLine(std::string("setup.exe ") + c.args);
    EXPECT_EQ(cl.silent, c.silent) << c.args;
    EXPECT_EQ(cl.update, c.update) << c.args;
  }
}

TEST(CommandLine, ValuedSwitchesAreLowerCasedAndFirstMatchWins) {
  CommandLine cl = ParseCommandLine(
      "setup.exe /L=C:\\Logs\\Setup.LOG -l=c:\\second.log /g=\\\\Srv\\Gpo\\ /m=D:\\SFX\\Self.exe "
      "-P=E:\\Src");
  EXPECT_EQ(cl.logPath, "c:\\logs\\setup.log");
  EXPECT_EQ(cl.gpoPath, "\\\\srv\\gpo\\");
  EXPECT_EQ(cl.sfxPath, "d:\\sfx\\self.exe");
  EXPECT_EQ(cl.sourcePath, "e:\\src");

  // Quoted paths with blanks survive as one argument; "-l=" counts like "/l=".
  EXPECT_EQ(ParseCommandLine("setup.exe \"-l=C:\\A B\\x.log\"").logPath, "c:\\a b\\x.log");
  // The marker anywhere in the argument takes it; the first three characters are cut.
  EXPECT_EQ(ParseCommandLine("setup.exe X/l=abc").logPath, "=abc");
  EXPECT_EQ(ParseCommandLine("setup.exe /s").logPath, "");
}

TEST(CommandLine, Assignments) {
  CommandLine cl = ParseCommandLine(
      "\"C:\\a b\\setup.exe\" TARGETDIR=C:\\x=1 targetdir=D:\\y \"NAME=Two Words\" /X=1 -y=2 =v "
      "noeq");
  std::vector<std::pair<std::string, std::string>> want = {
      {"TARGETDIR", "C:\\x=1"}, {"TARGETDIR", "D:\\y"}, {"NAME", "Two Words"}};
  EXPECT_EQ(cl.assignments, want);
  EXPECT_EQ(cl.arguments.size(), 7u);
}

}  // namespace
}  // namespace vantrell
