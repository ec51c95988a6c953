// The run's installer property list (contract in property_list.h).
#include "msi/property_list.h"

namespace vantrell {

void PropertyList::Append(std::string_view name, std::string_view value) {
  std::lock_guard lock(mutex_);
  lines_.emplace_back(name);
  lines_.emplace_back(value);
}

void PropertyList::Clear() {
  std::lock_guard lock(mutex_);
  lines_.clear();
}

std::vector<std::string> PropertyList::Lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

void PropertyList::LoadText(std::string_view text) {
  std::lock_guard lock(mutex_);
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    lines_.emplace_back(text.substr(pos, end - pos));
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
  }
}

std::string PropertyList::SaveText() const {
  std::lock_guard lock(mutex_);
  std::string text;
  for (const std::string& line : lines_) text += line + "\r\n";
  return text;
}

PropertyList& Properties() {
  static PropertyList list;
  return list;
}

}  // namespace vantrell
