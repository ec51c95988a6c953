// The readable form a setup carries: the project file and its script files as
// the author wrote them, comments included, in one entry of the support
// archive, so that dump can give them back as they were. Layout (bytes):
//   form := "vantrell readable form 1" LF file { file }
//   file := "file " size " " name LF bytes(size) LF
//   size: decimal byte count; name: the project file's name (first file),
//   then each script file as the project names it, in order, each once.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/carried_script.h"
#include "authoring/project.h"

namespace vantrell::authoring {

// The entry's name in BASE.res.
inline constexpr std::string_view kReadableEntry = ".vantrell-readable-project";

struct ReadableFile {
  std::string name;
  std::string text;
};

struct ReadableForm {
  ReadableFile project;
  std::vector<ReadableFile> scripts;
};

std::string WriteReadableForm(const ReadableForm& form);
// nullopt when the bytes are not in the layout above, a name is empty or holds
// a line break, or a script name comes twice.
std::optional<ReadableForm> ReadReadableForm(std::string_view bytes);

// The texts of a project loaded from `projectFile` (as LoadProject reads them).
ReadableForm ReadableFormOf(const Project& project, const std::filesystem::path& projectFile);

// The project the texts describe, as LoadProject would read it from `folder`.
// Throws ProjectError for a text that does not parse or a script it lacks.
Project ProjectFromReadable(const ReadableForm& form, const std::filesystem::path& folder);

// True when a name stays inside the folder it is written to: relative, no
// ".." part, no drive.
bool IsContainedName(const std::string& name);
// True when every name of the form is contained.
bool WritesInside(const ReadableForm& form);

// The project of the texts (read as from `folder`) when building it gives
// exactly `carriedBytes`; nullopt when it does not or does not parse.
// Component sizes the build counted from the files of @component statements
// are taken from the carried script, as those files are not carried.
std::optional<Project> ProjectBuildingCarried(const ReadableForm& form,
                                              const std::filesystem::path& folder,
                                              std::string_view carriedBytes);

// Per statement: an install-type statement (by the command reference) that
// the carried script gives a header and that is not switched off, so a
// package built with the script holds its rows.
std::vector<bool> PackagedStatements(const CarriedScript& carried,
                                     const std::vector<Statement>& statements);

// The script files with an "@package-digest" line below the command line of
// each statement marked in `packaged` that has none yet. `project` is the
// form's (its statements in carried order); their named lines are resolved.
std::vector<ReadableFile> ScriptsWithDigests(const ReadableForm& form, Project& project,
                                             const std::vector<bool>& packaged);

// The project text with the single keys given here set to their values (the
// entry's line replaced, or a line added at the end) and the keys given an
// empty value turned into a comment; every other line is kept as written.
std::string WithKeys(const std::string& text, const Project& parsed,
                     const std::vector<std::pair<std::string, std::string>>& keys);

// "component-size" entries for the sizes the build counted from the files of
// @component statements: the carried sizes past the project's own.
std::string CountedComponentSizes(const Project& project, const CarriedScript& carried);

// The text with a line added below each given line (1-based), indented two
// blanks deeper than that line and ending as it does.
std::string WithLinesBelow(const std::string& text, const std::map<int, std::string>& added);

}  // namespace vantrell::authoring
