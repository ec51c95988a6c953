// Hostile names planted in real archives: extraction is refused before anything is
// written, inside or outside the destination.
#include <gtest/gtest.h>

#include "archive_fixture.h"

namespace zeb::test {
namespace {

struct TraversalCase {
  const char* label;
  std::u16string evil;
};

void PrintTo(const TraversalCase& c, std::ostream* os) {
  *os << c.label;
}

const TraversalCase kTraversal[] = {
    {"DotDot", u"../evil"},
    {"DriveLetter", u"C:\\evil"},
    {"LeadingBackslash", u"\\evil"},
    {"LeadingSlash", u"/evil"},
    {"NestedDotDot", u"a\\..\\..\\evil"},
    {"Colon", u"a:b"},
    {"Device", u"CON"},
    {"DeviceWithExtension", u"nul.txt"},
};

class TraversalTest : public ::testing::TestWithParam<TraversalCase> {};

TEST_P(TraversalTest, IsRefusedAndNothingIsWritten) {
  const TraversalCase& c = GetParam();
  TempDir tmp;
  const fs::path src = tmp.Path() / "src";
  // the placeholder sorts after good.txt so a harmless entry comes first
  const std::u16string placeholder(c.evil.size(), u'z');
  WriteText(src / "good.txt", "harmless\n");
  WriteText(src / std::string(placeholder.begin(), placeholder.end()), "payload\n");
  const fs::path archive = tmp.Path() / "evil.7z";
  ASSERT_TRUE(Pack(archive, src, "-m0=Copy -mhc=off"));
  ASSERT_TRUE(PatchName(archive, placeholder, c.evil));

  const fs::path dest = tmp.Path() / "deep" / "dest";
  fs::create_directories(dest);
  EXPECT_EQ(ExtractAll(archive, dest), kZebErrorUnsafePath);
  EXPECT_TRUE(fs::is_empty(dest));
  for (const auto& e : fs::recursive_directory_iterator(tmp.Path())) {
    const std::string name = e.path().filename().string();
    EXPECT_TRUE(name != "evil" && name != "b" &&
                e.path().string().find("payload") == std::string::npos)
        << e.path();
  }
  // the listing still shows it: refusing is the extractor's job
  ZebListEntry* entries = nullptr;
  int32_t count = 0;
  const uintptr_t h =
      OpenListArchive(archive.c_str(), 0, nullptr, 0, 0, 0, nullptr, &entries, &count);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(count, 2);
  CloseListArchive(h);
}

INSTANTIATE_TEST_SUITE_P(Names, TraversalTest, ::testing::ValuesIn(kTraversal),
                         [](const auto& p) { return std::string(p.param.label); });

}  // namespace
}  // namespace zeb::test
