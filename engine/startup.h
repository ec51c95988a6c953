// The engine's start-up sequence from process start to the exit code: command
// line, carried script, support folder and its contents, the interpreter run,
// and the cleanup. Every step is bracketed by trace lines. Exit codes: 13 no
// script, 14 no support archive, 15 extraction failure, 16 no installer
// package (these end at once and leave the support folder), 11 an error
// between the script copy and the freeing step, else the script's code.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "common/file_system.h"
#include "common/trace_log.h"
#include "engine/command_line.h"
#include "engine/run_session.h"
#include "engine/startup_ui.h"
#include "media/archive_files.h"

namespace vantrell {

enum StartupExitCode : int {
  kExitStartupError = 11,
  kExitNoScript = 13,
  kExitNoSupportArchive = 14,
  kExitExtractionFailed = 15,
  kExitNoDatabase = 16,
};

struct StartupEnvironment {
  std::string exePath;               // the engine's own file
  std::string tempFolder;            // the user's temporary folder
  std::string commandLine;           // the whole process command line
  std::optional<uint64_t> imageEnd;  // end of the running image's last section
  std::string userLanguage;          // display name of the user's interface language
};

struct StartupServices {
  FileSystem& files;
  ArchiveLibrary& archives;
  StartupUi& ui;
  TraceLog& trace;
  // Loads one dialog (key, form file) hidden; throws when it cannot. None:
  // the run has no dialog windows.
  std::function<void(const std::string& key, const std::string& formPath)> loadDialog;
  // The interpreter, bound to its host and variable store by the caller.
  std::function<int(const RunScriptContext&)> runScript;
};

// Values start-up computes; the run reads them through its RunScriptContext.
struct StartupState {
  std::string exeFolder;
  std::string baseName;
  std::string tempFolder;
  std::string supportFolder;
  std::string dataFolder;
  std::string supportArchivePath;
  std::string installerDatabasePath;
  CommandLine commandLine;
};

// Claims the first free temp + "zeb" + N + "\" by creating it; empty on failure.
std::string ClaimSupportFolder(FileSystem& files, const std::string& tempFolder);

// Runs start-up to its end and returns the process exit code.
int RunStartup(const StartupEnvironment& environment, StartupServices& services);

}  // namespace vantrell
