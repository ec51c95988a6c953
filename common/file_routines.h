// Small file routines shared by the file statements, start-up and clean-up:
// file-name masks, the depth-first entry list of a path with mask, emptying a
// folder and the trailing backslash of a folder path. Folder links are listed
// but never entered, so no routine here reaches outside the tree it was given.
// (Deletion at restart lives with the cache folder operations.)
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/file_system.h"

namespace vantrell {

// Whether a file name matches a mask of "*" (any run) and "?" (one
// character), compared ignoring ASCII letter case. As on the platform, "*.*"
// matches every name, a mask ending in ".*" also matches the name without
// its extension, and one ending in "." matches names that have no dot. Only
// the name itself is compared, never its short (8.3) alias.
bool MatchesFileMask(std::string_view name, std::string_view mask);

struct ListedEntry {
  std::string path;
  bool folder = false;
  bool link = false;  // a folder link: listed, never entered
};

// The entry list of pattern (a folder, a backslash and a mask). With recurse:
// for every sub-folder in listing order first its own entry list (same mask),
// then the sub-folder itself; after them the matching files of the folder.
// Without recurse: only the matching files. Folders are listed whatever the
// mask; links are listed as folders but not entered.
std::vector<ListedEntry> ListFiles(const FileSystem& files, const std::string& pattern,
                                   bool recurse);

// Resets every file's attributes to normal and deletes it; with recurse each
// sub-folder is emptied the same way and removed (a folder link is removed
// without being entered). Best effort: what cannot go stays.
void EmptyFolder(FileSystem& files, const std::string& folder, bool recurse);

}  // namespace vantrell
