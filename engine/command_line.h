// The engine's command line: the program part is cut off and the arguments
// give the silent and update switches, the valued switches ("/l=", "/g=",
// "/m=", "/p=") and NAME=VALUE assignments.
//
// Arguments are split as the runtime's argument list does it: blanks and
// control characters separate, double quotes group and are removed. Switch
// words are whole arguments after "/" or "-", in any letter case. A valued
// switch is the first argument whose lower-cased text contains it anywhere;
// its value is that lower-cased text minus its first three characters.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrell {

struct CommandLine {
  std::string tail;                    // the command line without the program part
  std::vector<std::string> arguments;  // arguments 1..n
  bool silent = false;
  bool update = false;  // "update" or "updatesetup": no start-up windows
  std::string logPath;
  std::string gpoPath;
  std::string sfxPath;
  std::string sourcePath;
  std::vector<std::pair<std::string, std::string>> assignments;  // upper-cased name, value
};

// The command line without its program part.
std::string CommandLineTail(std::string_view fullCommandLine);

// Arguments after the program, split by the runtime's rules.
std::vector<std::string> SplitArguments(std::string_view fullCommandLine);

CommandLine ParseCommandLine(std::string_view fullCommandLine);

}  // namespace vantrell
