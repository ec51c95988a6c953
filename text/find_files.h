// The search of "Find All Files": one folder's entries in the platform's
// order, sub-folders searched first (depth first) when recursing, their own
// names after their results, then the files that match the mask. Folder
// links are listed but never entered, so a link loop cannot trap the search.
// Runs without recursion; the caller's stop test is polled before each entry.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "text/text_system.h"

namespace vantrell {

struct FindCallbacks {
  std::function<bool()> stopRequested;                   // ends the search, keeping what was found
  std::function<void()> folderSearched;                  // once per folder search begun
  std::function<void(const std::string&)> fileExamined;  // each matching file, before it is added
};

// pattern: a folder and a file mask, e.g. "C:\x\*.txt".
std::vector<std::string> FindAllFiles(TextSystem& system, const std::string& pattern, bool recurse,
                                      bool folders, const FindCallbacks& callbacks);

// Entries joined with "|"; one holding a character of code 32 or below, a
// double quote or a "|" is quoted, its double quotes doubled.
std::string JoinFileList(const std::vector<std::string>& entries);

}  // namespace vantrell
