// Installer run results and the variables they write (contract in the header).
#include "msi/install_result.h"

#include <algorithm>

#include "lang/engine_texts.h"

namespace vantrell {
namespace {

constexpr int kTextSourcesNotFound = 18;
constexpr int kTextGeneralFailure = 19;

void WriteResultVariable(TVariableManager& vars, std::string_view resultParameter,
                         std::string_view text, std::string_view origin) {
  const std::string name = ResultVariableName(resultParameter);
  if (name.empty()) return;
  vars.DeclareResultVariable(name, origin);
  vars.AssignVariable(name, text, origin);
}

}  // namespace

InstallerCallOutcome ClassifyInstallerResult(uint32_t code) {
  switch (code) {
    case kInstallerSuccess:
      return InstallerCallOutcome::kSuccess;
    case kInstallerRebootRequired:
    case kInstallerRebootInitiated:
      return InstallerCallOutcome::kRebootRequired;
    case kInstallerBusy:
      return InstallerCallOutcome::kBusy;
    default:
      return InstallerCallOutcome::kError;
  }
}

std::string CleanSystemMessageText(std::string_view text) {
  size_t end = text.size();
  while (end > 0) {
    auto c = static_cast<unsigned char>(text[end - 1]);
    if (c > 32 && c != '.') break;
    --end;
  }
  return std::string(text.substr(0, end));
}

std::string CompleteErrorText(std::string_view errorText, std::string_view lastInstallerMessage) {
  std::string text(errorText);
  if (text.empty()) text = std::string(lastInstallerMessage);
  if (text.empty()) text = EngineText(kTextGeneralFailure);
  if (!text.empty() && text.back() == '.' && std::count(text.begin(), text.end(), '.') == 1) {
    text.pop_back();
  }
  return text;
}

std::string NextBusyDots(std::string_view dots) {
  if (dots == "...") return ".";
  return std::string(dots) + ".";
}

std::string BusyProgressText(std::string_view dots) {
  return "Windows Installer" + std::string(dots);
}

uint32_t CallWhileBusy(const BusyRetry& retry) {
  std::string dots;
  for (;;) {
    const uint32_t code = retry.call();
    if (code != kInstallerBusy) return code;
    dots = NextBusyDots(dots);
    retry.showBusy(BusyProgressText(dots));
    retry.wait(kBusyRetryMilliseconds);
    if (retry.cancelled()) return code;
  }
}

int RunnerResult(std::string_view cancelledValue, bool errorFlag, bool rebootFlag) {
  if (cancelledValue == "TRUE") return kInstallCancel;
  if (errorFlag) return kInstallError;
  if (rebootFlag) return kInstallReboot;
  return kInstallComplete;
}

const char* InstallResultText(int result) {
  switch (result) {
    case kInstallCancel:
      return "CANCEL";
    case kInstallComplete:
      return "COMPLETE";
    case kInstallReboot:
      return "REBOOT";
    default:
      return "ERROR";
  }
}

InstallFlags ReadInstallFlags(std::string_view installParameter, std::string_view removeParameter) {
  const bool install = TextToBool(installParameter);
  const bool remove = TextToBool(removeParameter);
  InstallFlags flags;
  flags.advertise = !install && !remove;
  flags.install = install || flags.advertise;
  return flags;
}

std::string ResultVariableName(std::string_view resultParameter) {
  std::string name = TVariableManager::StripReference(resultParameter);
  return name.empty() ? std::string(resultParameter) : name;
}

void WriteInstallResult(TVariableManager& vars, std::string_view resultParameter, int result,
                        std::string_view errorText, std::string_view origin) {
  if (!errorText.empty()) vars.AssignVariable("LASTERROR", errorText, origin);
  WriteResultVariable(vars, resultParameter, InstallResultText(result), origin);
  if (result == kInstallReboot) vars.AssignVariable("REBOOTCOMPUTER", "TRUE", origin);
}

void WriteSourcesNotFound(TVariableManager& vars, std::string_view resultParameter,
                          std::string_view origin) {
  vars.AssignVariable("LASTERROR", EngineText(kTextSourcesNotFound), origin);
  WriteResultVariable(vars, resultParameter, InstallResultText(kInstallCancel), origin);
}

}  // namespace vantrell
