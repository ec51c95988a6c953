// "Find All Files" on a real worker thread over twin trees: result order and
// quoting, folder links, the progress it publishes, cancelling mid-search,
// and the 64-bit file view held by the searching thread.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "script/background.h"
#include "text/find_files.h"
#include "text/text_statement_test.h"

namespace vantrell {
namespace {

using testing::TextStatementTest;

class FindAllFilesTest : public TextStatementTest {
 protected:
  // The cancel flag belongs to the process; a test that raises it lowers it.
  void TearDown() override { SetCancelRequested(false); }

  std::string Find(const std::string& pattern, const std::string& recurse,
                   const std::string& folders) {
    Run("Find All Files", {pattern, recurse, folders, "$FILES$"});
    return Get("FILES");
  }
};

TEST_F(FindAllFilesTest, OrderAndQuoting) {
  system.AddFile("D:\\x\\a.txt", "");
  system.AddFile("D:\\x\\s\\b.txt", "");
  system.AddFile("E:\\x\\a.txt", "");
  system.AddFile("E:\\x\\b.log", "");
  system.AddFile("E:\\x\\My \"q\" file.txt", "");
  system.AddFile("E:\\x\\s\\b.txt", "");
  system.AddFile("E:\\x\\s\\t\\c.txt", "");
  system.AddFolder("E:\\x\\l", true);
  system.AddFile("E:\\x\\l\\d.txt", "");
  system.AddFile("E:\\x\\s\\p|pe.txt", "");
  struct Case {
    std::string pattern, recurse, folders, want;
  };
  const std::vector<Case> cases = {
      {"D:\\x\\*.txt", "TRUE", "FALSE", "D:\\x\\s\\b.txt|D:\\x\\a.txt"},
      {"D:\\x\\*.txt", "TRUE", "TRUE", "D:\\x\\s\\b.txt|D:\\x\\s|D:\\x\\a.txt"},
      {"D:\\x\\*.txt", "FALSE", "TRUE", "D:\\x\\s|D:\\x\\a.txt"},
      {"D:\\x\\*.txt", "", "", "D:\\x\\a.txt"},
      {"$ROOT$\\\\*.txt", "", "", "D:\\x\\a.txt"},
      {"D:\\x\\*.doc", "TRUE", "FALSE", ""},
      {"D:\\none\\*.txt", "TRUE", "TRUE", ""},
      {"E:\\x\\*.txt", "TRUE", "TRUE",
       "E:\\x\\l|E:\\x\\s\\t\\c.txt|E:\\x\\s\\t|E:\\x\\s\\b.txt|\"E:\\x\\s\\p|pe.txt\"|E:\\x\\s|E:"
       "\\x\\a.txt|"
       "\"E:\\x\\My \"\"q\"\" file.txt\""},
      {"E:\\x\\b.*", "TRUE", "FALSE", "E:\\x\\s\\b.txt|E:\\x\\b.log"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern + " " + c.recurse + " " + c.folders);
    vars.PutVariable("ROOT", "D:\\x");
    EXPECT_EQ(Find(c.pattern, c.recurse, c.folders), c.want);
  }
}

TEST_F(FindAllFilesTest, ProgressCyclesAcrossSearches) {
  for (int i = 0; i < 150; ++i)
    system.AddFile("C:\\p\\f" + std::to_string(1000 + i) + "\\x.txt", "");
  system.AddFile("C:\\p\\z.txt", "");
  system.AddFile("C:\\q\\y.txt", "");
  Find("C:\\p\\*.txt", "TRUE", "FALSE");
  // 151 searches from 0: the position wraps from 100 to 0
  EXPECT_EQ(Get("VELD_thProgress"), "50");
  EXPECT_EQ(Get("VELD_thMin"), "0");
  EXPECT_EQ(Get("VELD_thMax"), "100");
  EXPECT_EQ(Get("VELD_thProgressText"), "C:\\p\\z.txt");
  Find("C:\\q\\*.txt", "TRUE", "FALSE");
  EXPECT_EQ(Get("VELD_thProgress"), "51");
  EXPECT_EQ(Get("VELD_thProgressText"), "C:\\q\\y.txt");
}

TEST_F(FindAllFilesTest, SearchRunsOnAWorkerInsideTheFileView) {
  system.AddFile("C:\\w\\s\\a.txt", "");
  Find("C:\\w\\*.*", "TRUE", "TRUE");
  EXPECT_EQ(Get("FILES"), "C:\\w\\s\\a.txt|C:\\w\\s");
  EXPECT_EQ(system.listingThreads.count(std::this_thread::get_id()), 0u);
  EXPECT_EQ(system.listingThreads.size(), 1u);
  EXPECT_EQ(system.listingsWithoutView, 0);
}

TEST_F(FindAllFilesTest, CancelKeepsWhatWasFound) {
  for (int d = 0; d < 100; ++d) {
    for (int f = 0; f < 100; ++f) {
      system.AddFile(
          "C:\\big\\d" + std::to_string(100 + d) + "\\f" + std::to_string(100 + f) + ".txt", "");
    }
  }
  const std::string all = Find("C:\\big\\*.txt", "TRUE", "TRUE");
  int listed = 0;
  system.onListEntry = [this, &listed] {
    if (++listed != 2000) return;
    SetCancelRequested(true);
    // Two wait steps later the wait loop has seen the flag and asked the worker to stop.
    const int seen = host.steps;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (host.steps < seen + 2 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::yield();
  };
  const std::string part = Find("C:\\big\\*.txt", "TRUE", "TRUE");
  ASSERT_FALSE(part.empty());
  EXPECT_LT(part.size(), all.size() / 2);
  EXPECT_EQ(all.compare(0, part.size(), part), 0);
  EXPECT_EQ(all[part.size()], '|');
}

TEST(JoinFileListTest, QuotesWhatNeedsIt) {
  struct Case {
    std::vector<std::string> entries;
    std::string want;
  };
  const std::vector<Case> cases = {
      {{}, ""},
      {{"a"}, "a"},
      {{"a b", "c"}, "\"a b\"|c"},
      {{"t\tab", "q\"", "p|p"}, "\"t\tab\"|\"q\"\"\"|\"p|p\""},
      {{"x\x01y"}, "\"x\x01y\""},
      {{"\xE9"}, "\xE9"},
  };
  for (const auto& c : cases) EXPECT_EQ(JoinFileList(c.entries), c.want);
}

}  // namespace
}  // namespace vantrell
