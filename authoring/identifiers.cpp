// Hash-derived identifiers and headers (rules in identifiers.h).
#include "authoring/identifiers.h"

#include <cstdio>

#include "common/ascii.h"

namespace vantrell::authoring {
namespace {

// FNV-1a over the parts, each followed by a 0 byte so "ab"+"c" differs from "a"+"bc".
class Hasher {
 public:
  explicit Hasher(uint64_t basis) : h_(basis) {}
  Hasher& Add(std::string_view part) {
    for (unsigned char c : part) Byte(c);
    Byte(0);
    return *this;
  }
  Hasher& Add(uint32_t n) { return Add(std::to_string(n)); }
  // A final avalanche so that neighbouring inputs give unrelated bits.
  uint64_t Value() const {
    uint64_t z = h_ + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

 private:
  void Byte(unsigned char c) {
    h_ ^= c;
    h_ *= 0x100000001B3ull;
  }
  uint64_t h_;
};

constexpr uint64_t kBasisA = 0xCBF29CE484222325ull;
constexpr uint64_t kBasisB = 0x84222325CBF29CE4ull;

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

}  // namespace

std::string DerivedIdentifier(std::string_view productCode, std::string_view scriptKey,
                              std::string_view command, uint32_t occurrence, uint32_t salt) {
  auto hash = [&](uint64_t basis) {
    return Hasher(basis)
        .Add(AsciiUpper(productCode))
        .Add(scriptKey)
        .Add(command)
        .Add(occurrence)
        .Add(salt)
        .Value();
  };
  uint64_t hi = hash(kBasisA);
  uint64_t lo = hash(kBasisB);
  // Version 5 and the standard variant, so the value reads as a name-based GUID.
  hi = (hi & ~0xF000ull) | 0x5000ull;
  lo = (lo & 0x3FFFFFFFFFFFFFFFull) | 0x8000000000000000ull;
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%04X-%012llX}", static_cast<unsigned>(hi >> 32),
                static_cast<unsigned>((hi >> 16) & 0xFFFF), static_cast<unsigned>(hi & 0xFFFF),
                static_cast<unsigned>(lo >> 48),
                static_cast<unsigned long long>(lo & 0xFFFFFFFFFFFFull));
  return text;
}

std::string DerivedHeader(std::string_view identifier, uint32_t salt) {
  uint64_t h = Hasher(kBasisA).Add(AsciiUpper(identifier)).Add(salt).Value();
  uint32_t value = static_cast<uint32_t>(h ^ (h >> 32));
  if (value == 0) value = 1;
  char text[12];
  std::snprintf(text, sizeof text, "%X", value);
  return text;
}

std::string LinesDigest(const std::vector<std::string>& lines) {
  Hasher hasher(kBasisB);
  hasher.Add(static_cast<uint32_t>(lines.size()));
  for (const std::string& line : lines) hasher.Add(line);
  char text[20];
  std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(hasher.Value()));
  return text;
}

bool IsLinesDigest(std::string_view t) {
  if (t.size() != 16) return false;
  for (char c : t) {
    if (!IsHex(c) || (c >= 'a' && c <= 'f')) return false;
  }
  return true;
}

bool IsBracedGuid(std::string_view t) {
  if (t.size() != 38 || t.front() != '{' || t.back() != '}') return false;
  for (size_t i = 1; i < 37; ++i) {
    bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? t[i] != '-' : !IsHex(t[i])) return false;
  }
  return true;
}

bool IsHeaderText(std::string_view t) {
  if (t.empty() || t.size() > 8 || t.front() == '0') return false;
  for (char c : t) {
    if (!IsHex(c) || (c >= 'a' && c <= 'f')) return false;
  }
  return true;
}

}  // namespace vantrell::authoring
