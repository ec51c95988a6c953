// "Delete Files Recursive", "Register Library" and the shared file routines
// against the tree and platform twins: masks, the entry list's order, what
// a recursive deletion removes and keeps (links, roots, read-only entries,
// repeated passes) and how a file is registered by its extension.
#include <gtest/gtest.h>

#include "common/file_routines.h"
#include "system/file_statements.h"
#include "twins/file_twins.h"
#include "twins/statement_test.h"

namespace vantrell {
namespace {

using testing::MemoryFileSystem;
using testing::RecordingPlatform;
using testing::TreeFileSystem;

std::vector<std::string> Paths(const std::vector<ListedEntry>& entries) {
  std::vector<std::string> paths;
  for (const ListedEntry& entry : entries)
    paths.push_back(entry.path + (entry.link ? " (link)" : ""));
  return paths;
}

TEST(FileMask, MatchesLikeThePlatformOnLongNames) {
  struct Case {
    const char* name;
    const char* mask;
    bool match;
  } cases[] = {
      {"a.log", "*.log", true},
      {"A.LOG", "*.log", true},
      {"a.log1", "*.log", false},
      {"x.tar.gz", "*.gz", true},
      {"a.log", "*.*", true},
      {"noext", "*.*", true},
      {"noext", "*.", true},
      {"a.b", "*.", false},
      {"readme", "readme.*", true},
      {"readme.txt", "readme.*", true},
      {"readme2", "readme.*", false},
      {"abc", "a?c", true},
      {"ac", "a?c", false},
      {"file.txt", "file.txt", true},
      {"file.txt", "", false},
      {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*a*a*c", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MatchesFileMask(c.name, c.mask), c.match) << c.name << " " << c.mask;
}

class FileTreeTest : public ::testing::Test {
 protected:
  // C:\X holds matching and other files, nested, empty and link folders; C:\Y is a sibling.
  void SetUp() override {
    tree.memory.AddFile("C:\\X\\a.log", "");
    tree.memory.AddFile("C:\\X\\keep.txt", "");
    tree.memory.AddFile("C:\\X\\s1\\c.LOG", "");
    tree.memory.AddFile("C:\\X\\s1\\t\\d.log", "");
    tree.memory.AddFile("C:\\X\\s1\\t\\d.txt", "");
    tree.memory.AddFolder("C:\\X\\s2");
    tree.memory.AddFile("C:\\X\\s3\\ro.log", "", /*readOnly=*/true);
    tree.AddLink("C:\\X\\l");
    tree.memory.AddFile("C:\\X\\l\\behind.log", "");
    tree.memory.AddFile("C:\\Y\\other.log", "");
    tree.memory.AddFile("C:\\root.log", "");
  }

  TreeFileSystem tree;
};

TEST_F(FileTreeTest, EntryListPutsEachSubFolderAfterItsEntriesAndFilesLast) {
  EXPECT_EQ(Paths(ListFiles(tree, "C:\\X\\*.log", true)),
            (std::vector<std::string>{"C:\\X\\l (link)", "C:\\X\\s1\\t\\d.log", "C:\\X\\s1\\t",
                                      "C:\\X\\s1\\c.log", "C:\\X\\s1", "C:\\X\\s2",
                                      "C:\\X\\s3\\ro.log", "C:\\X\\s3", "C:\\X\\a.log"}));
  EXPECT_EQ(Paths(ListFiles(tree, "C:\\X\\*.log", false)),
            (std::vector<std::string>{"C:\\X\\a.log"}));
}

TEST_F(FileTreeTest, DeletesMatchesBelowTheFolderAndTheFoldersLeftEmpty) {
  EXPECT_TRUE(DeleteFilesRecursive(tree, "C:\\X\\*.log"));
  for (const char* gone :
       {"C:\\X\\a.log", "C:\\X\\s1\\c.log", "C:\\X\\s1\\t\\d.log", "C:\\X\\s2", "C:\\X\\s3"}) {
    EXPECT_FALSE(tree.Exists(gone)) << gone;
  }
  // The folder itself, folders with other files, links and what lies beside or behind stay.
  for (const char* kept :
       {"C:\\X", "C:\\X\\keep.txt", "C:\\X\\s1", "C:\\X\\s1\\t", "C:\\X\\s1\\t\\d.txt", "C:\\X\\l",
        "C:\\X\\l\\behind.log", "C:\\Y\\other.log", "C:\\root.log"}) {
    EXPECT_TRUE(tree.Exists(kept)) << kept;
  }
  EXPECT_FALSE(tree.TouchedLink());
}

TEST_F(FileTreeTest, TheFolderItselfStaysWhenEverythingGoes) {
  EXPECT_TRUE(DeleteFilesRecursive(tree, "C:\\X\\s1\\*.*"));
  EXPECT_TRUE(tree.memory.DirectoryExists("C:\\X\\s1"));
  EXPECT_TRUE(tree.memory.List("C:\\X\\s1").empty());
}

TEST_F(FileTreeTest, RefusesRootsAndFoldersThatAreNoAbsolutePath) {
  const char* refused[] = {
      "*.log",
      "C:\\*.log",
      "c:/*.log",
      "C:*.log",
      "\\*.log",
      "X\\*.log",
      "\\\\srv\\share\\*.log",
      "\\\\srv\\*.log",
      "\\\\?\\C:\\X\\*.log",
      "\\\\.\\C:\\X\\*.log",
      "C:\\X\\..\\*.log",
      "C:\\X\\.\\*.log",
      "C:\\X\\...\\*.log",
      "C:\\X\\ . \\*.log",
  };
  for (const char* pattern : refused) {
    EXPECT_FALSE(DeleteFilesRecursive(tree, pattern)) << pattern;
  }
  EXPECT_TRUE(tree.touched.empty());
  for (const char* folder : {"C:\\X\\", "c:/X/", "\\\\srv\\share\\X\\", "C:\\X\\s1\\t\\"}) {
    EXPECT_TRUE(IsDeletableTreeFolder(folder)) << folder;
  }
}

TEST_F(FileTreeTest, RepeatsPassesWhileTheyShortenTheList) {
  tree.refusals[MemoryFileSystem::Key("C:\\X\\s1\\t\\d.log")] = 1;   // gives way on the second try
  tree.refusals[MemoryFileSystem::Key("C:\\X\\s3\\ro.log")] = 1000;  // never
  EXPECT_TRUE(DeleteFilesRecursive(tree, "C:\\X\\*.log"));
  EXPECT_FALSE(tree.Exists("C:\\X\\s1\\t\\d.log"));
  EXPECT_TRUE(tree.Exists("C:\\X\\s3\\ro.log"));
  EXPECT_TRUE(tree.Exists("C:\\X\\s3"));
}

TEST_F(FileTreeTest, EndsWhenAnotherProcessKeepsAddingFiles) {
  int added = 0;
  tree.onList = [&added](MemoryFileSystem& memory) {
    memory.AddFile("C:\\X\\s2\\new" + std::to_string(added++) + ".log", "");
  };
  EXPECT_TRUE(DeleteFilesRecursive(tree, "C:\\X\\*.log"));
  EXPECT_LT(tree.listings, 100);
}

TEST_F(FileTreeTest, ReadOnlyFolderGoesOnlyWhenEmpty) {
  tree.readOnlyFolders = {MemoryFileSystem::Key("C:\\X\\s2"), MemoryFileSystem::Key("C:\\X\\s1")};
  EXPECT_TRUE(DeleteFilesRecursive(tree, "C:\\X\\*.log"));
  EXPECT_FALSE(tree.Exists("C:\\X\\s2"));
  EXPECT_TRUE(tree.Exists("C:\\X\\s1"));
  EXPECT_TRUE(tree.readOnlyFolders.count(MemoryFileSystem::Key("C:\\X\\s1")));
}

TEST_F(FileTreeTest, EmptyFolderRecursesOnlyWhenAsked) {
  struct Case {
    bool recurse;
    bool subFolderKept;
  } cases[] = {{false, true}, {true, false}};
  for (const Case& c : cases) {
    TreeFileSystem fresh;
    fresh.memory.AddFile("C:\\X\\top.txt", "", /*readOnly=*/true);
    fresh.memory.AddFile("C:\\X\\sub\\inner.txt", "");
    EmptyFolder(fresh, "C:\\X", c.recurse);
    EXPECT_FALSE(fresh.Exists("C:\\X\\top.txt"));
    EXPECT_TRUE(fresh.Exists("C:\\X"));
    EXPECT_EQ(fresh.Exists("C:\\X\\sub\\inner.txt"), c.subFolderKept);
    EXPECT_EQ(fresh.Exists("C:\\X\\sub"), c.subFolderKept);
  }
  EXPECT_EQ(WithoutTrailingBackslash("C:\\X\\"), "C:\\X");
  EXPECT_EQ(WithoutTrailingBackslash("C:\\X"), "C:\\X");
  EXPECT_EQ(WithoutTrailingBackslash(""), "");
}

// The statements through their registered handlers.
class FileStatementTest : public FileTreeTest, public testing::StatementRunner {
 protected:
  void SetUp() override {
    FileTreeTest::SetUp();
    RegisterFileStatements(table, services);
    tree.viewDepth = &platform.viewDepth;
  }
  using StatementRunner::Run;  // not the gtest base's own Run

  RecordingPlatform platform;
  FileStatementServices services{tree, platform};
};

TEST_F(FileStatementTest, DeleteFilesRecursiveExpandsItsPatternAndWorksInThe64BitView) {
  vars.PutVariable("DIR", "C:\\X\\");
  Run("Delete Files Recursive", {"$DIR$\\s1\\*.log"});
  EXPECT_FALSE(tree.Exists("C:\\X\\s1\\c.log"));
  EXPECT_TRUE(tree.Exists("C:\\X\\a.log"));
  EXPECT_FALSE(tree.touched.empty());
  EXPECT_EQ(tree.changesOutsideView, 0);
  EXPECT_EQ(platform.viewDepth, 0);
}

TEST_F(FileStatementTest, DeleteFilesRecursiveWithAnEmptyFolderVariableDeletesNothing) {
  Run("Delete Files Recursive", {"$UNSET$\\*.log"});
  EXPECT_TRUE(tree.touched.empty());
}

TEST_F(FileStatementTest, RegisterLibraryChoosesTheCallByExtension) {
  tree.memory.AddFile("C:\\Lib\\types.tlb", "");
  tree.memory.AddFile("C:\\Lib\\TYPES2.TLB", "");
  struct Case {
    const char* file;
    const char* flag;
    bool platformResult;
    const char* call;  // empty: no registration call
    const char* result;
  } cases[] = {
      {"C:\\Lib\\types.tlb", "TRUE", true, "RegisterTypeLibrary C:\\Lib\\types.tlb", "TRUE"},
      {"C:\\Lib\\TYPES2.TLB", "FALSE", true, "UnregisterTypeLibrary C:\\Lib\\TYPES2.TLB", "TRUE"},
      {"C:\\Lib\\types.tlb", "-1", false, "RegisterTypeLibrary C:\\Lib\\types.tlb", "FALSE"},
      {"C:\\Lib\\missing.tlb", "TRUE", true, "", "FALSE"},
      {"C:\\Bin\\server.EXE", "true", true,
       "StartProgram C:\\Bin\\server.EXE|\"C:\\Bin\\server.EXE\" /regserver", "TRUE"},
      {"C:\\My Bin\\server.exe", "FALSE", true,
       "StartProgram C:\\My Bin\\server.exe|\"C:\\My Bin\\server.exe\" /unregserver", "TRUE"},
      {"C:\\Bin\\server.exe", "TRUE", false,
       "StartProgram C:\\Bin\\server.exe|\"C:\\Bin\\server.exe\" /regserver", "FALSE"},
      {"C:\\Lib\\probe.dll", "TRUE", true,
       "CallRegistrationEntry C:\\Lib\\probe.dll|DllRegisterServer", "TRUE"},
      {"C:\\Lib\\probe.ocx", "no", true,
       "CallRegistrationEntry C:\\Lib\\probe.ocx|DllUnregisterServer", "TRUE"},
      {"C:\\Lib.d\\probe", "TRUE", false,
       "CallRegistrationEntry C:\\Lib.d\\probe|DllRegisterServer", "FALSE"},
      {"", "TRUE", true, "", "FALSE"},
  };
  for (const Case& c : cases) {
    platform.calls.clear();
    platform.result = c.platformResult;
    vars.PutVariable("OUT", "stale");
    Run("Register Library", {c.file, c.flag, "OUT"});
    EXPECT_EQ(platform.calls,
              c.call[0] ? std::vector<std::string>{c.call} : std::vector<std::string>{})
        << c.file;
    EXPECT_EQ(vars.GetVariable("OUT"), c.result) << c.file;
  }
  EXPECT_EQ(platform.callsOutsideScopes, 0);
  EXPECT_EQ(platform.viewDepth, 0);
  EXPECT_EQ(platform.folderDepth, 0);
}

TEST_F(FileStatementTest, RegisterLibraryResolvesTheFileBeforeEnteringItsFolder) {
  vars.PutVariable("SUB", "plugins");
  Run("Register Library", {"$SUB$\\probe.dll", "TRUE", ""});
  EXPECT_EQ(platform.enteredFolders, std::vector<std::string>{"C:\\Work\\plugins\\"});
  EXPECT_EQ(platform.calls,
            std::vector<std::string>{
                "CallRegistrationEntry C:\\Work\\plugins\\probe.dll|DllRegisterServer"});
}

TEST_F(FileStatementTest, RegisterLibraryReportsOnlyWhenANameIsGiven) {
  platform.throwOnCall = true;
  Run("Register Library", {"C:\\Lib\\probe.dll", "TRUE", "$fresh$"});
  EXPECT_EQ(vars.GetVariable("FRESH"), "FALSE");
  EXPECT_EQ(platform.folderDepth, 0);

  std::vector<std::string> before, after;
  vars.ListVariables(before);
  Run("Register Library", {"C:\\Lib\\probe.dll", "TRUE", ""});
  vars.ListVariables(after);
  EXPECT_EQ(before, after);
}

}  // namespace
}  // namespace vantrell
