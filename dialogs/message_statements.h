// "MessageBox", "MessageBalloon" and "System Tray": a message box owned by
// the shown window whose button goes into a variable, a balloon at the
// notification icon, and the wizard hidden into the notification area and
// brought back. Titles and texts are expanded, translated with the
// statement's identifier (slots 1 and 2) while a language is current and
// expanded again. Silent runs show nothing and write no variable; a line 3
// or 4 that is not a number fails the statement, silent or not.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "dialogs/notification_tray.h"
#include "script/statements.h"

namespace vantrell {

// "OK", "CANCEL", "ABORT", "RETRY", "IGNORE", "YES", "NO".
std::string_view MessageAnswerText(MessageAnswer answer);

// Line 3's and line 4's codes; codes outside the tables give no icon and OK.
MessageIcon MessageIconOf(int code);
MessageButtons MessageButtonsOf(int code);
BalloonIcon BalloonIconOf(int code);
// A balloon's time-out in seconds, kept within 10 ... 30.
int BalloonSeconds(int seconds);

struct MessageServices {
  NotificationTray& tray;
  std::function<std::optional<std::string>(const std::string& text, const std::string& key,
                                           int slot)>
      translate;
};

void RegisterMessageStatements(StatementTable& table, const MessageServices& services);

}  // namespace vantrell
