// The readable setup project in memory: the project file's settings and the
// statements of its script files, each with the place it was written, so
// that every later check can name a file and line.
#pragma once

#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantrell::authoring {

struct SourceRef {
  std::string file;  // as shown to people: the path given or found
  int line = 0;      // 1-based; 0 when the whole file is meant
};

// A project mistake: one message for people, with the place it was found.
class ProjectError : public std::runtime_error {
 public:
  ProjectError(SourceRef where, const std::string& message);
  const SourceRef& Where() const { return where_; }
  const std::string& Message() const { return message_; }

 private:
  SourceRef where_;
  std::string message_;
};

struct Statement {
  std::string command;
  std::vector<std::string> parameters;  // exact texts; "$" is the whole-line dollar
  // Per parameter: the name it was written with ("" for a positional line)
  // and its line in the file. Names are resolved into positions by the check.
  std::vector<std::string> parameterNames;
  std::vector<int> parameterLines;
  std::string marker;      // "" runs, "C" is switched off
  std::string identifier;  // fixed by the author, or empty
  std::string header;      // fixed by the author, or empty
  std::string media;       // media folder, e.g. "OFFLINE\"
  std::string component;   // "Install Files": the component its files count for
  std::string scriptKey;   // the script file as named in the project
  SourceRef where;
  // Written by dump when it keeps the package: the digest of the lines the
  // package's rows were made from (see identifiers.h); empty otherwise.
  std::string packageDigest;
};

struct Project {
  std::filesystem::path folder;  // relative paths in the project start here
  SourceRef file;

  std::string title;
  std::string productCode;
  std::string revisionCode;
  std::string publisher, contact, helpLink, updateUrl, comments, version;
  std::string buildKind = "1";
  std::string languageSelection = "FALSE";
  std::string defaultLanguage = "English";
  // The setup's languages ("English, German") and the folder of their
  // translation tables (LANGUAGE.txt); empty: no translations.
  std::string languages;
  std::string translations;
  std::vector<std::string> pluginCommands;
  std::vector<std::string> mediaPasswords;  // pairs
  std::vector<std::string> componentSizes;  // pairs
  std::vector<std::string> offlineFiles;    // triples
  std::vector<std::string> buildVariables;  // pairs
  // Variables the setup gets from outside the script (the command line, a
  // dialog control): known to the checks, not carried.
  std::vector<std::string> inputVariables;

  std::string upgradeCode;  // for the package made from the project; empty: derived
  std::string package;      // .msi or .wxs, relative to folder; empty: made from the project
  std::string support;      // folder packed into BASE.res; empty: none
  // Folder of dialog text forms (NAME.txt, with the rules in NAME.zebf),
  // compiled into the support files as NAME.dfm and NAME.dfm.zebf; empty: none.
  std::string forms;
  std::string data;  // folder copied to data\; empty: none
  std::string baseName = "setup";
  std::vector<std::string> scripts;          // script files in run order
  std::vector<SourceRef> scriptRefs;         // where each script entry is written
  std::map<std::string, SourceRef> keyRefs;  // where each single key is written

  std::vector<Statement> statements;
};

}  // namespace vantrell::authoring
