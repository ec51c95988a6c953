// The handlers of the built-in statements served so far.
#include "script/builtin_statements.h"

#include "dialogs/dialog_statements.h"
#include "media/extract_statement.h"
#include "script/statements.h"
#include "vars/conditions.h"

namespace vantrell {

void RegisterBuiltInStatements(StatementServices& services) {
  RegisterStatement("Display Dialog", DisplayDialogWithoutWindow);
  RegisterStatement("Hide Dialog", HideDialogWithoutWindow);
  RegisterStatement("Evaluate Expression", [](StatementContext& s) {
    RunEvaluateExpression(s.Parameter(1), s.Parameter(2), s.vars);
  });
  RegisterArchiveStatements(services.archives, services.files);
}

}  // namespace vantrell
