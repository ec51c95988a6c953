// Package rows of install-type statements (see package_rows.h).
#include "authoring/package_rows.h"

#include <algorithm>
#include <optional>
#include <set>

#include "authoring/command_reference.h"
#include "authoring/identifiers.h"
#include "common/ascii.h"
#include "common/file_routines.h"
#include "common/line_reader.h"

namespace vantrell::authoring {
namespace fs = std::filesystem;
namespace {

constexpr char kFeature[] = "VantrellStatements";
constexpr int kCompressed = 0x4000;    // file attribute: in a cabinet
constexpr int kUncompressed = 0x2000;  // file attribute: loose source file
constexpr int kRegistryKeyPath = 0x4;  // component attribute
constexpr int kPermanent = 0x10;       // component attribute
// Component attribute: the condition is read again when the product is
// reinstalled, so that a maintenance run that skips a statement removes its
// part and one that runs it again brings it back.
constexpr int kTransitive = 0x40;

struct Schema {
  const char* name;
  const char* columns;
  const char* types;
  const char* keys;
};

// The tables the tool writes, as the installer's current schema defines them.
constexpr Schema kSchemas[] = {
    {"Component", "Component\tComponentId\tDirectory_\tAttributes\tCondition\tKeyPath",
     "s72\tS38\ts72\ti2\tS255\tS72", "Component"},
    {"CreateFolder", "Directory_\tComponent_", "s72\ts72", "Directory_\tComponent_"},
    {"Directory", "Directory\tDirectory_Parent\tDefaultDir", "s72\tS72\tl255", "Directory"},
    {"Environment", "Environment\tName\tValue\tComponent_", "s72\tl255\tL255\ts72", "Environment"},
    {"Feature",
     "Feature\tFeature_Parent\tTitle\tDescription\tDisplay\tLevel\tDirectory_\tAttributes",
     "s38\tS38\tL64\tL255\tI2\ti2\tS72\ti2", "Feature"},
    {"FeatureComponents", "Feature_\tComponent_", "s38\ts72", "Feature_\tComponent_"},
    {"File", "File\tComponent_\tFileName\tFileSize\tVersion\tLanguage\tAttributes\tSequence",
     "s72\ts72\tl255\ti4\tS72\tS20\tI2\ti4", "File"},
    {"IniFile", "IniFile\tFileName\tDirProperty\tSection\tKey\tValue\tAction\tComponent_",
     "s72\tl255\tS72\tl96\tl128\tl255\ti2\ts72", "IniFile"},
    {"InstallExecuteSequence", "Action\tCondition\tSequence", "s72\tS255\tI2", "Action"},
    {"Media", "DiskId\tLastSequence\tDiskPrompt\tCabinet\tVolumeLabel\tSource",
     "i2\ti4\tL64\tS255\tS32\tS72", "DiskId"},
    {"MoveFile", "FileKey\tComponent_\tSourceName\tDestName\tSourceFolder\tDestFolder\tOptions",
     "s72\ts72\tL255\tL255\tS72\ts72\ti2", "FileKey"},
    {"Registry", "Registry\tRoot\tKey\tName\tValue\tComponent_", "s72\ti2\tl255\tL255\tL0\ts72",
     "Registry"},
    {"RemoveFile", "FileKey\tComponent_\tFileName\tDirProperty\tInstallMode",
     "s72\ts72\tL255\ts72\ti2", "FileKey"},
    {"Shortcut",
     "Shortcut\tDirectory_\tName\tComponent_\tTarget\tArguments\tDescription\tHotkey\tIcon_\t"
     "IconIndex\tShowCmd\tWkDir",
     "s72\ts72\tl128\ts72\ts72\tS255\tL255\tI2\tS72\tI2\tI2\tS72", "Shortcut"},
};

std::vector<std::string> SplitTabs(std::string_view line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    fields.emplace_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

std::string JoinTabs(const std::vector<std::string>& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) line += (i ? "\t" : "") + fields[i];
  return line;
}

// Control characters as the archive form writes them.
std::string EncodeField(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\0':
        out += '\x15';
        break;
      case '\b':
        out += '\x1B';
        break;
      case '\t':
        out += '\x10';
        break;
      case '\n':
        out += '\x19';
        break;
      case '\f':
        out += '\x18';
        break;
      case '\r':
        out += '\x11';
        break;
      default:
        out += c;
    }
  }
  return out;
}

bool IsDigits(std::string_view t) {
  return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<long> ToNumber(std::string_view t) {
  if (t.empty() || t.size() > 9) return std::nullopt;
  bool negative = t[0] == '-';
  std::string_view digits = negative ? t.substr(1) : t;
  if (!IsDigits(digits)) return std::nullopt;
  long value = std::stol(std::string(digits));
  return negative ? -value : value;
}

// Text that the installer reads as formatted text, kept literal.
std::string FormattedLiteral(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '[' || c == ']' || c == '{' || c == '}') {
      out += "[\\";
      out += c;
      out += ']';
    } else {
      out += c;
    }
  }
  return out;
}

std::string Param(const Statement& s, size_t n) {
  return n >= 1 && n <= s.parameters.size() ? s.parameters[n - 1] : std::string();
}

// Where parameter n is written: its own line, else the command's.
SourceRef At(const Statement& s, size_t n) {
  if (n >= 1 && n <= s.parameterLines.size() && s.parameterLines[n - 1] > 0)
    return {s.where.file, s.parameterLines[n - 1]};
  return s.where;
}

// A mistake in parameter n, named as the command reference names it.
ProjectError ParamError(const Statement& s, size_t n, const std::string& message) {
  std::string title = "\"" + s.command + "\" parameter " + std::to_string(n);
  if (const CommandInfo* command = FindCommand(s.command); command && n >= 1) {
    std::string name = ParameterNameAt(*command, n - 1);
    if (!name.empty()) title += " (" + name + ")";
  }
  return ProjectError(At(s, n), title + ": " + message);
}

bool IsShortNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '!' ||
         c == '#' || c == '$' || c == '%' || c == '&' || c == '@' || c == '~';
}

bool IsShortName(const std::string& name) {
  size_t dot = name.find('.');
  std::string base = name.substr(0, dot);
  std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
  if (dot != std::string::npos && ext.empty()) return false;
  std::string upper = AsciiUpper(base + ext);
  return std::all_of(upper.begin(), upper.end(), IsShortNameChar);
}

std::string ShortPart(std::string_view text, size_t limit) {
  std::string out;
  for (char c : AsciiUpper(text)) {
    if (out.size() == limit) break;
    if (IsShortNameChar(c) && c != '~') out += c;
  }
  return out;
}

// Builds the new rows; tables are fetched from the existing ones on first use.
// The columns that carry what a statement's lines decide, per table; the
// first names the row's component.
const std::vector<std::pair<std::string, std::vector<std::string>>>& ContentColumns() {
  static const std::vector<std::pair<std::string, std::vector<std::string>>> columns = {
      {"File", {"Component_", "FileName", "FileSize"}},
      {"Registry", {"Component_", "Root", "Key", "Name", "Value"}},
      {"Shortcut", {"Component_", "Name", "Target", "Arguments", "Description"}},
      {"RemoveFile", {"Component_", "FileName", "InstallMode"}},
      {"MoveFile", {"Component_", "SourceName", "DestName", "Options"}},
      {"IniFile", {"Component_", "FileName", "Section", "Key", "Value", "Action"}},
      {"Environment", {"Component_", "Name", "Value"}},
  };
  return columns;
}

// The rows of a statement's components (VC + header, VC + header + "_k"),
// reduced to the given columns; a short|long name counts by its long part.
std::multiset<std::string> StatementRows(const PackageTable& table,
                                         const std::vector<std::string>& columns,
                                         const std::string& header) {
  std::multiset<std::string> rows;
  const std::string key = "VC" + header;
  int component = table.Column(columns.front());
  if (component < 0) return rows;
  for (const auto& row : table.rows) {
    const std::string& owner = row[static_cast<size_t>(component)];
    if (owner != key && owner.rfind(key + "_", 0) != 0) continue;
    std::string projected;
    for (size_t i = 1; i < columns.size(); ++i) {
      int at = table.Column(columns[i]);
      std::string field = at < 0 ? "" : row[static_cast<size_t>(at)];
      if (columns[i] == "FileName" || columns[i] == "Name")
        field = field.substr(field.find('|') + 1);
      projected.append(field).append("\t");
    }
    rows.insert(std::move(projected));
  }
  return rows;
}

class Planner {
 public:
  Planner(const Project& project, const std::map<std::string, PackageTable>& existing)
      : project_(project), existing_(existing) {
    nextSequence_ = 1;
    if (const PackageTable* file = Existing("File")) {
      int sequence = file->Column("Sequence");
      for (const auto& row : file->rows) {
        if (auto n = ToNumber(row[static_cast<size_t>(sequence)]))
          nextSequence_ = std::max(nextSequence_, *n + 1);
      }
    }
    if (const PackageTable* feature = Existing("Feature")) {
      for (const auto& row : feature->rows) featureAdded_ = featureAdded_ || row[0] == kFeature;
    }
    if (const PackageTable* media = Existing("Media")) {
      int disk = media->Column("DiskId");
      int last = media->Column("LastSequence");
      for (const auto& row : media->rows) {
        if (auto n = ToNumber(row[static_cast<size_t>(disk)]))
          nextDisk_ = std::max(nextDisk_, *n + 1);
        if (auto n = ToNumber(row[static_cast<size_t>(last)]))
          nextSequence_ = std::max(nextSequence_, *n + 1);
      }
    }
  }

  PackagePlan& Plan() { return plan_; }

  std::vector<fs::path> FilesOf(const Statement& s) {
    std::vector<fs::path> files;
    for (const Source& source : CollectSources(s)) files.push_back(source.file);
    return files;
  }

  // A package that the tool made before (a dumped setup's) holds the
  // statement's rows already.
  bool HasRowsOf(const std::string& header) const {
    const PackageTable* component = Existing("Component");
    if (!component) return false;
    std::string key = "VC" + header;
    return std::any_of(component->rows.begin(), component->rows.end(),
                       [&](const auto& row) { return row[0] == key; });
  }

  // A kept package's rows for a statement against the rows its lines make
  // now: true when they differ (the statement was edited after the package
  // was made). Statements whose rows cannot be made here (files not beside
  // the project, commands the tool does not make) count as unchanged.
  bool KeptRowsDiffer(const Statement& s, const std::string& header) const {
    const std::map<std::string, PackageTable> none;
    Planner fresh(project_, none);
    try {
      fresh.AddStatement(s, header);
    } catch (const ProjectError&) {
      return false;
    }
    if (!fresh.plan_.warnings.empty()) return false;
    for (const auto& [table, columns] : ContentColumns()) {
      auto made = fresh.plan_.tables.find(table);
      std::multiset<std::string> now = made == fresh.plan_.tables.end()
                                           ? std::multiset<std::string>()
                                           : StatementRows(made->second, columns, header);
      const PackageTable* existing = Existing(table);
      std::multiset<std::string> kept =
          existing ? StatementRows(*existing, columns, header) : std::multiset<std::string>();
      if (now != kept) return true;
    }
    return false;
  }

  void MarkCabinetFilesCompressed() {
    const PackageTable* file = Existing("File");
    const PackageTable* media = Existing("Media");
    if (!file || !media || file->rows.empty()) return;
    // Each file belongs to the first medium whose last sequence reaches it.
    std::vector<std::pair<long, bool>> media_ends;  // last sequence, in a cabinet
    int last = media->Column("LastSequence");
    int cabinet = media->Column("Cabinet");
    for (const auto& row : media->rows) {
      auto n = ToNumber(row[static_cast<size_t>(last)]);
      if (n)
        media_ends.emplace_back(*n, cabinet >= 0 && !row[static_cast<size_t>(cabinet)].empty());
    }
    std::sort(media_ends.begin(), media_ends.end());
    int sequence = file->Column("Sequence");
    int attributes = file->Column("Attributes");
    PackageTable changed = *file;
    bool any = false;
    for (auto& row : changed.rows) {
      auto n = ToNumber(row[static_cast<size_t>(sequence)]);
      if (!n) continue;
      auto medium = std::find_if(media_ends.begin(), media_ends.end(),
                                 [&](const auto& m) { return m.first >= *n; });
      if (medium == media_ends.end() || !medium->second) continue;
      long value = ToNumber(row[static_cast<size_t>(attributes)]).value_or(0);
      long wanted = (value | kCompressed) & ~kUncompressed;
      if (wanted == value) continue;
      row[static_cast<size_t>(attributes)] = std::to_string(wanted);
      any = true;
    }
    if (any) plan_.tables["File"] = std::move(changed);
  }

  void AddStatement(const Statement& s, const std::string& header) {
    const std::string& command = s.command;
    if (command == "Install Files") {
      InstallFiles(s, header);
    } else if (command == "Write Registry") {
      WriteRegistry(s, header);
    } else if (command == "Create Folder") {
      CreateFolder(header);
    } else if (command == "Create Shortcut") {
      CreateShortcut(s, header);
    } else if (command == "Delete Files") {
      DeleteFiles(s, header);
    } else if (command == "Copy/Move Local Files") {
      CopyMoveFiles(s, header);
    } else if (command == "Edit INI File") {
      EditIniFile(s, header);
    } else if (command == "Set Environment") {
      SetEnvironment(s, header);
    } else {
      plan_.warnings.push_back(
          {s.where, "the package rows of \"" + command +
                        "\" are not made by the tool: the package must hold them, in a component "
                        "conditioned on A" +
                        header + "=\"TRUE\""});
    }
  }

  void Finish() {
    if (featureAdded_) AddStandardActions();
    if (plan_.cabinet.empty()) return;
    plan_.cabinetStream = "vantrell" + std::to_string(nextDisk_) + ".cab";
    Table("Media").Add({{"DiskId", std::to_string(nextDisk_)},
                        {"LastSequence", std::to_string(nextSequence_ - 1)},
                        {"Cabinet", "#" + plan_.cabinetStream}});
  }

 private:
  const PackageTable* Existing(const std::string& name) const {
    auto it = existing_.find(name);
    return it == existing_.end() ? nullptr : &it->second;
  }

  // A package made without files, registry values, folders or shortcuts may
  // lack the installer's actions for them; they go in at their usual places.
  void AddStandardActions() {
    static const std::pair<const char*, const char*> kActions[] = {
        {"RemoveRegistryValues", "2600"},
        {"RemoveIniValues", "3100"},
        {"RemoveShortcuts", "3200"},
        {"RemoveEnvironmentStrings", "3300"},
        {"RemoveFiles", "3500"},
        {"RemoveFolders", "3600"},
        {"CreateFolders", "3700"},
        {"MoveFiles", "3800"},
        {"InstallFiles", "4000"},
        {"CreateShortcuts", "4500"},
        {"WriteRegistryValues", "5000"},
        {"WriteIniValues", "5100"},
        {"WriteEnvironmentStrings", "5200"},
    };
    const PackageTable* existing = Existing("InstallExecuteSequence");
    std::set<std::string> present;
    if (existing) {
      for (const auto& row : existing->rows) present.insert(row[0]);
    }
    for (const auto& [action, sequence] : kActions) {
      if (present.count(action)) continue;
      Table("InstallExecuteSequence").Add({{"Action", action}, {"Sequence", sequence}});
    }
  }

  PackageTable& Table(const std::string& name) {
    auto it = plan_.tables.find(name);
    if (it != plan_.tables.end()) return it->second;
    const PackageTable* existing = Existing(name);
    return plan_.tables.emplace(name, existing ? *existing : EmptyTable(name)).first->second;
  }

  void EnsureTargetDir() {
    if (targetDirChecked_) return;
    targetDirChecked_ = true;
    PackageTable& directory = Table("Directory");
    for (const auto& row : directory.rows) {
      if (!row.empty() && row[0] == "TARGETDIR") return;
    }
    directory.Add({{"Directory", "TARGETDIR"}, {"DefaultDir", "SourceDir"}});
  }

  // The folder that the statement's "P" property names at run time.
  std::string RunTimeDirectory(const std::string& header, int n) {
    EnsureTargetDir();
    std::string key = "P" + header + "_" + std::to_string(n);
    Table("Directory")
        .Add({{"Directory", key}, {"Directory_Parent", "TARGETDIR"}, {"DefaultDir", "."}});
    return key;
  }

  void EnsureFeature() {
    if (featureAdded_) return;
    featureAdded_ = true;
    Table("Feature").Add({{"Feature", kFeature},
                          {"Title", "Setup script statements"},
                          {"Display", "0"},
                          {"Level", "1"},
                          {"Attributes", "0"}});
  }

  std::string AddComponent(const std::string& header, int k, const std::string& directory,
                           int attributes, const std::string& keyPath) {
    EnsureFeature();
    std::string key = "VC" + header + (k ? "_" + std::to_string(k) : "");
    std::string guid = DerivedIdentifier(project_.productCode, "package", "component " + header,
                                         static_cast<uint32_t>(k));
    Table("Component")
        .Add({{"Component", key},
              {"ComponentId", guid},
              {"Directory_", directory},
              {"Attributes", std::to_string(attributes | kTransitive)},
              {"Condition", "A" + header + "=\"TRUE\""},
              {"KeyPath", keyPath}});
    Table("FeatureComponents").Add({{"Feature_", kFeature}, {"Component_", key}});
    return key;
  }

  // A run-time value: the statement's "P" property when the line holds a
  // variable, else the literal text.
  static std::string Value(const Statement& s, size_t line, const std::string& header, int n) {
    std::string text = Param(s, line);
    if (text.find('$') != std::string::npos) return "[P" + header + "_" + std::to_string(n) + "]";
    return FormattedLiteral(text);
  }

  struct Source {
    fs::path folder;  // relative to the statement's target folder
    fs::path file;
  };

  std::vector<Source> CollectSources(const Statement& s) {
    std::string pattern = Param(s, 1);
    bool recurse = Param(s, 2) == "TRUE";
    if (pattern.empty()) throw ParamError(s, 1, "must name the files to install");
    std::replace(pattern.begin(), pattern.end(), '\\', '/');
    fs::path path = project_.folder / pattern;
    std::error_code ec;
    std::vector<Source> found;
    std::string mask = "*";
    fs::path folder = path;
    if (fs::is_regular_file(path, ec)) {
      found.push_back({fs::path(), path});
      return found;
    }
    if (!fs::is_directory(path, ec)) {
      mask = path.filename().string();
      folder = path.parent_path();
      if (mask.find_first_of("*?") == std::string::npos || !fs::is_directory(folder, ec))
        throw ProjectError(At(s, 1), "Install Files: not found: " + path.string());
    }
    Walk(folder, fs::path(), mask, recurse, found);
    if (found.empty())
      throw ProjectError(At(s, 1), "Install Files: no file matches " + path.string());
    return found;
  }

  static void Walk(const fs::path& folder, const fs::path& relative, const std::string& mask,
                   bool recurse, std::vector<Source>& found) {
    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) entries.push_back(entry);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
      return a.path().filename() < b.path().filename();
    });
    for (const auto& entry : entries) {
      if (entry.is_regular_file(ec) && MatchesFileMask(entry.path().filename().string(), mask))
        found.push_back({relative, entry.path()});
    }
    if (!recurse) return;
    for (const auto& entry : entries) {
      if (entry.is_directory(ec) && !entry.is_symlink(ec))
        Walk(entry.path(), relative / entry.path().filename(), mask, true, found);
    }
  }

  void InstallFiles(const Statement& s, const std::string& header) {
    std::vector<Source> sources = CollectSources(s);
    std::string top = RunTimeDirectory(header, 1);
    // One component per folder, the folder's first file its key path.
    std::map<fs::path, std::string> components;
    std::map<fs::path, std::string> directories{{fs::path(), top}};
    std::map<std::string, std::vector<std::string>> shortNames;  // per directory key
    int folders = 0;
    for (const Source& source : sources) {
      std::string directory = DirectoryFor(source.folder, header, directories, shortNames, folders);
      std::string fileKey = "VF" + header + "_" + std::to_string(plan_.cabinet.size() + 1);
      auto component = components.find(source.folder);
      if (component == components.end()) {
        std::string key =
            AddComponent(header, static_cast<int>(components.size()), directory, 0, fileKey);
        component = components.emplace(source.folder, key).first;
      }
      std::error_code ec;
      uintmax_t size = fs::file_size(source.file, ec);
      if (ec || size > 0x7FFFFFFF)
        throw ProjectError(At(s, 1), "Install Files: cannot read " + source.file.string());
      std::string name = source.file.filename().string();
      Table("File").Add({{"File", fileKey},
                         {"Component_", component->second},
                         {"FileName", ShortLongName(name, shortNames[directory])},
                         {"FileSize", std::to_string(size)},
                         {"Attributes", std::to_string(kCompressed)},
                         {"Sequence", std::to_string(nextSequence_++)}});
      plan_.cabinet.push_back({fileKey, source.file});
    }
  }

  std::string DirectoryFor(const fs::path& folder, const std::string& header,
                           std::map<fs::path, std::string>& directories,
                           std::map<std::string, std::vector<std::string>>& shortNames,
                           int& count) {
    auto it = directories.find(folder);
    if (it != directories.end()) return it->second;
    std::string parent = DirectoryFor(folder.parent_path(), header, directories, shortNames, count);
    std::string key = "VD" + header + "_" + std::to_string(++count);
    Table("Directory")
        .Add({{"Directory", key},
              {"Directory_Parent", parent},
              {"DefaultDir", ShortLongName(folder.filename().string(), shortNames[parent])}});
    return directories.emplace(folder, key).first->second;
  }

  void WriteRegistry(const Statement& s, const std::string& header) {
    static const std::map<std::string, std::string> kRoots = {
        {"0", "0"}, {"1", "1"}, {"2", "2"}, {"3", "3"}};
    auto root = kRoots.find(Param(s, 2));
    if (root == kRoots.end())
      throw ParamError(s, 2,
                       "must be a root key code the installer "
                       "writes: 0 (classes root), 1 (current user), 2 (local machine) "
                       "or 3 (users), found: \"" +
                           Param(s, 2) + "\"");
    std::string kind = Param(s, 1).empty() ? "0" : Param(s, 1);
    std::string data = Value(s, 5, header, 3);
    std::string value;
    if (kind == "0") {
      value = !data.empty() && data[0] == '#' ? "#" + data : data;
    } else if (kind == "1") {
      if (Param(s, 5).find('$') == std::string::npos && !ToNumber(Param(s, 5)))
        throw ParamError(s, 5, "a number value must be decimal, found: \"" + Param(s, 5) + "\"");
      value = "#" + data;
    } else if (kind == "2") {
      value = "#%" + data;
    } else if (kind == "3") {
      std::string hex = Param(s, 5);
      bool valid =
          hex.size() % 2 == 0 && std::all_of(hex.begin(), hex.end(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
          });
      if (!valid) throw ParamError(s, 5, "binary data must be pairs of hexadecimal digits");
      value = "#x" + hex;
    } else {
      throw ParamError(s, 1,
                       "must be a value kind: 0 (text), "
                       "1 (number), 2 (expandable text) or 3 (binary), found: \"" +
                           Param(s, 1) + "\"");
    }
    if (Param(s, 3).empty()) throw ParamError(s, 3, "must name a key");
    EnsureTargetDir();
    std::string registryKey = "VR" + header;
    int attributes = kRegistryKeyPath | (Param(s, 6) == "TRUE" ? kPermanent : 0);
    std::string component = AddComponent(header, 0, "TARGETDIR", attributes, registryKey);
    Table("Registry")
        .Add({{"Registry", registryKey},
              {"Root", root->second},
              {"Key", Value(s, 3, header, 1)},
              {"Name", Value(s, 4, header, 2)},
              {"Value", value},
              {"Component_", component}});
  }

  void CreateFolder(const std::string& header) {
    std::string directory = RunTimeDirectory(header, 1);
    std::string component = AddComponent(header, 0, directory, 0, "");
    Table("CreateFolder").Add({{"Directory_", directory}, {"Component_", component}});
  }

  void CreateShortcut(const Statement& s, const std::string& header) {
    std::string name = Param(s, 2);
    if (name.empty()) throw ParamError(s, 2, "must name the shortcut");
    std::string directory = RunTimeDirectory(header, 1);
    std::string component = AddComponent(header, 0, directory, 0, "");
    // The folder goes with the product when it is left empty.
    Table("CreateFolder").Add({{"Directory_", directory}, {"Component_", component}});
    std::vector<std::string> used;
    Table("Shortcut")
        .Add({{"Shortcut", "VS" + header},
              {"Directory_", directory},
              {"Name", ShortLongName(name, used)},
              {"Component_", component},
              {"Target", "[P" + header + "_2]"},
              {"Arguments", Param(s, 5).empty() ? "" : "[P" + header + "_3]"},
              {"Description", Param(s, 4)},
              {"WkDir", Param(s, 6).empty() ? "" : "P" + header + "_4"}});
  }

  // Components whose work names its folders by property need no folder of
  // their own: they sit in TARGETDIR.
  std::string PlainComponent(const std::string& header) {
    EnsureTargetDir();
    return AddComponent(header, 0, "TARGETDIR", 0, "");
  }

  static std::string RequiredName(const Statement& s, size_t line, const std::string& what) {
    std::string name = Param(s, line);
    if (name.empty()) throw ParamError(s, line, "must name " + what);
    return name;
  }

  void DeleteFiles(const Statement& s, const std::string& header) {
    int mode = (Param(s, 3) == "TRUE" ? 1 : 0) | (Param(s, 4) == "TRUE" ? 2 : 0);
    if (mode == 0)
      throw ParamError(s, 3, "this or parameter 4 must be TRUE (delete at install, at removal)");
    std::string name = RequiredName(s, 2, "the file or mask");
    std::string component = PlainComponent(header);
    Table("RemoveFile")
        .Add({{"FileKey", "VX" + header},
              {"Component_", component},
              {"FileName", name},
              {"DirProperty", "P" + header + "_1"},
              {"InstallMode", std::to_string(mode)}});
  }

  void CopyMoveFiles(const Statement& s, const std::string& header) {
    std::string name = RequiredName(s, 2, "the file or mask");
    std::string component = PlainComponent(header);
    Table("MoveFile")
        .Add({{"FileKey", "VM" + header},
              {"Component_", component},
              {"SourceName", name},
              {"DestName", Param(s, 4)},
              {"SourceFolder", "P" + header + "_1"},
              {"DestFolder", "P" + header + "_2"},
              {"Options", Param(s, 5) == "TRUE" ? "1" : "0"}});
  }

  void EditIniFile(const Statement& s, const std::string& header) {
    static const std::map<std::string, std::string> kActions = {
        {"", "0"}, {"0", "0"}, {"1", "1"}, {"2", "3"}};
    auto action = kActions.find(Param(s, 3));
    if (action == kActions.end())
      throw ParamError(s, 3,
                       "must be 0 (write the value), 1 (write it "
                       "only when the key is absent) or 2 (add it to a comma list), "
                       "found: \"" +
                           Param(s, 3) + "\"");
    std::string name = RequiredName(s, 2, "the INI file");
    std::vector<std::string> used;
    std::string component = PlainComponent(header);
    Table("IniFile").Add({{"IniFile", "VI" + header},
                          {"FileName", ShortLongName(name, used)},
                          {"DirProperty", "P" + header + "_1"},
                          {"Section", "[P" + header + "_2]"},
                          {"Key", "[P" + header + "_3]"},
                          {"Value", "[P" + header + "_4]"},
                          {"Action", action->second},
                          {"Component_", component}});
  }

  void SetEnvironment(const Statement& s, const std::string& header) {
    std::string name = RequiredName(s, 1, "the variable");
    std::string value = "[P" + header + "_1]";
    std::string how = Param(s, 4).empty() ? "0" : Param(s, 4);
    std::string prefix;
    if (how == "0") {
      prefix = "=-";
    } else if (how == "1") {
      prefix = "-";
      value = "[~];" + value;
    } else if (how == "2") {
      prefix = "-";
      value += ";[~]";
    } else {
      throw ParamError(s, 4,
                       "must be 0 (set), 1 (append) or 2 "
                       "(prepend), found: \"" +
                           Param(s, 4) + "\"");
    }
    if (Param(s, 3) == "TRUE") prefix += "*";
    std::string component = PlainComponent(header);
    Table("Environment")
        .Add({{"Environment", "VE" + header},
              {"Name", prefix + name},
              {"Value", value},
              {"Component_", component}});
  }

  const Project& project_;
  const std::map<std::string, PackageTable>& existing_;
  PackagePlan plan_;
  long nextSequence_ = 1;
  long nextDisk_ = 1;
  bool targetDirChecked_ = false;
  bool featureAdded_ = false;
};

}  // namespace

int PackageTable::Column(std::string_view column) const {
  for (size_t i = 0; i < columns.size(); ++i) {
    if (columns[i] == column) return static_cast<int>(i);
  }
  return -1;
}

void PackageTable::Add(const std::map<std::string, std::string>& values) {
  std::vector<std::string> row(columns.size());
  for (const auto& [column, value] : values) {
    int at = Column(column);
    if (at >= 0) row[static_cast<size_t>(at)] = EncodeField(value);
  }
  rows.push_back(std::move(row));
}

const std::vector<std::string>& PackageTableNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> out;
    for (const Schema& schema : kSchemas) out.emplace_back(schema.name);
    return out;
  }();
  return names;
}

PackageTable EmptyTable(std::string_view name) {
  for (const Schema& schema : kSchemas) {
    if (name != schema.name) continue;
    PackageTable table;
    table.name = schema.name;
    table.columns = SplitTabs(schema.columns);
    table.types = SplitTabs(schema.types);
    table.keys = SplitTabs(schema.keys);
    return table;
  }
  throw std::invalid_argument("no schema for table " + std::string(name));
}

PackageTable ParseTableArchive(std::string_view text, const std::string& source) {
  const std::vector<std::string> lines = SplitLines(text);
  if (lines.size() < 3)
    throw ProjectError({source, 0}, "not a table archive (fewer than three lines)");
  PackageTable table;
  table.columns = SplitTabs(lines[0]);
  table.types = SplitTabs(lines[1]);
  std::vector<std::string> head = SplitTabs(lines[2]);
  if (IsDigits(head[0])) {
    throw ProjectError({source, 3},
                       "the package table holds text outside ASCII, which the tool "
                       "does not rewrite");
  }
  table.name = head[0];
  table.keys.assign(head.begin() + 1, head.end());
  if (table.columns.size() != table.types.size() || table.name.empty())
    throw ProjectError({source, 2}, "not a table archive (column names and types differ)");
  for (size_t i = 3; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    std::vector<std::string> row = SplitTabs(lines[i]);
    if (row.size() != table.columns.size())
      throw ProjectError({source, static_cast<int>(i + 1)},
                         "row has " + std::to_string(row.size()) + " fields, the table " +
                             std::to_string(table.columns.size()));
    table.rows.push_back(std::move(row));
  }
  return table;
}

std::string WriteTableArchive(const PackageTable& table) {
  std::string out = JoinTabs(table.columns) + "\r\n" + JoinTabs(table.types) + "\r\n";
  std::vector<std::string> head{table.name};
  head.insert(head.end(), table.keys.begin(), table.keys.end());
  out += JoinTabs(head) + "\r\n";
  for (const auto& row : table.rows) out += JoinTabs(row) + "\r\n";
  return out;
}

std::string ShortLongName(const std::string& name, std::vector<std::string>& used) {
  auto taken = [&](const std::string& shortName) {
    return std::find(used.begin(), used.end(), shortName) != used.end();
  };
  if (IsShortName(name) && !taken(AsciiUpper(name))) {
    used.push_back(AsciiUpper(name));
    return name;
  }
  size_t dot = name.rfind('.');
  std::string base = ShortPart(name.substr(0, dot), 6);
  std::string ext = dot == std::string::npos ? "" : ShortPart(name.substr(dot + 1), 3);
  if (base.empty()) base = "FILE";
  for (int n = 1;; ++n) {
    std::string tail = "~" + std::to_string(n);
    std::string shortName = base.substr(0, 8 - std::min<size_t>(8, tail.size())) + tail;
    if (!ext.empty()) shortName += "." + ext;
    if (!taken(shortName)) {
      used.push_back(shortName);
      return shortName + "|" + name;
    }
  }
}

void AddComputedComponentSizes(Project& project) {
  std::vector<std::pair<std::string, uint64_t>> totals;
  const std::map<std::string, PackageTable> none;
  std::vector<std::string>& sizes = project.componentSizes;
  auto given = [&](const std::string& name) {
    for (size_t i = 0; i + 1 < sizes.size(); i += 2) {
      if (EqualsIgnoreCase(sizes[i], name)) return true;
    }
    return false;
  };
  for (const Statement& s : project.statements) {
    if (s.component.empty() || s.marker == "C" || s.command != "Install Files") continue;
    // A size given needs no files (a dumped project has none of them).
    if (given(s.component)) continue;
    auto total = std::find_if(totals.begin(), totals.end(), [&](const auto& t) {
      return EqualsIgnoreCase(t.first, s.component);
    });
    if (total == totals.end()) total = totals.insert(totals.end(), {s.component, 0});
    for (const fs::path& file : Planner(project, none).FilesOf(s)) {
      std::error_code ec;
      uintmax_t size = fs::file_size(file, ec);
      if (!ec) total->second += size;
    }
  }
  for (const auto& [name, total] : totals) sizes.insert(sizes.end(), {name, std::to_string(total)});
}

PackagePlan PlanPackage(const Project& project, const CarriedScript& script,
                        const std::map<std::string, PackageTable>& existing) {
  Planner planner(project, existing);
  planner.MarkCabinetFilesCompressed();
  for (size_t i = 0; i + 1 < script.statementHeaders.size(); i += 2) {
    std::optional<long> index = ToNumber(script.statementHeaders[i + 1]);
    if (!index || *index < 0 || static_cast<size_t>(*index) >= project.statements.size()) continue;
    const Statement& s = project.statements[static_cast<size_t>(*index)];
    if (s.marker == "C") continue;
    if (planner.HasRowsOf(script.statementHeaders[i])) {
      // The digest dump wrote tells an edit apart for every command, whether
      // or not its rows can be made here.
      if (!s.packageDigest.empty()) {
        if (s.packageDigest != LinesDigest(s.parameters))
          planner.Plan().warnings.push_back(
              {s.where, "\"" + s.command +
                            "\" was edited after the dump (@package-digest): the kept package "
                            "holds its rows (component VC" +
                            script.statementHeaders[i] +
                            ") and wins, the edit has no effect; name a package without them to "
                            "make them again"});
        continue;
      }
      if (planner.KeptRowsDiffer(s, script.statementHeaders[i]))
        planner.Plan().warnings.push_back(
            {s.where, "the package already holds this statement's rows (component VC" +
                          script.statementHeaders[i] +
                          "), made from other lines: the package's rows are kept and the "
                          "edit does not reach the package; name a package without them to "
                          "make them again"});
      continue;
    }
    planner.AddStatement(s, script.statementHeaders[i]);
  }
  planner.Finish();
  return std::move(planner.Plan());
}

}  // namespace vantrell::authoring
