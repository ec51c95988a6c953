// Install-type statements and the Property-table queue (contract in
// install_statements.h). Each statement's recorded values come from the rule
// table below: the parameter, its translation slot (0: none) and its filters.
#include "msi/install_statements.h"

#include <mutex>
#include <optional>
#include <unordered_map>
#include <utility>

#include "common/target_platform.h"
#include "msi/property_list.h"
#include "script/statements.h"
#include "vars/variable_manager.h"

namespace vantrell {
namespace {

struct RecordedValue {
  int parameter;
  int slot = 0;                 // translation slot, 0 for none
  bool onlyWithDollar = false;  // recorded only when the line refers to a variable
  bool tildeToNull = false;     // every "~" becomes "$NULL$"
};

enum class TextList { kNone, kShortcut, kFileType };

struct InstallStatementRule {
  std::string_view command;
  std::vector<RecordedValue> values;  // n = position + 1
  bool bringsMedia = false;
  TextList texts = TextList::kNone;
};

const std::vector<InstallStatementRule>& Rules() {
  static const std::vector<InstallStatementRule> rules = {
      {"Install Files", {{3}}, true},
      {"Install Assembly", {{3}}, true},
      {"Install ODBC Driver", {{4}}, true},
      {"Create ODBC DSN", {}},
      {"Create Folder", {{1}}},
      {"Delete Files", {{1}}},
      {"Copy/Move Local Files", {{1}, {3}}},
      {"Set Environment", {{2}}},
      {"Edit INI File", {{1}, {4}, {5}, {6}}},
      {"Write Registry", {{3, 0, true}, {4, 0, true}, {5, 0, true}}},
      {"Create File Type", {{1, 1}, {2}, {3, 2}, {4}, {5}}},
      {"Advertised File Type", {}, false, TextList::kFileType},
      {"Create Shortcut", {{3}, {1}, {5}, {6}}, false, TextList::kShortcut},
      {"Advertised Shortcut", {{3}, {1}, {5}, {6}}, false, TextList::kShortcut},
      {"Control Service", {{1, 1}, {2}}},
      {"Install Service",
       {{2}, {4, 1}, {5, 2}, {9, 4}, {10, 5, false, true}, {13}, {14}, {15}, {6, 3}},
       true},
  };
  return rules;
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// Entries keyed by a text, kept in the order of their latest write.
template <typename Entry>
class LatestWins {
 public:
  void Put(const std::string& key, Entry entry) {
    auto found = index_.find(key);
    if (found != index_.end()) entries_[found->second].reset();
    index_[key] = entries_.size();
    entries_.emplace_back(std::in_place, key, std::move(entry));
    if (index_.size() * 2 < entries_.size()) Compact();
  }
  bool Contains(const std::string& key) const { return index_.count(key) != 0; }
  std::vector<Entry> Items() const {
    std::vector<Entry> items;
    for (const auto& entry : entries_) {
      if (entry) items.push_back(entry->second);
    }
    return items;
  }
  bool Empty() const { return index_.empty(); }
  void Clear() {
    entries_.clear();
    index_.clear();
  }

 private:
  void Compact() {
    std::vector<std::optional<std::pair<std::string, Entry>>> kept;
    index_.clear();
    for (auto& entry : entries_) {
      if (!entry) continue;
      index_[entry->first] = kept.size();
      kept.push_back(std::move(entry));
    }
    entries_ = std::move(kept);
  }
  std::vector<std::optional<std::pair<std::string, Entry>>> entries_;
  std::unordered_map<std::string, size_t> index_;
};

// The run's recording: filled on the interpreter thread and read by the
// installer thread while the interpreter waits; the lock costs nothing.
struct Recording {
  std::mutex mutex;
  LatestWins<QueuedProperty> queue;    // by name: a later write of a name wins anyway
  LatestWins<ShortcutText> shortcuts;  // by key: the later texts overwrite the same rows
  // By the whole triple: a repeated triple finds no row left under its key
  // once the first has renamed it, so only the first counts.
  LatestWins<FileTypeText> fileTypes;
  std::optional<NewInstanceIdentity> newInstance;
  bool componentIdsRenewed = false;
  std::string editedPackage;
};

Recording& State() {
  static Recording state;
  return state;
}

// The parameter with variables expanded, translated while a language is
// current and expanded again.
std::string TranslatedText(const StatementContext& s, const InstallStatementServices& services,
                           int parameter, int slot) {
  std::string text = s.Expanded(parameter);
  if (slot == 0 || !services.translate) return text;
  std::optional<std::string> translated = services.translate(text, s.identifier, slot);
  return translated ? s.vars.ExpandVariables(*translated) : text;
}

void AddFileTypeText(FileTypeText text) {
  const std::string key = text.key + '\n' + text.identifier + '\n' + text.description;
  std::lock_guard lock(State().mutex);
  if (!State().fileTypes.Contains(key)) State().fileTypes.Put(key, std::move(text));
}

void AddShortcutText(ShortcutText text) {
  std::lock_guard lock(State().mutex);
  const std::string key = text.key;
  State().shortcuts.Put(key, std::move(text));
}

void RecordStatement(StatementContext& s, const InstallStatementServices& services,
                     const InstallStatementRule& rule) {
  const std::string header = StatementHeader(s.script, s.index);
  if (services.markInstalled) services.markInstalled(s.index);
  RecordProperty("A" + header, "TRUE");
  if (rule.bringsMedia && s.script.buildKind == kBuildKindMediaBlocks &&
      s.index < s.script.mediaFolders.size() && !s.script.mediaFolders[s.index].empty() &&
      services.bringMediaBlock) {
    services.bringMediaBlock(s.script.mediaFolders[s.index]);
  }
  const std::string prefix = "P" + header + "_";
  for (size_t n = 0; n < rule.values.size(); ++n) {
    const RecordedValue& value = rule.values[n];
    if (value.onlyWithDollar && s.Parameter(value.parameter).find('$') == std::string::npos)
      continue;
    std::string text = s.vars.ExpandPath(TranslatedText(s, services, value.parameter, value.slot));
    if (value.tildeToNull) ReplaceAll(text, "~", "$NULL$");
    RecordProperty(prefix + std::to_string(n + 1), text);
  }
  if (rule.texts == TextList::kShortcut) {
    AddShortcutText(ShortcutText{prefix + "1",
                                 ShortcutStoredName(TranslatedText(s, services, 2, 1)),
                                 TranslatedText(s, services, 4, 2)});
  }
  if (rule.texts == TextList::kFileType) {
    AddFileTypeText(FileTypeText{s.Parameter(1), TranslatedText(s, services, 1, 1),
                                 TranslatedText(s, services, 3, 2)});
  }
}

// Flags are "TRUE" exactly; the last true one wins.
void Set64BitMode(StatementContext& s) {
  static constexpr std::string_view kPlatforms[] = {"Win32", "ia64", "x64"};
  for (int n = 1; n <= 3; ++n) {
    if (s.Parameter(n) == "TRUE") SetTargetPlatform(kPlatforms[n - 1]);
  }
}

}  // namespace

void RegisterInstallStatements(StatementTable& table, const InstallStatementServices& services) {
  for (const InstallStatementRule& rule : Rules()) {
    table.Register(rule.command,
                   [services, &rule](StatementContext& s) { RecordStatement(s, services, rule); });
  }
  table.Register("Set 64 Bit Mode", Set64BitMode);
}

void QueueProperty(std::string_view name, std::string_view value) {
  std::lock_guard lock(State().mutex);
  State().queue.Put(std::string(name),
                    QueuedProperty{std::string(name), TVariableManager::EncodeNewlines(value)});
}

void RecordProperty(std::string_view name, std::string_view value) {
  QueueProperty(name, value);
  Properties().Append(name, TVariableManager::EncodeNewlines(value));
}

void ResetInstallRecording() {
  std::lock_guard lock(State().mutex);
  Recording& state = State();
  state.queue.Clear();
  state.shortcuts.Clear();
  state.fileTypes.Clear();
  state.newInstance.reset();
  state.componentIdsRenewed = false;
  state.editedPackage.clear();
}

std::vector<QueuedProperty> PropertyQueue() {
  std::lock_guard lock(State().mutex);
  return State().queue.Items();
}

std::vector<ShortcutText> ShortcutTexts() {
  std::lock_guard lock(State().mutex);
  return State().shortcuts.Items();
}

std::vector<FileTypeText> FileTypeTexts() {
  std::lock_guard lock(State().mutex);
  return State().fileTypes.Items();
}

void RequestNewInstance(std::string productCode, std::string revisionCode) {
  std::lock_guard lock(State().mutex);
  State().newInstance = NewInstanceIdentity{std::move(productCode), std::move(revisionCode)};
  State().componentIdsRenewed = false;  // every new instance gets its own components
}

std::string EditedPackagePath() {
  std::lock_guard lock(State().mutex);
  return State().editedPackage;
}

PropertyQueuePlan TakePropertyQueuePlan(const std::string& packagePath) {
  std::lock_guard lock(State().mutex);
  Recording& state = State();
  PropertyQueuePlan plan;
  if (state.newInstance && !state.componentIdsRenewed) {
    state.componentIdsRenewed = true;
    plan.renewComponentIds = true;
  }
  if (state.queue.Empty()) return plan;
  plan.hasQueue = true;
  const NewInstanceIdentity* newInstance = state.newInstance ? &*state.newInstance : nullptr;
  plan.session = PropertyQueueSession(state.queue.Items(), newInstance);
  if (newInstance) state.editedPackage = packagePath;
  state.queue.Clear();
  return plan;
}

}  // namespace vantrell
