// What an installer run's codes and flags mean: the outcome of an installer
// call, the error text completion, the busy-retry dots, the runner's result
// (-1 error, 0 cancel, 1 complete, 2 reboot) and the variables it writes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "vars/variable_manager.h"

namespace vantrell {

inline constexpr uint32_t kInstallerSuccess = 0;
inline constexpr uint32_t kInstallerRebootRequired = 3010;
inline constexpr uint32_t kInstallerRebootInitiated = 1641;
inline constexpr uint32_t kInstallerBusy = 1618;
inline constexpr int kBusyRetryMilliseconds = 3141;

inline constexpr int kInstallError = -1;
inline constexpr int kInstallCancel = 0;
inline constexpr int kInstallComplete = 1;
inline constexpr int kInstallReboot = 2;

enum class InstallerCallOutcome { kSuccess, kRebootRequired, kBusy, kError };
InstallerCallOutcome ClassifyInstallerResult(uint32_t code);

// The system's message text for a code, with trailing blanks, control
// characters and periods removed.
std::string CleanSystemMessageText(std::string_view text);

// The error text when the error flag is set: the text, else the installer's
// last fatal or error message, else "General setup failure" (engine text);
// a text whose only period is its last character loses that period.
std::string CompleteErrorText(std::string_view errorText, std::string_view lastInstallerMessage);

// The next busy-retry dots: "" -> "." -> ".." -> "..." -> ".".
std::string NextBusyDots(std::string_view dots);
// "Windows Installer" followed by the dots.
std::string BusyProgressText(std::string_view dots);

// One installer call, tried again while the installer is busy with another
// installation: between tries the progress text shows the busy dots and the
// thread waits kBusyRetryMilliseconds; a cancel ends the tries. The last code.
struct BusyRetry {
  std::function<uint32_t()> call;
  std::function<bool()> cancelled;
  std::function<void(const std::string& progressText)> showBusy;
  std::function<void(int milliseconds)> wait;
};
uint32_t CallWhileBusy(const BusyRetry& retry);

// `VELD_thCancelled` "TRUE" gives 0; else the error flag -1; else the reboot flag 2; else 1.
int RunnerResult(std::string_view cancelledValue, bool errorFlag, bool rebootFlag);

// "ERROR", "CANCEL", "COMPLETE" or "REBOOT"; "ERROR" for any other number.
const char* InstallResultText(int result);

// The operation that the statement's install and remove flags select.
struct InstallFlags {
  bool install = false;  // also set when advertising
  bool advertise = false;
};
InstallFlags ReadInstallFlags(std::string_view installParameter, std::string_view removeParameter);

// The variable named by a result parameter: a plain name, or "$NAME$" meaning NAME.
std::string ResultVariableName(std::string_view resultParameter);

// Writes the runner's outcome: `LASTERROR` := errorText when it is not empty,
// the result variable (declared first; none for an empty parameter) := the
// result text, and `REBOOTCOMPUTER` := "TRUE" for result 2. origin is
// "Apply Changes Action" or "Apply Patch Action".
void WriteInstallResult(TVariableManager& vars, std::string_view resultParameter, int result,
                        std::string_view errorText, std::string_view origin);

// Setup sources not found: `LASTERROR` := the engine text and the result variable := "CANCEL".
void WriteSourcesNotFound(TVariableManager& vars, std::string_view resultParameter,
                          std::string_view origin);

}  // namespace vantrell
