// Command-line evaluation of the engine (rules in command_line.h).
#include "engine/command_line.h"

#include "common/ascii.h"

namespace vantrell {
namespace {

// One argument starting at pos, or false at the end; quotes group and vanish.
bool NextArgument(std::string_view line, size_t& pos, std::string& argument) {
  while (pos < line.size() && static_cast<unsigned char>(line[pos]) <= ' ') ++pos;
  if (pos >= line.size()) return false;
  argument.clear();
  bool quoted = false;
  while (pos < line.size()) {
    char c = line[pos];
    if (!quoted && static_cast<unsigned char>(c) <= ' ') break;
    ++pos;
    if (c == '"') {
      quoted = !quoted;
    } else {
      argument.push_back(c);
    }
  }
  return true;
}

bool IsSwitchWord(std::string_view argument, std::string_view word) {
  return argument.size() == word.size() + 1 && (argument[0] == '/' || argument[0] == '-') &&
         EqualsIgnoreCase(argument.substr(1), word);
}

// First argument whose lower-cased text contains one of the markers.
bool ValuedSwitch(const std::vector<std::string>& arguments,
                  std::initializer_list<const char*> markers, std::string& value) {
  for (const std::string& argument : arguments) {
    std::string lower = AsciiLower(argument);
    for (const char* marker : markers) {
      if (lower.find(marker) != std::string::npos) {
        value = lower.size() > 3 ? lower.substr(3) : std::string();
        return true;
      }
    }
  }
  return false;
}

}  // namespace

std::string CommandLineTail(std::string_view full) {
  if (!full.empty() && full[0] == '"') {
    size_t close = full.find('"', 1);
    if (close == std::string_view::npos) return {};
    size_t start = close + 2;  // the closing quote and one separator
    return start < full.size() ? std::string(full.substr(start)) : std::string();
  }
  size_t blank = full.find(' ');
  return blank == std::string_view::npos ? std::string() : std::string(full.substr(blank + 1));
}

std::vector<std::string> SplitArguments(std::string_view full) {
  std::vector<std::string> arguments;
  size_t pos = 0;
  std::string argument;
  bool first = true;
  while (NextArgument(full, pos, argument)) {
    if (first) {
      first = false;  // the program
      continue;
    }
    arguments.push_back(argument);
  }
  return arguments;
}

CommandLine ParseCommandLine(std::string_view full) {
  CommandLine cl;
  cl.tail = CommandLineTail(full);
  cl.arguments = SplitArguments(full);
  for (const std::string& argument : cl.arguments) {
    if (IsSwitchWord(argument, "s") || IsSwitchWord(argument, "qn")) cl.silent = true;
    if (IsSwitchWord(argument, "update") || IsSwitchWord(argument, "updatesetup")) cl.update = true;
    if (argument.empty() || argument[0] == '/' || argument[0] == '-') continue;
    size_t eq = argument.find('=');
    if (eq == std::string::npos || eq == 0) continue;
    cl.assignments.emplace_back(AsciiUpper(argument.substr(0, eq)), argument.substr(eq + 1));
  }
  ValuedSwitch(cl.arguments, {"/l=", "-l="}, cl.logPath);
  ValuedSwitch(cl.arguments, {"/g="}, cl.gpoPath);
  ValuedSwitch(cl.arguments, {"/m="}, cl.sfxPath);
  ValuedSwitch(cl.arguments, {"/p=", "-p="}, cl.sourcePath);
  return cl;
}

}  // namespace vantrell
