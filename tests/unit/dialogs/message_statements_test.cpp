// "MessageBox", "MessageBalloon" and "System Tray" against the notifications
// twin: what each shows, with which owner, style and texts (expanded,
// translated, expanded again), the answer in the variable, silent runs, bad
// numbers; then the tray's own steps: the click, a page held back in tray
// mode, a refused close and a minimised page.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "common/engine_error.h"
#include "common/shown_window.h"
#include "dialogs/message_statements.h"
#include "twins/notifications_twin.h"
#include "twins/statement_test.h"

namespace vantrell {
namespace {

using testing::NotificationsTwin;
using testing::StatementRunner;

constexpr uintptr_t kPage = 77;

// One run with the message statements registered; the translations answer
// for keys of the form "<identifier>/<slot>".
struct MessageRun : StatementRunner {
  explicit MessageRun(bool silent = false, std::map<std::string, std::string> translations = {})
      : StatementRunner(silent), tray(twin) {
    RegisterMessageStatements(
        table, MessageServices{tray,
                               [translations](const std::string&, const std::string& key,
                                              int slot) -> std::optional<std::string> {
                                 auto found = translations.find(key + "/" + std::to_string(slot));
                                 if (found == translations.end()) return std::nullopt;
                                 return found->second;
                               }});
    vars.AssignVariable("TITLE", "Setup", "Test");
    vars.AssignVariable("NAME", "Pat", "Test");
    vars.AssignVariable("ANSWER", "KEEP", "Test");
  }
  NotificationsTwin twin;
  NotificationTray tray;
};

class MessageStatements : public ::testing::Test {
 protected:
  void SetUp() override { SetShownWindow(kPage); }
  void TearDown() override { SetShownWindow(0); }
};

const std::string kFirst = testing::ScriptBuilder::Identifier(0);

TEST_F(MessageStatements, MessageBox) {
  struct Case {
    std::vector<std::string> lines;
    bool silent;
    std::map<std::string, std::string> translations;
    MessageAnswer answer;
    uintptr_t owner;
    std::string wantLog;
    std::string wantAnswer;
  };
  const Case cases[] = {
      {{"Hello $NAME$", "Text", "0", "1", "ANSWER"},
       false,
       {},
       MessageAnswer::kOk,
       kPage,
       "box 77 Hello Pat|Text|0|1",
       "OK"},
      {{"T", "Sure?", "1", "5", "ANSWER"},
       false,
       {},
       MessageAnswer::kCancel,
       kPage,
       "box 77 T|Sure?|1|5",
       "CANCEL"},
      {{"T", "x", "2", "0", "answer"},
       false,
       {},
       MessageAnswer::kIgnore,
       0,
       "box 0 T|x|2|0",
       "IGNORE"},
      {{"T", "x", "3", "4", "ANSWER"},
       false,
       {},
       MessageAnswer::kNo,
       kPage,
       "box 77 T|x|3|4",
       "NO"},
      // The translation's own references are expanded, the original's first.
      {{"Hello $NAME$", "Text", "0", "1", "ANSWER"},
       false,
       {{kFirst + "/1", "Hallo $NAME$"}, {kFirst + "/2", "Text auf Deutsch"}},
       MessageAnswer::kOk,
       kPage,
       "box 77 Hallo Pat|Text auf Deutsch|0|1",
       "OK"},
      {{"T", "x", "0", "1", ""}, false, {}, MessageAnswer::kOk, kPage, "box 77 T|x|0|1", "KEEP"},
      {{"T", "x", "7", "9", "ANSWER"},
       false,
       {},
       MessageAnswer::kOk,
       kPage,
       "box 77 T|x|4|1",
       "OK"},
      {{"T", "x", "0", "1", "ANSWER"}, true, {}, MessageAnswer::kOk, kPage, "", "KEEP"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines[0] + " / " + c.lines[3]);
    SetShownWindow(c.owner);
    MessageRun run(c.silent, c.translations);
    run.twin.answer = c.answer;
    run.Run("MessageBox", c.lines);
    EXPECT_EQ(run.twin.Take(), c.wantLog);
    EXPECT_EQ(run.Get("ANSWER"), c.wantAnswer);
  }
}

TEST_F(MessageStatements, AnswerTexts) {
  const std::pair<MessageAnswer, const char*> cases[] = {
      {MessageAnswer::kOk, "OK"},         {MessageAnswer::kCancel, "CANCEL"},
      {MessageAnswer::kAbort, "ABORT"},   {MessageAnswer::kRetry, "RETRY"},
      {MessageAnswer::kIgnore, "IGNORE"}, {MessageAnswer::kYes, "YES"},
      {MessageAnswer::kNo, "NO"},
  };
  for (const auto& [answer, text] : cases) EXPECT_EQ(MessageAnswerText(answer), text);
}

// A bad number fails the statement before anything is shown, silent or not.
TEST_F(MessageStatements, LinesThreeAndFourMustBeNumbers) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"MessageBox", {"T", "x", "info", "1", "ANSWER"}},
      {"MessageBox", {"T", "x", "0", "", "ANSWER"}},
      {"MessageBalloon", {"T", "x", "one", "10"}},
      {"MessageBalloon", {"T", "x", "0", "10s"}},
  };
  for (bool silent : {false, true}) {
    for (const auto& [command, lines] : cases) {
      MessageRun run(silent);
      EXPECT_THROW(run.Run(command, lines), EngineError) << command << " " << lines[2];
      EXPECT_EQ(run.twin.Take(), "");
      EXPECT_EQ(run.Get("ANSWER"), "KEEP");
    }
  }
}

TEST_F(MessageStatements, Balloon) {
  struct Case {
    std::vector<std::string> lines;
    std::string wantLog;
  };
  const Case cases[] = {
      {{"Done $NAME$", "Installed", "0", "5"}, "icon Setup; balloon Done Pat|Installed|0|10000"},
      {{"T", "x", "1", "45"}, "icon Setup; balloon T|x|1|30000"},
      {{"T", "x", "2", "20"}, "icon Setup; balloon T|x|2|20000"},
      {{"T", "x", "2", "-3"}, "icon Setup; balloon T|x|2|10000"},
      {{"T", "x", "5", "30"}, "icon Setup; balloon T|x|3|30000"},
  };
  for (const Case& c : cases) {
    MessageRun run;
    run.Run("MessageBalloon", c.lines);
    EXPECT_EQ(run.twin.Take(), c.wantLog) << c.lines[3];
    EXPECT_TRUE(run.tray.IconVisible());
  }
  MessageRun silent(true);
  silent.Run("MessageBalloon", {"T", "x", "0", "10"});
  EXPECT_EQ(silent.twin.Take(), "");
  EXPECT_FALSE(silent.tray.IconVisible());
}

TEST_F(MessageStatements, SystemTrayLinesInOrder) {
  struct Case {
    std::vector<std::string> lines;
    bool silent;
    std::string wantLog;
    bool wantIcon;
    bool wantTrayMode;
  };
  const Case cases[] = {
      {{"TRUE", "FALSE", "FALSE", "FALSE"}, false, "icon Setup; hide 77", true, true},
      {{"", "TRUE", "", ""}, false, "icon Setup", true, false},
      {{"TRUE", "", "TRUE", ""},
       false,
       "icon Setup; hide 77; show 77; top 77; restore 77; foreground 77",
       true,
       false},
      // Compared exactly: only "TRUE" counts.
      {{"true", "-1", "True", "1"}, false, "", false, false},
      {{"TRUE", "", "", ""}, true, "hide 77", false, true},
      {{"", "TRUE", "", ""}, true, "", false, false},
      {{"", "", "", "TRUE"}, false, "show 77; top 77; restore 77; foreground 77", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines[0] + "," + c.lines[1] + "," + c.lines[2] + "," + c.lines[3]);
    MessageRun run(c.silent);
    run.Run("System Tray", c.lines);
    EXPECT_EQ(run.twin.Take(), c.wantLog);
    EXPECT_EQ(run.tray.IconVisible(), c.wantIcon);
    EXPECT_EQ(run.tray.TrayMode(), c.wantTrayMode);
  }
}

// Shown by any statement, the icon goes at the end of the run, once; line 4
// removes it before.
TEST_F(MessageStatements, IconRemovedWhenTheRunEnds) {
  MessageRun run;
  run.Run("System Tray", {"", "TRUE", "", ""});
  run.Run("MessageBalloon", {"T", "x", "0", "10"});
  run.twin.Take();
  run.run.RunExitCleanup();
  EXPECT_EQ(run.twin.Take(), "icon off");

  MessageRun removed;
  removed.Run("System Tray", {"TRUE", "", "", ""});
  removed.Run("System Tray", {"", "", "", "TRUE"});
  EXPECT_EQ(removed.twin.Take(),
            "icon Setup; hide 77; icon off; show 77; top 77; restore 77; foreground 77");
  removed.run.RunExitCleanup();
  EXPECT_EQ(removed.twin.Take(), "");
}

TEST_F(MessageStatements, ClickRestoresThePageShownMeanwhile) {
  NotificationsTwin twin;
  NotificationTray tray(twin);
  EXPECT_FALSE(tray.HoldBack(88));  // not in tray mode: the page is shown as usual
  tray.ShowIcon("Setup");
  tray.HideWizard();
  EXPECT_TRUE(tray.HoldBack(88));
  EXPECT_TRUE(tray.HoldBack(99));  // the last page displayed is the one restored
  EXPECT_EQ(ShownWindow(), kPage);
  twin.Take();
  tray.IconClicked();
  EXPECT_EQ(twin.Take(), "show 99; focus 99; show 99; top 99; restore 99; foreground 99");
  EXPECT_EQ(ShownWindow(), 99u);
  EXPECT_FALSE(tray.TrayMode());
  // Out of tray mode a click brings the shown window up only.
  tray.IconClicked();
  EXPECT_EQ(twin.Take(), "show 99; top 99; foreground 99");
}

TEST_F(MessageStatements, ClickInTrayModeWithoutNewPage) {
  NotificationsTwin twin;
  NotificationTray tray(twin);
  tray.ShowIcon("Setup");
  tray.HideWizard();
  tray.HoldBack(88);
  tray.Forget(88);  // that page's window went away
  twin.Take();
  tray.IconClicked();
  EXPECT_EQ(twin.Take(), "show 77; top 77; restore 77; foreground 77");
}

TEST_F(MessageStatements, RefusedCloseAndMinimise) {
  NotificationsTwin twin;
  NotificationTray tray(twin);
  tray.CloseRefused();
  EXPECT_EQ(twin.Take(), "show 77; top 77; restore 77; foreground 77");
  EXPECT_FALSE(tray.Minimising());  // no icon: an ordinary minimised window
  EXPECT_EQ(twin.Take(), "");

  tray.ShowIcon("Setup");
  twin.Take();
  EXPECT_TRUE(tray.Minimising());
  EXPECT_EQ(twin.Take(), "hide 77");
  EXPECT_TRUE(tray.TrayMode());
  tray.CloseRefused();  // with the icon: the click's steps
  EXPECT_EQ(twin.Take(), "show 77; top 77; restore 77; foreground 77");
  EXPECT_FALSE(tray.TrayMode());
}

}  // namespace
}  // namespace vantrell
