// Name rules: what may be written below the destination and what is refused.
#include <gtest/gtest.h>

#include <cctype>

#include "entry_path.h"

namespace zeb {
namespace {

struct NameCase {
  std::u16string name;
  bool safe;
};

void PrintTo(const NameCase& c, std::ostream* os) {
  // test names must stay plain: anything but letters and digits shows as '_'
  *os << (c.safe ? "safe_" : "refused_");
  for (char16_t ch : c.name) *os << (ch < 0x80 && std::isalnum(ch) ? static_cast<char>(ch) : '_');
}

const NameCase kNames[] = {
    {u"a.txt", true},
    {u"dir/sub/file.bin", true},
    {u"dir\\sub\\file.bin", true},
    {u"folder/", true},
    {u"..data", true},
    {u"a..b/c", true},
    {u"CONSOLE.txt", true},
    {u"com10", true},
    {u"\u00fcber/caf\u00e9", true},
    {u"", false},
    {u"../evil", false},
    {u"a/../../evil", false},
    {u"a\\..\\..\\evil", false},
    {u"..", false},
    {u"./a", false},
    {u"a/./b", false},
    {u"a//b", false},
    {u"/etc/passwd", false},
    {u"\\evil", false},
    {u"\\\\server\\share\\x", false},
    {u"C:\\evil", false},
    {u"C:evil", false},
    {u"a:b", false},
    {u"file.txt:stream", false},
    {u"CON", false},
    {u"con.txt", false},
    {u"dir/NUL", false},
    {u"Com1.log", false},
    {u"LPT9", false},
    {u"aux ", false},
    {u"CONIN$", false},
    {u"... ", false},
    {u"a/.. /b", false},
    {u"a\tb", false},
    {u"what?", false},
    {u"a*b", false},
    {u"pipe|x", false},
    {u"<x>", false},
};

class EntryNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(EntryNameTest, FollowsTheRules) {
  EXPECT_EQ(IsSafeEntryName(GetParam().name), GetParam().safe);
}

INSTANTIATE_TEST_SUITE_P(Names, EntryNameTest, ::testing::ValuesIn(kNames));

}  // namespace
}  // namespace zeb
