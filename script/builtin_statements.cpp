// The handlers of the built-in statements served so far.
#include "script/builtin_statements.h"

#include "components/component_statements.h"
#include "dialogs/dialog_statements.h"
#include "engine/startup.h"
#include "media/extract_statement.h"
#include "msi/install_statements.h"
#include "msi/transform_instance.h"
#include "script/interpreter.h"
#include "script/statements.h"
#include "vars/conditions.h"
#include "vars/text_statements.h"

namespace vantrell {

void RegisterBuiltInStatements(StatementServices& services) {
  RegisterStatement("Display Dialog", DisplayDialogWithoutWindow);
  RegisterStatement("Hide Dialog", HideDialogWithoutWindow);
  RegisterStatement("Evaluate Expression", [](StatementContext& s) {
    RunEvaluateExpression(s.Parameter(1), s.Parameter(2), s.vars);
  });
  RegisterArchiveStatements(services.archives, services.files);
  TextSystem& text = services.text;
  RegisterComponentStatements(ComponentServices{services.files, nullptr, [&text](const std::function<void()>& work) {
                                                  auto view = text.NativeFileView();
                                                  work();
                                                }});
  RegisterTextStatements(services.text);
  InstallStatementServices install;
  install.markInstalled = [](size_t index) { SetInstallState(index, "TRUE"); };
  RegisterInstallStatements(install);
  FileSystem& files = services.files;
  RegisterStatement("Transform Instance", [&files](StatementContext& s) {
    const std::string& msi = CurrentStartupState().installerDatabasePath;
    const size_t dot = msi.find_last_of(".\\");
    const bool patch = !msi.empty() && dot != std::string::npos && msi[dot] == '.' &&
                       files.FileExists(msi.substr(0, dot) + ".msp");
    ExecuteTransformInstance(s, patch, [&s] { s.run.Rebootstrap(); });
  });
}

}  // namespace vantrell
