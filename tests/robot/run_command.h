// `robot run`: starts a program, waits for it while recording the visible
// top-level windows of its process tree, and reports its full 32-bit exit code.
#pragma once

#include <string>
#include <vector>

#include "robot_io.h"

namespace vantrell::robot {

struct RunRequest {
  std::wstring program;            // may be empty when rawCommandLine names it
  std::vector<std::wstring> args;  // quoted into the command line
  std::wstring rawCommandLine;     // used verbatim when not empty
  std::wstring workingDirectory;   // the robot's own when empty
  DWORD timeoutMs = 60000;
};

// Command line that CommandLineToArgvW and the C runtime split back into program and args.
std::wstring BuildCommandLine(const std::wstring& program, const std::vector<std::wstring>& args);

// Prints window= lines as windows appear, then windows= and exit=; throws on timeout.
void RunAndWatch(const RunRequest& request, Output& out);

}  // namespace vantrell::robot
