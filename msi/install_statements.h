// Install-type statements change nothing themselves: each records that it ran
// ("A" + header = "TRUE") and its run-time values ("P" + header + "_n") into
// the property list and the Property-table queue, which the installer thread
// writes into the package before the run. Also "Set 64 Bit Mode".
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "msi/package_edits.h"
#include "script/statements.h"

namespace vantrell {

struct InstallStatementServices {
  // Sets the statement's entry of the install state list to "TRUE".
  std::function<void(size_t statementIndex)> markInstalled;
  // The translation of a statement's text for (statement identifier, slot)
  // while a language is current; nullopt while none is.
  std::function<std::optional<std::string>(const std::string& text, const std::string& key,
                                           int slot)>
      translate;
  // Puts the named media block in place (build kind 2).
  std::function<void(const std::string& mediaFolder)> bringMediaBlock;
};

// Registers every install-type statement and "Set 64 Bit Mode".
void RegisterInstallStatements(StatementTable& table,
                               const InstallStatementServices& services = {});

// Appends (name, value) to the Property-table queue, line breaks encoded.
// A name queued again replaces its earlier entry and moves to the end: the
// package ends with the same rows, and a loop cannot grow the queue.
void QueueProperty(std::string_view name, std::string_view value);
// Queues the pair and appends it to the run's property list.
void RecordProperty(std::string_view name, std::string_view value);

// The run's recording state, emptied at the start of every run.
void ResetInstallRecording();
std::vector<QueuedProperty> PropertyQueue();
std::vector<ShortcutText> ShortcutTexts();
std::vector<FileTypeText> FileTypeTexts();

// Set by "Transform Instance": the next queue application gives every
// component a new identity (once per request) and writes the new codes.
void RequestNewInstance(std::string productCode, std::string revisionCode);
// The package that received a new instance's codes, or empty.
std::string EditedPackagePath();

// What the installer thread does with the queue, in order. Taking the plan
// discards the queue; renewComponentIds is true only on the first take
// after each RequestNewInstance.
struct PropertyQueuePlan {
  bool renewComponentIds = false;
  bool hasQueue = false;
  EditSession session;
};
PropertyQueuePlan TakePropertyQueuePlan(const std::string& packagePath);

}  // namespace vantrell
