// The shared file routines (contract in file_routines.h).
#include "common/file_routines.h"

#include "common/ascii.h"

namespace vantrell {
namespace {

// "*" and "?" matching without the platform's special forms; greedy with one
// backtrack point, so a mask of many stars stays linear per star.
bool MatchesPlain(std::string_view name, std::string_view mask) {
  size_t n = 0, m = 0;
  size_t starMask = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || AsciiLower(mask[m]) == AsciiLower(name[n]))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::string_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

void ListInto(const FileSystem& files, const std::string& folder, const std::string& mask,
              bool recurse, std::vector<ListedEntry>& out) {
  const std::vector<FileSystem::Entry> entries = files.List(folder);
  if (recurse) {
    for (const FileSystem::Entry& entry : entries) {
      if (!entry.directory || entry.name == "." || entry.name == "..") continue;
      const std::string path = folder + entry.name;
      if (!entry.link) ListInto(files, path + "\\", mask, recurse, out);
      out.push_back({path, true, entry.link});
    }
  }
  for (const FileSystem::Entry& entry : entries) {
    if (!entry.directory && MatchesFileMask(entry.name, mask))
      out.push_back({folder + entry.name, false, false});
  }
}

}  // namespace

bool MatchesFileMask(std::string_view name, std::string_view mask) {
  if (mask == "*.*" || mask == "*") return true;
  if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" &&
      MatchesPlain(name, mask.substr(0, mask.size() - 2))) {
    return true;
  }
  if (!mask.empty() && mask.back() == '.') {
    return name.find('.') == std::string_view::npos &&
           MatchesPlain(name, mask.substr(0, mask.size() - 1));
  }
  return MatchesPlain(name, mask);
}

std::vector<ListedEntry> ListFiles(const FileSystem& files, const std::string& pattern,
                                   bool recurse) {
  const std::string_view folder = FolderPartOf(pattern);
  std::vector<ListedEntry> out;
  ListInto(files, std::string(folder), pattern.substr(folder.size()), recurse, out);
  return out;
}

void EmptyFolder(FileSystem& files, const std::string& folder, bool recurse) {
  const std::string base = WithTrailingBackslash(folder);
  for (const FileSystem::Entry& entry : files.List(base)) {
    const std::string path = base + entry.name;
    if (entry.directory) {
      if (!recurse) continue;
      if (!entry.link) EmptyFolder(files, path, true);
      files.RemoveEmptyDirectory(path);
    } else {
      files.SetNormalAttributes(path);
      files.RemoveFile(path);
    }
  }
}

}  // namespace vantrell
