// Run-start variables (contract in bootstrap.h).
#include "script/bootstrap.h"

#include <mutex>
#include <vector>

namespace vantrell {
namespace {

constexpr const char* kPreInitialization = "Pre-Initialization";
constexpr const char* kInitialization = "Initialization";

std::mutex cleanupMutex;
std::vector<std::function<void()>>& Cleanups() {
  static std::vector<std::function<void()>> cleanups;
  return cleanups;
}

std::string FolderPart(const std::string& path) {
  size_t cut = path.find_last_of("\\:");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string FilePart(const std::string& path) {
  size_t cut = path.find_last_of("\\:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

void DefineRunVariables(const RunScriptContext& context, TVariableManager& vars) {
  vars.PutVariable("VELD_thProgress", "0");
  vars.PutVariable("VELD_thMax", "100");
  vars.PutVariable("VELD_thMin", "0");
  vars.PutVariable("VELD_thProgressText", "");
  vars.PutVariable("VELD_thFinished", "FALSE");
  vars.PutVariable("VELD_thCancelled", "FALSE");
  vars.AssignVariable("TARGETDIR", "", kPreInitialization);
  vars.AssignVariable("STARTMENU", context.script.projectTitle, kPreInitialization);
  vars.AssignVariable("ALLUSERS", "FALSE", kPreInitialization);
}

void RunBootstrap(const RunScriptContext& context, TVariableManager& vars) {
  vars.AssignVariable("PRODUCTCODE", context.script.productCode, "Bootstrap");
  vars.AssignVariable("REVISIONCODE", context.script.revisionCode, "Bootstrap");
}

void DefineInitialisationVariables(const RunScriptContext& context, TVariableManager& vars,
                                   InterpreterHost& host) {
  static const CommandLine kNone;
  const CommandLine& cl = context.commandLine ? *context.commandLine : kNone;
  const SetupScript& script = context.script;
  const std::string exeFolder = context.exeFolder;
  const std::pair<const char*, std::string> values[] = {
      {"VELD_COMPRESS_INSTALLER_CACHE", "TRUE"},
      {"VELD_DISABLE_ROLLBACK", "FALSE"},
      {"VELD_DISABLE_VISTA_RESTART_MANAGER", "FALSE"},
      {"IISHOST", "localhost"},
      {"OVERRIDECACHE", ""},
      {"VELDLOGO", ""},
      {"SELECTED", "0"},
      {"WINDOWHANDLE", "0"},
      {"EXEFILE", context.exePath},
      {"EXEDIR", exeFolder},
      {"PROGRESSTEXT", ""},
      {"PROGRESSMODE", ""},
      {"ABORT", "FALSE"},
      {"PROGRESS", "0"},
      {"LASTERROR", ""},
      {"LICENSE", "FALSE"},
      {"USERNAME", ""},
      {"USERCOMPANY", ""},
      {"COPYWEBLOCK", ""},
      {"REBOOTCOMPUTER", "FALSE"},
      {"RUNAPP", "TRUE"},
      {"WIZARD", "NEXT"},
      {"VERSION", script.registration.version},
      {"SILENT", cl.silent ? "TRUE" : "FALSE"},
      {"LOGGED", cl.logPath},
      {"CMDLINE", cl.tail},
      {"REBOOTNOW", "OK"},
      {"SFXPATH", FolderPart(cl.sfxPath)},
      {"SFXFILE", FilePart(cl.sfxPath)},
      {"GPOPATH", FolderPart(cl.gpoPath)},
      {"COMPLETE", "TRUE"},
      {"NEWLINE", "\r\n"},
      {"MINIMUM", "FALSE"},
      {"PERSONALIZED", "FALSE"},
      {"MODIFY", "TRUE"},
      {"REPAIR", "FALSE"},
      {"REMOVE", "FALSE"},
      {"ROOTDIR", exeFolder},
      {"TITLE", script.projectTitle},
      {"COMPANY", script.registration.publisher},
      {"ADVERTISE", "FALSE"},
      {"DATE", host.ShortDate()},
      {"TIME", host.LongTime()},
      {"TEMPDIR", context.tempFolder},
      {"SUPPORTDIR", context.supportFolder},
      {"MSIFILE", context.installerDatabasePath},
  };
  for (const auto& [name, value] : values) {
    if (std::string_view(name) == "OVERRIDECACHE" && vars.VariableExists(name)) continue;
    vars.AssignVariable(name, value, kInitialization);
  }
  vars.AssignVariable("LANGUAGE", "", kInitialization);

  std::vector<std::string> overrides;
  for (const auto& [name, value] : cl.assignments) {
    overrides.push_back(name);
    overrides.push_back(value);
  }
  vars.SetOverrideList(overrides);
  for (const auto& [name, value] : cl.assignments) {
    vars.AssignVariable(name, value, "Inject Override Command Line");
  }
}

void AddExitCleanup(std::function<void()> cleanup) {
  std::lock_guard lock(cleanupMutex);
  Cleanups().push_back(std::move(cleanup));
}

void RunExitCleanup() {
  std::vector<std::function<void()>> cleanups;
  {
    std::lock_guard lock(cleanupMutex);
    cleanups = Cleanups();
  }
  for (auto& cleanup : cleanups) cleanup();
}

}  // namespace vantrell
