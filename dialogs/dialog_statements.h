// "Display Dialog" and "Hide Dialog": the skip test, the display through the
// dialog windows (modal inside a wizard loop or when line 3 says so, else
// modeless), the outcome text in the result variable, WINDOWHANDLE and the
// wizard loop's step. A run without dialog windows (silent, or no window
// side) performs the same steps with the outcome NEXT for a modal display and
// NOTMODAL for a modeless one, and WINDOWHANDLE kept at "0".
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "dialogs/progress_refresh.h"
#include "script/statements.h"

namespace vantrell {

// Result codes of a display.
inline constexpr int kDialogNotModal = 0;
inline constexpr int kDialogCancel = 2;
inline constexpr int kDialogNext = 6;
inline constexpr int kDialogBack = 7;
inline constexpr int kDialogCustom = 8;

struct DialogOutcome {
  int code = kDialogNext;
  std::string custom;    // the Name of the control that gave a custom result
  uintptr_t window = 0;  // a modeless display's window
};

// "NEXT", "BACK", "CANCEL", "NOTMODAL" or the custom result upper-cased.
std::string DialogOutcomeText(const DialogOutcome& outcome);

// The dialogs loaded at start-up, keyed by the decimal statement index.
class DialogWindows {
 public:
  virtual ~DialogWindows() = default;
  // Before a display: the captions as designed, with the variables expanded
  // afresh (the form's with the caption suffix).
  virtual void Prepare(const std::string& key, const TVariableManager& vars) = 0;
  virtual DialogOutcome ShowModal(const std::string& key) = 0;
  virtual DialogOutcome ShowModeless(const std::string& key) = 0;
  // Hides the current dialog, if any.
  virtual void HideCurrent() = 0;
  // The current dialog, if any, shows the progress figures.
  virtual void RefreshProgress(const ProgressFigures& /*figures*/) {}
};

// Hands every "Display Dialog" statement's form (support folder + line 1 +
// ".dfm") with its key to load, in statement order; switched-off statements
// are left out. load throws when a dialog cannot be loaded.
void LoadDialogs(const SetupScript& script, const std::string& supportFolder,
                 const std::function<void(const std::string& key, const std::string& path)>& load);

void DisplayDialog(StatementContext& statement, DialogWindows* windows);
void HideDialog(StatementContext& statement, DialogWindows* windows);

// The statements of a run without dialog windows.
inline void DisplayDialogWithoutWindow(StatementContext& statement) {
  DisplayDialog(statement, nullptr);
}
inline void HideDialogWithoutWindow(StatementContext& statement) {
  HideDialog(statement, nullptr);
}

}  // namespace vantrell
