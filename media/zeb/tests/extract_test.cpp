// Round trips: trees packed by 7zz with each method come back byte for byte; listings,
// selections and the progress callback behave as zeb.h promises.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "archive.h"
#include "archive_fixture.h"
#include "extractor.h"
#include "platform.h"

namespace zeb::test {
namespace {

struct MethodCase {
  const char* name;
  const char* switches;
  const char* password;
  bool manyFiles;
};

void PrintTo(const MethodCase& c, std::ostream* os) {
  *os << c.name;
}

const MethodCase kMethods[] = {
    {"Lzma2", "-m0=LZMA2", nullptr, false},
    {"Lzma2NonSolid", "-m0=LZMA2 -ms=off", nullptr, false},
    {"Lzma", "-m0=LZMA", nullptr, false},
    {"SolidManyFiles", "-ms=on -mx5", nullptr, true},
    {"Lzma2IndependentChunks", "-m0=LZMA2:d=64k -mmt=2 -ms=on", nullptr, true},
    {"Bcj", "-m0=BCJ -m1=LZMA2", nullptr, false},
    {"Bcj2", "-m0=BCJ2 -m1=LZMA -m2=LZMA -m3=LZMA -mb0:1 -mb0s1:2 -mb0s2:3", nullptr, false},
    {"Arm", "-m0=ARM -m1=LZMA2", nullptr, false},
    {"Armt", "-m0=ARMT -m1=LZMA2", nullptr, false},
    {"Arm64", "-m0=ARM64 -m1=LZMA2", nullptr, false},
    {"Ppc", "-m0=PPC -m1=LZMA2", nullptr, false},
    {"Sparc", "-m0=SPARC -m1=LZMA2", nullptr, false},
    {"Ia64", "-m0=IA64 -m1=LZMA2", nullptr, false},
    {"Delta", "-m0=Delta:4 -m1=LZMA2", nullptr, false},
    {"Ppmd", "-m0=PPMd", nullptr, false},
    {"Copy", "-m0=Copy", nullptr, false},
    {"UncompressedHeader", "-mhc=off", nullptr, false},
    {"Aes", "-pSECRET", "SECRET", false},
    {"AesEncryptedHeader", "-pSECRET -mhe=on", "SECRET", true},
    {"AesUnicodePassword", "-p\xc3\xa4\xc3\xb6\xc3\xbc -mhe=on", "\xc3\xa4\xc3\xb6\xc3\xbc", false},
    {"AesCopy", "-m0=Copy -pSECRET", "SECRET", false},
};

class FixedPassword final : public PasswordSource {
 public:
  explicit FixedPassword(const char* text) : text_(text) {}
  bool Get(std::u16string* password) override {
    if (text_ == nullptr) return false;
    *password = ApiToUtf16(text_);
    return true;
  }

 private:
  const char* text_;
};

// The core on one thread: the plain LZMA2 decoder instead of the threaded one.
int32_t ExtractSingleThreaded(const fs::path& archive, const fs::path& dest, const char* password) {
  FixedPassword passwords(password);
  Archive a;
  if (const int32_t rc = a.Open(archive.string(), &passwords, 1); rc != kZebOk) return rc;
  ExtractRequest request;
  request.destination = dest.string();
  return ExtractEntries(a, request);
}

class MethodTest : public ::testing::TestWithParam<MethodCase> {};

TEST_P(MethodTest, ExtractsByteForByte) {
  const MethodCase& c = GetParam();
  TempDir tmp;
  const fs::path src = tmp.Path() / "src";
  if (c.manyFiles) {
    MakeManyFiles(src, 400);
    WriteFile(src / "big" / "noise.bin", NoiseBytes(3 << 20, 11));
  }
  MakeSampleTree(src);
  const fs::path archive = tmp.Path() / "a.7z";
  ASSERT_TRUE(Pack(archive, src, c.switches));
  const fs::path out = tmp.Path() / "out";
  ASSERT_EQ(ExtractAll(archive, out, c.password), 0);
  EXPECT_EQ(CompareTrees(src, out), "");
  const fs::path single = tmp.Path() / "single";
  ASSERT_EQ(ExtractSingleThreaded(archive, single, c.password), kZebOk);
  EXPECT_EQ(CompareTrees(src, single), "");
}

INSTANTIATE_TEST_SUITE_P(Methods, MethodTest, ::testing::ValuesIn(kMethods),
                         [](const auto& p) { return std::string(p.param.name); });

class PackedSample : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeSampleTree(tmp.Path() / "src");
    ASSERT_TRUE(Pack(archive, tmp.Path() / "src", "-ms=on"));
  }
  TempDir tmp;
  fs::path archive = tmp.Path() / "a.7z";
};

TEST_F(PackedSample, ListsEveryEntryWithSizesAndFolders) {
  ZebListEntry* entries = nullptr;
  int32_t count = 0;
  const uintptr_t h =
      OpenListArchive(archive.c_str(), 0, nullptr, 0, 0, 0, nullptr, &entries, &count);
  ASSERT_NE(h, 0u);
  std::map<std::string, ZebListEntry> byName;
  for (int32_t i = 0; i < count; ++i) byName[entries[i].name] = entries[i];
  ASSERT_EQ(byName.count("data/noise.bin"), 1u);
  EXPECT_EQ(byName["data/noise.bin"].size, 300000u);
  EXPECT_EQ(byName["data/noise.bin"].isFolder, 0u);
  EXPECT_NE(byName["data/noise.bin"].crc, 0u);
  EXPECT_NE(byName["data/noise.bin"].modifiedHigh, 0u);
  EXPECT_EQ(byName["empty_folder/inner_empty"].isFolder, 1u);
  EXPECT_EQ(byName["empty.txt"].size, 0u);
  EXPECT_EQ(byName.count("\xc3\xbc"
                         "ber/caf\xc3\xa9.txt"),
            1u);
  EXPECT_EQ(CloseListArchive(h), 1);
  EXPECT_EQ(CloseListArchive(h), 0);  // a closed handle is refused, not freed twice
}

TEST_F(PackedSample, ExtractsOnlyTheSelection) {
  const fs::path out = tmp.Path() / "out";
  ASSERT_EQ(ExtractAll(archive, out, nullptr, {"data\\deep\\er\\small.bin", "README.TXT"}), 0);
  EXPECT_EQ(ReadBytes(out / "data/deep/er/small.bin"), NoiseBytes(17, 9));
  EXPECT_TRUE(fs::exists(out / "readme.txt"));
  EXPECT_FALSE(fs::exists(out / "data/noise.bin"));
  EXPECT_FALSE(fs::exists(out / "bin"));
}

struct ProgressLog {
  int calls = 0;
  uint64_t lastDone = 0;
  uint64_t total = 0;
  bool monotonic = true;
  int stopAfter = -1;
};
ProgressLog* g_progress = nullptr;

int32_t ZEB_CALL OnProgress(const char* name, uint64_t done, uint64_t total) {
  ProgressLog& log = *g_progress;
  if (name == nullptr || done < log.lastDone || done > total) log.monotonic = false;
  log.lastDone = done;
  log.total = total;
  ++log.calls;
  return log.stopAfter >= 0 && log.calls > log.stopAfter ? 0 : 1;
}

struct ProgressCase {
  const char* name;
  const char* switches;
  int stopAfter;  // -1: never stop
};

void PrintTo(const ProgressCase& c, std::ostream* os) {
  *os << c.name;
}

const ProgressCase kProgress[] = {
    {"Completes", "-ms=on", -1},
    {"StopsEarly", "-ms=on", 2},
    // stopping while the threaded decoder is mid-stream must not hang or leak
    {"StopsThreadedDecoder", "-m0=LZMA2:d=64k -mmt=2 -ms=on", 5},
};

class ProgressTest : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(ProgressTest, ReportsMonotonicProgressAndStopsWhenAsked) {
  const ProgressCase& c = GetParam();
  TempDir tmp;
  MakeSampleTree(tmp.Path() / "src");
  WriteFile(tmp.Path() / "src" / "big" / "noise.bin", NoiseBytes(4 << 20, 5));
  const fs::path archive = tmp.Path() / "a.7z";
  ASSERT_TRUE(Pack(archive, tmp.Path() / "src", c.switches));
  ProgressLog log;
  log.stopAfter = c.stopAfter;
  g_progress = &log;
  const fs::path out = tmp.Path() / "out";
  const int32_t ok = ExtractArchive(archive.c_str(), 1, out.c_str(), nullptr, 0, nullptr, nullptr,
                                    OnProgress, nullptr, nullptr);
  g_progress = nullptr;
  EXPECT_TRUE(log.monotonic);
  if (c.stopAfter >= 0) {
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(GetLastArchiveError(0), kZebErrorStopped);
    EXPECT_EQ(log.calls, c.stopAfter + 1);  // nothing reported after the stop
  } else {
    EXPECT_EQ(ok, 1);
    EXPECT_GE(log.calls, 7 + (4 << 20) / (256 << 10));  // every file, every 256 KB
    EXPECT_EQ(log.lastDone, log.total);
  }
}

INSTANTIATE_TEST_SUITE_P(Progress, ProgressTest, ::testing::ValuesIn(kProgress),
                         [](const auto& p) { return std::string(p.param.name); });

int32_t ZEB_CALL GivePassword(char* buffer) {
  strcpy(buffer, "SECRET");
  return 1;
}
int32_t ZEB_CALL NoPassword(char*) {
  return 0;
}

TEST(PasswordCallback, SuppliesThePasswordWhenTheTextIsEmpty) {
  TempDir tmp;
  MakeSampleTree(tmp.Path() / "src");
  const fs::path archive = tmp.Path() / "a.7z";
  ASSERT_TRUE(Pack(archive, tmp.Path() / "src", "-pSECRET -mhe=on"));
  struct Case {
    ZebPasswordCallback cb;
    int32_t result;
  };
  for (const Case c : {Case{GivePassword, 1}, Case{NoPassword, 0}}) {
    const fs::path out = tmp.Path() / (c.result ? "ok" : "no");
    EXPECT_EQ(ExtractArchive(archive.c_str(), 1, out.c_str(), nullptr, 0, "", c.cb, nullptr,
                             nullptr, nullptr),
              c.result);
    if (c.result) {
      EXPECT_EQ(CompareTrees(tmp.Path() / "src", out), "");
    } else {
      EXPECT_EQ(GetLastArchiveError(0), kZebErrorCannotOpen);
    }
  }
}

}  // namespace
}  // namespace zeb::test
