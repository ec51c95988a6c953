// "Reboot Computer" and "Reboot and Resume": ask the system for a restart and
// end the run as "Terminate Install" does. "Reboot and Resume" first writes
// the resume entry: a value under the Run key, named after the product code,
// that starts the setup once more with the same arguments after the next
// logon (the bootstrap of that run deletes it again).
#pragma once

#include <string>

#include "common/registration_store.h"
#include "script/statements.h"

namespace vantrell {

inline constexpr const char* kResumeKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The system restart. Never called by tests: they hand in a twin.
class SystemRestart {
 public:
  virtual ~SystemRestart() = default;
  // Enables the process's shutdown privilege where the system has one (best
  // effort) and asks for a normal restart that closes no program by force;
  // false when the system refused.
  virtual bool RequestRestart() = 0;
};

struct RebootServices {
  RegistrationStore& registry;  // the resume entry
  SystemRestart& restart;
  // The program named by the self-extractor switch of the running engine;
  // empty when it was not started from a self-extracting wrapper.
  std::string selfExtractorPath;
};

// The first eight hexadecimal digits of a braced product code; empty when the
// code is too short to have them.
std::string ResumeValueName(const std::string& productCode);

// The command that resumes the setup: the wrapper's program when there is
// one, else the engine's own; then a blank and the arguments when there are
// any. A program path with blanks is quoted so that the system cannot start
// a different program named by its first words.
std::string ResumeCommand(const std::string& selfExtractorPath, const std::string& exePath,
                          const std::string& arguments);

// Writes the resume entry under the local machine when allUsers, else under
// the current user; a failure is an engine error.
void WriteResumeEntry(RegistrationStore& registry, bool allUsers, const std::string& productCode,
                      const std::string& command);

void ExecuteRebootComputer(StatementContext& s, RebootServices& services);
void ExecuteRebootAndResume(StatementContext& s, RebootServices& services);

// The services' references must outlive the registrations.
void RegisterRebootStatements(StatementTable& table, RebootServices services);

}  // namespace vantrell
