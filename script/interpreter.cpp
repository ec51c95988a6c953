// The interpreter entry. The run's phases are traced; statements are not
// executed yet, so a run ends after the bootstrap with exit code 0.
#include "script/interpreter.h"

#include "engine/trace_log.h"

namespace vantrell {
namespace {

bool InstallerPackagePresent(const RunScriptContext& context) {
  const std::string& msi = context.installerDatabasePath;
  if (!msi.empty() && context.files.FileExists(msi)) return true;
  size_t dot = msi.find_last_of(".\\");
  if (msi.empty() || dot == std::string::npos || msi[dot] != '.') return false;
  return context.files.FileExists(msi.substr(0, dot) + ".msp");
}

}  // namespace

int RunScript(const RunScriptContext& context) {
  TraceLine("    <Variables>");
  TraceLine("    </Variables>");
  TraceLine("    <CompileScript>");
  TraceLine("    </CompileScript>");
  TraceLine("    <BootStrap>");
  TraceLine("    </BootStrap>");
  if (!InstallerPackagePresent(context)) return 0;
  TraceLine("    <veld>");
  TraceLine("    </veld>");
  TraceLine("    <ExitScript>");
  TraceLine("    </ExitScript>");
  return 0;
}

}  // namespace vantrell
