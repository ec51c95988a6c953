// The restart statements (contract in reboot_statements.h).
#include "system/reboot_statements.h"

#include "common/engine_error.h"
#include "script/run_identity.h"
#include "vars/variable_manager.h"

namespace vantrell {
namespace {

void RestartAndEnd(StatementContext& s, RebootServices& services) {
  // A refused restart is not reported: the run ends all the same.
  services.restart.RequestRestart();
  s.run.EndRun();
}

}  // namespace

std::string ResumeValueName(const std::string& productCode) {
  return productCode.size() >= 9 ? productCode.substr(1, 8) : std::string();
}

std::string ResumeCommand(const std::string& selfExtractorPath, const std::string& exePath,
                          const std::string& arguments) {
  std::string command = selfExtractorPath.empty() ? exePath : selfExtractorPath;
  if (command.find_first_of(" \t") != std::string::npos) command = "\"" + command + "\"";
  if (!arguments.empty()) command += " " + arguments;
  return command;
}

void WriteResumeEntry(RegistrationStore& registry, bool allUsers, const std::string& productCode,
                      const std::string& command) {
  const std::string name = ResumeValueName(productCode);
  const RegistryRoot root = allUsers ? RegistryRoot::kLocalMachine : RegistryRoot::kCurrentUser;
  const std::string where =
      std::string(allUsers ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") + kResumeKey;
  // Without a name the key's default value would be written, which no run deletes.
  if (name.empty())
    throw EngineError("Cannot write the resume entry under " + where +
                      ": the setup has no product code");
  if (!registry.WriteString(root, kResumeKey, name, command)) {
    throw EngineError("Cannot write the resume entry " + name + " under " + where);
  }
}

void ExecuteRebootComputer(StatementContext& s, RebootServices& services) {
  RestartAndEnd(s, services);
}

void ExecuteRebootAndResume(StatementContext& s, RebootServices& services) {
  const RunIdentity& run = CurrentRun();
  WriteResumeEntry(
      services.registry, TextToBool(s.vars.GetVariable("ALLUSERS")), run.productCode,
      ResumeCommand(services.selfExtractorPath, run.exePath, s.vars.GetVariable("CMDLINE")));
  RestartAndEnd(s, services);
}

void RegisterRebootStatements(StatementTable& table, RebootServices services) {
  table.Register("Reboot Computer",
                 [services](StatementContext& s) mutable { ExecuteRebootComputer(s, services); });
  table.Register("Reboot and Resume",
                 [services](StatementContext& s) mutable { ExecuteRebootAndResume(s, services); });
}

}  // namespace vantrell
