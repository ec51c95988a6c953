// The installer message handler: box, icon and answer for every message kind
// (interactive and silent), the progress accounting, the published progress
// and the cancel answer.
#include <gtest/gtest.h>

#include <vector>

#include "lang/engine_texts.h"
#include "msi/installer_messages.h"

namespace vantrell {
namespace {

// Records the boxes asked for and answers them with a fixed button.
struct BoxRecorder {
  std::vector<InstallerMessageBox> boxes;
  int answer = 1;
  InstallerMessageBoxFunction Function() {
    return [this](const InstallerMessageBox& box) {
      boxes.push_back(box);
      return answer;
    };
  }
};

class InstallerMessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetEngineTexts();
    vars.PutVariable("VELD_thCancelled", "FALSE");
    handler.BeginRun(false, "Shop Setup");
  }
  TVariableManager vars;
  BoxRecorder recorder;
  InstallerMessageHandler handler{vars, recorder.Function()};
};

TEST_F(InstallerMessagesTest, EveryKindInteractiveAndSilent) {
  struct Row {
    uint32_t kind;
    const char* boxText;  // nullptr: no box
    uint32_t icon;
    bool languageNeutral;
    int silentAnswer;
    int noBoxAnswer;
    bool storesLast;
  } rows[] = {
      {0x00000000, "Fatal Error\r\rmsg", 0x10, false, 0, 0, true},
      {0x01000000, "Error\r\rmsg", 0x10, true, 1, 0, true},
      {0x02000000, "Warning\r\rmsg", 0x30, false, 1, 0, false},
      {0x03000000, "msg", 0x20, false, 1, 0, false},
      {0x04000000, nullptr, 0, false, 1, 1, false},
      {0x05000000, "Files in Use\r\rmsg", 0x30, false, 1, 0, false},
      {0x19000000, "Files in Use\r\rmsg", 0x30, false, 1, 0, false},
      {0x06000000, nullptr, 0, false, 0, 0, false},
      {0x07000000, "Out of Disk Space\r\rmsg", 0x10, false, 1, 0, false},
      {0x0B000000, nullptr, 0, false, 1, 1, false},
      {0x0C000000, nullptr, 0, false, 1, 1, false},
      {0x0D000000, nullptr, 0, false, 1, 1, false},
      {0x0E000000, nullptr, 0, false, 1, 1, false},
      {0x0F000000, nullptr, 0, false, 0, 0, false},
      {0x10000000, nullptr, 0, false, 0, 0, false},
      {0x1A000000, nullptr, 0, false, 0, 0, false},
  };
  const uint32_t style = 0x00000004;  // MB_YESNO
  for (const Row& row : rows) {
    SCOPED_TRACE(row.kind);
    recorder.boxes.clear();
    recorder.answer = 6;  // IDYES
    handler.BeginRun(false, "Shop Setup");
    const int answer = handler.Handle(row.kind | style, "msg");
    if (row.boxText != nullptr) {
      ASSERT_EQ(recorder.boxes.size(), 1u);
      EXPECT_EQ(answer, 6);
      EXPECT_EQ(recorder.boxes[0].text, row.boxText);
      EXPECT_EQ(recorder.boxes[0].caption, "Shop Setup");
      EXPECT_EQ(recorder.boxes[0].style, style | row.icon);
      EXPECT_EQ(recorder.boxes[0].languageNeutral, row.languageNeutral);
    } else {
      EXPECT_TRUE(recorder.boxes.empty());
      EXPECT_EQ(answer, row.noBoxAnswer);
    }
    EXPECT_EQ(handler.LastMessage(), row.storesLast ? "msg" : "");

    recorder.boxes.clear();
    handler.BeginRun(true, "Shop Setup");
    EXPECT_EQ(handler.Handle(row.kind | style, "msg"), row.silentAnswer);
    EXPECT_TRUE(recorder.boxes.empty());
  }
}

TEST_F(InstallerMessagesTest, HeadingsFollowTheEngineTexts) {
  std::string block;
  for (int slot = 1; slot <= kEngineTextSlots; ++slot) {
    block += slot == 44 ? "Fehler" : EngineText(slot);
    block += "\r\n";
  }
  LoadEngineTexts(block, "English");
  handler.Handle(kMessageError, "kaputt");
  ASSERT_EQ(recorder.boxes.size(), 1u);
  EXPECT_EQ(recorder.boxes[0].text, "Fehler\r\rkaputt");
  ResetEngineTexts();
}

TEST_F(InstallerMessagesTest, KindIconReplacesTheMessageIcon) {
  handler.Handle(kMessageWarning | 0x10 | 0x1, "w");
  ASSERT_EQ(recorder.boxes.size(), 1u);
  EXPECT_EQ(recorder.boxes[0].style, 0x31u);
}

TEST_F(InstallerMessagesTest, ActionStartAndActionData) {
  struct Row {
    const char* message;
    const char* action;
  } rows[] = {
      {"Action 12:34:56: InstallFiles. Copying new files", "Copying new files"},
      {"Action 12:34:56: InstallFiles.", ""},
      {"Action 12:34:56: InstallFiles.X", ""},
      {"No period here", "No period here"},
      {"a.b.c", ".c"},
      {"", ""},
  };
  for (const Row& row : rows) EXPECT_EQ(ActionStartText(row.message), row.action) << row.message;

  EXPECT_EQ(handler.Handle(kMessageActionStart, "Action 1:2:3: CostInitialize. Computing space"),
            1);
  EXPECT_EQ(vars.GetVariable("VELD_thProgressText"), "Computing space");
  handler.Handle(kMessageProgress, "1: 0 2: 1000 3: 0 4: 0 ");
  handler.Handle(kMessageProgress, "1: 1 2: 7 3: 1 ");
  EXPECT_EQ(handler.Handle(kMessageActionData, "File: a.dll"), 1);
  EXPECT_EQ(handler.Progress().actionText, "File: a.dll");
  EXPECT_EQ(handler.Progress().position, 7);
  handler.Handle(kMessageActionData, "File: b.dll");
  EXPECT_EQ(vars.GetVariable("VELD_thProgress"), "14");
  EXPECT_EQ(vars.GetVariable("VELD_thProgressText"), "File: b.dll");
}

TEST(ProgressFields, Reading) {
  struct Row {
    const char* text;
    int count;
    int64_t a, b, c, d;
  } rows[] = {
      {"1: 0 2: 1234 3: 0 4: 1 ", 4, 0, 1234, 0, 1},
      {"1: 2 2: 25", 2, 2, 25, 0, 0},
      {"1: 0 2: -500 3: 0 ", 3, 0, -500, 0, 0},
      {"4: 3 3: 9 ", 2, 3, 9, 0, 0},  // positional: the labels are not checked against places
      {"1: 1 5: 9 ", 1, 1, 0, 0, 0},
      {"1:0", 0, 0, 0, 0, 0},
      {"x1: 1", 0, 0, 0, 0, 0},
      {"1: 3 2: 4 3: 5 4: 6 1: 7 ", 4, 3, 4, 5, 6},
      {"1: 99999999999999999999999 2: 1", 2, INT64_MAX, 1, 0, 0},
      {"1: 2x2: 5 ", 2, 2, 5, 0, 0},  // the character after a number is skipped whatever it is
  };
  for (const Row& row : rows) {
    ProgressFields f = ReadProgressFields(row.text);
    EXPECT_EQ(f.count, row.count) << row.text;
    EXPECT_EQ(f.value[0], row.a) << row.text;
    EXPECT_EQ(f.value[1], row.b) << row.text;
    EXPECT_EQ(f.value[2], row.c) << row.text;
    EXPECT_EQ(f.value[3], row.d) << row.text;
  }
}

TEST(ProgressAccounting, EveryFieldAValue) {
  struct Row {
    const char* name;
    InstallerProgress before;
    const char* text;
    int64_t minimum, maximum, position;
    int32_t step;
    int direction;
  } rows[] = {
      {"reset forward", {5, 10, 7, 3, -1, ""}, "1: 0 2: 200 3: 0 ", 0, 200, 0, 0, 1},
      {"reset backward", {5, 10, 7, 3, 1, ""}, "1: 0 2: 200 3: 1 ", 0, 200, 0, 0, -1},
      {"reset keeps maximum for b 0", {5, 10, 7, 3, 1, ""}, "1: 0 2: 0 3: 1 ", 0, 10, 0, 0, -1},
      {"reset negative maximum", {0, 0, 0, 0, 0, ""}, "1: 0 2: -500 3: 0 ", 0, 500, 0, 0, 1},
      {"reset other c keeps direction", {0, 0, 0, 0, -1, ""}, "1: 0 2: 10 3: 2 ", 0, 10, 0, 0, -1},
      {"action info c 0", {0, 100, 4, 9, 1, ""}, "1: 1 2: 5 3: 0 ", 0, 100, 4, 0, 1},
      {"action info c 1", {0, 100, 4, 9, 1, ""}, "1: 1 2: 5 3: 1 ", 0, 100, 4, 5, 1},
      {"action info other c", {0, 100, 4, 9, 1, ""}, "1: 1 2: 5 3: 2 ", 0, 100, 4, 9, 1},
      {"report forward", {0, 100, 10, 0, 1, ""}, "1: 2 2: 25 ", 0, 100, 35, 0, 1},
      {"report backward", {0, 100, 10, 0, -1, ""}, "1: 2 2: 4 ", 0, 100, 6, 0, -1},
      {"report before reset", {0, 0, 0, 0, 0, ""}, "1: 2 2: 25 ", 0, 0, 0, 0, 0},
      {"add to total", {0, 100, 10, 0, 1, ""}, "1: 3 2: 50 ", 0, 150, 10, 0, 1},
      {"add negative to total", {0, 100, 10, 0, 1, ""}, "1: 3 2: -50 ", 0, 150, 10, 0, 1},
      {"unknown a", {1, 100, 10, 2, 1, ""}, "1: 4 2: 50 ", 1, 100, 10, 2, 1},
      {"empty text", {1, 100, 10, 2, 1, ""}, "", 1, 100, 10, 2, 1},
      {"no fields is a reset", {1, 100, 10, 2, -1, ""}, "garbage", 0, 100, 0, 0, 1},
      {"step clamps to 32 bits",
       {0, 0, 0, 0, 1, ""},
       "1: 1 2: 99999999999 3: 1 ",
       0,
       0,
       0,
       INT32_MAX,
       1},
      {"total saturates", {0, INT64_MAX - 1, 0, 0, 1, ""}, "1: 3 2: 5 ", 0, INT64_MAX, 0, 0, 1},
      {"position saturates",
       {0, 0, INT64_MIN + 1, 0, -1, ""},
       "1: 2 2: 5 ",
       0,
       0,
       INT64_MIN,
       0,
       -1},
  };
  for (const Row& row : rows) {
    InstallerProgress p = row.before;
    ApplyProgressMessage(row.text, p);
    EXPECT_EQ(p.minimum, row.minimum) << row.name;
    EXPECT_EQ(p.maximum, row.maximum) << row.name;
    EXPECT_EQ(p.position, row.position) << row.name;
    EXPECT_EQ(p.step, row.step) << row.name;
    EXPECT_EQ(p.direction, row.direction) << row.name;
  }
}

TEST_F(InstallerMessagesTest, ResetThenReportPublishesProgress) {
  EXPECT_EQ(handler.Handle(kMessageProgress, "1: 2 2: 25 "), 1);
  EXPECT_EQ(vars.GetVariable("VELD_thProgress"), "0");  // direction 0 before any reset
  handler.Handle(kMessageProgress, "1: 0 2: -500 3: 0 ");
  handler.Handle(kMessageProgress, "1: 2 2: 25 ");
  EXPECT_EQ(vars.GetVariable("VELD_thMin"), "0");
  EXPECT_EQ(vars.GetVariable("VELD_thMax"), "500");
  EXPECT_EQ(vars.GetVariable("VELD_thProgress"), "25");
}

TEST_F(InstallerMessagesTest, AccumulatorsSurviveRuns) {
  handler.Handle(kMessageProgress, "1: 0 2: 100 3: 0 ");
  handler.Handle(kMessageProgress, "1: 2 2: 40 ");
  handler.BeginRun(false, "Again");
  EXPECT_EQ(handler.Progress().position, 40);
  EXPECT_EQ(handler.Progress().maximum, 100);
}

TEST_F(InstallerMessagesTest, CancelAnswersTwoAfterAnyMessage) {
  struct Row {
    const char* cancelled;
    bool cancels;
  } rows[] = {{"FALSE", false}, {"TRUE", true}, {"false", true}, {"", true}};
  for (const Row& row : rows) {
    vars.PutVariable("VELD_thCancelled", row.cancelled);
    EXPECT_EQ(handler.Handle(kMessageInfo, "i") == kAnswerCancel, row.cancels) << row.cancelled;
    EXPECT_EQ(handler.Handle(kMessageProgress, "1: 2 2: 1 ") == kAnswerCancel, row.cancels)
        << row.cancelled;
  }
  // The box is still shown (and its answer dropped) before a cancel.
  vars.PutVariable("VELD_thCancelled", "TRUE");
  recorder.boxes.clear();
  recorder.answer = 1;
  EXPECT_EQ(handler.Handle(kMessageError, "e"), kAnswerCancel);
  EXPECT_EQ(recorder.boxes.size(), 1u);
  EXPECT_EQ(handler.LastMessage(), "e");
}

TEST(PublishInstallerProgress, CommandTextsAndMinusOneAreStoredAsIs) {
  TVariableManager vars;
  vars.PutVariable("VELD_thCancelled", "FALSE");
  InstallerProgress p;
  p.minimum = 0;
  p.maximum = 10;
  p.position = -1;
  p.actionText = "$IGNORE$";
  EXPECT_TRUE(PublishInstallerProgress(vars, p));
  EXPECT_EQ(vars.GetVariable("VELD_thProgress"), "-1");
  EXPECT_EQ(vars.GetVariable("VELD_thMax"), "10");
  EXPECT_EQ(vars.GetVariable("VELD_thMin"), "0");
  EXPECT_EQ(vars.GetVariable("VELD_thProgressText"), "$IGNORE$");
}

}  // namespace
}  // namespace vantrell
