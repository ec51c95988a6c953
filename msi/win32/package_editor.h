// Applies the package edits of msi/package_edits.h to a package file through
// the bound installer library, each session in direct mode and committed.
// Failures are not reported: a package that cannot be opened stays as it is,
// a failing step is skipped; binding errors of the library propagate.
#pragma once

#include <string>

#include "msi/package_edits.h"

namespace vantrell {

// Opens the package in direct mode, runs the steps, commits and closes.
// False when the package could not be opened.
bool ApplyEditSession(const std::string& packagePath, const EditSession& session);

// The queued Property-table writes, preceded by new component identities once
// after "Transform Instance"; the queue is discarded.
void ApplyPropertyQueue(const std::string& packagePath);
// The shortcut and file-type texts of the run (only while a language is current).
void ApplyLocalizedTexts(const std::string& packagePath);
// The template's platform part, and the components' 64-bit flag when it changed.
void SetPackagePlatform(const std::string& packagePath, const std::string& platform);
void SetPackageWordCount(const std::string& packagePath);

// The installer thread's package edits before the run: for a package the
// queue, then for a package its platform and word count. A patch package's
// summary says which products it targets, not a platform, so it is left alone.
void ApplyQueuedPackageEdits(const std::string& packagePath, bool isPatch);

}  // namespace vantrell
