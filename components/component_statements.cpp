// The component statements (contract in component_statements.h). Name lines
// are expanded and, while a language is current, translated (slot 1) and
// expanded again; truth-value lines are read as written.
#include "components/component_statements.h"

#include "common/engine_error.h"
#include "components/component_table.h"
#include "components/feature_selection_file.h"
#include "script/statements.h"
#include "vars/integer_text.h"

namespace vantrell {
namespace {

constexpr int kNameSlot = 1;
constexpr int kDescriptionSlot = 2;

// The expanded line, translated and expanded again while a language is current.
std::string TranslatedLine(const StatementContext& s, const ComponentServices& services, int line,
                           int slot) {
  std::string text = s.Expanded(line);
  if (!services.translate) return text;
  std::optional<std::string> translated = services.translate(text, s.identifier, slot);
  return translated ? s.vars.ExpandVariables(*translated) : text;
}

std::string NameLine(const StatementContext& s, const ComponentServices& services) {
  return TranslatedLine(s, services, 1, kNameSlot);
}

void AssignResult(StatementContext& s, const std::string& variable, const std::string& value) {
  s.vars.DeclareResultVariable(variable, s.Origin());
  s.vars.AssignVariable(variable, value, s.Origin());
}

void DefineComponentStatement(StatementContext& s, const ComponentServices& services) {
  TComponentTable& table = Components();
  std::string name = s.Expanded(1);
  std::string description = s.Expanded(3);
  std::optional<std::string> translated;
  if (services.translate) translated = services.translate(name, s.identifier, kNameSlot);
  if (translated) {
    const int64_t size = table.ComponentSize(name);
    name = s.vars.ExpandVariables(*translated);
    if (std::optional<std::string> text =
            services.translate(description, s.identifier, kDescriptionSlot)) {
      description = s.vars.ExpandVariables(*text);
    }
    // Added only when the translated name has no pair yet: a second pair
    // would be shadowed by the first, and repeated runs would grow the list.
    if (size != 0) table.AddSpacePair(name, size);
  }
  table.DefineComponent(name, description, TextToBool(s.Parameter(2)));
}

void GetComponentState(StatementContext& s, const ComponentServices& services) {
  const std::string variable = s.Parameter(2);
  if (variable.empty()) return;
  const std::string name = NameLine(s, services);
  AssignResult(s, variable, BoolToText(Components().ComponentSelected(name)));
}

void SetComponentSpace(StatementContext& s, const ComponentServices& services) {
  const std::string name = NameLine(s, services);
  int64_t size = 0;
  if (!TryStrToInt64(s.Expanded(2), size)) return;
  Components().SetComponentSpace(name, size);
}

void GetComponentSpace(StatementContext& s, const ComponentServices& services) {
  const std::string variable = s.Parameter(2);
  if (variable.empty()) return;
  s.vars.DeclareResultVariable(variable, s.Origin());
  const std::string name = s.Expanded(1).empty() ? std::string() : NameLine(s, services);
  const int64_t size =
      name.empty() ? Components().RequiredSpace() : Components().ComponentSize(name);
  s.vars.AssignVariable(variable, std::to_string(size), s.Origin());
}

// Both file statements run in the 64-bit file view.
void WithFiles(StatementContext& s, const ComponentServices& services,
               const std::function<void(FileSystem&, const std::string&)>& work) {
  const std::string path = s.vars.ExpandPath(s.Parameter(1));
  auto run = [&] { work(services.files, path); };
  if (services.inNativeFileView) {
    services.inNativeFileView(run);
  } else {
    run();
  }
}

void SaveFeatureSelectionsStatement(StatementContext& s, const ComponentServices& services) {
  WithFiles(s, services, [&](FileSystem& files, const std::string& path) {
    if (!SaveFeatureSelections(files, path, true, true, "", Components(), s.vars)) {
      throw EngineError("Cannot create file \"" + path + "\"");
    }
  });
}

void LoadFeatureSelectionsStatement(StatementContext& s, const ComponentServices& services) {
  WithFiles(s, services, [&](FileSystem& files, const std::string& path) {
    LoadFeatureSelections(files, path, FeatureSelectionMode::kMerge, Components(), s.vars);
  });
}

void SetComponentState(StatementContext& s, const ComponentServices& services) {
  Components().SetComponentState(NameLine(s, services), TextToBool(s.Parameter(2)));
}

void SetComponentChoice(StatementContext& s, const ComponentServices& services) {
  Components().SetComponentChoice(NameLine(s, services), TextToBool(s.Parameter(2)));
}

void SetComponentVisibility(StatementContext& s, const ComponentServices& services) {
  Components().SetComponentVisibility(NameLine(s, services), TextToBool(s.Parameter(2)));
}

void DeleteComponent(StatementContext& s, const ComponentServices& services) {
  Components().DeleteComponent(NameLine(s, services));
}

}  // namespace

void RegisterComponentStatements(StatementTable& table, const ComponentServices& services) {
  // Each handler keeps its own copy of the services.
  auto bind = [&services](void (*handler)(StatementContext&, const ComponentServices&)) {
    return [handler, bound = services](StatementContext& s) { handler(s, bound); };
  };
  table.Register("Define Component", bind(DefineComponentStatement));
  table.Register("Set Component State", bind(SetComponentState));
  table.Register("Get Component State", bind(GetComponentState));
  table.Register("Set Component Space", bind(SetComponentSpace));
  table.Register("Get Component Space", bind(GetComponentSpace));
  table.Register("Set Component Choice", bind(SetComponentChoice));
  table.Register("Set Component Visibility", bind(SetComponentVisibility));
  table.Register("Delete Component", bind(DeleteComponent));
  table.Register("Save Feature Selections", bind(SaveFeatureSelectionsStatement));
  table.Register("Load Feature Selections", bind(LoadFeatureSelectionsStatement));
}

}  // namespace vantrell
