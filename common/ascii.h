// ASCII-only letter case helpers. The engine's names and keys compare without
// regard to ASCII letter case; other bytes of the code page compare exactly.
#pragma once

#include <string>
#include <string_view>

namespace vantrell {

constexpr char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
constexpr char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

inline std::string AsciiUpper(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = AsciiUpper(c);
  return r;
}

inline std::string AsciiLower(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = AsciiLower(c);
  return r;
}

inline bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

// Position of needle in haystack ignoring ASCII case, or npos.
inline size_t FindIgnoreCase(std::string_view haystack, std::string_view needle, size_t from = 0) {
  if (needle.empty()) return from <= haystack.size() ? from : std::string_view::npos;
  for (size_t i = from; i + needle.size() <= haystack.size(); ++i) {
    if (EqualsIgnoreCase(haystack.substr(i, needle.size()), needle)) return i;
  }
  return std::string_view::npos;
}

// Replaces every occurrence of from (ignoring case), scanning left to right
// without looking into replaced text.
inline std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view from,
                                        std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string out;
  size_t pos = 0;
  for (;;) {
    size_t hit = FindIgnoreCase(text, from, pos);
    if (hit == std::string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

}  // namespace vantrell
