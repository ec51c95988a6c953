// The run's installer property list (contract in property_list.h).
#include "msi/property_list.h"

#include "common/line_reader.h"

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
  std::vector<std::string> lines = SplitLines(text);
  std::lock_guard lock(mutex_);
  lines_.insert(lines_.end(), lines.begin(), lines.end());
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
