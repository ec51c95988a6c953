// The statement loop, block movement, control-flow statements and the common
// error path (contract in interpreter.h).
//
// Blocks: every "If" that runs opens a block on a stack; its entry records
// whether one of its branches has run. "Else If" evaluates only while no
// branch of its block ran, "Else" always skips to the block's "End", and an
// "End" closes the innermost open block (none: nothing). "GoTo Label" drops
// every open block.
#include "script/interpreter.h"

#include <unordered_map>

#include "common/ascii.h"
#include "common/engine_error.h"
#include "common/trace_log.h"
#include "lang/caption.h"
#include "lang/engine_texts.h"
#include "lang/translations.h"
#include "script/background.h"
#include "vars/integer_text.h"

namespace vantrell {
namespace {

constexpr size_t kMessagePumpInterval = 314;
constexpr int kCompileFailedExitCode = 314;

CompileResult lastCompileResult;

enum class WizardDirection { kForward, kBack, kCancel };

class ScriptRun final : public RunControl {
 public:
  ScriptRun(const SetupScript& script, const StatementTable& statements, RunHooks& hooks,
            InterpreterHost& host, TVariableManager& vars, AnsiUpperCase ansiUpper)
      : script_(script),
        statements_(statements),
        hooks_(hooks),
        host_(host),
        vars_(vars),
        ansiUpper_(ansiUpper) {}

  int Run() {
    silent_ = hooks_.SilentAtStart();
    vars_.SetSilent(silent_);
    TraceLine("    <Variables>");
    TraceLine("    </Variables>");

    TraceLine("    <CompileScript>");
    lastCompileResult = CompileScript(script_, vars_);
    if (!lastCompileResult.Passed()) host_.TerminateProcess(kCompileFailedExitCode);
    TraceLine("    </CompileScript>");

    vars_.ClearVariables();
    hooks_.DefineRunVariables(vars_);
    TraceLine("    <BootStrap>");
    hooks_.Bootstrap(vars_);
    TraceLine("    </BootStrap>");

    for (size_t i = 0; i < Count(); ++i) {
      if (script_.commands[i] == "Label") labels_.emplace(AsciiUpper(Parameter(i, 1)), i);
    }
    if (!hooks_.PackagePresent()) return exitCode_;

    TraceLine("    <veld>");
    try {
      position_ = 0;
      if (!hooks_.DefineInitialisationVariables(vars_, host_)) {
        ExitCleanup();
        return exitCode_;
      }
      Loop();
    } catch (const std::exception& e) {
      if (!silent_) {
        host_.ShowScriptError(WizardCaption(), EngineText(kTextRuntimeErrorInScript) + "\r\rLine " +
                                                   std::to_string(errorLine_) + ": " + e.what());
      }
      ExitCleanup();
      return exitCode_;
    }
    TraceLine("    </veld>");
    TraceLine("    <ExitScript>");
    ExitCleanup();
    TraceLine("    </ExitScript>");
    return exitCode_;
  }

  // RunControl
  void EndRun() override { ended_ = true; }
  void SetExitCode(int code) override { exitCode_ = code; }
  bool InWizardLoop() const override { return wizardMode_; }
  void SetWizardStep(int step) override {
    if (step > 0) direction_ = WizardDirection::kForward;
    if (step < 0) direction_ = WizardDirection::kBack;
    if (step == 0) direction_ = WizardDirection::kCancel;
  }
  bool Silent() const override { return silent_; }
  void Rebootstrap() override { hooks_.Bootstrap(vars_); }
  void AddExitCleanup(std::function<void()> cleanup) override {
    exitCleanups_.push_back(std::move(cleanup));
  }

 private:
  size_t Count() const { return script_.StatementCount(); }
  const std::string& Command(size_t i) const { return script_.commands[i]; }
  bool Off(size_t i) const { return i < script_.markers.size() && script_.markers[i] == "C"; }
  bool Counts(size_t i) const { return !Off(i) && Command(i) != "Ignore"; }
  std::string Identifier(size_t i) const {
    return i < script_.identifiers.size() ? script_.identifiers[i] : std::string();
  }
  std::string Parameter(size_t i, int n) const {
    return ParameterLine(script_.pools, Identifier(i), n);
  }

  void Loop() {
    while (position_ < Count() && !ended_) {
      if (position_ % kMessagePumpInterval == 0) host_.ProcessMessages();
      Refresh();
      if (skipToBranch_) SkipToBranch();
      if (skipToEnd_) SkipToEnd();
      if (wizardMode_) {
        WizardStep();
      } else {
        Advance();
      }
      if (position_ > Count()) break;
      const size_t current = position_ - 1;
      if (Off(current)) continue;
      errorLine_ = position_;
      vars_.AssignVariable("ABORT", CancelRequested() ? "TRUE" : "FALSE", "Cancel State");
      Dispatch(current);
    }
  }

  // Engine values that scripts steer through variables.
  void Refresh() {
    if (TraceLog* log = CurrentTraceLog()) log->SetPath(vars_.GetVariable("LOGGED"));
    silent_ = TextToBool(vars_.GetVariable("SILENT"));
    vars_.SetSilent(silent_);
    SetCaptionTitle(vars_.GetVariable("TITLE"));
    SetCaptionLogo(vars_.GetVariable("VELDLOGO") == "TRUE");
    vars_.AssignVariable("DATE", host_.ShortDate(), "Initialization");
    vars_.AssignVariable("TIME", host_.LongTime(), "Initialization");
    hooks_.Refresh(vars_);
  }

  void Advance() {
    do {
      ++position_;
    } while (position_ < Count() && !Counts(position_ - 1));
  }

  // Takes the next statement of a skip; running off the script is an error.
  size_t SkipStep() {
    ++position_;
    if (position_ > Count())
      throw EngineError("Unexpected end of script: a block has no matching End");
    return position_ - 1;
  }

  void SkipToBranch() {
    skipToBranch_ = false;
    int depth = 0;
    for (;;) {
      size_t i = SkipStep();
      const std::string& c = Command(i);
      bool nested = false;
      if (Counts(i) && (c == "If" || c == "Wizard Loop")) {
        ++depth;
        nested = true;
      } else if (Counts(i) && c == "End") {
        --depth;
        nested = depth >= 0;
      }
      if (!Counts(i) || nested || depth > 0) continue;
      if (c == "Else") {
        if (!blocks_.empty()) blocks_.back() = true;  // the else branch runs
        return;
      }
      if (c == "Else If") {
        --position_;
        return;
      }
      if (c == "End") {
        --position_;
        skippedBlockEnd_ = true;
        return;
      }
    }
  }

  void SkipToEnd() {
    skipToEnd_ = false;
    int depth = 0;
    for (;;) {
      size_t i = SkipStep();
      const std::string& c = Command(i);
      if (!Counts(i)) continue;
      if (c == "If" || c == "Wizard Loop") {
        ++depth;
      } else if (c == "End" && --depth < 0) {
        --position_;
        skippedBlockEnd_ = true;
        return;
      }
    }
  }

  // Walks forward to the loop's "End" and leaves the loop there.
  void LeaveWizardLoop(size_t from) {
    for (size_t i = from; i < Count(); ++i) {
      if (Counts(i) && Command(i) == "End") {
        wizardMode_ = false;
        wizardJustLeft_ = true;
        position_ = i + 1;  // the "End" runs now
        return;
      }
    }
    throw EngineError("Unexpected end of script: a wizard loop has no matching End");
  }

  void WizardStep() {
    const size_t current = position_ - 1;
    if (direction_ == WizardDirection::kCancel) return LeaveWizardLoop(current + 1);
    const bool forward = direction_ == WizardDirection::kForward;
    size_t i = current;
    for (;;) {
      if (forward) {
        if (++i >= Count())
          throw EngineError("Unexpected end of script: a wizard loop has no matching End");
      } else {
        if (i == 0) throw EngineError("Wizard loop start not found");
        --i;
      }
      if (!Counts(i)) continue;
      const std::string& c = Command(i);
      if (c == "Display Dialog") {
        position_ = i + 1;
        return;
      }
      if (c == "End" && forward) return LeaveWizardLoop(i);
      if (c == "Wizard Loop" && !forward) return LeaveWizardLoop(i + 1);
    }
  }

  void Dispatch(size_t i) {
    const std::string& c = Command(i);
    for (const std::string& plugin : script_.pluginCommands) {
      if (EqualsIgnoreCase(plugin, c)) return;  // plug-in statements are served by their libraries
    }
    if (c == "If") return RunIf(i, /*elseIf=*/false);
    if (c == "Else If") return RunIf(i, /*elseIf=*/true);
    if (c == "Else") {
      skipToEnd_ = true;
      return;
    }
    if (c == "End") return RunEnd();
    if (c == "Wizard Loop") {
      wizardMode_ = true;
      direction_ = WizardDirection::kForward;
      return;
    }
    if (c == "GoTo Label") return RunGoTo(i);
    if (c == "Terminate Install") {
      ended_ = true;
      return;
    }
    if (c == "Terminate with Exit Code") {
      exitCode_ = static_cast<int>(StrToIntDef(vars_.ExpandVariables(Parameter(i, 1)), 0));
      ended_ = true;
      return;
    }
    if (const StatementHandler* handler = statements_.Find(c)) {
      const std::string identifier = Identifier(i);
      StatementContext statement{i, c, identifier, script_, vars_, host_, *this};
      (*handler)(statement);
    }
  }

  void RunIf(size_t i, bool elseIf) {
    if (elseIf && !blocks_.empty() && blocks_.back()) {
      skipToEnd_ = true;
      return;
    }
    ConditionLines lines{Parameter(i, 1), Parameter(i, 2), Parameter(i, 3), Parameter(i, 4)};
    TranslateCondition(i, lines);
    bool holds = ConditionHolds(lines, vars_, ansiUpper_);
    if (!elseIf || blocks_.empty()) blocks_.push_back(false);
    if (holds) {
      blocks_.back() = true;
    } else {
      skipToBranch_ = true;
    }
  }

  // While a language is current the variable line (slot 1) and the expanded
  // comparison value (slot 2) go through the translations; a value without
  // a translation stays as written, so it is expanded once only.
  void TranslateCondition(size_t i, ConditionLines& lines) const {
    const TranslationState& translations = Translations();
    if (!translations.Active()) return;
    const std::string key = Identifier(i);
    lines.line1 = translations.Lookup(lines.line1, key, 1);
    const std::string expanded = vars_.ExpandVariables(lines.line3);
    const std::string translated = translations.Lookup(expanded, key, 2);
    if (translated != expanded) lines.line3 = translated;
  }

  void RunEnd() {
    if (wizardJustLeft_) {
      wizardJustLeft_ = false;
      return;
    }
    skippedBlockEnd_ = false;
    if (!blocks_.empty()) blocks_.pop_back();
  }

  void RunGoTo(size_t i) {
    auto it = labels_.find(AsciiUpper(Parameter(i, 1)));
    if (it == labels_.end()) throw EngineError("LABEL undefined: " + Parameter(i, 1));
    position_ = it->second;  // the "Label" itself comes next and does nothing
    blocks_.clear();
    skipToBranch_ = skipToEnd_ = skippedBlockEnd_ = false;
    wizardMode_ = wizardJustLeft_ = false;
  }

  void ExitCleanup() {
    auto cleanups = std::move(exitCleanups_);
    exitCleanups_.clear();
    for (auto& cleanup : cleanups) cleanup();
  }

  const SetupScript& script_;
  const StatementTable& statements_;
  RunHooks& hooks_;
  InterpreterHost& host_;
  TVariableManager& vars_;
  AnsiUpperCase ansiUpper_;
  std::vector<std::function<void()>> exitCleanups_;

  size_t position_ = 0;
  size_t errorLine_ = 0;  // the statement an error is reported at: 0 during initialisation
  bool skipToBranch_ = false;
  bool skipToEnd_ = false;
  bool skippedBlockEnd_ = false;
  std::vector<bool> blocks_;  // open "If" blocks: has a branch run
  bool wizardMode_ = false;
  bool wizardJustLeft_ = false;
  WizardDirection direction_ = WizardDirection::kForward;
  std::unordered_map<std::string, size_t> labels_;
  bool silent_ = false;
  bool ended_ = false;
  int exitCode_ = 0;
};

}  // namespace

int InterpretScript(const SetupScript& script, const StatementTable& statements, RunHooks& hooks,
                    InterpreterHost& host, TVariableManager& vars, AnsiUpperCase ansiUpper) {
  SetCancelRequested(false);
  return ScriptRun(script, statements, hooks, host, vars, ansiUpper).Run();
}

const CompileResult& LastCompileResult() {
  return lastCompileResult;
}

void SetInstallState(size_t statementIndex, const std::string& state) {
  if (statementIndex < lastCompileResult.installStates.size())
    lastCompileResult.installStates[statementIndex] = state;
}

}  // namespace vantrell
