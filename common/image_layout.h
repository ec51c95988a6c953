// Where a Windows executable image ends in its file: the largest
// (raw data offset + raw data size) over its section headers. Bytes behind it
// are the carried setup script. Header layout read here:
//   0x3C  u32 offset of "PE\0\0"
//   PE+6  u16 number of sections      PE+20 u16 size of optional header
//   PE+24+optional: 40-byte section headers, +16 u32 raw size, +20 u32 raw offset
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vantrell {

// nullopt when the bytes do not hold complete, well-formed headers.
std::optional<uint64_t> ImageEndFromHeaders(std::string_view headers);

}  // namespace vantrell
