// "Extract 7Zip Archive" through its registered handler, on a real worker
// thread against the archive twin: the result texts, the optional result
// variable and the percentage rule.
#include <gtest/gtest.h>

#include <thread>

#include "media/extract_statement.h"
#include "twins/fake_archive_library.h"
#include "twins/statement_test.h"

namespace vantrell {
namespace {

using testing::FakeArchiveLibrary;
using testing::MemoryFileSystem;
using testing::StatementRunner;

TEST(ArchivePercent, Rule) {
  struct Case {
    uint64_t done, total;
    uint32_t want;
  } cases[] = {{1000, 4000, 26},  {0, 4000, 1}, {4000, 4000, 100},
               {3999, 4000, 100}, {5, 0, 100},  {UINT64_MAX, UINT64_MAX, 100}};
  for (const Case& c : cases)
    EXPECT_EQ(ArchivePercent(c.done, c.total), c.want) << c.done << "/" << c.total;
}

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
      {"C:\\in\\good.7z", "$RESULT$", "wrong", false,
       "The archive cannot be opened: unsupported archive or incorrect password"},
      {"C:\\in\\bad.7z", "result", "", true, "#1004"},
      {"C:\\in\\missing.7z", "RESULT", "", true, "The archive file was not found"},
  };
  for (const Case& c : cases) {
    StatementRunner statements(c.silent);
    RegisterArchiveStatements(statements.table, library, files);
    TVariableManager& vars = statements.vars;
    vars.PutVariable("SRC", "C:\\in\\");
    vars.PutVariable("PW", "pw");
    statements.Run("Extract 7Zip Archive",
                   {c.archive, "C:\\out\\new", c.result, c.password, "TRUE", "TRUE"});
    EXPECT_EQ(vars.GetVariable("RESULT"), c.want) << c.archive;
    EXPECT_TRUE(vars.VariableExists("RESULT"));
    if (std::string(c.want) == "SUCCESS") {
      // Progress goes to the statement's own store, not the engine-wide one.
      EXPECT_EQ(vars.GetVariable("VELD_thProgress"), "100") << c.archive;
      EXPECT_EQ(vars.GetVariable("VELD_thProgressText").rfind("a.txt, 100", 0), 0u) << c.archive;
    }
  }
  EXPECT_FALSE(Variables().VariableExists("VELD_thProgress"));
  EXPECT_EQ(files.Find("C:\\out\\new\\a.txt")->bytes, "A");
}

TEST(ExtractSevenZipArchive, WithoutResultVariableRecordsNothing) {
  MemoryFileSystem files;
  FakeArchiveLibrary library(files);
  library.archives[MemoryFileSystem::Key("C:\\in\\good.7z")] = {{{"a.txt", "A"}}, "", 0};
  StatementRunner statements(/*silent=*/true);
  RegisterArchiveStatements(statements.table, library, files);
  TVariableManager& vars = statements.vars;
  statements.Run("Extract 7Zip Archive", {"C:\\in\\good.7z", "C:\\dest", "", "", "TRUE", "FALSE"});
  std::vector<std::string> pairs;
  vars.ListVariables(pairs);
  // Only the progress the extraction published: no result is recorded.
  std::vector<std::string> names;
  for (size_t i = 0; i < pairs.size(); i += 2) {
    if (pairs[i].rfind("VELD_th", 0) != 0) names.push_back(pairs[i]);
  }
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(library.lastOption, 1u);
  EXPECT_EQ(files.Find("C:\\dest\\a.txt")->bytes, "A");
}

// The 64-bit file view is a property of a thread: the worker that extracts
// must hold it, from the destination folder to the last file.
TEST(ExtractSevenZipArchive, TheWorkerHoldsTheNativeFileView) {
  MemoryFileSystem files;
  FakeArchiveLibrary library(files);
  library.archives[MemoryFileSystem::Key("C:\\in\\good.7z")] = {{{"a.txt", "A"}}, "", 0};
  std::thread::id viewThread;
  bool extractedWhileHeld = false;
  int views = 0;
  StatementRunner statements(/*silent=*/true);
  RegisterArchiveStatements(statements.table, library, files, [&]() -> std::shared_ptr<void> {
    ++views;
    viewThread = std::this_thread::get_id();
    return std::shared_ptr<void>(
        nullptr, [&](void*) { extractedWhileHeld = files.Find("C:\\dest\\a.txt") != nullptr; });
  });
  statements.Run("Extract 7Zip Archive", {"C:\\in\\good.7z", "C:\\dest", "R", "", "TRUE", "TRUE"});
  EXPECT_EQ(statements.Get("R"), "SUCCESS");
  EXPECT_EQ(views, 1);
  EXPECT_NE(viewThread, std::this_thread::get_id());
  EXPECT_TRUE(extractedWhileHeld);
}

}  // namespace
}  // namespace vantrell
