// Trace log encoding and file life: UTF-16LE without byte-order mark, CR LF,
// emptied by the first line, appended afterwards, lost when the file is gone.
#include <gtest/gtest.h>

#include "common/trace_log.h"
#include "twins/memory_file_system.h"

namespace vantrell {
namespace {

using testing::Latin1Codec;
using testing::MemoryFileSystem;
using testing::Utf16Bytes;

TEST(TraceLog, FirstLineEmptiesAnOldFileThenLinesAppend) {
  MemoryFileSystem files;
  Latin1Codec codec;
  files.AddFile("C:\\logs\\t.log", "old contents");
  TraceLog log(files, codec);
  log.SetPath("c:\\logs\\t.log");
  log.Line("<Vantrell>");
  log.Line("  <SetupSplash>");
  const std::string want = Utf16Bytes("<Vantrell>\r\n  <SetupSplash>\r\n");
  EXPECT_EQ(files.Find("C:\\logs\\t.log")->bytes, want);
  EXPECT_EQ(want.size(), 2 * std::string("<Vantrell>\r\n  <SetupSplash>\r\n").size());
}

TEST(TraceLog, NoPathWritesNothingAndMissingLaterFilesLoseLines) {
  MemoryFileSystem files;
  Latin1Codec codec;
  files.AddFolder("C:\\logs");
  TraceLog log(files, codec);
  log.Line("lost");  // no path yet: nothing, and the first-write flag stays
  EXPECT_TRUE(files.Files().empty());

  log.SetPath("C:\\logs\\a.log");
  log.Line("a");
  log.SetPath("C:\\logs\\missing.log");  // only the first line creates a file
  log.Line("b");
  EXPECT_FALSE(files.FileExists("C:\\logs\\missing.log"));
  files.AddFile("C:\\logs\\existing.log", "keep");
  log.SetPath("C:\\logs\\existing.log");
  log.Line("c");
  EXPECT_EQ(files.Find("C:\\logs\\existing.log")->bytes, "keep" + Utf16Bytes("c\r\n"));
  log.SetPath("");
  log.Line("d");
  EXPECT_EQ(files.Find("C:\\logs\\a.log")->bytes, Utf16Bytes("a\r\n"));
}

TEST(TraceLog, EngineWideTraceGoesToTheInstalledLog) {
  MemoryFileSystem files;
  Latin1Codec codec;
  files.AddFolder("C:\\t");
  TraceLog log(files, codec);
  log.SetPath("C:\\t\\x.log");
  TraceLine("before install");
  InstallTraceLog(&log);
  TraceLine("x");
  InstallTraceLog(nullptr);
  TraceLine("after");
  EXPECT_EQ(files.Find("C:\\t\\x.log")->bytes, Utf16Bytes("x\r\n"));
}

}  // namespace
}  // namespace vantrell
