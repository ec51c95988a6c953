// Setup folder layout and the temporary-folder-then-move build (see setup_folder.h).
#include "authoring/setup_folder.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "authoring/carried_readable.h"
#include "authoring/package_identity.h"
#include "authoring/package_rows.h"
#include "authoring/process.h"
#include "authoring/translation_tables.h"
#include "common/ascii.h"
#include "common/image_layout.h"
#include "common/line_reader.h"
#include "dialogs/form_stream.h"
#include "dialogs/form_text.h"

namespace vantrell::authoring {
namespace fs = std::filesystem;
namespace {

void WriteBinaryFile(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw ProjectError({path.string(), 0}, "cannot write file");
}

// Removes the temporary folder however the build ends.
class TemporaryFolder {
 public:
  explicit TemporaryFolder(const fs::path& out) {
    std::random_device random;
    fs::path parent = out.parent_path().empty() ? fs::path(".") : out.parent_path();
    std::error_code ec;
    fs::create_directories(parent, ec);
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::ostringstream name;
      name << "." << out.filename().string() << ".part-" << std::hex << random();
      path_ = parent / name.str();
      if (fs::create_directory(path_, ec)) return;
    }
    throw ProjectError({parent.string(), 0}, "cannot create a temporary folder: " + ec.message());
  }
  ~TemporaryFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

// Every path handed to a tool is absolute: the tools run in other folders.
fs::path Resolve(const Project& p, const std::string& relative) {
  return fs::absolute(p.folder / relative);
}

bool EndsWithIgnoreCase(const std::string& text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i) {
    char c = text[text.size() - suffix.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != suffix[i]) return false;
  }
  return true;
}

// The first lines of a tool's error output, as one line each.
std::string ToolMessage(const fs::path& errors) {
  std::error_code ec;
  if (!fs::is_regular_file(errors, ec)) return "";
  std::string text;
  size_t shown = 0;
  for (const std::string& line : SplitLines(ReadBinaryFile(errors))) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    if (++shown > 8) {
      text += "\n  ...";
      break;
    }
    std::string clean = line;
    std::replace(clean.begin(), clean.end(), '\r', ' ');
    text += "\n  " + clean;
  }
  return text;
}

// Runs the outside tools of a build; a failure names the step and carries
// the tool's own words, and words on success become a warning.
class ToolRunner {
 public:
  ToolRunner(const FolderOptions& options, SourceRef project, fs::path errors)
      : options_(options), project_(std::move(project)), errors_(std::move(errors)) {}

  void Run(const std::string& step, const std::vector<std::string>& args, const fs::path& folder,
           const fs::path& output = {}) const {
    int code = RunProgram(args, folder, output, errors_);
    const std::string said = ToolMessage(errors_);
    std::error_code ec;
    fs::remove(errors_, ec);
    if (code == -1)
      throw ProjectError(
          project_, step + ": cannot run " + args[0] + " (is it installed and on PATH?)" + said);
    if (code != 0)
      throw ProjectError(project_, step + ": " + args[0] + " failed with exit code " +
                                       std::to_string(code) + said);
    if (!said.empty() && options_.warn)
      options_.warn({project_, step + ": " + args[0] + " says:" + said});
  }

 private:
  const FolderOptions& options_;
  SourceRef project_;
  fs::path errors_;
};

// Replaces OUT's entries by the temporary folder's; entries a previous build
// made and this one does not are removed so the folder never mixes builds.
void MoveIntoPlace(const fs::path& temp, const fs::path& out,
                   const std::vector<std::string>& owned) {
  std::error_code ec;
  if (!fs::exists(out, ec)) {
    fs::rename(temp, out, ec);
    if (ec)
      throw ProjectError({out.string(), 0},
                         "cannot move the built setup into place: " + ec.message());
    return;
  }
  if (!fs::is_directory(out, ec))
    throw ProjectError({out.string(), 0}, "the output exists and is not a folder");
  for (const std::string& name : owned) {
    fs::path target = out / name;
    fs::path built = temp / name;
    if (fs::exists(built, ec)) {
      fs::remove_all(target, ec);
      fs::rename(built, target, ec);
      if (ec) throw ProjectError({target.string(), 0}, "cannot move into place: " + ec.message());
    } else {
      fs::remove_all(target, ec);
    }
  }
}

// Reads the package's tables, plans the statements' rows and writes them in.
void EditPackage(const Project& p, const CarriedScript& script, const fs::path& msi,
                 const fs::path& work, const FolderOptions& o, const ToolRunner& tools) {
  auto run = [&](const std::vector<std::string>& args, const fs::path& folder,
                 const fs::path& output = {}) {
    tools.Run("adding the statements' rows to the package", args, folder, output);
  };
  fs::path package = fs::absolute(msi);
  fs::path listing = work / "tables.txt";
  run({o.msiinfo, "tables", package.string()}, work, listing);
  std::map<std::string, PackageTable> existing;
  const std::vector<std::string>& wanted = PackageTableNames();
  for (const std::string& name : SplitLines(ReadBinaryFile(listing))) {
    if (std::find(wanted.begin(), wanted.end(), name) == wanted.end()) continue;
    fs::path exported = work / (name + ".exported");
    run({o.msiinfo, "export", package.string(), name}, work, exported);
    existing.emplace(name,
                     ParseTableArchive(ReadBinaryFile(exported), p.package + " (" + name + ")"));
  }
  PackagePlan plan = PlanPackage(p, script, existing);
  if (o.warn) {
    for (const Warning& w : plan.warnings) o.warn(w);
  }
  std::vector<std::string> edit{o.msibuild, package.string()};
  // The package code is the build's revision code and the product code the
  // project's, whatever the package source says.
  fs::path summary = work / "summary.txt";
  run({o.msiinfo, "suminfo", package.string()}, work, summary);
  std::map<std::string, std::string> info;
  for (const std::string& line : SplitLines(ReadBinaryFile(summary))) {
    size_t colon = line.find(": ");
    if (colon != std::string::npos) info[line.substr(0, colon)] = line.substr(colon + 2);
  }
  if (!EqualsIgnoreCase(info["Revision number (UUID)"], p.revisionCode)) {
    // "-s" takes every argument after it, so it runs on its own.
    run({o.msibuild, package.string(), "-s", info["Subject"], info["Author"], info["Template"],
         p.revisionCode},
        work);
  }
  edit.insert(edit.end(), {"-q", "UPDATE `Property` SET `Value`='" + p.productCode +
                                     "' WHERE `Property`='ProductCode'"});
  for (const auto& [name, table] : plan.tables) {
    fs::path archive = work / (name + ".idt");
    WriteBinaryFile(archive, WriteTableArchive(table));
    edit.insert(edit.end(), {"-i", archive.string()});
  }
  if (!plan.cabinet.empty()) {
    fs::path staging = work / "cabinet";
    std::error_code ec;
    fs::create_directories(staging, ec);
    // gcab stores each path as given: the files go in by name, from the
    // staging folder, so the cabinet holds the keys the File table expects.
    std::vector<std::string> pack{o.gcab, "-c", "-z", "-n", (work / plan.cabinetStream).string()};
    for (const CabinetFile& file : plan.cabinet) {
      fs::copy_file(file.source, staging / file.key, fs::copy_options::overwrite_existing, ec);
      if (ec) throw ProjectError({file.source.string(), 0}, "cannot read: " + ec.message());
      pack.push_back(file.key);
    }
    tools.Run("packing the installed files into a cabinet", pack, staging);
    edit.insert(edit.end(), {"-a", plan.cabinetStream, (work / plan.cabinetStream).string()});
  }
  run(edit, work);
}

}  // namespace

std::string ReadBinaryFile(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) throw ProjectError({path.string(), 0}, "file not found");
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in) throw ProjectError({path.string(), 0}, "cannot read file");
  return bytes.str();
}

std::optional<std::string_view> BytesBehindImage(std::string_view executable) {
  std::optional<uint64_t> end = ImageEndFromHeaders(executable);
  if (!end || *end > executable.size()) return std::nullopt;
  return executable.substr(static_cast<size_t>(*end));
}

std::string AppendScript(std::string_view engine, std::string_view script,
                         const std::string& engineName) {
  std::optional<std::string_view> behind = BytesBehindImage(engine);
  if (!behind) throw ProjectError({engineName, 0}, "not a Windows executable image");
  if (!behind->empty()) {
    throw ProjectError({engineName, 0},
                       std::to_string(behind->size()) +
                           " bytes follow the image's last section (a script already appended?); "
                           "use the engine as built");
  }
  std::string out(engine);
  out.append(script);
  return out;
}

namespace {

// The text forms of a folder (NAME.txt) in name order.
std::vector<fs::path> FormTexts(const fs::path& forms) {
  std::error_code ec;
  std::vector<fs::path> texts;
  for (const auto& entry : fs::directory_iterator(forms, ec)) {
    if (entry.is_regular_file() && EndsWithIgnoreCase(entry.path().filename().string(), ".txt")) {
      texts.push_back(entry.path());
    }
  }
  std::sort(texts.begin(), texts.end());
  return texts;
}

// Each text form of the folder as a form file with its rules file.
void CompileForms(const Project& p, const fs::path& forms, const fs::path& into) {
  std::error_code ec;
  if (!fs::is_directory(forms, ec)) {
    throw ProjectError(p.file, "forms folder not found: " + forms.string());
  }
  for (const fs::path& text : FormTexts(forms)) {
    const std::string name = text.stem().string();
    FormResource resource;
    try {
      resource.root = ParseFormText(ReadBinaryFile(text));
    } catch (const FormTextError& e) {
      throw ProjectError({text.string(), e.Line()}, e.what());
    }
    resource.resourceName = AsciiUpper(resource.root.className);
    WriteBinaryFile(into / (name + ".dfm"), WriteFormResource(resource));
    const fs::path rules = forms / (name + ".zebf");
    WriteBinaryFile(into / (name + ".dfm.zebf"),
                    fs::is_regular_file(rules, ec) ? ReadBinaryFile(rules) : std::string());
  }
}

// The translation tables of the project's languages, refreshed in its
// translations folder, and the translation files among the support files.
void WriteTranslations(const Project& p, const CarriedScript& script, const FolderOptions& o,
                       const fs::path& into) {
  std::error_code ec;
  std::vector<std::pair<std::string, FormComponent>> forms;
  if (!p.forms.empty()) {
    for (const fs::path& text : FormTexts(Resolve(p, p.forms))) {
      try {
        forms.emplace_back(text.stem().string(), ParseFormText(ReadBinaryFile(text)));
      } catch (const FormTextError& e) {
        throw ProjectError({text.string(), e.Line()}, e.what());
      }
    }
  }
  // Form files among the support files (a dumped project's) have texts as well.
  if (!p.support.empty() && fs::is_directory(Resolve(p, p.support), ec)) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(Resolve(p, p.support), ec)) {
      if (entry.is_regular_file() && EndsWithIgnoreCase(entry.path().filename().string(), ".dfm"))
        files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
      const std::string name = file.stem().string();
      const bool compiled = std::any_of(forms.begin(), forms.end(), [&](const auto& form) {
        return EqualsIgnoreCase(form.first, name);
      });
      if (compiled) continue;  // the form text wins over an old compiled copy
      try {
        forms.emplace_back(name, ReadFormResource(ReadBinaryFile(file)).root);
      } catch (const std::exception& e) {
        throw ProjectError({file.string(), 0}, std::string("unreadable form file: ") + e.what());
      }
    }
  }
  const fs::path folder = Resolve(p, p.translations.empty() ? "translations" : p.translations);
  std::map<std::string, TranslationTable> given;
  for (const std::string& language : SplitLanguages(p.languages)) {
    const fs::path table = folder / (language + ".txt");
    if (fs::is_regular_file(table, ec))
      given[language] = ReadTable(ReadBinaryFile(table), table.string());
  }
  const TranslationBuild build =
      BuildTranslations(p, ExtractTexts(p, script, forms), given, o.warn);
  for (const auto& [name, bytes] : build.supportFiles) WriteBinaryFile(into / name, bytes);
  fs::create_directories(folder, ec);
  for (const auto& [language, text] : build.tables) {
    const fs::path table = folder / (language + ".txt");
    if (!fs::is_regular_file(table, ec) || ReadBinaryFile(table) != text)
      WriteBinaryFile(table, text);
  }
}

}  // namespace

void BuildSetupFolder(const Project& p, const CarriedScript& script, const FolderOptions& o,
                      const fs::path& written, std::string_view readable) {
  const fs::path out = fs::absolute(written).lexically_normal();
  auto progress = [&](const std::string& line) {
    if (o.progress) o.progress(line);
  };
  const std::string base = p.baseName;
  std::string engine = ReadBinaryFile(o.engine);
  std::string exe = AppendScript(engine, WriteCarriedScript(script), o.engine.string());
  std::string zeb = ReadBinaryFile(o.zeb);

  TemporaryFolder temp(out);
  const fs::path& t = temp.Path();
  const ToolRunner tools(o, p.file, t / ".tool-errors.txt");
  WriteBinaryFile(t / (base + ".exe"), exe);
  WriteBinaryFile(t / "zeb.lib", zeb);

  std::error_code ec;
  const bool translated = !p.languages.empty();
  if (!p.support.empty() || !p.forms.empty() || translated) {
    fs::path support = p.support.empty() ? fs::path() : Resolve(p, p.support);
    if (!p.support.empty() && !fs::is_directory(support, ec))
      throw ProjectError(p.file, "support folder not found: " + support.string());
    if (!p.forms.empty() || translated) {
      // The support files with the compiled forms and the translations beside them.
      const fs::path staging = t / ".support";
      fs::create_directories(staging, ec);
      if (!support.empty()) fs::copy(support, staging, fs::copy_options::recursive, ec);
      if (ec) throw ProjectError(p.file, "cannot copy the support files: " + ec.message());
      if (!p.forms.empty()) {
        progress("compiling the dialogs of " + p.forms);
        CompileForms(p, Resolve(p, p.forms), staging);
      }
      if (translated) {
        progress("writing the translations of " + p.languages);
        WriteTranslations(p, script, o, staging);
      }
      support = staging;
    }
    progress("packing support files into " + base + ".res");
    tools.Run("packing the support files",
              {o.sevenZip, "a", "-t7z", "-bso0", "-bsp0", (t / (base + ".res")).string(), "."},
              support);
    if (!readable.empty()) {
      // Added on its own: it replaces an entry of that name among the support files.
      const fs::path staging = t / ".readable";
      fs::create_directories(staging, ec);
      WriteBinaryFile(staging / kReadableEntry, readable);
      tools.Run("adding the project's texts to the support files",
                {o.sevenZip, "a", "-t7z", "-bso0", "-bsp0", (t / (base + ".res")).string(),
                 std::string(kReadableEntry)},
                staging);
      fs::remove_all(staging, ec);
    }
  }
  if (p.package.empty()) {
    progress("building " + base + ".msi from the project's identity");
    const fs::path source = t / ".identity.wxs";
    WriteBinaryFile(source, IdentityPackageSource(p));
    tools.Run("building the package from the project's identity",
              {o.wixl, "-o", (t / (base + ".msi")).string(), source.string()}, t);
    fs::remove(source, ec);
  } else {
    fs::path package = Resolve(p, p.package);
    if (!fs::is_regular_file(package, ec))
      throw ProjectError(p.file, "package not found: " + package.string());
    if (EndsWithIgnoreCase(p.package, ".msi")) {
      fs::copy_file(package, t / (base + ".msi"), ec);
      if (ec) throw ProjectError({package.string(), 0}, "cannot copy the package: " + ec.message());
    } else if (EndsWithIgnoreCase(p.package, ".wxs")) {
      progress("building " + base + ".msi from " + package.filename().string());
      fs::path folder = package.parent_path().empty() ? fs::path(".") : package.parent_path();
      tools.Run("building the package from " + package.filename().string(),
                {o.wixl, "-o", (t / (base + ".msi")).string(), package.string()}, folder);
    } else {
      throw ProjectError(p.file, "package must be a .msi or a .wxs file: " + p.package);
    }
  }
  progress("adding the statements' rows to " + base + ".msi");
  const fs::path work = t / ".package";
  fs::create_directories(work, ec);
  EditPackage(p, script, t / (base + ".msi"), work, o, tools);
  fs::remove_all(work, ec);
  if (!p.data.empty()) {
    fs::path data = Resolve(p, p.data);
    if (!fs::is_directory(data, ec))
      throw ProjectError(p.file, "data folder not found: " + data.string());
    progress("copying data files");
    fs::copy(data, t / "data", fs::copy_options::recursive, ec);
    if (ec) throw ProjectError({data.string(), 0}, "cannot copy the data folder: " + ec.message());
  }
  // The data folder carries the source marker, an empty file named like the
  // product code: a maintenance run started from the engine cache accepts a
  // folder as this product's sources by it. A web-based build keeps its data
  // in media blocks, and the engine marks its cache itself.
  if (!script.productCode.empty() && p.buildKind != "2") {
    fs::create_directories(t / "data", ec);
    WriteBinaryFile(t / "data" / script.productCode, "");
  }
  MoveIntoPlace(t, out, {base + ".exe", base + ".res", base + ".msi", "zeb.lib", "data"});
}

}  // namespace vantrell::authoring
