// The run session (contract in run_session.h).
#include "engine/run_session.h"

#include "engine/bootstrap.h"

namespace vantrell {
namespace {

class SessionHooks final : public RunHooks {
 public:
  explicit SessionHooks(const RunScriptContext& context) : context_(context) {}

  bool SilentAtStart() override {
    return context_.commandLine != nullptr && context_.commandLine->silent;
  }
  void DefineRunVariables(TVariableManager& vars) override {
    vantrell::DefineRunVariables(context_, vars);
  }
  void Bootstrap(TVariableManager& vars) override { RunBootstrap(context_, vars); }
  bool PackagePresent() override {
    const std::string& msi = context_.installerDatabasePath;
    if (msi.empty()) return false;
    if (context_.files.FileExists(msi)) return true;
    size_t dot = msi.find_last_of(".\\");
    return dot != std::string::npos && msi[dot] == '.' &&
           context_.files.FileExists(msi.substr(0, dot) + ".msp");
  }
  bool DefineInitialisationVariables(TVariableManager& vars, InterpreterHost& host) override {
    return vantrell::DefineInitialisationVariables(context_, vars, host);
  }
  void Refresh(TVariableManager& vars) override {
    RelocateEngineCache(context_, vars, lastOverride_);
    RefreshEngineCacheVariables(context_, vars);
    RefreshTranslations(context_, vars);
  }

 private:
  const RunScriptContext& context_;
  std::string lastOverride_;  // the engine cache root last taken from OVERRIDECACHE
};

}  // namespace

int RunScript(const RunScriptContext& context, InterpreterHost& host, TVariableManager& vars) {
  static const StatementTable noStatements;
  const StatementTable& statements = context.statements ? *context.statements : noStatements;
  SessionHooks hooks(context);
  int code = 0;
  try {
    code = InterpretScript(context.script, statements, hooks, host, vars, context.ansiUpper);
  } catch (...) {
    // An error start-up reports still leaves the run's state saved.
    SaveEngineCache(context, vars);
    throw;
  }
  SaveEngineCache(context, vars);
  return code;
}

}  // namespace vantrell
