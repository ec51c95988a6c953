// "Extract 7Zip Archive" on a real worker thread against the archive twin:
// the result texts, the optional result variable and the percentage rule.
#include <gtest/gtest.h>

#include "media/extract_statement.h"
#include "twins/fake_archive_library.h"
#include "twins/recording_host.h"
#include "twins/script_builder.h"
#include "twins/stub_run.h"

namespace vantrell {
namespace {

using testing::FakeArchiveLibrary;
using testing::MemoryFileSystem;
using testing::RecordingHost;
using testing::ScriptBuilder;

TEST(ArchivePercent, Rule) {
  struct Case {
    uint64_t done, total;
    uint32_t want;
  } cases[] = {{1000, 4000, 26}, {0, 4000, 1}, {4000, 4000, 100}, {3999, 4000, 100},
               {5, 0, 100}, {UINT64_MAX, UINT64_MAX, 100}};
  for (const Case& c : cases) EXPECT_EQ(ArchivePercent(c.done, c.total), c.want) << c.done << "/" << c.total;
}

using SilentRun = testing::StubRun;

TEST(ExtractSevenZipArchive, ResultVariable) {
  MemoryFileSystem files;
  files.AddFolder("C:\\out");
  FakeArchiveLibrary library(files);
  library.archives[MemoryFileSystem::Key("C:\\in\\good.7z")] = {{{"a.txt", "A"}}, "pw", 0};
  library.archives[MemoryFileSystem::Key("C:\\in\\bad.7z")] = {{{"a.txt", "A"}}, "", 1004};
  struct Case {
    const char* archive;
    const char* result;
    const char* password;
    bool silent;
    const char* want;
  } cases[] = {
      {"$SRC$\\good.7z", "RESULT", "$PW$", true, "SUCCESS"},
      {"C:\\in\\good.7z", "$RESULT$", "wrong", false, "The archive cannot be opened: unsupported archive or incorrect password"},
      {"C:\\in\\bad.7z", "result", "", true, "#1004"},
      {"C:\\in\\missing.7z", "RESULT", "", true, "The archive file was not found"},
  };
  for (const Case& c : cases) {
    TVariableManager vars;
    vars.PutVariable("SRC", "C:\\in\\");
    vars.PutVariable("PW", "pw");
    SetupScript script = ScriptBuilder()
                             .Add("Extract 7Zip Archive", {c.archive, "C:\\out\\new", c.result, c.password, "TRUE", "TRUE"})
                             .Build();
    RecordingHost host;
    SilentRun run;
    run.silent = c.silent;
    const std::string command = "Extract 7Zip Archive";
    const std::string identifier = ScriptBuilder::Identifier(0);
    StatementContext statement{0, command, identifier, script, vars, host, run};
    ExtractSevenZipArchive(statement, library, files);
    EXPECT_EQ(vars.GetVariable("RESULT"), c.want) << c.archive;
    EXPECT_TRUE(vars.VariableExists("RESULT"));
  }
  EXPECT_EQ(files.Find("C:\\out\\new\\a.txt")->bytes, "A");
}

TEST(ExtractSevenZipArchive, WithoutResultVariableRecordsNothing) {
  MemoryFileSystem files;
  FakeArchiveLibrary library(files);
  library.archives[MemoryFileSystem::Key("C:\\in\\good.7z")] = {{{"a.txt", "A"}}, "", 0};
  TVariableManager vars;
  SetupScript script =
      ScriptBuilder().Add("Extract 7Zip Archive", {"C:\\in\\good.7z", "C:\\dest", "", "", "TRUE", "FALSE"}).Build();
  RecordingHost host;
  SilentRun run(true);
  const std::string command = "Extract 7Zip Archive";
  const std::string identifier = ScriptBuilder::Identifier(0);
  StatementContext statement{0, command, identifier, script, vars, host, run};
  ExtractSevenZipArchive(statement, library, files);
  std::vector<std::string> all;
  vars.ListVariables(all);
  EXPECT_TRUE(all.empty());
  EXPECT_EQ(library.lastOption, 1u);
  EXPECT_EQ(files.Find("C:\\dest\\a.txt")->bytes, "A");
}

}  // namespace
}  // namespace vantrell
