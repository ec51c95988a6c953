// The message, balloon and tray statements (contract in message_statements.h).
#include "dialogs/message_statements.h"

#include <algorithm>
#include <memory>

#include "common/shown_window.h"
#include "vars/integer_text.h"

namespace vantrell {
namespace {

// Line 1 or 2 as the user reads it.
std::string UserText(const StatementContext& s, const MessageServices& services, int line) {
  std::string text = s.Expanded(line);
  if (services.translate) {
    if (auto translated = services.translate(text, s.identifier, line))
      text = s.vars.ExpandVariables(*translated);
  }
  return text;
}

// The icon stays until line 4 removes it or the run ends, in any way.
void ShowIcon(StatementContext& s, NotificationTray& tray, const std::shared_ptr<bool>& arranged,
              const std::function<void()>& show) {
  show();
  if (*arranged) return;
  *arranged = true;
  s.run.AddExitCleanup([&tray] { tray.HideIcon(); });
}

void RunMessageBox(StatementContext& s, const MessageServices& services) {
  const std::string title = UserText(s, services, 1);
  const std::string text = UserText(s, services, 2);
  const MessageIcon icon = MessageIconOf(StrToIntStrict(s.Parameter(3)));
  const MessageButtons buttons = MessageButtonsOf(StrToIntStrict(s.Parameter(4)));
  if (s.run.Silent()) return;
  const MessageAnswer answer =
      services.tray.Platform().ShowMessageBox(ShownWindow(), title, text, icon, buttons);
  const std::string result = s.Parameter(5);
  if (result.empty()) return;
  s.vars.DeclareResultVariable(result, s.Origin());
  s.vars.AssignVariable(result, std::string(MessageAnswerText(answer)), s.Origin());
}

void RunMessageBalloon(StatementContext& s, const MessageServices& services,
                       const std::shared_ptr<bool>& arranged) {
  Balloon balloon;
  balloon.title = UserText(s, services, 1);
  balloon.text = UserText(s, services, 2);
  balloon.icon = BalloonIconOf(StrToIntStrict(s.Parameter(3)));
  balloon.timeoutMs = BalloonSeconds(StrToIntStrict(s.Parameter(4))) * 1000;
  if (s.run.Silent()) return;
  const std::string hint = s.vars.GetVariable("TITLE");
  ShowIcon(s, services.tray, arranged, [&] { services.tray.ShowBalloon(balloon, hint); });
}

void RunSystemTray(StatementContext& s, const MessageServices& services,
                   const std::shared_ptr<bool>& arranged) {
  NotificationTray& tray = services.tray;
  const bool silent = s.run.Silent();
  auto showIcon = [&] {
    const std::string hint = s.vars.GetVariable("TITLE");
    ShowIcon(s, tray, arranged, [&] { tray.ShowIcon(hint); });
  };
  if (s.Parameter(1) == "TRUE") {
    if (!silent) showIcon();
    tray.HideWizard();
  }
  if (s.Parameter(2) == "TRUE" && !silent) showIcon();
  if (s.Parameter(3) == "TRUE") tray.BringBackWizard();
  if (s.Parameter(4) == "TRUE") {
    tray.HideIcon();
    tray.BringBackWizard();
  }
}

}  // namespace

std::string_view MessageAnswerText(MessageAnswer answer) {
  switch (answer) {
    case MessageAnswer::kOk:
      return "OK";
    case MessageAnswer::kCancel:
      return "CANCEL";
    case MessageAnswer::kAbort:
      return "ABORT";
    case MessageAnswer::kRetry:
      return "RETRY";
    case MessageAnswer::kIgnore:
      return "IGNORE";
    case MessageAnswer::kYes:
      return "YES";
    case MessageAnswer::kNo:
      return "NO";
  }
  return {};
}

MessageIcon MessageIconOf(int code) {
  return code >= 0 && code <= 3 ? static_cast<MessageIcon>(code) : MessageIcon::kNone;
}

MessageButtons MessageButtonsOf(int code) {
  return code >= 0 && code <= 5 ? static_cast<MessageButtons>(code) : MessageButtons::kOk;
}

BalloonIcon BalloonIconOf(int code) {
  return code >= 0 && code <= 2 ? static_cast<BalloonIcon>(code) : BalloonIcon::kNone;
}

int BalloonSeconds(int seconds) {
  return std::clamp(seconds, 10, 30);
}

void RegisterMessageStatements(StatementTable& table, const MessageServices& services) {
  // One removal of the icon at the end of the run, whichever statement showed it.
  auto arranged = std::make_shared<bool>(false);
  table.Register("MessageBox", [services](StatementContext& s) { RunMessageBox(s, services); });
  table.Register("MessageBalloon", [services, arranged](StatementContext& s) {
    RunMessageBalloon(s, services, arranged);
  });
  table.Register("System Tray", [services, arranged](StatementContext& s) {
    RunSystemTray(s, services, arranged);
  });
}

}  // namespace vantrell
