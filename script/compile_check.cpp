// The compilation check (phases in compile_check.h).
#include "script/compile_check.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "common/ascii.h"
#include "vars/conditions.h"

namespace vantrell {
namespace {

constexpr const char* kOrigin = "Compilation";
constexpr const char* kDeclarationMarker = "$VELD$VELD$";

constexpr const char* kPredefinedNames[] = {"VELD_COMPRESSCACHE",
                                            "VELD_DISABLEROLLBACK",
                                            "VELD_DISABLEVISTARESTARTMANAGER",
                                            "IISHOST",
                                            "OVERRIDECACHE",
                                            "VELDLOGO",
                                            "TIME",
                                            "DATE",
                                            "NEWINSTANCE",
                                            "SELECTED",
                                            "WINDOWHANDLE",
                                            "EXEDIR",
                                            "EXEFILE",
                                            "UNINSTALLLINK",
                                            "ENGINECACHE",
                                            "COPYWEBLOCK",
                                            "ABORT",
                                            "SILENT",
                                            "LOGGED",
                                            "CMDLINE",
                                            "REBOOTNOW",
                                            "SFXPATH",
                                            "SFXFILE",
                                            "LASTERROR",
                                            "PROGRESSMODE",
                                            "PROGRESSTEXT",
                                            "PROGRESS",
                                            "LICENSE",
                                            "USERNAME",
                                            "USERCOMPANY",
                                            "REBOOTCOMPUTER",
                                            "RUNAPP",
                                            "WIZARD",
                                            "VERSION",
                                            "TARGETDIR",
                                            "STARTMENU",
                                            "ADVERTISE",
                                            "ALLUSERS",
                                            "COMPLETE",
                                            "MINIMUM",
                                            "PERSONALIZED",
                                            "MODIFY",
                                            "REPAIR",
                                            "REMOVE",
                                            "DATADIR",
                                            "PRODUCTCODE",
                                            "REVISIONCODE",
                                            "ROOTDIR",
                                            "MAINTENANCE",
                                            "NEWLINE",
                                            "NEEDSUPGRADE",
                                            "TITLE",
                                            "COMPANY",
                                            "TEMPDIR",
                                            "SUPPORTDIR",
                                            "MSIFILE",
                                            "LANGUAGE"};

// Install-type statements: their install state starts as "FALSE".
constexpr const char* kInstallTypeCommands[] = {
    "Copy/Move Local Files", "Create Folder",       "Create Shortcut", "Advertised Shortcut",
    "Edit INI File",         "Install Assembly",    "Set Environment", "Install Service",
    "Install ODBC Driver",   "Create ODBC DSN",     "Control Service", "Write Registry",
    "Create File Type",      "Advertised File Type"};

struct OutputParameter {
  const char* command;
  int parameter;
  bool onlyIfSet;
};

constexpr OutputParameter kOutputParameters[] = {
    {"Get Folder Location", 1, false},
    {"Mathematics", 4, false},
    {"Get INI File Settings", 1, false},
    {"Extract 7Zip Archive", 3, false},
    {"Run Light Mode Setup", 2, false},
    {"Read from Text File", 2, false},
    {"Read from Text File", 3, false},
    {"Parse String", 3, false},
    {"Parse String", 4, false},
    {"Check File Version", 1, false},
    {"Get System Settings", 1, false},
    {"Get OS or SP Level", 1, false},
    {"Read Registry", 1, false},
    {"Check Registry", 1, false},
    {"Does File/Folder Exist", 1, false},
    {"Run Program", 5, true},
    {"Run Program As", 8, true},
    {"Localization Variable", 1, false},
    {"Get Temporary File", 1, false},
    {"Get IIS Property", 1, false},
    {"Get File Version", 2, false},
    {"Get Environment", 2, false},
    {"Get IIS Site Index", 2, false},
    {"Get IIS Site List", 1, false},
    {"MessageBox", 5, true},
    {"Check Service", 3, true},
    {"Check Process", 2, true},
    {"Register Library", 3, true},
    {"Apply Changes", 2, true},
    {"Apply Patch", 1, true},
    {"Get Component State", 2, true},
    {"Get Component Space", 2, true},
    {"IIS Anonymous User", 1, true},
    {"Set Variable", 1, false},
};

bool Contains(const auto& list, std::string_view command) {
  return std::any_of(std::begin(list), std::end(list), [&](const char* c) { return command == c; });
}

// NAME when text is "$NAME$" with no other "$" inside, else empty.
std::string ReferenceName(std::string_view text) {
  if (text.size() < 2 || text.front() != '$' || text.back() != '$') return {};
  std::string_view inner = text.substr(1, text.size() - 2);
  if (inner.find('$') != std::string_view::npos) return {};
  return std::string(inner);
}

bool TrueText(std::string_view text) {
  return AsciiUpper(text) == "TRUE" || text == "-1";
}

class Checker {
 public:
  Checker(const SetupScript& script, TVariableManager& vars) : script_(script), vars_(vars) {}

  CompileResult Run() {
    vars_.ClearVariables();
    for (const char* name : kPredefinedNames) {
      vars_.AssignVariable(name, "",
                           std::string_view(name) == "PROGRESSMODE" ? "Initialization" : kOrigin);
    }
    if (CheckBalance() && CheckLabels()) {
      DeclareVariables();
      if (CheckStatements()) CheckWizardLoops();
    }
    return std::move(result_);
  }

 private:
  size_t Count() const { return script_.StatementCount(); }
  bool Off(size_t i) const { return i < script_.markers.size() && script_.markers[i] == "C"; }
  const std::string& Command(size_t i) const { return script_.commands[i]; }
  std::string Parameter(size_t i, int n) const {
    return i < script_.identifiers.size() ? ParameterLine(script_.pools, script_.identifiers[i], n)
                                          : std::string();
  }

  bool Fail(size_t statement, std::string message) {
    result_.statement = static_cast<int>(statement);
    result_.message = std::move(message);
    return false;
  }

  void Define(const std::string& name) { vars_.AssignVariable(AsciiUpper(name), "", kOrigin); }

  bool Known(const std::string& name) const { return !name.empty() && vars_.VariableExists(name); }

  // A text names a known variable when its reference (or, without the
  // reference form, the text itself) is known.
  bool NamesKnownVariable(const std::string& text) const {
    std::string name = ReferenceName(text);
    return Known(name.empty() ? text : name);
  }

  // A literal, or a reference to a known variable.
  bool RefersOnlyToKnown(const std::string& text) const {
    std::string name = ReferenceName(text);
    return name.empty() || Known(name);
  }

  bool CheckBalance() {
    int openers = 0, closers = 0, depth = 0;
    for (size_t i = 0; i < Count(); ++i) {
      if (Off(i)) continue;
      const std::string& c = Command(i);
      if (c == "If" || c == "Wizard Loop") {
        ++openers;
        ++depth;
      } else if (c == "End") {
        ++closers;
        --depth;
      } else if (c == "Label" && depth != 0) {
        return Fail(i, "LABEL statements cannot be nested inside loops/conditionals");
      }
    }
    if (openers > closers)
      return Fail(CompileResult::kUnbalancedBlocks, "Insufficient END statements");
    if (closers > openers) return Fail(CompileResult::kUnbalancedBlocks, "Too many END statements");
    return true;
  }

  bool CheckLabels() {
    for (size_t i = 0; i < Count(); ++i) {
      if (Command(i) != "Label") continue;
      std::string written = Parameter(i, 1);
      std::string label = AsciiUpper(written);
      if (std::find(result_.labels.begin(), result_.labels.end(), label) != result_.labels.end()) {
        return Fail(i, "LABEL re-defined: " + written);
      }
      result_.labels.push_back(std::move(label));
    }
    return true;
  }

  void DeclareVariables() {
    for (size_t i = 0; i < Count(); ++i) {
      if (Command(i) != "Set Variable") continue;
      std::string line = Parameter(i, 1);
      size_t marker = line.find(kDeclarationMarker);
      if (marker == std::string::npos) continue;
      std::string name = line.substr(0, marker);
      std::string flag = line.substr(marker + std::string_view(kDeclarationMarker).size());
      if (flag == "TRUE" && !Known(name)) Define(name);
    }
  }

  bool CheckStatements() {
    for (size_t i = 0; i < Count(); ++i) {
      result_.installStates.push_back("SKIP");
      if (Off(i)) continue;
      if (!CheckStatement(i)) return false;
    }
    return true;
  }

  bool CheckStatement(size_t i) {
    const std::string& c = Command(i);
    std::string& state = result_.installStates.back();
    if (c == "Web Media Block") {
      std::string name = Parameter(i, 1);
      size_t cut = name.find_last_of("\\:");
      std::string file = cut == std::string::npos ? name : name.substr(cut + 1);
      std::string message;
      if (file.find_first_of("\\/:*?\"<>|") != std::string::npos) {
        message = "Web Media Block name must be a legal file name";
      }
      if (!name.empty() && Parameter(i, 2).empty()) {
        message = "Web Media Block must have at least one download URL";
      }
      return message.empty() || Fail(i, message);
    }
    if (c == "Delete Files") {
      state = "FALSE";
      if (!TrueText(Parameter(i, 3)) && !TrueText(Parameter(i, 4))) {
        return Fail(i, "At least one delete mode must be selected");
      }
      return true;
    }
    if (c == "Install Files") {
      state = "FALSE";
      if (Parameter(i, 3).empty()) {
        return Fail(i,
                    "A target folder must be specified for files that are being installed.\r"
                    "The value $TARGETDIR$ represents the destination folder chosen by the user.");
      }
      return true;
    }
    if (Contains(kInstallTypeCommands, c)) {
      state = "FALSE";
      return true;
    }
    if (c == "Convert Path" || c == "Convert Case" || c == "Extract Path" ||
        c == "Replace String") {
      std::string p1 = Parameter(i, 1);
      return NamesKnownVariable(p1) || Fail(i, "Variable not defined: " + p1);
    }
    if (c == "Evaluate Expression") {
      Define(Parameter(i, 2));
      return ExpressionSyntaxOk(Parameter(i, 1)) ||
             Fail(i,
                  "Syntax error in expression. Please review the help topic \"Evaluate "
                  "Expression\" for the correct syntax.");
    }
    if (c == "If" || c == "Else If") {
      std::string p1 = Parameter(i, 1);
      if (p1.empty()) return Fail(i, "Variable required");
      std::string p3 = Parameter(i, 3);
      std::string failing;
      if (!NamesKnownVariable(p1)) failing = p1;
      if (!RefersOnlyToKnown(p3)) failing = p3;
      return failing.empty() || Fail(i, "Variable not defined: " + failing);
    }
    if (c == "Display Dialog") {
      if (Parameter(i, 1).empty()) return Fail(i, "Dialog name not specified");
      std::string p2 = Parameter(i, 2);
      if (!p2.empty()) Define(p2);
      std::string p4 = Parameter(i, 4);
      return p4.empty() || NamesKnownVariable(p4) || Fail(i, "Variable not defined: " + p4);
    }
    if (c == "Is MSI Setup Installed" || c == "Find All Files" || c == "Check Disk Space") {
      int n = c == "Is MSI Setup Installed" ? 2 : c == "Find All Files" ? 4 : 1;
      std::string p = Parameter(i, n);
      if (p.empty()) return Fail(i, "Variable required");
      Define(p);
      return true;
    }
    if (c == "GoTo Label") {
      std::string p1 = Parameter(i, 1);
      const auto& labels = result_.labels;
      return std::find(labels.begin(), labels.end(), AsciiUpper(p1)) != labels.end() ||
             Fail(i, "LABEL undefined: " + p1);
    }
    for (const OutputParameter& out : kOutputParameters) {
      if (c != out.command) continue;
      std::string p = Parameter(i, out.parameter);
      if (c == "Set Variable") {
        size_t marker = p.find(kDeclarationMarker);
        if (marker != std::string::npos) p.resize(marker);
      }
      if (out.onlyIfSet && p.empty()) continue;
      Define(p);
    }
    return true;
  }

  void CheckWizardLoops() {
    bool inside = false;
    for (size_t i = 0; i < Count(); ++i) {
      const std::string& c = Command(i);
      if (Off(i) || c == "Ignore") continue;  // switched-off statements never open or close
      if (c == "Wizard Loop") {
        inside = true;
      } else if (c == "End") {
        inside = false;
      } else if (inside && c != "Display Dialog" && c != "Comment") {
        Fail(i, "Statements other than DISPLAY DIALOG not allowed inside WIZARD LOOP");
        return;
      }
    }
  }

  const SetupScript& script_;
  TVariableManager& vars_;
  CompileResult result_;
};

}  // namespace

CompileResult CompileScript(const SetupScript& script, TVariableManager& vars) {
  return Checker(script, vars).Run();
}

}  // namespace vantrell
