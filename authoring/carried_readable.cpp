// The readable form carried in the support archive (layout in carried_readable.h).
#include "authoring/carried_readable.h"

#include <algorithm>

#include "authoring/assemble.h"
#include "authoring/command_reference.h"
#include "authoring/identifiers.h"
#include "authoring/readable_format.h"
#include "authoring/script_check.h"
#include "authoring/setup_folder.h"

namespace vantrell::authoring {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kHeading = "vantrell readable form 1\n";
constexpr std::string_view kFile = "file ";

void AddFile(std::string& out, const ReadableFile& file) {
  out.append(kFile).append(std::to_string(file.text.size())).append(" ").append(file.name);
  out.append("\n").append(file.text).append("\n");
}

// One "file" item from the front of `bytes`, which it then leaves behind.
std::optional<ReadableFile> TakeFile(std::string_view& bytes) {
  if (bytes.substr(0, kFile.size()) != kFile) return std::nullopt;
  bytes.remove_prefix(kFile.size());
  size_t size = 0;
  size_t digits = 0;
  while (digits < bytes.size() && digits < 10 && bytes[digits] >= '0' && bytes[digits] <= '9')
    size = size * 10 + static_cast<size_t>(bytes[digits++] - '0');
  if (digits == 0 || digits >= bytes.size() || bytes[digits] != ' ') return std::nullopt;
  bytes.remove_prefix(digits + 1);
  size_t end = bytes.find('\n');
  if (end == std::string_view::npos || end == 0) return std::nullopt;
  ReadableFile file{std::string(bytes.substr(0, end)), {}};
  if (file.name.find('\r') != std::string::npos) return std::nullopt;
  bytes.remove_prefix(end + 1);
  if (bytes.size() < size + 1 || bytes[size] != '\n') return std::nullopt;
  file.text = std::string(bytes.substr(0, size));
  bytes.remove_prefix(size + 1);
  return file;
}

std::string_view WithoutBom(std::string_view text) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
  return text;
}

}  // namespace

std::string WriteReadableForm(const ReadableForm& form) {
  std::string out(kHeading);
  AddFile(out, form.project);
  for (const ReadableFile& script : form.scripts) AddFile(out, script);
  return out;
}

std::optional<ReadableForm> ReadReadableForm(std::string_view bytes) {
  if (bytes.substr(0, kHeading.size()) != kHeading) return std::nullopt;
  bytes.remove_prefix(kHeading.size());
  std::optional<ReadableFile> project = TakeFile(bytes);
  if (!project) return std::nullopt;
  ReadableForm form{std::move(*project), {}};
  while (!bytes.empty()) {
    std::optional<ReadableFile> script = TakeFile(bytes);
    if (!script) return std::nullopt;
    for (const ReadableFile& seen : form.scripts) {
      if (seen.name == script->name) return std::nullopt;
    }
    form.scripts.push_back(std::move(*script));
  }
  return form;
}

ReadableForm ReadableFormOf(const Project& project, const fs::path& projectFile) {
  ReadableForm form;
  form.project = {projectFile.filename().string(), ReadBinaryFile(projectFile)};
  for (const std::string& script : project.scripts) {
    bool seen = std::any_of(form.scripts.begin(), form.scripts.end(),
                            [&](const ReadableFile& f) { return f.name == script; });
    if (!seen) form.scripts.push_back({script, ReadBinaryFile(project.folder / script)});
  }
  return form;
}

Project ProjectFromReadable(const ReadableForm& form, const fs::path& folder) {
  const std::string projectName = (folder / form.project.name).string();
  Project p = ParseProjectText(WithoutBom(form.project.text), projectName);
  p.folder = folder;
  for (size_t i = 0; i < p.scripts.size(); ++i) {
    const std::string& script = p.scripts[i];
    auto text = std::find_if(form.scripts.begin(), form.scripts.end(),
                             [&](const ReadableFile& f) { return f.name == script; });
    if (text == form.scripts.end())
      throw ProjectError(p.scriptRefs[i], "the readable form lacks the script file " + script);
    ParseScriptText(text->text, (folder / script).string(), script, p.statements);
  }
  return p;
}

bool IsContainedName(const std::string& name) {
  if (name.empty() || name.front() == '/' || name.front() == '\\') return false;
  if (name.find(':') != std::string::npos) return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string::npos) end = name.size();
    std::string_view part(name.data() + start, end - start);
    if (part.empty() || part == "..") return false;
    start = end + 1;
  }
  return true;
}

bool WritesInside(const ReadableForm& form) {
  if (!IsContainedName(form.project.name)) return false;
  return std::all_of(form.scripts.begin(), form.scripts.end(),
                     [](const ReadableFile& f) { return IsContainedName(f.name); });
}

std::optional<Project> ProjectBuildingCarried(const ReadableForm& form, const fs::path& folder,
                                              std::string_view carriedBytes) {
  std::optional<CarriedScript> carried = SplitCarriedScript(carriedBytes);
  if (!carried) return std::nullopt;
  try {
    Project p = ProjectFromReadable(form, folder);
    // As the build reads it: codes upper-cased, named lines in their places.
    Project built = p;
    for (const Diagnostic& d : CheckSettings(built)) {
      if (d.error) return std::nullopt;
    }
    const std::vector<std::string>& sizes = carried->componentSizes;
    if (built.componentSizes.size() <= sizes.size() &&
        std::equal(built.componentSizes.begin(), built.componentSizes.end(), sizes.begin()))
      built.componentSizes = sizes;
    if (WriteCarriedScript(CompileProject(built).script) != carriedBytes) return std::nullopt;
    return p;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::vector<bool> PackagedStatements(const CarriedScript& carried,
                                     const std::vector<Statement>& statements) {
  std::vector<bool> packaged(statements.size(), false);
  for (size_t i = 0; i + 1 < carried.statementHeaders.size(); i += 2) {
    const std::string& index = carried.statementHeaders[i + 1];
    if (index.empty() || index.size() > 9 ||
        index.find_first_not_of("0123456789") != std::string::npos)
      continue;
    const size_t n = std::stoul(index);
    if (n >= statements.size()) continue;
    const CommandInfo* command = FindCommand(statements[n].command);
    packaged[n] = command && command->installType && statements[n].marker != "C";
  }
  return packaged;
}

std::vector<ReadableFile> ScriptsWithDigests(const ReadableForm& form, Project& project,
                                             const std::vector<bool>& packaged) {
  std::map<std::string, std::map<int, std::string>> below;  // by script, below which line
  std::vector<Diagnostic> ignored;
  for (size_t i = 0; i < project.statements.size() && i < packaged.size(); ++i) {
    Statement& s = project.statements[i];
    if (!packaged[i] || !s.packageDigest.empty()) continue;
    ResolveParameterNames(s, ignored);
    below[s.scriptKey][s.where.line] = "@package-digest " + LinesDigest(s.parameters);
  }
  std::vector<ReadableFile> scripts = form.scripts;
  for (ReadableFile& script : scripts)
    script.text = WithLinesBelow(script.text, below[script.name]);
  return scripts;
}

std::string CountedComponentSizes(const Project& project, const CarriedScript& carried) {
  const std::vector<std::string>& sizes = carried.componentSizes;
  std::string out;
  for (size_t i = project.componentSizes.size(); i + 1 < sizes.size(); i += 2)
    out += "component-size =" + FormatValue(sizes[i]) + "\n  >" + FormatValue(sizes[i + 1]) + "\n";
  return out.empty() ? out : "# Added by dump: counted from the @component files.\n" + out;
}

std::string WithLinesBelow(const std::string& text, const std::map<int, std::string>& added) {
  std::string out;
  int line = 0;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    const std::string_view written(text.data() + at, end - at);
    out.append(written);
    auto below = added.find(++line);
    if (below != added.end()) {
      size_t body = written.size();
      while (body > 0 && (written[body - 1] == '\n' || written[body - 1] == '\r')) --body;
      std::string ending(written.substr(body));
      if (ending.empty()) {
        out += "\n";  // the file's last line had no end
        ending = "\n";
      }
      size_t indent = 0;
      while (indent < body && (written[indent] == ' ' || written[indent] == '\t')) ++indent;
      out.append(written.substr(0, indent)).append("  ").append(below->second).append(ending);
    }
    at = end;
  }
  return out;
}

std::string WithKeys(const std::string& text, const Project& parsed,
                     const std::vector<std::pair<std::string, std::string>>& keys) {
  // Lines with their own ends, so that untouched lines keep theirs.
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    lines.push_back(text.substr(at, end - at));
    at = end;
  }
  std::string added;
  for (const auto& [key, value] : keys) {
    auto written = parsed.keyRefs.find(key);
    if (written == parsed.keyRefs.end() || written->second.line < 1 ||
        static_cast<size_t>(written->second.line) > lines.size()) {
      if (!value.empty()) added += key + " =" + FormatValue(value) + "\n";
      continue;
    }
    std::string& line = lines[static_cast<size_t>(written->second.line) - 1];
    size_t body = line.size();
    while (body > 0 && (line[body - 1] == '\n' || line[body - 1] == '\r')) --body;
    const std::string ending = line.substr(body);
    std::string replaced = value.empty() ? "# " + line.substr(0, body) : key + " =";
    if (!value.empty()) replaced += FormatValue(value);
    line = replaced.append(ending);
  }
  std::string out;
  for (const std::string& line : lines) out += line;
  if (added.empty()) return out;
  if (!out.empty() && out.back() != '\n') out += "\n";
  return out + "# Added by dump: the files beside this project.\n" + added;
}

}  // namespace vantrell::authoring
