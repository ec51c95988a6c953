// The file search of "Find All Files" (contract in find_files.h).
#include "text/find_files.h"

#include <memory>

#include "text/string_statements.h"

namespace vantrell {
namespace {

struct Frame {
  std::string dir;  // ends with "\"
  std::unique_ptr<TextSystem::FolderListing> listing;
  bool maskPhase = false;
  std::string pendingFolder;  // a sub-folder being searched; named after its results
};

bool NeedsQuotes(const std::string& entry) {
  for (char c : entry) {
    if (static_cast<unsigned char>(c) <= 32 || c == '"' || c == '|') return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> FindAllFiles(TextSystem& system, const std::string& pattern, bool recurse,
                                      bool folders, const FindCallbacks& callbacks) {
  const std::string_view folderPart = FolderPart(pattern);
  const std::string mask = pattern.substr(folderPart.size());
  std::vector<std::string> found;
  std::vector<Frame> stack;

  auto begin = [&](std::string dir) {
    if (callbacks.folderSearched) callbacks.folderSearched();
    std::unique_ptr<TextSystem::FolderListing> listing = system.ListFolder(dir + "*.*");
    if (listing == nullptr) return false;
    stack.push_back(Frame{std::move(dir), std::move(listing)});
    return true;
  };
  std::string root(folderPart);
  if (root.empty() || root.back() != '\\') root.push_back('\\');
  begin(root);

  TextSystem::FolderEntry entry;
  while (!stack.empty()) {
    if (callbacks.stopRequested && callbacks.stopRequested()) break;
    Frame& top = stack.back();
    if (!top.maskPhase) {
      if (top.listing->Next(entry)) {
        if (!entry.folder || entry.name == "." || entry.name == "..") continue;
        std::string child = top.dir + entry.name;
        if (recurse && !entry.link) {
          top.pendingFolder = child;
          if (begin(child + "\\")) continue;  // top is stale from here on
          stack.back().pendingFolder.clear();
        }
        if (folders) found.push_back(std::move(child));
        continue;
      }
      top.maskPhase = true;
      top.listing = system.ListFolder(top.dir + mask);
      continue;
    }
    if (top.listing != nullptr && top.listing->Next(entry)) {
      if (!entry.folder) {
        std::string file = top.dir + entry.name;
        if (callbacks.fileExamined) callbacks.fileExamined(file);
        found.push_back(std::move(file));
      }
      continue;
    }
    stack.pop_back();
    if (!stack.empty() && !stack.back().pendingFolder.empty()) {
      if (folders) found.push_back(std::move(stack.back().pendingFolder));
      stack.back().pendingFolder.clear();
    }
  }
  return found;
}

std::string JoinFileList(const std::vector<std::string>& entries) {
  std::string out;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) out.push_back('|');
    const std::string& entry = entries[i];
    if (!NeedsQuotes(entry)) {
      out += entry;
      continue;
    }
    out.push_back('"');
    for (char c : entry) {
      if (c == '"') out.push_back('"');
      out.push_back(c);
    }
    out.push_back('"');
  }
  return out;
}

}  // namespace vantrell
