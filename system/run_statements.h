// "Run Program", "Run Program As", "Run Light Mode Setup" and "Terminate
// Program". The three running statements share one frame: file-system
// redirection off for the statement, the start-and-wait on a worker thread
// while the main thread publishes PROGRESSTEXT and PROGRESS, and the exit
// code in decimal into the result variable (when one is named). No message is
// ever shown; failures become negative exit codes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_system.h"
#include "script/statements.h"
#include "system/program_runner.h"

namespace vantrell {

// Exit codes that stand for a failure instead of a program's status:
// -1 the shell could not open the file (or no light-mode setup was built);
// -7 the desktop shell's process, -8 its token could not be opened; -9 the
// token could not be duplicated; 0 the system cannot create a process with a
// token; -11 the process could not be created.
inline constexpr int32_t kRunNotOpened = -1;
inline constexpr int32_t kRunNoShellProcess = -7;
inline constexpr int32_t kRunNoShellToken = -8;
inline constexpr int32_t kRunNoDuplicate = -9;
inline constexpr int32_t kRunNoTokenFunction = 0;
inline constexpr int32_t kRunNotCreated = -11;

// The user-name line that asks for the non-elevated desktop user.
inline constexpr std::string_view kDesktopUserMarker = "$VELD_UAC$";

// Show mode of a script code; codes outside 0 to 4 show the program normally.
ShowMode ShowModeOfCode(int32_t code);

// "Run Program As": a double quote, the program, a double quote, a blank, the parameters.
std::string RunAsCommandLine(std::string_view program, std::string_view parameters);

// An environment block from NAME=VALUE lines separated by CR LF: the lines
// joined with NUL and ended with two NULs. Empty lines are left out, since an
// empty entry would end the block early. Empty text gives the empty block
// (the engine's own environment).
std::string EnvironmentBlock(std::string_view lines);

// The folder of a program up to and including its last "\", or empty: a
// bare name or a URL has none.
std::string ProgramFolder(std::string_view path);

// The privileges taken from the desktop user's token before a program runs with it.
const std::vector<std::string>& DesktopUserRemovedPrivileges();

// The starts of "Run Program As" on its worker thread, each giving the exit
// code. StartAsDesktopUser steps down to the desktop user when the engine is
// elevated and the shell is not, and otherwise starts as the current user.
int32_t StartAsDesktopUser(ProgramRunner& runner, const ProcessRequest& request);
// Empty user: the current user; "$VELD_UAC$": the desktop user; otherwise a logon.
int32_t StartProgramAs(ProgramRunner& runner, const ProcessRequest& request,
                       const LogonCredentials& credentials);

// Puts the engine's image part in front of the data file's bytes, so that the
// file of that name becomes a runnable setup; the data file itself is kept
// under its name + ".nox". On false everything is as before.
bool BuildLightModeSetup(FileSystem& files, ProgramRunner& runner, const std::string& dataFile);
// Removes the built setup and gives the data file its name back. A built
// setup that cannot be removed (it still runs) keeps the name, and the data
// file then stays under ".nox".
void RestoreLightModeDataFile(FileSystem& files, ProgramRunner& runner,
                              const std::string& dataFile);

// The first window whose title contains titlePart and whose class name
// contains classPart (empty parts match anything), compared case-sensitively.
std::optional<uintptr_t> FindWindowToClose(const std::vector<TopLevelWindow>& windows,
                                           std::string_view titlePart, std::string_view classPart);

void ExecuteRunProgram(StatementContext& s, ProgramRunner& runner);
void ExecuteRunProgramAs(StatementContext& s, ProgramRunner& runner);
void ExecuteRunLightModeSetup(StatementContext& s, ProgramRunner& runner, FileSystem& files);
void ExecuteTerminateProgram(StatementContext& s, ProgramRunner& runner);

// The runner and the file system must outlive the registrations.
void RegisterRunStatements(StatementTable& table, ProgramRunner& runner, FileSystem& files);

}  // namespace vantrell
