// "Delete Files Recursive" and "Register Library" (contract in file_statements.h).
#include "system/file_statements.h"

#include <exception>
#include <vector>

#include "common/ascii.h"
#include "common/file_routines.h"
#include "vars/variable_manager.h"

namespace vantrell {
namespace {

constexpr const char* kRegisterEntry = "DllRegisterServer";
constexpr const char* kUnregisterEntry = "DllUnregisterServer";

// "." and "..", and names the platform would trim to one of them or to nothing.
bool IsDotStep(std::string_view step) {
  return step.find_first_not_of(". ") == std::string_view::npos;
}

std::vector<std::string_view> Steps(std::string_view path) {
  std::vector<std::string_view> steps;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) steps.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return steps;
}

bool IsDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A folder that is still in the list after the files went: empty now, unless
// it holds what did not match. A read-only folder only goes once its
// attributes are reset, which is done only when it is empty, so folders that
// stay keep theirs.
void RemoveFolder(FileSystem& files, const std::string& path) {
  if (files.RemoveEmptyDirectory(path)) return;
  if (files.DirectoryExists(path) && files.List(path).empty() && files.SetNormalAttributes(path)) {
    files.RemoveEmptyDirectory(path);
  }
}

std::string ExtensionOf(std::string_view path) {
  const std::string_view name = path.substr(FolderPartOf(path).size());
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

// A line that may hold NAME or $NAME$.
std::string NameOf(const std::string& line) {
  std::string stripped = TVariableManager::StripReference(line);
  return stripped.empty() ? line : stripped;
}

}  // namespace

bool IsDeletableTreeFolder(std::string_view folder) {
  std::string path(folder);
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  std::string_view rest = path;
  size_t rootSteps = 0;  // steps that only name the root
  if (rest.size() >= 2 && rest[0] == '\\' && rest[1] == '\\') {
    if (rest.size() >= 3 && (rest[2] == '?' || rest[2] == '.')) return false;
    rest.remove_prefix(2);
    rootSteps = 2;  // server and share
  } else if (rest.size() >= 3 && IsDriveLetter(rest[0]) && rest[1] == ':' && rest[2] == '\\') {
    rest.remove_prefix(3);
  } else {
    return false;
  }
  const std::vector<std::string_view> steps = Steps(rest);
  if (steps.size() <= rootSteps) return false;
  for (std::string_view step : steps) {
    if (IsDotStep(step)) return false;
  }
  return true;
}

bool DeleteFilesRecursive(FileSystem& files, const std::string& pattern) {
  if (!IsDeletableTreeFolder(FolderPartOf(pattern))) return false;
  std::vector<ListedEntry> entries = ListFiles(files, pattern, /*recurse=*/true);
  for (;;) {
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
      if (it->folder) continue;
      files.SetNormalAttributes(it->path);
      files.RemoveFile(it->path);
    }
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
      if (it->folder && !it->link) RemoveFolder(files, it->path);
    }
    std::vector<ListedEntry> again = ListFiles(files, pattern, /*recurse=*/true);
    // Only a shorter list can gain from another pass; a list that someone
    // else keeps growing must not hold the statement forever.
    if (again.size() >= entries.size()) break;
    entries = std::move(again);
  }
  return true;
}

bool RegisterLibraryFile(FileSystem& files, FileStatementPlatform& platform,
                         const std::string& file, bool registering) {
  if (file.empty()) return false;
  try {
    const std::string path = platform.FullPath(file);
    const std::unique_ptr<FileStatementPlatform::Scope> folder =
        platform.EnterFolder(std::string(FolderPartOf(path)));
    const std::string extension = ExtensionOf(path);
    if (EqualsIgnoreCase(extension, ".TLB")) {
      if (!files.FileExists(path)) return false;
      return registering ? platform.RegisterTypeLibrary(path)
                         : platform.UnregisterTypeLibrary(path);
    }
    if (EqualsIgnoreCase(extension, ".EXE")) {
      // Quoted, so that a path with blanks reaches the program as one argument.
      return platform.StartProgram(
          path, "\"" + path + "\"" + (registering ? " /regserver" : " /unregserver"));
    }
    return platform.CallRegistrationEntry(path, registering ? kRegisterEntry : kUnregisterEntry);
  } catch (const std::exception&) {
    return false;
  }
}

void ExecuteDeleteFilesRecursive(StatementContext& s, FileStatementServices& services) {
  const std::string pattern = s.vars.ExpandPath(s.Parameter(1));
  const std::unique_ptr<FileStatementPlatform::Scope> view = services.platform.NativeFileView();
  // Nothing is reported: what cannot be deleted stays, a refused folder is left alone.
  DeleteFilesRecursive(services.files, pattern);
}

void ExecuteRegisterLibrary(StatementContext& s, FileStatementServices& services) {
  const std::string file = s.vars.ExpandPath(s.Parameter(1));
  const bool registering = TextToBool(s.Parameter(2));
  bool registered = false;
  {
    const std::unique_ptr<FileStatementPlatform::Scope> view = services.platform.NativeFileView();
    registered = RegisterLibraryFile(services.files, services.platform, file, registering);
  }
  const std::string name = NameOf(s.Parameter(3));
  if (name.empty()) return;
  s.vars.DeclareResultVariable(name, s.Origin());
  s.vars.AssignVariable(name, BoolToText(registered), s.Origin());
}

void RegisterFileStatements(StatementTable& table, FileStatementServices services) {
  table.Register("Delete Files Recursive", [services](StatementContext& s) mutable {
    ExecuteDeleteFilesRecursive(s, services);
  });
  table.Register("Register Library",
                 [services](StatementContext& s) mutable { ExecuteRegisterLibrary(s, services); });
}

}  // namespace vantrell
