// Image end from section headers, and refusal of damaged headers.
#include <gtest/gtest.h>

#include <cstring>

#include "common/image_layout.h"

namespace vantrell {
namespace {

void PutU32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutU16(std::string& b, size_t at, uint16_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8);
}

// Minimal headers: PE at 0x80, optional header of 0xE0 bytes, given sections.
std::string Headers(const std::vector<std::pair<uint32_t, uint32_t>>& sections) {
  std::string b(1024, '\0');
  b[0] = 'M';
  b[1] = 'Z';
  PutU32(b, 0x3C, 0x80);
  std::memcpy(b.data() + 0x80, "PE\0\0", 4);
  PutU16(b, 0x80 + 6, static_cast<uint16_t>(sections.size()));
  PutU16(b, 0x80 + 20, 0xE0);
  size_t table = 0x80 + 24 + 0xE0;
  for (size_t i = 0; i < sections.size(); ++i) {
    PutU32(b, table + i * 40 + 16, sections[i].second);  // raw size
    PutU32(b, table + i * 40 + 20, sections[i].first);   // raw offset
  }
  return b;
}

TEST(ImageLayout, LargestSectionEndWins) {
  EXPECT_EQ(ImageEndFromHeaders(Headers({{0x400, 0x1000}, {0x1400, 0x200}, {0x1600, 0x10}})),
            0x1610u);
  // Sections need not be in file order.
  EXPECT_EQ(ImageEndFromHeaders(Headers({{0x9000, 0x200}, {0x400, 0x1000}})), 0x9200u);
}

TEST(ImageLayout, DamagedHeadersAreRefused) {
  std::string good = Headers({{0x400, 0x200}});
  std::string noMz = good;
  noMz[0] = 'X';
  std::string badPe = good;
  PutU32(badPe, 0x3C, 0xFFFFFFF0u);
  std::string noSig = good;
  noSig[0x81] = 'X';
  std::string noSections = Headers({});
  std::string tooMany = good;
  PutU16(tooMany, 0x80 + 6, 0xFFFF);
  for (const std::string& h :
       {noMz, badPe, noSig, noSections, tooMany, good.substr(0, 0x90), std::string()}) {
    EXPECT_FALSE(ImageEndFromHeaders(h).has_value());
  }
}

}  // namespace
}  // namespace vantrell
