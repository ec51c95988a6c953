// Entry name rules (see entry_path.h).
#include "entry_path.h"

#include <array>

namespace zeb {
namespace {

bool IsSeparator(char16_t c) {
  return c == u'/' || c == u'\\';
}

char16_t Upper(char16_t c) {
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

// Windows maps these names to devices whatever their extension, and ignores trailing
// dots and spaces, so "nul.txt" and "CON " are devices too.
bool IsDeviceName(const std::u16string& segment) {
  std::u16string base;
  for (char16_t c : segment) {
    if (c == u'.') break;
    base.push_back(Upper(c));
  }
  while (!base.empty() && base.back() == u' ') base.pop_back();
  static const std::array<std::u16string, 6> kPlain = {u"CON", u"PRN",    u"AUX",
                                                       u"NUL", u"CONIN$", u"CONOUT$"};
  for (const auto& d : kPlain) {
    if (base == d) return true;
  }
  if (base.size() == 4 && (base.compare(0, 3, u"COM") == 0 || base.compare(0, 3, u"LPT") == 0)) {
    const char16_t n = base[3];
    // superscript digits count as well
    return (n >= u'0' && n <= u'9') || n == 0xB9 || n == 0xB2 || n == 0xB3;
  }
  return false;
}

bool IsSafeSegment(const std::u16string& segment) {
  if (segment.empty()) return false;
  bool onlyDotsAndSpaces = true;
  for (char16_t c : segment) {
    if (c < 0x20 || c == u':' || c == u'*' || c == u'?' || c == u'"' || c == u'<' || c == u'>' ||
        c == u'|')
      return false;
    if (c != u'.' && c != u' ') onlyDotsAndSpaces = false;
  }
  // "..", "." and "... " all end up as the current or parent folder on Windows
  if (onlyDotsAndSpaces) return false;
  return !IsDeviceName(segment);
}

}  // namespace

std::u16string NormalizeEntryName(const std::u16string& name) {
  std::u16string out = name;
  for (auto& c : out) {
    if (c == u'\\') c = u'/';
  }
  if (!out.empty() && out.back() == u'/') out.pop_back();
  return out;
}

bool IsSafeEntryName(const std::u16string& name) {
  if (name.empty() || IsSeparator(name.front())) return false;
  const std::u16string normal = NormalizeEntryName(name);
  if (normal.empty()) return false;
  size_t start = 0;
  while (start <= normal.size()) {
    size_t end = normal.find(u'/', start);
    if (end == std::u16string::npos) end = normal.size();
    if (!IsSafeSegment(normal.substr(start, end - start))) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace zeb
