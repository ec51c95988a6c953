// The decisions of the installer message handler: which box a Windows
// Installer message shows and what it answers (interactive or silent), the
// progress accounting of progress messages, and the progress it publishes into
// the progress variables, answering cancel once `VELD_thCancelled` is not "FALSE".
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "vars/variable_manager.h"

namespace vantrell {

// Message kinds: the message type masked with kInstallerMessageKindMask.
inline constexpr uint32_t kInstallerMessageKindMask = 0xFF000000;
inline constexpr uint32_t kInstallerMessageStyleMask = 0x00FFFFFF;
inline constexpr uint32_t kMessageFatalExit = 0x00000000;
inline constexpr uint32_t kMessageError = 0x01000000;
inline constexpr uint32_t kMessageWarning = 0x02000000;
inline constexpr uint32_t kMessageUser = 0x03000000;
inline constexpr uint32_t kMessageInfo = 0x04000000;
inline constexpr uint32_t kMessageFilesInUse = 0x05000000;
inline constexpr uint32_t kMessageResolveSource = 0x06000000;
inline constexpr uint32_t kMessageOutOfDiskSpace = 0x07000000;
inline constexpr uint32_t kMessageActionStart = 0x08000000;
inline constexpr uint32_t kMessageActionData = 0x09000000;
inline constexpr uint32_t kMessageProgress = 0x0A000000;
inline constexpr uint32_t kMessageCommonData = 0x0B000000;
inline constexpr uint32_t kMessageShowDialog = 0x0E000000;
inline constexpr uint32_t kMessageRmFilesInUse = 0x19000000;

inline constexpr uint32_t kBoxIconMask = 0x000000F0;
inline constexpr uint32_t kBoxIconHand = 0x10;
inline constexpr uint32_t kBoxIconQuestion = 0x20;
inline constexpr uint32_t kBoxIconExclamation = 0x30;
inline constexpr int kAnswerCancel = 2;  // IDCANCEL: the installer cancels and rolls back

// One box for the platform to show, owned by the current dialog's window.
struct InstallerMessageBox {
  std::string text;
  std::string caption;           // the value of `TITLE`
  uint32_t style = 0;            // the message's box style with the kind's icon
  bool languageNeutral = false;  // error kind: MessageBoxExA with language 0
};

// Shows the box and returns the button pressed (IDOK, IDCANCEL, ...).
using InstallerMessageBoxFunction = std::function<int(const InstallerMessageBox&)>;

// The progress accumulators; engine-wide, they survive runs.
struct InstallerProgress {
  int64_t minimum = 0;
  int64_t maximum = 0;
  int64_t position = 0;
  int32_t step = 0;
  int direction = 0;  // +1, -1, or 0 before the first reset
  std::string actionText;
};

// The fields of a progress message `1: a 2: b 3: c 4: d`, absent ones 0.
struct ProgressFields {
  int64_t value[4] = {0, 0, 0, 0};
  int count = 0;
};
ProgressFields ReadProgressFields(std::string_view text);

// The action text of an action start message: the text after the first "."
// and the one character following it; a text without "." whole.
std::string ActionStartText(std::string_view message);

// Applies one progress message to the accumulators (nothing for an empty text).
void ApplyProgressMessage(std::string_view text, InstallerProgress& progress);

// Stores position, maximum, minimum and action text into the progress
// variables as one locked group; true ("go on") exactly when `VELD_thCancelled`
// is "FALSE".
bool PublishInstallerProgress(TVariableManager& vars, const InstallerProgress& progress);

class InstallerMessageHandler {
 public:
  InstallerMessageHandler(TVariableManager& vars, InstallerMessageBoxFunction showBox);

  // Per run: silence and caption as remembered from the variables; the last
  // fatal or error message is cleared. The accumulators are kept.
  void BeginRun(bool silent, std::string title);

  // Handles one message and returns the answer for Windows Installer.
  int Handle(uint32_t messageType, std::string_view message);

  const InstallerProgress& Progress() const { return progress_; }
  const std::string& LastMessage() const { return lastMessage_; }

 private:
  int ShowBox(uint32_t style, std::string text, uint32_t icon, bool languageNeutral,
              int silentAnswer);

  TVariableManager& vars_;
  InstallerMessageBoxFunction showBox_;
  bool silent_ = false;
  std::string title_;
  std::string lastMessage_;
  InstallerProgress progress_;
};

}  // namespace vantrell
