// Stands in for the .NET Framework's tools in the Wine tests ("Remove
// Assemblies", tests/wine/t_assemblies.sh; the assembly tool statements,
// tests/wine/t_assembly_tools.sh): appends its arguments and its current
// folder, one run per line, to the file beside it named like the program with
// ".log" added, and ends with the exit code written in the file named like
// the program with ".exit" added (0 without one).
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, folder);
  // The command line without the program's own name.
  std::string line = GetCommandLineA();
  size_t start = 0;
  if (!line.empty() && line[0] == '"') {
    start = line.find('"', 1);
    start = start == std::string::npos ? line.size() : start + 1;
  } else {
    start = line.find(' ');
    if (start == std::string::npos) start = line.size();
  }
  while (start < line.size() && line[start] == ' ') ++start;
  if (FILE* log = std::fopen((std::string(self) + ".log").c_str(), "ab")) {
    std::fprintf(log, "%s|%s\n", line.substr(start).c_str(), folder);
    std::fclose(log);
  }
  int code = 0;
  if (FILE* exit = std::fopen((std::string(self) + ".exit").c_str(), "rb")) {
    if (std::fscanf(exit, "%d", &code) != 1) code = 0;
    std::fclose(exit);
  }
  return code;
}
