// "Display Dialog" and "Hide Dialog" as a run without windows performs them:
// the skip test, then the outcome NEXT for a modal display and NOTMODAL for a
// modeless one written to the result variable, and WINDOWHANDLE kept at "0".
#pragma once

#include "script/statements.h"

namespace vantrell {

void DisplayDialogWithoutWindow(StatementContext& statement);
void HideDialogWithoutWindow(StatementContext& statement);

}  // namespace vantrell
