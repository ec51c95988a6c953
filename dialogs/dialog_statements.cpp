// "Display Dialog" and "Hide Dialog" (contract in dialog_statements.h).
#include "dialogs/dialog_statements.h"

#include "common/ascii.h"
#include "common/shown_window.h"

namespace vantrell {

std::string DialogOutcomeText(const DialogOutcome& outcome) {
  switch (outcome.code) {
    case kDialogNotModal:
      return "NOTMODAL";
    case kDialogCancel:
      return "CANCEL";
    case kDialogNext:
      return "NEXT";
    case kDialogBack:
      return "BACK";
    case kDialogCustom:
      return AsciiUpper(outcome.custom);
    default:
      return {};
  }
}

void LoadDialogs(const SetupScript& script, const std::string& supportFolder,
                 const std::function<void(const std::string& key, const std::string& path)>& load) {
  for (size_t i = 0; i < script.StatementCount(); ++i) {
    if (script.commands[i] != "Display Dialog") continue;
    if (i < script.markers.size() && script.markers[i] == "C") continue;
    const std::string name = ParameterLine(script.pools, script.identifiers[i], 1);
    load(std::to_string(i), supportFolder + name + ".dfm");
  }
}

void DisplayDialog(StatementContext& statement, DialogWindows* windows) {
  TVariableManager& vars = statement.vars;
  const std::string skipLine = statement.Parameter(4);
  if (!skipLine.empty()) {
    std::string name = TVariableManager::StripReference(skipLine);
    if (name.empty()) name = skipLine;
    if (TextToBool(vars.GetVariable(name)) == TextToBool(statement.Parameter(6))) return;
  }
  const bool inLoop = statement.run.InWizardLoop();
  const bool modal = inLoop || TextToBool(statement.Parameter(3));
  const bool shown = windows != nullptr && !statement.run.Silent();
  const std::string key = std::to_string(statement.index);
  DialogOutcome outcome;
  if (shown) {
    windows->Prepare(key, vars);
    outcome = modal ? windows->ShowModal(key) : windows->ShowModeless(key);
    // Outside a wizard loop a page that was waited for owns nothing afterwards.
    if (modal && !inLoop) SetShownWindow(0);
  } else {
    outcome.code = modal ? kDialogNext : kDialogNotModal;
  }
  if (!inLoop) {
    vars.AssignVariable("WINDOWHANDLE", modal ? "0" : std::to_string(outcome.window),
                        statement.Origin());
  }
  const std::string result = statement.Parameter(2);
  if (!result.empty()) {
    vars.DeclareResultVariable(result, statement.Origin());
    vars.AssignVariable(result, DialogOutcomeText(outcome), statement.Origin());
  }
  if (inLoop) {
    statement.run.SetWizardStep(outcome.code == kDialogNext   ? +1
                                : outcome.code == kDialogBack ? -1
                                                              : 0);
  }
}

void HideDialog(StatementContext& statement, DialogWindows* windows) {
  if (windows != nullptr) windows->HideCurrent();
  statement.vars.AssignVariable("WINDOWHANDLE", "0", statement.Origin());
}

}  // namespace vantrell
