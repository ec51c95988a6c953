// What a script run needs from the system beyond files: the window-message
// pump and the wait step of background work, the error box, the date and
// time in the user's formats, and ending the process at once.
#pragma once

#include <string>

#include "script/background.h"

namespace vantrell {

// Also the wait host of background work: statements hand it to their workers.
class InterpreterHost : public WaitHost {
 public:
  // Runs every pending window message of the thread.
  virtual void ProcessMessages() = 0;
  // An error box with the error icon and no owner window.
  virtual void ShowScriptError(const std::string& caption, const std::string& text) = 0;
  virtual std::string ShortDate() = 0;
  virtual std::string LongTime() = 0;
  // Ends the process with this code, without any cleanup.
  [[noreturn]] virtual void TerminateProcess(int code) = 0;
};

}  // namespace vantrell
