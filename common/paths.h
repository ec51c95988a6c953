// Windows path text, in one place. Paths are single-byte text in the system
// code page; "\" separates, and where a rule also accepts "/" or ":" its name
// says so. Nothing here touches the file system.
#pragma once

#include <string>
#include <string_view>

namespace vantrell {

// Joins a folder that ends with a separator (or is empty) and a name.
inline std::string JoinPath(const std::string& folder, std::string_view name) {
  std::string path = folder;
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path.push_back('\\');
  path.append(name);
  return path;
}

// The path ending in one backslash; an empty path becomes "\".
inline std::string WithTrailingBackslash(std::string path) {
  if (path.empty() || path.back() != '\\') path.push_back('\\');
  return path;
}

// As WithTrailingBackslash, but an empty path stays empty (no folder known).
inline std::string WithTrailingBackslashUnlessEmpty(std::string path) {
  if (!path.empty() && path.back() != '\\') path.push_back('\\');
  return path;
}

// The path without its final backslash, if it has one ("C:\x\" gives "C:\x").
inline std::string WithoutTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

// Every final backslash removed, keeping at least `keep` characters (1: a
// lone "\" stays the root).
inline std::string WithoutTrailingBackslashes(std::string path, size_t keep = 0) {
  while (path.size() > keep && path.back() == '\\') path.pop_back();
  return path;
}

// For the system's folder calls: final "\" and "/" removed, but a drive root
// ("C:\") keeps its own.
inline std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

// Up to and including the last "\" or drive ":"; empty when there is none.
inline std::string FolderPart(std::string_view path) {
  const size_t cut = path.find_last_of("\\:");
  return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut + 1));
}

// After the last "\" or drive ":"; the whole path when there is none.
inline std::string FilePart(std::string_view path) {
  const size_t cut = path.find_last_of("\\:");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

// Up to and including the last "\" or "/"; empty when there is none.
inline std::string_view FolderPartOf(std::string_view path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string_view::npos ? std::string_view() : path.substr(0, cut + 1);
}

// After the last "\" or "/"; the whole path when there is none.
inline std::string FileNameOf(std::string_view path) {
  const size_t cut = path.find_last_of("\\/");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

// The file name without its extension (after the last "\" or "/", before the last ".").
inline std::string BaseNameOf(std::string_view path) {
  std::string name = FileNameOf(path);
  const size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// The folder above a folder path (final backslashes ignored), with its
// backslash; empty for a path without one.
inline std::string ParentFolder(std::string path) {
  path = WithoutTrailingBackslashes(std::move(path));
  const size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// The last name of a folder path (final backslashes ignored).
inline std::string LastFolderName(std::string path) {
  path = WithoutTrailingBackslashes(std::move(path));
  const size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace vantrell
