// String and integer computations of the text statements (contract in
// string_statements.h).
#include "text/string_statements.h"

#include <limits>
#include <vector>

#include "vars/integer_text.h"

namespace vantrell {
namespace {

// The longest path the platform can name; longer texts name nothing.
constexpr size_t kMaxPathLength = 32767;

// Characters start..start+count-1 of text (positions from 1); a count below 1
// gives the empty text, a start below 1 counts as 1.
std::string Copy(const std::string& text, int64_t start, int64_t count) {
  if (start < 1) start = 1;
  if (count < 1 || start > static_cast<int64_t>(text.size())) return {};
  const auto from = static_cast<size_t>(start - 1);
  const auto available = static_cast<int64_t>(text.size() - from);
  return text.substr(from, static_cast<size_t>(count < available ? count : available));
}

std::string WithBackslash(std::string text) {
  if (text.empty() || text.back() != '\\') text.push_back('\\');
  return text;
}

// "C:", or "\\server\share", or empty.
std::string DrivePart(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    size_t serverEnd = path.find('\\', 2);
    if (serverEnd == std::string::npos) return path;
    size_t shareEnd = path.find('\\', serverEnd + 1);
    return shareEnd == std::string::npos ? path : path.substr(0, shareEnd);
  }
  return {};
}

std::string Decimal(int64_t value) {
  return std::to_string(value);
}

}  // namespace

std::string TrimControl(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  return std::string(text.substr(begin, end - begin));
}

std::pair<std::string, std::string> ParseText(
    const std::string& source, const std::string& delimiter, int32_t mode, bool trim,
    bool ignoreCase, const std::function<std::string(std::string)>& lower) {
  const std::string searched = ignoreCase ? lower(source) : source;
  const std::string needle = ignoreCase ? lower(delimiter) : delimiter;
  const auto length = static_cast<int64_t>(searched.size());
  int64_t p = 0;
  int64_t k = 1;
  int64_t o = 1;
  int32_t count = 0;
  switch (mode) {
    case 0: {
      k = static_cast<int64_t>(needle.size());
      size_t hit = needle.empty() ? std::string::npos : searched.find(needle);
      p = hit == std::string::npos ? length + 1 : static_cast<int64_t>(hit) + 1;
      break;
    }
    case 1: {
      k = static_cast<int64_t>(needle.size());
      size_t hit = needle.empty() ? std::string::npos : searched.rfind(needle);
      if (hit == std::string::npos) {
        p = 1;
        k = 0;
      } else {
        p = static_cast<int64_t>(hit) + 1;
      }
      break;
    }
    case 2:
      o = 0;
      if (!TryStrToInt(needle, count)) break;
      p = count;
      if (count == 0) {
        p = 1;
        o = 1;
        k = 0;
      }
      break;
    case 3:
      o = 0;
      if (!TryStrToInt(needle, count)) break;
      p = length - count;
      if (p == 0) {
        p = 1;
        o = 1;
        k = 0;
      }
      break;
    default:
      break;
  }
  if (p == 0) return {};
  std::string first = Copy(source, 1, p - o);
  std::string second = Copy(source, p + k, std::numeric_limits<int64_t>::max());
  if (trim) {
    first = TrimControl(first);
    second = TrimControl(second);
  }
  return {std::move(first), std::move(second)};
}

std::string ReplaceText(const std::string& value, const std::string& find,
                        const std::string& replacement, bool all,
                        const std::function<std::string(std::string)>& upper, size_t maxLength) {
  if (value.empty() || find.empty() || value.size() < find.size()) return value;
  std::string hay = upper ? upper(value) : value;
  std::string needle = upper ? upper(find) : find;
  if (hay.size() != value.size() || needle.size() != find.size()) {
    // A mapping that changes lengths cannot locate matches in the original.
    hay = value;
    needle = find;
  }
  std::string out;
  size_t pos = 0;
  for (;;) {
    size_t hit = hay.find(needle, pos);
    if (hit == std::string::npos) break;
    size_t finalSize =
        out.size() + (hit - pos) + replacement.size() + (value.size() - hit - find.size());
    if (finalSize > maxLength) break;
    out.append(value, pos, hit - pos);
    out += replacement;
    pos = hit + find.size();
    if (!all) break;
  }
  out.append(value, pos, std::string::npos);
  return out;
}

std::string_view FolderPart(std::string_view path) {
  size_t sep = path.find_last_of("\\:");
  return sep == std::string_view::npos ? std::string_view() : path.substr(0, sep + 1);
}

std::string ExtractPathPart(const std::string& path, int32_t selector) {
  const std::string folder(FolderPart(path));
  std::string name = path.substr(folder.size());
  size_t dot = name.rfind('.');
  switch (selector) {
    case 0:
      return name;
    case 1: {
      if (dot == std::string::npos) return name;
      const std::string extension = name.substr(dot);
      name.erase(name.find(extension), extension.size());
      return name;
    }
    case 2:
      return dot == std::string::npos ? std::string() : name.substr(dot + 1);
    case 3:
      return folder.empty() ? folder : WithBackslash(folder);
    case 4: {
      std::string parent = folder;
      if (!parent.empty() && parent.back() == '\\') parent.pop_back();
      return WithBackslash(std::string(FolderPart(parent)));
    }
    case 5:
      return DrivePart(path) + "\\";
    case 6: {
      std::string out;
      for (size_t i = 0; i < path.size(); ++i) {
        out.push_back(path[i]);
        if (path[i] == '\\' && i + 1 < path.size() && path[i + 1] == '\\') ++i;
      }
      return out;
    }
    default:
      return path;
  }
}

std::string LongPathForm(
    const std::string& path,
    const std::function<std::optional<std::string>(const std::string&)>& entryName) {
  std::string cleaned;
  for (char c : path) {
    if (c != '"') cleaned.push_back(c);
  }
  if (!cleaned.empty() && cleaned.back() == '\\') cleaned.pop_back();
  if (cleaned.size() > kMaxPathLength) return cleaned;

  // Each shorter path is the folder part of the one before, cleaned the same
  // way; all are prefixes of the cleaned path. Walked without recursion so that
  // a deep path cannot exhaust the stack.
  std::vector<size_t> lengths{cleaned.size()};
  for (;;) {
    std::string_view current(cleaned.data(), lengths.back());
    std::string_view folder = FolderPart(current);
    if (folder.size() == current.size()) break;
    size_t n = folder.size();
    if (n > 0 && folder.back() == '\\') --n;
    lengths.push_back(n);
  }

  std::string result = cleaned.substr(0, lengths.back());
  for (size_t i = lengths.size() - 1; i-- > 0;) {
    std::string current = cleaned.substr(0, lengths[i]);
    std::optional<std::string> name;
    if (current.find_first_of("*?") == std::string::npos) name = entryName(current);
    if (!name) {
      result = current;
      continue;
    }
    // A relative or drive-relative name keeps its form: no "\" is put
    // where the path had none.
    std::string_view folder = FolderPart(current);
    if (!folder.empty() && folder.back() == '\\') result.push_back('\\');
    result += *name;
  }
  return result;
}

std::string Mathematics::Compute(std::string_view op, std::string_view a, std::string_view b) {
  int64_t code = 0;
  int64_t x = 0;
  int64_t y = 0;
  if (!TryStrToInt64(op, code)) return {};
  if (code != 11 && !TryStrToInt64(a, x)) return {};
  if ((code < 10 || code == 13) && !TryStrToInt64(b, y)) return {};
  const auto ux = static_cast<uint64_t>(x);
  const auto uy = static_cast<uint64_t>(y);
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  switch (code) {
    case 0:
      return Decimal(static_cast<int64_t>(ux + uy));
    case 1:
      return Decimal(static_cast<int64_t>(ux - uy));
    case 2:
      return Decimal(static_cast<int64_t>(ux * uy));
    case 3:
      if (y == 0) return {};
      if (x == kMin && y == -1) return Decimal(kMin);  // the one quotient that wraps
      return Decimal(x / y);
    case 4:
      if (y == 0) return {};
      if (y == -1) return "0";
      return Decimal(x % y);
    case 5:
      return Decimal(static_cast<int64_t>(ux & uy));
    case 6:
      return Decimal(static_cast<int64_t>(ux | uy));
    case 7:
      return Decimal(static_cast<int64_t>(ux ^ uy));
    case 8:
      if (y < 0 || y > 63) return {};
      return Decimal(static_cast<int64_t>(ux << y));
    case 9:
      if (y < 0 || y > 63) return {};
      return Decimal(static_cast<int64_t>(ux >> y));
    case 10:
      return Decimal(static_cast<int64_t>(~ux));
    case 11:
      if (a.empty()) return {};
      return Decimal(static_cast<unsigned char>(a[0]));
    case 12:
      return std::string(1, static_cast<char>(ux & 0xFF));
    case 13:
      multiplier_ = static_cast<int32_t>(static_cast<uint32_t>(ux));
      increment_ = static_cast<int32_t>(static_cast<uint32_t>(uy));
      return Decimal(static_cast<int64_t>(ux + uy));
    case 14:
      seed_ = static_cast<int32_t>(static_cast<uint32_t>(ux));
      return Decimal(seed_);
    case 15: {
      uint32_t wrapped = static_cast<uint32_t>(multiplier_) * static_cast<uint32_t>(seed_) +
                         static_cast<uint32_t>(increment_);
      auto next = static_cast<int32_t>(wrapped);
      seed_ = next % 32767;
      if (x == 0) return {};
      return Decimal(static_cast<int64_t>(next) % x);
    }
    default:
      return {};
  }
}

}  // namespace vantrell
