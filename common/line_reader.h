// Reads text line by line: a line ends at CR LF, LF or CR, and a last line
// without an end still counts. Once the text is used up every read gives an
// empty line and Exhausted() is true.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrell {

class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  bool Exhausted() const { return pos_ >= text_.size(); }
  size_t Position() const { return pos_; }

  std::string Next() {
    if (Exhausted()) return {};
    size_t end = text_.find_first_of("\r\n", pos_);
    if (end == std::string_view::npos) end = text_.size();
    std::string line(text_.substr(pos_, end - pos_));
    pos_ = end;
    if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    return line;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

inline std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  LineReader reader(text);
  while (!reader.Exhausted()) lines.push_back(reader.Next());
  return lines;
}

}  // namespace vantrell
