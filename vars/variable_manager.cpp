// The variable store: locked table access, the override rule, expansion with
// its bounds, and the comma text exchange form.
#include "vars/variable_manager.h"

#include <algorithm>
#include <memory>

#include "common/ascii.h"
#include "vars/comma_text.h"

namespace vantrell {
namespace {

constexpr uint32_t kInitialCapacity = 0;
constexpr double kLoadFactor = 2.0;

void AppendReversed(std::string& out, std::string_view text) {
  size_t at = out.size();
  out.resize(at + text.size());
  std::reverse_copy(text.data(), text.data() + text.size(), out.data() + at);
}

}  // namespace

bool TextToBool(std::string_view text) {
  return AsciiUpper(text) == "TRUE" || text == "-1";
}

const char* BoolToText(bool flag) {
  return flag ? "TRUE" : "FALSE";
}

// Takes the lock for a read only when the store locks reads.
class TVariableManager::ReadLock {
 public:
  explicit ReadLock(const TVariableManager& store) : lock_(store.lock_, std::defer_lock) {
    if (store.lockReads_) lock_.lock();
  }

 private:
  std::unique_lock<std::recursive_mutex> lock_;
};

TVariableManager::TVariableManager(bool lockReads)
    : lockReads_(lockReads), table_(/*caseSensitive=*/false, kInitialCapacity, kLoadFactor) {}

void TVariableManager::PutVariable(std::string_view name, std::string_view value) {
  if (name.empty()) return;
  std::lock_guard guard(lock_);
  table_.Put(name, value);
}

std::string TVariableManager::GetVariable(std::string_view name) const {
  std::string value;
  Lookup(name, value);
  return value;
}

bool TVariableManager::Lookup(std::string_view name, std::string& value) const {
  if (name.empty()) return false;
  ReadLock guard(*this);
  const std::string* found = table_.Get(name);
  if (!found) return false;
  value = *found;
  return true;
}

bool TVariableManager::VariableExists(std::string_view name) const {
  if (name.empty()) return false;
  ReadLock guard(*this);
  return table_.Contains(name);
}

void TVariableManager::ClearVariables() {
  std::lock_guard guard(lock_);
  table_.Clear();
}

bool TVariableManager::SetOnCommandLine(std::string_view upperName) const {
  // Only name items count: a value equal to the name does not protect it.
  for (size_t i = 0; i < overrides_.size(); ++i) {
    if (!EqualsIgnoreCase(overrides_[i], upperName)) continue;
    if (i % 2 == 0) return true;
    for (size_t j = i + 1; j < overrides_.size(); ++j) {
      if (j % 2 == 0 && EqualsIgnoreCase(overrides_[j], upperName)) return true;
    }
    return false;
  }
  return false;
}

void TVariableManager::AssignVariable(std::string_view name, std::string_view value,
                                      std::string_view origin) {
  if (name.empty()) return;
  // One hold over test and store, so that no other thread slips in between.
  std::lock_guard guard(lock_);
  if (!table_.Contains(name)) {
    table_.Put(name, value);
    return;
  }
  std::string key(name);
  if (silent_) {
    key = AsciiUpper(name);
    if (origin != kInjectOverrideOrigin && SetOnCommandLine(key)) return;
  }
  table_.Put(key, value);
}

void TVariableManager::DeclareResultVariable(std::string_view name, std::string_view origin) {
  std::lock_guard guard(lock_);
  if (!VariableExists(name)) AssignVariable(AsciiUpper(name), "", origin);
}

std::string TVariableManager::ExportVariables() const {
  std::lock_guard guard(lock_);
  std::string out;
  THashEnumerator entries(table_);
  while (entries.Next()) {
    if (!out.empty()) out += ',';  // names are never empty, so out is too only at the start
    AppendCommaItem(out, entries.Key());
    out += ',';
    AppendCommaItem(out, entries.Value());
  }
  return out;
}

void TVariableManager::ImportVariables(std::string_view text) {
  std::vector<std::string> items = ReadCommaText(text);
  std::lock_guard guard(lock_);
  table_.Clear();
  for (size_t i = 0; i + 1 < items.size(); i += 2) PutVariable(items[i], items[i + 1]);
}

void TVariableManager::ListVariables(std::vector<std::string>& list) const {
  std::lock_guard guard(lock_);
  THashEnumerator entries(table_);
  while (entries.Next()) {
    list.push_back(entries.Key());
    list.push_back(entries.Value());
  }
}

std::string TVariableManager::ExpandVariables(std::string_view text) const {
  return Expand(text, /*quoted=*/false);
}

std::string TVariableManager::ExpandVariablesQuoted(std::string_view text) const {
  return Expand(text, /*quoted=*/true);
}

// The text not yet scanned is kept reversed in `rest`, so that replacing the
// reference at its front and re-scanning the inserted value costs only the
// value's length. Text left of the scan position is final and goes to `out`.
// Two bounds keep self-referring values finite. Each inserted value remembers
// the chain of variables it was inserted through; a reference that lies wholly
// inside such a value and names a variable of its chain stays as written. Past
// the replacement count or result length limit the rest stays as written.
std::string TVariableManager::Expand(std::string_view text, bool quoted) const {
  size_t first = text.find('$');
  if (first == std::string_view::npos) return std::string(text);

  std::string out(text.substr(0, first));
  std::string rest;
  AppendReversed(rest, text.substr(first));

  struct Chain {
    std::string name;
    std::shared_ptr<const Chain> parent;
  };
  struct Frame {
    size_t floor;  // rest indices at or above this belong to the inserted value
    std::shared_ptr<const Chain> chain;
  };
  std::vector<Frame> frames;  // floors ascending: the innermost value last
  auto dropConsumedFrames = [&] {
    while (!frames.empty() && frames.back().floor >= rest.size()) frames.pop_back();
  };

  const size_t maxReplacements = maxReplacements_.load();
  const size_t maxLength = maxExpandedLength_.load();
  size_t replacements = 0;
  std::string value;
  while (!rest.empty()) {
    size_t open = rest.rfind('$');
    if (open == std::string::npos) break;
    // Everything before the "$" is final.
    AppendReversed(out, std::string_view(rest).substr(open + 1));
    rest.resize(open + 1);
    if (open == 0) break;  // a "$" with no partner ends the scan
    size_t close = rest.rfind('$', open - 1);
    if (close == std::string::npos) break;

    std::string name;
    AppendReversed(name, std::string_view(rest).substr(close + 1, open - close - 1));
    bool found = Lookup(name, value);
    // The innermost inserted value that holds the whole reference, closing "$" included.
    std::shared_ptr<const Chain> within;
    for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
      if (it->floor <= close) {
        within = it->chain;
        break;
      }
    }
    bool cycle = false;
    for (const Chain* link = within.get(); found && link && !cycle; link = link->parent.get()) {
      cycle = EqualsIgnoreCase(link->name, name);
    }
    if (found && !cycle) {
      size_t inserted = value.size() + (quoted ? 2 : 0);
      if (replacements >= maxReplacements || out.size() + close + inserted > maxLength) break;
      ++replacements;
      rest.resize(close);
      dropConsumedFrames();
      frames.push_back(
          Frame{rest.size(), std::make_shared<const Chain>(Chain{std::move(name), within})});
      if (quoted) rest += '"';
      AppendReversed(rest, value);
      if (quoted) rest += '"';
      continue;
    }
    // Not a variable: keep "$name" and let the closing "$" open the next try.
    out += '$';
    out += name;
    rest.resize(close + 1);
    dropConsumedFrames();
  }
  AppendReversed(out, rest);
  return out;
}

std::string TVariableManager::ExpandPath(std::string_view text) const {
  return ReduceBackslashes(ExpandVariables(text));
}

std::string TVariableManager::ReduceBackslashes(std::string_view text) {
  bool network = text.size() >= 2 && text[0] == '\\' && text[1] == '\\';
  std::string out;
  out.reserve(text.size() + 1);
  if (network) out += '\\';
  for (size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') ++i;
  }
  return out;
}

std::string TVariableManager::StripReference(std::string_view text) {
  if (text.size() < 2 || text.front() != '$' || text.back() != '$') return {};
  std::string_view name = text.substr(1, text.size() - 2);
  if (name.find('$') != std::string_view::npos) return {};
  return std::string(name);
}

std::string TVariableManager::GetExpandedVariable(std::string_view reference,
                                                  bool markAbsent) const {
  std::string name = StripReference(reference);
  if (name.empty()) name = reference;
  std::string value;
  if (!Lookup(name, value)) return markAbsent ? std::string(kAbsentMarker) : std::string();
  return ExpandVariables(value);
}

std::string TVariableManager::DecodeNewlines(std::string_view text) {
  return ReplaceAllIgnoreCase(text, "$NEWLINE$", "\r\n");
}

std::string TVariableManager::EncodeNewlines(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "$NEWLINE$";
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

void TVariableManager::SetSilent(bool silent) {
  std::lock_guard guard(lock_);
  silent_ = silent;
}

bool TVariableManager::Silent() const {
  std::lock_guard guard(lock_);
  return silent_;
}

void TVariableManager::SetOverrideList(std::vector<std::string> list) {
  std::lock_guard guard(lock_);
  overrides_ = std::move(list);
}

std::vector<std::string> TVariableManager::OverrideList() const {
  std::lock_guard guard(lock_);
  return overrides_;
}

void TVariableManager::AddPersistentVariable(std::string_view name) {
  std::lock_guard guard(lock_);
  for (const std::string& known : persistent_) {
    if (EqualsIgnoreCase(known, name)) return;
  }
  persistent_.emplace_back(name);
}

std::vector<std::string> TVariableManager::PersistentVariables() const {
  std::lock_guard guard(lock_);
  return persistent_;
}

void TVariableManager::ClearPersistentVariables() {
  std::lock_guard guard(lock_);
  persistent_.clear();
}

void TVariableManager::SetExpansionLimits(size_t maxReplacements, size_t maxExpandedLength) {
  maxReplacements_ = maxReplacements;
  maxExpandedLength_ = maxExpandedLength;
}

uint32_t TVariableManager::BucketCount() const {
  std::lock_guard guard(lock_);
  return table_.BucketCount();
}

TVariableManager& Variables() {
  static TVariableManager store(/*lockReads=*/true);
  return store;
}

}  // namespace vantrell
