// Dialog statements of a run without windows (contract in dialog_statements.h).
#include "dialogs/dialog_statements.h"

namespace vantrell {

void DisplayDialogWithoutWindow(StatementContext& statement) {
  TVariableManager& vars = statement.vars;
  const std::string skipLine = statement.Parameter(4);
  if (!skipLine.empty()) {
    std::string name = TVariableManager::StripReference(skipLine);
    if (name.empty()) name = skipLine;
    if (TextToBool(vars.GetVariable(name)) == TextToBool(statement.Parameter(6))) return;
  }
  const bool modal = statement.run.InWizardLoop() || TextToBool(statement.Parameter(3));
  if (!statement.run.InWizardLoop()) vars.AssignVariable("WINDOWHANDLE", "0", statement.Origin());
  const std::string result = statement.Parameter(2);
  if (!result.empty()) {
    vars.DeclareResultVariable(result, statement.Origin());
    vars.AssignVariable(result, modal ? "NEXT" : "NOTMODAL", statement.Origin());
  }
  if (statement.run.InWizardLoop()) statement.run.SetWizardStep(+1);
}

void HideDialogWithoutWindow(StatementContext& statement) {
  statement.vars.AssignVariable("WINDOWHANDLE", "0", statement.Origin());
}

}  // namespace vantrell
