// Listing and extraction through the archive library: error texts, the full
// selection, option and password handling.
#include <gtest/gtest.h>

#include "media/archive_files.h"
#include "twins/fake_archive_library.h"

namespace vantrell {
namespace {

using testing::FakeArchiveLibrary;
using testing::MemoryFileSystem;

TEST(ArchiveFiles, ListingErrorTexts) {
  struct Case {
    int32_t code;
    const char* text;
  } cases[] = {
      {1001, "The archive file was not found"},
      {1002, "Illegal path used in a wildcard expression"},
      {1003, "The archive cannot be opened: unsupported archive or incorrect password"},
      {1004, "General failure opening archive"},
      {-1, "General failure opening archive"},
  };
  MemoryFileSystem files;
  FakeArchiveLibrary library(files);
  for (const Case& c : cases) {
    EXPECT_EQ(ListingErrorText(c.code), c.text);
    library.FailNextListing(c.code);
    std::string error;
    std::vector<std::string> names{"stale"};
    EXPECT_FALSE(ListArchive(library, "C:\\a.7z", "", error, names));
    EXPECT_EQ(error, c.text);
    EXPECT_TRUE(names.empty());
  }
}

TEST(ArchiveFiles, ExtractsEveryListedEntryWithTheRequestedOption) {
  MemoryFileSystem files;
  files.AddFolder("C:\\dest");
  FakeArchiveLibrary library(files);
  library.archives[MemoryFileSystem::Key("C:\\a.7z")] = {
      {{"one.txt", "1"}, {"sub\\two.txt", "2"}}, "", 0};
  for (bool optionFlag : {true, false}) {
    ExtractionRequest request;
    request.archivePath = "C:\\a.7z";
    request.destination = "C:\\dest\\";
    request.optionFlag = optionFlag;
    std::string error = "stale";
    ASSERT_TRUE(ExtractArchiveFiles(library, request, error));
    EXPECT_EQ(error, "");
    EXPECT_EQ(library.lastOption, optionFlag ? 0u : 1u);
  }
  EXPECT_EQ(library.lastSelection, (std::vector<std::string>{"one.txt", "sub\\two.txt"}));
  EXPECT_EQ(files.Find("C:\\dest\\sub\\two.txt")->bytes, "2");
}

TEST(ArchiveFiles, FailuresGiveTheirTexts) {
  MemoryFileSystem files;
  FakeArchiveLibrary library(files);
  library.archives[MemoryFileSystem::Key("C:\\bad.7z")] = {{{"x", "x"}}, "", 1004};
  ExtractionRequest request;
  request.destination = "C:\\dest\\";
  std::string error;

  request.archivePath = "C:\\missing.7z";  // the listing fails first
  EXPECT_FALSE(ExtractArchiveFiles(library, request, error));
  EXPECT_EQ(error, "The archive file was not found");
  EXPECT_EQ(library.extractCalls, 0);

  request.archivePath = "C:\\bad.7z";
  EXPECT_FALSE(ExtractArchiveFiles(library, request, error));
  EXPECT_EQ(error, "#1004");

  std::vector<std::string> chosen{"x"};
  request.names = &chosen;  // a given list skips the listing
  request.archivePath = "C:\\missing.7z";
  EXPECT_FALSE(ExtractArchiveFiles(library, request, error));
  EXPECT_EQ(error, "#1001");
}

TEST(ArchiveFiles, PasswordCallbackAnswersOnceAfterPriming) {
  char buffer[kZebPasswordMax];
  PrimeArchivePassword("s3cret");
  EXPECT_EQ(EnginePasswordCallback(buffer), 1);
  EXPECT_STREQ(buffer, "s3cret");
  EXPECT_EQ(EnginePasswordCallback(buffer), 0);
  PrimeArchivePassword("");
  EXPECT_EQ(EnginePasswordCallback(buffer), 0);
  PrimeArchivePassword(std::string(5000, 'p'));  // never overruns the buffer
  EXPECT_EQ(EnginePasswordCallback(buffer), 1);
  EXPECT_EQ(std::string(buffer).size(), static_cast<size_t>(kZebPasswordMax - 1));
}

TEST(ArchiveFiles, WrongPasswordIsReportedByTheListing) {
  MemoryFileSystem files;
  FakeArchiveLibrary library(files);
  library.archives[MemoryFileSystem::Key("C:\\p.7z")] = {{{"x", "x"}}, "right", 0};
  std::string error;
  std::vector<std::string> names;
  EXPECT_FALSE(ListArchive(library, "C:\\p.7z", "wrong", error, names));
  EXPECT_EQ(error, "The archive cannot be opened: unsupported archive or incorrect password");
  EXPECT_TRUE(ListArchive(library, "C:\\p.7z", "right", error, names));
  EXPECT_EQ(names, (std::vector<std::string>{"x"}));
}

}  // namespace
}  // namespace vantrell
