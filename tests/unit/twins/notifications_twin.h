// An in-memory stand-in for the platform's message boxes, notification icon
// and window operations: every call is written to a log as one line, and a
// message box answers with the answer set beforehand.
#pragma once

#include <string>
#include <vector>

#include "dialogs/notification_tray.h"

namespace vantrell::testing {

class NotificationsTwin final : public UserNotifications {
 public:
  MessageAnswer ShowMessageBox(uintptr_t owner, const std::string& title, const std::string& text,
                               MessageIcon icon, MessageButtons buttons) override {
    Log("box " + std::to_string(owner) + " " + title + "|" + text + "|" +
        std::to_string(static_cast<int>(icon)) + "|" + std::to_string(static_cast<int>(buttons)));
    return answer;
  }
  void ShowIcon(const std::string& hint) override { Log("icon " + hint); }
  void HideIcon() override { Log("icon off"); }
  void ShowBalloon(const Balloon& b) override {
    Log("balloon " + b.title + "|" + b.text + "|" + std::to_string(static_cast<int>(b.icon)) + "|" +
        std::to_string(b.timeoutMs));
  }
  void ShowWindow(uintptr_t w) override { Log("show " + std::to_string(w)); }
  void HideWindow(uintptr_t w) override { Log("hide " + std::to_string(w)); }
  void BringToTop(uintptr_t w) override { Log("top " + std::to_string(w)); }
  void Restore(uintptr_t w) override { Log("restore " + std::to_string(w)); }
  void SetForeground(uintptr_t w) override { Log("foreground " + std::to_string(w)); }
  void Focus(uintptr_t w) override { Log("focus " + std::to_string(w)); }

  // The log since the last call, joined with "; ".
  std::string Take() {
    std::string joined;
    for (const std::string& line : log_) joined += (joined.empty() ? "" : "; ") + line;
    log_.clear();
    return joined;
  }

  MessageAnswer answer = MessageAnswer::kOk;

 private:
  void Log(std::string line) { log_.push_back(std::move(line)); }
  std::vector<std::string> log_;
};

}  // namespace vantrell::testing
