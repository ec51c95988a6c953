// The ordered list of installer properties collected during the run: pairs of
// lines (name, value), only ever appended; a later pair of the same name wins.
// Saved in the engine cache as the ".par" file, one line per entry.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace vantrell {

class PropertyList {
 public:
  void Append(std::string_view name, std::string_view value);
  void Clear();
  std::vector<std::string> Lines() const;
  // Appends the lines of a ".par" file (CR LF, LF or CR separated).
  void LoadText(std::string_view text);
  std::string SaveText() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

PropertyList& Properties();

}  // namespace vantrell
