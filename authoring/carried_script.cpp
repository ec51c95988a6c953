// Writes and splits the carried setup script (layout in carried_script.h).
#include "authoring/carried_script.h"

#include "common/line_reader.h"

#include <stdexcept>

#include "common/line_reader.h"

namespace vantrell::authoring {
namespace {

constexpr std::string_view kNewline = "\r\n";
constexpr std::string_view kSeparator = "$";

class Writer {
 public:
  void Line(std::string_view item, std::string_view text) {
    if (text.find_first_of("\r\n") != std::string_view::npos) {
      throw std::invalid_argument(std::string(item) + ": a line break cannot be carried");
    }
    out_.append(text).append(kNewline);
  }
  void List(std::string_view item, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
      if (line == kSeparator) {
        throw std::invalid_argument(std::string(item) +
                                    ": an item that is exactly \"$\" would end the list");
      }
      Line(item, line);
    }
    out_.append(kSeparator).append(kNewline);
  }
  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
};

class Splitter {
 public:
  explicit Splitter(std::string_view bytes) : reader_(bytes) {}

  size_t Position() const { return reader_.Position(); }
  bool Exhausted() const { return reader_.Exhausted(); }

  std::string Line() {
    if (Exhausted()) complete_ = false;
    return reader_.Next();
  }

  std::vector<std::string> List() {
    std::vector<std::string> lines;
    for (;;) {
      if (Exhausted()) {
        complete_ = false;
        return lines;
      }
      std::string line = Line();
      if (line == kSeparator) return lines;
      lines.push_back(std::move(line));
    }
  }

  bool Complete() const { return complete_; }

 private:
  LineReader reader_;
  bool complete_ = true;
};

}  // namespace

std::string WriteCarriedScript(const CarriedScript& s) {
  Writer w;
  w.List("command list", s.commands);
  w.List("identifier list", s.identifiers);
  w.List("parameter pool", s.pool);
  w.List("marker list", s.markers);
  w.Line("product code", s.productCode);
  w.Line("title", s.title);
  w.List("plug-in command list", s.pluginCommands);
  for (const std::string& line : s.registration) w.Line("registration", line);
  w.List("media password list", s.mediaPasswords);
  w.List("media folder list", s.mediaFolders);
  w.Line("build kind", s.buildKind);
  w.List("component size list", s.componentSizes);
  w.Line("revision code", s.revisionCode);
  w.List("offline file list", s.offlineFiles);
  w.Line("language selection flag", s.languageSelection);
  w.Line("default language", s.defaultLanguage);
  w.List("statement header list", s.statementHeaders);
  w.List("build variable list", s.buildVariables);
  return w.Take();
}

std::optional<CarriedScript> SplitCarriedScript(std::string_view bytes, size_t* consumed) {
  Splitter in(bytes);
  CarriedScript s;
  s.commands = in.List();
  s.identifiers = in.List();
  s.pool = in.List();
  s.markers = in.List();
  s.productCode = in.Line();
  s.title = in.Line();
  s.pluginCommands = in.List();
  for (std::string& line : s.registration) line = in.Line();
  s.mediaPasswords = in.List();
  s.mediaFolders = in.List();
  s.buildKind = in.Line();
  s.componentSizes = in.List();
  s.revisionCode = in.Line();
  s.offlineFiles = in.List();
  s.languageSelection = in.Line();
  s.defaultLanguage = in.Line();
  s.statementHeaders = in.List();
  s.buildVariables = in.List();
  if (!in.Complete()) return std::nullopt;
  if (consumed) *consumed = in.Position();
  return s;
}

}  // namespace vantrell::authoring
