// Executable image end from its section headers (layout in image_layout.h).
#include "common/image_layout.h"

namespace vantrell {
namespace {

std::optional<uint32_t> ReadU32(std::string_view b, uint64_t at) {
  if (at + 4 > b.size()) return std::nullopt;
  const auto* p = reinterpret_cast<const unsigned char*>(b.data() + at);
  return static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16) |
                               (static_cast<uint32_t>(p[3]) << 24));
}

std::optional<uint16_t> ReadU16(std::string_view b, uint64_t at) {
  if (at + 2 > b.size()) return std::nullopt;
  const auto* p = reinterpret_cast<const unsigned char*>(b.data() + at);
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace

std::optional<uint64_t> ImageEndFromHeaders(std::string_view headers) {
  if (headers.size() < 0x40 || headers[0] != 'M' || headers[1] != 'Z') return std::nullopt;
  auto peOffset = ReadU32(headers, 0x3C);
  if (!peOffset || *peOffset + 24ull > headers.size()) return std::nullopt;
  if (headers.substr(*peOffset, 4) != std::string_view("PE\0\0", 4)) return std::nullopt;
  auto sections = ReadU16(headers, *peOffset + 6ull);
  auto optionalSize = ReadU16(headers, *peOffset + 20ull);
  if (!sections || !optionalSize || *sections == 0) return std::nullopt;
  uint64_t table = *peOffset + 24ull + *optionalSize;
  uint64_t end = 0;
  for (uint16_t i = 0; i < *sections; ++i) {
    auto rawSize = ReadU32(headers, table + i * 40ull + 16);
    auto rawOffset = ReadU32(headers, table + i * 40ull + 20);
    if (!rawSize || !rawOffset) return std::nullopt;
    uint64_t sectionEnd = static_cast<uint64_t>(*rawOffset) + *rawSize;
    if (sectionEnd > end) end = sectionEnd;
  }
  return end;
}

}  // namespace vantrell
