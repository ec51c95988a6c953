// The interpreter's system needs on Windows: the message pump, the error box,
// the user's date and time formats and process termination.
#pragma once

#include <cstddef>
#include <thread>

#include "script/interpreter_host.h"

namespace vantrell {

// Upper case with the system code page, for comparisons that ignore case.
void Win32AnsiUpper(char* text, size_t length);

class Win32InterpreterHost final : public InterpreterHost {
 public:
  // Created on the main thread, whose messages it pumps and wakes.
  Win32InterpreterHost();
  void ProcessMessages() override;
  void ProcessOneMessage() override;
  void WakeMainThread() override;
  void EndThread(std::thread& thread) override;
  void ShowScriptError(const std::string& caption, const std::string& text) override;
  std::string ShortDate() override;
  std::string LongTime() override;
  [[noreturn]] void TerminateProcess(int code) override;

 private:
  unsigned long mainThreadId_;
};

}  // namespace vantrell
