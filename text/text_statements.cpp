// The handlers of the string, arithmetic and text-file statements (contract
// in text_statements.h). Each reads its parameter lines by position and
// writes its results with the command name + " Action" as origin.
#include "text/text_statements.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

#include "common/ascii.h"
#include "common/engine_error.h"
#include "lang/translations.h"
#include "script/background.h"
#include "script/statements.h"
#include "text/find_files.h"
#include "text/string_statements.h"
#include "text/text_file_statements.h"
#include "vars/integer_text.h"

namespace vantrell {
namespace {

constexpr std::string_view kKeepMarker = "$VELD$VELD$";
constexpr std::string_view kReadAllPrefix = "#READALL\\";
constexpr size_t kProfileBufferChars = 26000;
constexpr size_t kShortPathBufferChars = 260;

struct TextState {
  TextState(TextSystem& s, TextStatementOptions o) : system(s), options(std::move(o)) {}
  TextSystem& system;
  TextStatementOptions options;
  Mathematics mathematics;
  TextFileReader reader;
  int64_t searchPosition = 0;  // touched only by the one search worker at a time
  bool exitCleanupAdded = false;
};

// A line that may hold NAME or $NAME$.
std::string NameOf(const std::string& line) {
  std::string stripped = TVariableManager::StripReference(line);
  return stripped.empty() ? line : stripped;
}

std::string PathExpanded(const StatementContext& s, int n) {
  return s.vars.ExpandPath(s.Expanded(n));
}

void LocalizationVariable(TextState& state, StatementContext& s) {
  static const std::string kOrigin = "Localization Variable Action";
  std::string name = TVariableManager::StripReference(s.Parameter(1));
  if (name.empty()) name = s.Parameter(1);
  s.vars.DeclareResultVariable(name, kOrigin);
  std::string value = s.Expanded(2);
  if (state.options.translate) {
    if (auto translated = state.options.translate(LocalizationVariableKey(name), 1, value)) {
      value = s.vars.ExpandVariables(*translated);
    }
  }
  s.vars.AssignVariable(name, value, kOrigin);
}

void SetVariable(TextState& state, StatementContext& s) {
  std::string value = s.Expanded(2);
  if (state.options.translate) {
    if (auto translated = state.options.translate(s.identifier, 1, value)) {
      value = s.vars.ExpandVariables(*translated);
    }
  }
  std::string name = s.Parameter(1);
  bool keep = false;
  if (size_t marker = name.find(kKeepMarker); marker != std::string::npos) {
    keep = name.substr(marker + kKeepMarker.size()) == "TRUE";
    name.resize(marker);
  }
  name = NameOf(name);
  s.vars.DeclareResultVariable(name, s.Origin());
  s.vars.AssignVariable(name, value, s.Origin());
  if (keep) s.vars.AddPersistentVariable(name);
  if (EqualsIgnoreCase(name, "PROGRESS") || EqualsIgnoreCase(name, "PROGRESSTEXT")) {
    int32_t position = StrToIntStrict(s.vars.GetVariable("PROGRESS"));
    if (state.options.refreshProgress) {
      state.options.refreshProgress(s.vars.GetVariable("PROGRESSTEXT"), position);
    }
  }
}

void ParseString(TextState& state, StatementContext& s) {
  const std::string source = PathExpanded(s, 1);
  const std::string delimiter = PathExpanded(s, 2);
  const std::string firstName = s.Parameter(3);
  const std::string secondName = s.Parameter(4);
  if (!firstName.empty()) s.vars.DeclareResultVariable(firstName, s.Origin());
  if (!secondName.empty()) s.vars.DeclareResultVariable(secondName, s.Origin());
  const int32_t mode = StrToIntStrict(s.Parameter(5));
  auto lower = [&state](std::string text) { return state.system.LowerCase(std::move(text)); };
  auto [first, second] = ParseText(source, delimiter, mode, TextToBool(s.Parameter(6)),
                                   TextToBool(s.Parameter(7)), lower);
  if (!firstName.empty()) s.vars.AssignVariable(AsciiUpper(firstName), first, s.Origin());
  if (!secondName.empty()) s.vars.AssignVariable(AsciiUpper(secondName), second, s.Origin());
}

void ReplaceString(TextState& state, StatementContext& s) {
  const std::string name = NameOf(s.Parameter(1));
  const std::string find = TVariableManager::EncodeNewlines(s.Expanded(2));
  const std::string replacement = TVariableManager::EncodeNewlines(s.Expanded(3));
  const std::string value = s.vars.GetVariable(name);
  std::function<std::string(std::string)> upper;
  if (TextToBool(s.Parameter(4))) {
    upper = [&state](std::string text) { return state.system.UpperCase(std::move(text)); };
  }
  const size_t limit = std::max(state.options.maxReplaceBytes, value.size());
  s.vars.AssignVariable(
      AsciiUpper(name),
      ReplaceText(value, find, replacement, TextToBool(s.Parameter(5)), upper, limit), s.Origin());
}

void ConvertCase(TextState& state, StatementContext& s) {
  const std::string name = s.Parameter(1);
  std::string value = s.vars.ExpandPath(s.vars.GetVariable(name));
  value = TextToBool(s.Parameter(2)) ? state.system.UpperCase(std::move(value))
                                     : state.system.LowerCase(std::move(value));
  s.vars.AssignVariable(name, value, s.Origin());
}

void ConvertPath(TextState& state, StatementContext& s) {
  auto view = state.system.NativeFileView();
  const std::string name = s.Parameter(1);
  const std::string value = s.vars.ExpandPath(s.vars.GetVariable(name));
  std::string result;
  if (TextToBool(s.Parameter(2))) {
    result = state.system.ShortPath(value, kShortPathBufferChars);
  } else {
    result = LongPathForm(
        value, [&state](const std::string& path) { return state.system.EntryName(path); });
  }
  s.vars.AssignVariable(name, result, s.Origin());
}

void ExtractPath(TextState&, StatementContext& s) {
  const std::string name = s.Parameter(1);
  const std::string value = s.vars.ExpandPath(s.vars.GetVariable(name));
  const int32_t selector = StrToIntStrict(s.Parameter(2));
  s.vars.AssignVariable(name, ExtractPathPart(value, selector), s.Origin());
}

void DoMathematics(TextState& state, StatementContext& s) {
  const std::string name = s.Parameter(4);
  s.vars.DeclareResultVariable(name, s.Origin());
  std::string result = state.mathematics.Compute(s.Parameter(3), s.Expanded(1), s.Expanded(2));
  if (!name.empty()) s.vars.AssignVariable(name, result, s.Origin());
}

void GetTemporaryFile(TextState& state, StatementContext& s) {
  auto view = state.system.NativeFileView();
  std::string path = state.system.CreateTemporaryFile("zeb");
  s.vars.AssignVariable(AsciiUpper(NameOf(s.Parameter(1))), path, s.Origin());
}

void GetEnvironment(TextState& state, StatementContext& s) {
  auto view = state.system.NativeFileView();
  const std::string n = s.Expanded(1);
  std::string result;
  if (!n.empty()) {
    result = state.system.ExpandEnvironment("%" + n + "%");
  } else {
    const std::vector<std::string> block = state.system.EnvironmentBlock();
    for (size_t i = 0; i < block.size(); ++i) {
      if (i > 0) result += "$NEWLINE$";
      result += block[i];
    }
  }
  s.vars.AssignVariable(AsciiUpper(NameOf(s.Parameter(2))), result, s.Origin());
}

void ReadFromTextFile(TextState& state, StatementContext& s) {
  auto view = state.system.NativeFileView();
  std::string path = PathExpanded(s, 1);
  const std::string valueName = s.Parameter(2);
  const std::string flagName = s.Parameter(3);
  s.vars.DeclareResultVariable(valueName, s.Origin());
  if (!flagName.empty()) s.vars.DeclareResultVariable(flagName, s.Origin());
  const bool readAll = path.starts_with(kReadAllPrefix);
  if (readAll) path.erase(0, kReadAllPrefix.size());
  const std::string key = state.system.LowerCase(path);
  TextFileReader::Result read =
      state.reader.Read(state.system, path, key, readAll, state.options.maxReadBytes);
  if (!read.opened) {
    if (!flagName.empty()) s.vars.AssignVariable(flagName, "TRUE", s.Origin());
    return;
  }
  if (read.read) s.vars.AssignVariable(valueName, read.value, s.Origin());
  if (!flagName.empty()) s.vars.AssignVariable(flagName, BoolToText(read.atEnd), s.Origin());
}

void WriteToTextFile(TextState& state, StatementContext& s) {
  auto view = state.system.NativeFileView();
  const std::string path = PathExpanded(s, 1);
  const std::string text = s.Expanded(2);
  state.reader.CloseIfOpenAs(state.system.LowerCase(path));
  AddLineToTextFile(state.system, path, text, TextToBool(s.Parameter(3)));  // failures are ignored
}

void GetIniFileSettings(TextState& state, StatementContext& s) {
  auto view = state.system.NativeFileView();
  const std::string section = s.vars.ExpandPath(s.Parameter(3));
  const std::string key = s.vars.ExpandPath(s.Parameter(4));
  const std::string file = s.vars.ExpandPath(s.Parameter(2));
  std::string value;
  // A device would be read as if it were a file, and may never answer.
  if (!section.empty() && !key.empty() &&
      state.system.Probe(file) != TextSystem::PathKind::kDevice) {
    value = state.system.ProfileString(file, section, key, kProfileBufferChars);
  }
  const std::string name = s.Parameter(1);
  s.vars.DeclareResultVariable(name, s.Origin());
  s.vars.AssignVariable(name, value, s.Origin());
}

void FindAll(TextState& state, StatementContext& s) {
  const std::string pattern = PathExpanded(s, 1);
  const bool recurse = TextToBool(s.Parameter(2));
  const bool folders = TextToBool(s.Parameter(3));
  TVariableManager& vars = s.vars;
  std::vector<std::string> found;
  std::optional<std::string> failure;  // workers leave errors for the waiting statement
  Worker worker([&](Worker& self) {
    try {
      // The file view belongs to the thread that uses the files.
      auto view = state.system.NativeFileView();
      FindCallbacks callbacks;
      callbacks.stopRequested = [&self] { return self.TerminateRequested(); };
      callbacks.folderSearched = [&state, &vars] {
        state.searchPosition = state.searchPosition >= 100 ? 0 : state.searchPosition + 1;
        ReportProgress("$IGNORE$", 0, 100, state.searchPosition, vars);
      };
      callbacks.fileExamined = [&vars](const std::string& file) {
        ReportProgress(file, 0, 0, -1, vars);
      };
      found = FindAllFiles(state.system, pattern, recurse, folders, callbacks);
    } catch (const std::exception& e) {
      failure = e.what();
    } catch (...) {
      failure = "File search failed";
    }
  });
  RunWithCancel(worker, s.host, s.run.Silent());
  if (failure) throw EngineError(*failure);
  const std::string name = NameOf(s.Parameter(4));
  s.vars.DeclareResultVariable(name, s.Origin());
  s.vars.AssignVariable(AsciiUpper(name), JoinFileList(found), s.Origin());
}

}  // namespace

void RegisterTextStatements(StatementTable& table, TextSystem& system,
                            TextStatementOptions options) {
  auto state = std::make_shared<TextState>(system, std::move(options));
  using Handler = void (*)(TextState&, StatementContext&);
  const std::pair<std::string_view, Handler> handlers[] = {
      {"Set Variable", SetVariable},
      {"Localization Variable", LocalizationVariable},
      {"Parse String", ParseString},
      {"Replace String", ReplaceString},
      {"Convert Case", ConvertCase},
      {"Convert Path", ConvertPath},
      {"Extract Path", ExtractPath},
      {"Mathematics", DoMathematics},
      {"Get Temporary File", GetTemporaryFile},
      {"Get Environment", GetEnvironment},
      {"Read from Text File", ReadFromTextFile},
      {"Write to Text File", WriteToTextFile},
      {"Get INI File Settings", GetIniFileSettings},
      {"Find All Files", FindAll},
  };
  for (const auto& [name, handler] : handlers) {
    table.Register(name, [state, handler = handler](StatementContext& s) {
      // A file the script left open for reading is closed when the run ends.
      if (!state->exitCleanupAdded) {
        state->exitCleanupAdded = true;
        std::weak_ptr<TextState> weak = state;
        s.run.AddExitCleanup([weak] {
          if (auto alive = weak.lock()) {
            alive->reader.Close();
            alive->exitCleanupAdded = false;
          }
        });
      }
      handler(*state, s);
    });
  }
}

}  // namespace vantrell
