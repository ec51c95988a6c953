// The progress refresh of the dialog on screen: the progress variables that
// workers publish (or the script's own PROGRESS and PROGRESSTEXT) shown by
// the current dialog's Tag-1 texts, bars and gauges, and a confirmed Cancel
// published to the workers in VELD_thCancelled.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "vars/variable_manager.h"

namespace vantrell {

class DialogWindows;

// What a refresh shows; a figure that was no integer is empty, and the bars
// then stand at their maximum.
struct ProgressFigures {
  std::string text;
  std::optional<int64_t> minimum;
  std::optional<int64_t> maximum;
  std::optional<int64_t> position;
};

// The range a progress bar can hold: from a maximum of 2^31 on, every figure
// is divided by 1024.
struct BarRange {
  int64_t minimum = 0;
  int64_t maximum = 0;
  int64_t position = 0;
};
BarRange ProgressBarRange(int64_t minimum, int64_t maximum, int64_t position);

// Publishes a confirmed Cancel when asked, then gives the figures to show:
// the text "$VELD$" takes text and figures from the progress variables, one
// variable at a time.
ProgressFigures ReadProgress(std::string_view text, bool publishCancel, int64_t minimum,
                             int64_t maximum, int64_t position, TVariableManager& vars);

// ReadProgress, then the current dialog (if any) shows the figures. Returns
// whether a Cancel was confirmed. Without dialog windows only the cancel is
// published.
bool RefreshProgress(std::string_view text, bool publishCancel, int64_t minimum, int64_t maximum,
                     int64_t position, TVariableManager& vars, DialogWindows* windows);

// The progress timer's tick: while a worker runs, the progress variables and
// the cancel go to the current dialog.
void ProgressTimerTick(TVariableManager& vars, DialogWindows* windows);

}  // namespace vantrell
