// Bad input: every damaged, truncated, foreign or locked archive fails with its code and
// without crashing; a hostile header size fails before any large allocation.
#include <gtest/gtest.h>

#include <chrono>
#include <set>

#include "archive_fixture.h"

namespace zeb::test {
namespace {

enum class Damage { None, Missing, Truncate, Flip, NotArchive, Empty, HugeHeader };

struct ErrorCase {
  const char* name;
  const char* switches;
  Damage damage;
  double where;  // fraction of the file for Truncate/Flip
  const char* password;
  std::vector<std::string> selection;
  std::set<int32_t> expected;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
  *os << c.name;
}

const ErrorCase kErrors[] = {
    {"MissingFile", "", Damage::Missing, 0, nullptr, {}, {kZebErrorFileNotFound}},
    {"NotAnArchive", "", Damage::NotArchive, 0, nullptr, {}, {kZebErrorCannotOpen}},
    {"EmptyFile", "", Damage::Empty, 0, nullptr, {}, {kZebErrorCannotOpen}},
    {"TruncatedInSignature",
     "",
     Damage::Truncate,
     0.0001,
     nullptr,
     {},
     {kZebErrorCannotOpen, kZebErrorDamaged}},
    {"TruncatedInData", "", Damage::Truncate, 0.5, nullptr, {}, {kZebErrorDamaged}},
    {"TruncatedInHeader", "", Damage::Truncate, 0.9999, nullptr, {}, {kZebErrorDamaged}},
    {"TruncatedCopy", "-m0=Copy -mhc=off", Damage::Truncate, 0.7, nullptr, {}, {kZebErrorDamaged}},
    {"FlippedLzma2Data", "", Damage::Flip, 0.3, nullptr, {}, {kZebErrorDamaged}},
    {"FlippedCopyData", "-m0=Copy", Damage::Flip, 0.3, nullptr, {}, {kZebErrorDamaged}},
    {"FlippedPpmdData", "-m0=PPMd", Damage::Flip, 0.2, nullptr, {}, {kZebErrorDamaged}},
    {"FlippedHeader", "", Damage::Flip, 0.995, nullptr, {}, {kZebErrorDamaged}},
    {"HugeDeclaredHeader",
     "",
     Damage::HugeHeader,
     0,
     nullptr,
     {},
     {kZebErrorDamaged, kZebErrorCannotOpen}},
    {"WrongPassword", "-pSECRET", Damage::None, 0, "WRONG", {}, {kZebErrorCannotOpen}},
    {"WrongPasswordEncryptedHeader",
     "-pSECRET -mhe=on",
     Damage::None,
     0,
     "WRONG",
     {},
     {kZebErrorCannotOpen}},
    {"MissingPassword", "-pSECRET", Damage::None, 0, nullptr, {}, {kZebErrorCannotOpen}},
    {"MissingPasswordEncryptedHeader",
     "-pSECRET -mhe=on",
     Damage::None,
     0,
     nullptr,
     {},
     {kZebErrorCannotOpen}},
    {"UnsupportedMethod", "-m0=BZip2", Damage::None, 0, nullptr, {}, {kZebErrorCannotOpen}},
    {"SelectionNotInArchive",
     "",
     Damage::None,
     0,
     nullptr,
     {"readme.txt", "nope.txt"},
     {kZebErrorIllegalSelection}},
};

void Apply(const ErrorCase& c, const fs::path& archive) {
  std::vector<uint8_t> bytes = ReadBytes(archive);
  const auto at = static_cast<size_t>(c.where * static_cast<double>(bytes.size()));
  switch (c.damage) {
    case Damage::None:
      return;
    case Damage::Missing:
      fs::remove(archive);
      return;
    case Damage::Truncate:
      bytes.resize(at);
      break;
    case Damage::Flip:
      bytes[at] ^= 0x55;
      break;
    case Damage::NotArchive:
      bytes = std::vector<uint8_t>(bytes.size(), 'x');
      break;
    case Damage::Empty:
      bytes.clear();
      break;
    case Damage::HugeHeader: {
      // a 1 KB file whose start header announces a 2 GB header right after it
      bytes.resize(1024);
      for (int i = 12; i < 32; ++i) bytes[static_cast<size_t>(i)] = 0;
      bytes[23] = 0x80;  // NextHeaderSize = 2^31
      break;
    }
  }
  WriteFile(archive, bytes);
}

class ErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ErrorTest, FailsWithItsCode) {
  const ErrorCase& c = GetParam();
  TempDir tmp;
  const fs::path src = tmp.Path() / "src";
  MakeSampleTree(src);
  const fs::path archive = tmp.Path() / "a.7z";
  ASSERT_TRUE(Pack(archive, src, c.switches));
  Apply(c, archive);
  const auto start = std::chrono::steady_clock::now();
  const int32_t code = ExtractAll(archive, tmp.Path() / "out", c.password, c.selection);
  EXPECT_TRUE(c.expected.count(code) == 1) << "code " << code;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

  ZebListEntry* entries = nullptr;
  int32_t count = 0;
  const uintptr_t h =
      OpenListArchive(archive.c_str(), 0, nullptr, 0, 0, 0, c.password, &entries, &count);
  if (h != 0) {
    CloseListArchive(h);
  } else {
    EXPECT_NE(GetLastArchiveError(0), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Errors, ErrorTest, ::testing::ValuesIn(kErrors),
                         [](const auto& p) { return std::string(p.param.name); });

// Every cut of a small archive fails cleanly (or, at the very end, still works).
TEST(TruncationSweep, EveryPrefixFailsCleanly) {
  TempDir tmp;
  WriteText(tmp.Path() / "src" / "a.txt", std::string(5000, 'a'));
  WriteFile(tmp.Path() / "src" / "b.bin", NoiseBytes(3000, 3));
  const fs::path archive = tmp.Path() / "a.7z";
  ASSERT_TRUE(Pack(archive, tmp.Path() / "src", "-pPW -mhe=on"));
  const std::vector<uint8_t> full = ReadBytes(archive);
  const fs::path cut = tmp.Path() / "cut.7z";
  for (size_t n = 0; n < full.size(); n += 7) {
    WriteFile(cut,
              std::vector<uint8_t>(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n)));
    const int32_t code = ExtractAll(cut, tmp.Path() / "out", "PW");
    EXPECT_TRUE(code == kZebErrorCannotOpen || code == kZebErrorDamaged) << n << ": " << code;
  }
}

}  // namespace
}  // namespace zeb::test
