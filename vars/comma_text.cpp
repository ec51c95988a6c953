// Comma text reading and writing (grammar in comma_text.h).
#include "vars/comma_text.h"

#include <algorithm>

namespace vantrell {
namespace {

bool IsCommaBlank(char c) {
  auto u = static_cast<unsigned char>(c);
  return u >= 1 && u <= 32;
}

bool NeedsQuotes(std::string_view item) {
  return std::any_of(item.begin(), item.end(), [](char c) {
    // NUL counts as a control character too: unquoted it would end the item.
    return static_cast<unsigned char>(c) <= 32 || c == '"' || c == ',';
  });
}

}  // namespace

void AppendCommaItem(std::string& out, std::string_view item) {
  if (!NeedsQuotes(item)) {
    out.append(item);
    return;
  }
  out += '"';
  for (char c : item) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

std::vector<std::string> ReadCommaText(std::string_view text) {
  std::vector<std::string> items;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && IsCommaBlank(text[i])) ++i;
  while (i < n) {
    std::string item;
    if (text[i] == '"') {
      ++i;
      while (i < n) {
        if (text[i] == '"') {
          if (i + 1 < n && text[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += text[i++];
      }
    } else {
      size_t start = i;
      while (i < n && text[i] != ',' && !IsCommaBlank(text[i])) ++i;
      item.assign(text.substr(start, i - start));
    }
    items.push_back(std::move(item));
    while (i < n && IsCommaBlank(text[i])) ++i;
    if (i < n && text[i] == ',') {
      if (i + 1 == n) items.emplace_back();
      ++i;
      while (i < n && IsCommaBlank(text[i])) ++i;
    }
  }
  return items;
}

std::string WriteCommaText(const std::vector<std::string>& items) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += ',';
    AppendCommaItem(out, items[i]);
  }
  return out;
}

}  // namespace vantrell
