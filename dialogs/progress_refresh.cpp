// Progress refresh (contract in progress_refresh.h).
#include "dialogs/progress_refresh.h"

#include "dialogs/dialog_statements.h"
#include "script/background.h"
#include "vars/integer_text.h"

namespace vantrell {

namespace {

constexpr int64_t kLargestBarFigure = 2147483647;

std::optional<int64_t> Figure(const std::string& text) {
  int64_t value = 0;
  if (!TryStrToInt64(text, value)) return std::nullopt;
  return value;
}

}  // namespace

BarRange ProgressBarRange(int64_t minimum, int64_t maximum, int64_t position) {
  if (maximum > kLargestBarFigure) return {minimum / 1024, maximum / 1024, position / 1024};
  return {minimum, maximum, position};
}

ProgressFigures ReadProgress(std::string_view text, bool publishCancel, int64_t minimum,
                             int64_t maximum, int64_t position, TVariableManager& vars) {
  if (publishCancel) vars.PutVariable("VELD_thCancelled", CancelRequested() ? "TRUE" : "FALSE");
  ProgressFigures figures;
  if (text == "$VELD$") {
    figures.text = vars.GetVariable("VELD_thProgressText");
    figures.position = Figure(vars.GetVariable("VELD_thProgress"));
    figures.maximum = Figure(vars.GetVariable("VELD_thMax"));
    figures.minimum = Figure(vars.GetVariable("VELD_thMin"));
  } else {
    figures = {std::string(text), minimum, maximum, position};
  }
  return figures;
}

bool RefreshProgress(std::string_view text, bool publishCancel, int64_t minimum, int64_t maximum,
                     int64_t position, TVariableManager& vars, DialogWindows* windows) {
  const ProgressFigures figures =
      ReadProgress(text, publishCancel, minimum, maximum, position, vars);
  if (windows != nullptr) windows->RefreshProgress(figures);
  return CancelRequested();
}

void ProgressTimerTick(TVariableManager& vars, DialogWindows* windows) {
  if (WorkInProgress()) RefreshProgress("$VELD$", true, 0, 0, 0, vars, windows);
}

}  // namespace vantrell
