// The variable store: the engine's one table of named text values, keyed
// without regard to ASCII letter case, guarded by one re-entrant lock that all
// threads share. Also "$NAME$" expansion, the command-line override rule for
// silent runs, and the comma text in which the whole store is exchanged.
//
// Expansion: a reference is the text between two "$". A reference to an
// existing variable is replaced by its value and the value is scanned again;
// any other "$...$" stays as written and the scan resumes at its closing "$".
// Comma text: items name1,value1,name2,value2,... joined with ","; an item
// holding a blank, a control character, a double quote or a comma is quoted,
// its quotes doubled.
#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "vars/string_hash_table.h"

namespace vantrell {

// True for "TRUE" in any letter case and for exactly "-1".
bool TextToBool(std::string_view text);
const char* BoolToText(bool flag);

class TVariableManager {
 public:
  // The text GetExpandedVariable answers for an absent variable when asked to mark it.
  static constexpr std::string_view kAbsentMarker = "$VELDNX$";
  // The origin whose assignments always store, even over command-line values.
  static constexpr std::string_view kInjectOverrideOrigin = "Inject Override Command Line";
  // Bounds of one expansion; past them the rest of the text stays as written.
  static constexpr size_t kDefaultMaxReplacements = 1 << 20;
  static constexpr size_t kDefaultMaxExpandedLength = size_t{64} << 20;

  // With lockReads false only writes take the lock; the engine's store locks everything.
  explicit TVariableManager(bool lockReads = true);
  TVariableManager(const TVariableManager&) = delete;
  TVariableManager& operator=(const TVariableManager&) = delete;

  // The lock, for callers that group several operations (re-entrant).
  void Lock() const { lock_.lock(); }
  void Unlock() const { lock_.unlock(); }
  [[nodiscard]] std::unique_lock<std::recursive_mutex> Hold() const {
    return std::unique_lock<std::recursive_mutex>(lock_);
  }

  // Stores without the override rule; an empty name does nothing.
  void PutVariable(std::string_view name, std::string_view value);
  // Empty when absent.
  std::string GetVariable(std::string_view name) const;
  bool VariableExists(std::string_view name) const;
  void ClearVariables();
  // In a silent run a variable named on the command line keeps its value
  // unless origin is kInjectOverrideOrigin.
  void AssignVariable(std::string_view name, std::string_view value, std::string_view origin);
  // Creates the variable under its upper-case name with the empty value when absent.
  void DeclareResultVariable(std::string_view name, std::string_view origin);

  std::string ExportVariables() const;
  // Replaces the whole store by the pairs of the comma text.
  void ImportVariables(std::string_view text);
  // Appends name and value of every variable, alternately.
  void ListVariables(std::vector<std::string>& list) const;

  std::string ExpandVariables(std::string_view text) const;
  // Each inserted value is put between double quotes (quotes inside are not doubled).
  std::string ExpandVariablesQuoted(std::string_view text) const;
  // Expansion, then "\\" collapsed to "\" except for a leading network "\\".
  std::string ExpandPath(std::string_view text) const;
  // Each "\\" to "\" except for a leading network "\\".
  static std::string ReduceBackslashes(std::string_view text);
  // NAME for a text "$NAME$" with no other "$"; otherwise empty.
  static std::string StripReference(std::string_view text);
  // The expanded value of NAME or "$NAME$"; for an absent variable the empty
  // text, or kAbsentMarker when markAbsent is set.
  std::string GetExpandedVariable(std::string_view reference, bool markAbsent = false) const;
  // "$NEWLINE$" (any letter case) to CR LF, and back.
  static std::string DecodeNewlines(std::string_view text);
  static std::string EncodeNewlines(std::string_view text);

  void SetSilent(bool silent);
  bool Silent() const;
  // Command-line pairs: name (upper case), value, name, value, ...
  void SetOverrideList(std::vector<std::string> list);
  std::vector<std::string> OverrideList() const;

  // Names whose values are kept in the feature selection file; no duplicates (ignoring case).
  void AddPersistentVariable(std::string_view name);
  std::vector<std::string> PersistentVariables() const;
  void ClearPersistentVariables();

  // Bounds for self-referring values; tests lower them.
  void SetExpansionLimits(size_t maxReplacements, size_t maxExpandedLength);

  // For tests and diagnostics: the table's current bucket count.
  uint32_t BucketCount() const;

 private:
  class ReadLock;

  bool Lookup(std::string_view name, std::string& value) const;
  std::string Expand(std::string_view text, bool quoted) const;
  bool SetOnCommandLine(std::string_view upperName) const;

  mutable std::recursive_mutex lock_;
  bool lockReads_;
  TStringHashTable table_;
  bool silent_ = false;
  std::vector<std::string> overrides_;
  std::vector<std::string> persistent_;
  std::atomic<size_t> maxReplacements_{kDefaultMaxReplacements};
  std::atomic<size_t> maxExpandedLength_{kDefaultMaxExpandedLength};
};

// The engine's store, created on first use.
TVariableManager& Variables();

}  // namespace vantrell
