// vantrell-author: builds a setup folder from a readable project, and shows
// the script carried by a setup executable in the readable form.
// Exit codes: 0 done, 1 project error (each finding with its file and line), 2 usage.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "authoring/assemble.h"
#include "authoring/carried_readable.h"
#include "authoring/carried_script.h"
#include "authoring/command_reference.h"
#include "authoring/identifiers.h"
#include "authoring/package_rows.h"
#include "authoring/process.h"
#include "authoring/readable_format.h"
#include "authoring/script_check.h"
#include "authoring/setup_folder.h"
#include "authoring/translation_tables.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;
using namespace vantrell::authoring;

namespace {

constexpr const char* kVersion = "0.1.0";
constexpr int kDone = 0;
constexpr int kProjectError = 1;
constexpr int kUsage = 2;

constexpr const char* kUsageText =
    "usage: vantrell-author build PROJECT OUT [options]\n"
    "       vantrell-author dump SETUP.exe [OUTDIR]\n"
    "       vantrell-author commands\n"
    "       vantrell-author --help | --version\n";

constexpr const char* kHelpText =
    "\n"
    "build   Builds the setup folder OUT from the project file PROJECT:\n"
    "        BASE.exe, BASE.res, BASE.msi, zeb.lib and data\\ (as the project has them).\n"
    "        The script is checked as the engine checks it before it runs, and the\n"
    "        package gets the rows of its install-type statements (made with\n"
    "        msiinfo, msibuild and gcab).\n"
    "  --engine PATH   the engine executable (default: engine.exe beside this tool,\n"
    "                  else build/win32/dist/engine.exe of the source tree)\n"
    "  --zeb PATH      the archive library (default: zeb.lib beside the engine)\n"
    "  --7zz PROGRAM   the 7-Zip program that packs the support files (default: 7zz)\n"
    "  --wixl PROGRAM  the program that builds a .wxs package (default: wixl)\n"
    "  --strict        treat warnings as errors\n"
    "  -v, --verbose   a progress line for each long step\n"
    "        Every mistake found in the project is reported, each with its file and\n"
    "        line; nothing is built while there is one.\n"
    "dump    Prints the readable form of the script carried by SETUP.exe, or\n"
    "        writes it to OUTDIR, with BASE.msi, the unpacked support files and\n"
    "        data\\ when they lie beside SETUP.exe; building OUTDIR's project gives\n"
    "        the same carried script. A setup whose BASE.res carries the project's\n"
    "        texts gives them back as written, comments and file names included;\n"
    "        any other is written from its script as BASE.vproj and BASE.vscript.\n"
    "commands\n"
    "        Prints the command reference (authoring/COMMANDS.md): every command with\n"
    "        its parameter lines, their names, kinds and codes.\n"
    "\n"
    "Exit codes: 0 done, 1 project error, 2 usage.\n"
    "The readable format is described in authoring/FORMAT.md.\n";

int Usage(const std::string& problem) {
  std::cerr << "vantrell-author: " << problem << "\n" << kUsageText;
  return kUsage;
}

fs::path ToolFolder() {
#ifdef _WIN32
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return n > 0 && n < MAX_PATH ? fs::path(std::string(path, n)).parent_path() : fs::path();
#else
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path() : self.parent_path();
#endif
}

fs::path DefaultEngine() {
  std::vector<fs::path> candidates = {ToolFolder() / "engine.exe"};
#ifdef VANTRELL_SOURCE_DIR
  candidates.push_back(fs::path(VANTRELL_SOURCE_DIR) / "build/win32/dist/engine.exe");
#endif
  candidates.push_back(fs::path("build/win32/dist/engine.exe"));
  std::error_code ec;
  for (const fs::path& c : candidates) {
    if (fs::is_regular_file(c, ec)) return c;
  }
  return candidates.front();
}

void Print(const SourceRef& where, const char* severity, const std::string& message) {
  std::cerr << where.file;
  if (where.line > 0) std::cerr << ":" << where.line;
  std::cerr << ": " << severity << ": " << message << "\n";
}

void PrintWarning(const SourceRef& where, const std::string& message) {
  Print(where, "warning", message);
}

// The engine's own check, after the author's: its one message is added unless
// a finding already points into the statement it names.
void AddEngineCheck(const Project& project, std::vector<Diagnostic>& found) {
  try {
    (void)CompileProject(project);
  } catch (const ProjectError& e) {
    const Statement* statement = nullptr;
    for (const Statement& s : project.statements) {
      if (s.where.file == e.Where().file && s.where.line == e.Where().line) statement = &s;
    }
    for (const Diagnostic& d : found) {
      if (!d.error || d.where.file != e.Where().file) continue;
      if (d.where.line == e.Where().line) return;
      if (statement && std::find(statement->parameterLines.begin(), statement->parameterLines.end(),
                                 d.where.line) != statement->parameterLines.end())
        return;
    }
    found.push_back({e.Where(), e.Message(), true});
  }
}

// Prints every finding; true when the build may go on.
bool Report(const std::vector<Diagnostic>& found, bool strict) {
  size_t errors = 0;
  size_t warnings = 0;
  for (const Diagnostic& d : found) {
    Print(d.where, d.error ? "error" : "warning", d.message);
    ++(d.error ? errors : warnings);
  }
  if (errors == 0 && (!strict || warnings == 0)) return true;
  std::cerr << "vantrell-author: " << errors << " error" << (errors == 1 ? "" : "s");
  if (warnings > 0)
    std::cerr << ", " << warnings << " warning" << (warnings == 1 ? "" : "s")
              << (strict ? " (--strict: warnings count as errors)" : "");
  std::cerr << "; nothing was built\n";
  return false;
}

int Build(const std::vector<std::string>& args) {
  std::vector<std::string> positional;
  FolderOptions options;
  bool verbose = false;
  bool strict = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-v" || a == "--verbose") {
      verbose = true;
      continue;
    }
    if (a == "--strict") {
      strict = true;
      continue;
    }
    if (!a.empty() && a[0] == '-') {
      if (i + 1 >= args.size()) return Usage("option " + a + " needs a value");
      const std::string& v = args[++i];
      if (a == "--engine") {
        options.engine = v;
      } else if (a == "--zeb") {
        options.zeb = v;
      } else if (a == "--7zz") {
        options.sevenZip = v;
      } else if (a == "--wixl") {
        options.wixl = v;
      } else {
        return Usage("unknown option: " + a);
      }
      continue;
    }
    positional.push_back(a);
  }
  if (positional.size() != 2) return Usage("build takes a project file and an output folder");
  if (options.engine.empty()) options.engine = DefaultEngine();
  if (options.zeb.empty()) options.zeb = options.engine.parent_path() / "zeb.lib";
  if (verbose) options.progress = [](const std::string& line) { std::cerr << line << "\n"; };

  Project project = LoadProject(positional[0]);
  if (verbose)
    options.progress("checking the script (" + std::to_string(project.statements.size()) +
                     " statements)");
  std::vector<Diagnostic> found = CheckSettings(project);
  std::vector<Diagnostic> statements = CheckStatements(project);
  found.insert(found.end(), statements.begin(), statements.end());
  AddEngineCheck(project, found);
  if (project.support.empty() && project.forms.empty() && project.languages.empty())
    found.push_back(
        {project.file, "no support folder: the setup will end with exit code 14", false});
  if (!Report(found, strict)) return kProjectError;
  AddComputedComponentSizes(project);
  CompiledScript compiled = CompileProject(project);
  options.warn = [strict](const Warning& w) {
    if (strict) throw ProjectError(w.where, w.message + " (--strict)");
    PrintWarning(w.where, w.message);
  };
  BuildSetupFolder(project, compiled.script, options, positional[1],
                   WriteReadableForm(ReadableFormOf(project, positional[0])));
  if (verbose)
    options.progress("built " + (fs::path(positional[1]) / (project.baseName + ".exe")).string());
  return kDone;
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  if (!out) throw ProjectError({path.string(), 0}, "cannot write file");
}

// The readable form in the support archive beside the setup, if it has one.
std::optional<ReadableForm> CarriedReadable(const fs::path& archive) {
  std::error_code ec;
  if (!fs::is_regular_file(archive, ec)) return std::nullopt;
  std::random_device random;
  const fs::path unpacked =
      fs::temp_directory_path(ec) / ("vantrell-readable-" + std::to_string(random()));
  if (ec) return std::nullopt;
  int code =
      RunProgram({"7zz", "e", "-so", fs::absolute(archive).string(), std::string(kReadableEntry)},
                 archive.parent_path().empty() ? fs::path(".") : archive.parent_path(), unpacked);
  std::optional<ReadableForm> form;
  if (code == 0 && fs::is_regular_file(unpacked, ec))
    form = ReadReadableForm(ReadBinaryFile(unpacked));
  fs::remove(unpacked, ec);
  return form;
}

int Dump(const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 2)
    return Usage("dump takes a setup executable and an optional output folder");
  fs::path exe = args[0];
  std::string bytes = ReadBinaryFile(exe);
  std::optional<std::string_view> behind = BytesBehindImage(bytes);
  if (!behind) throw ProjectError({exe.string(), 0}, "not a Windows executable image");
  if (behind->empty())
    throw ProjectError({exe.string(), 0}, "no setup script is carried behind the image");
  size_t consumed = 0;
  std::optional<CarriedScript> carried = SplitCarriedScript(*behind, &consumed);
  if (!carried)
    throw ProjectError({exe.string(), 0}, "the carried script ends before its last list");
  const std::string_view carriedBytes = behind->substr(0, consumed);
  std::string base = exe.stem().string();
  fs::path beside = exe.parent_path().empty() ? fs::path(".") : exe.parent_path();
  const SourceRef where{exe.string(), 0};

  // The texts as the author wrote them, when they still build this script.
  std::optional<ReadableForm> form = CarriedReadable(beside / (base + ".res"));
  std::optional<Project> written;
  if (form && WritesInside(*form))
    written =
        ProjectBuildingCarried(*form, args.size() == 2 ? fs::path(args[1]) : beside, carriedBytes);
  if (!written) {
    std::string why =
        "the setup carries no project texts (an older setup, or one without support "
        "files)";
    if (form && !WritesInside(*form)) {
      why = "the project's texts carried in " + base + ".res name a file outside the output folder";
    } else if (form) {
      why = "the project's texts carried in " + base + ".res no longer build its script";
    }
    Print(where, "note", why + "; the dump is made from the script, without comments");
  }

  // Without the texts, the names the project gave survive where they are known.
  std::string projectName = base + ".vproj";
  std::string scriptName = base + ".vscript";
  if (form && WritesInside(*form)) {
    projectName = form->project.name;
    if (!form->scripts.empty()) scriptName = form->scripts.front().name;
  }
  DumpedProject dumped = ProjectFromCarried(*carried, base, scriptName);
  if (!written && (!dumped.exact || WriteCarriedScript(*carried) != carriedBytes)) {
    PrintWarning(where,
                 "the carried script uses a layout the readable form does not keep (pool order, "
                 "line ends or "
                 "missing items); building the dump gives an equivalent but not identical script");
  }
  Project& p = dumped.project;
  // What the script reads from outside it, declared so the dump builds again.
  p.inputVariables = UndefinedVariables(p);
  if (args.size() == 1) {
    if (written) {
      std::cout << form->project.text;
      for (const ReadableFile& script : form->scripts)
        std::cout << "\n# ---- " << script.name << " ----\n" << script.text;
    } else {
      std::cout << FormatProjectText(p) << "\n# ---- " << scriptName << " ----\n"
                << FormatScriptText(p.statements);
    }
    return kDone;
  }
  fs::path out = args[1];
  std::error_code ec;
  fs::create_directories(out, ec);
  if (ec) throw ProjectError({out.string(), 0}, "cannot create the folder: " + ec.message());
  // The keys of the project file that name what the dump writes beside it.
  std::vector<std::pair<std::string, std::string>> keys;
  if (fs::is_regular_file(beside / (base + ".msi"), ec)) {
    fs::copy_file(beside / (base + ".msi"), out / (base + ".msi"),
                  fs::copy_options::overwrite_existing, ec);
    if (ec)
      throw ProjectError({(out / (base + ".msi")).string(), 0},
                         "cannot copy the package: " + ec.message());
    p.package = base + ".msi";
    keys.emplace_back("package", p.package);
  }
  if (fs::is_regular_file(beside / (base + ".res"), ec)) {
    fs::create_directories(out / "support", ec);
    int code = RunProgram({"7zz", "x", "-y", "-bso0", "-bsp0", "-x!" + std::string(kReadableEntry),
                           fs::absolute(beside / (base + ".res")).string()},
                          out / "support");
    if (code != 0)
      throw ProjectError({(beside / (base + ".res")).string(), 0},
                         "7zz could not unpack the support files");
    p.support = "support";
    keys.emplace_back("support", p.support);
    // The compiled forms are among the unpacked support files.
    keys.emplace_back("forms", "");
    // The translation files become the tables they were built from.
    const std::map<std::string, std::string> tables =
        RestoreTables(out / "support", carried->title);
    if (!tables.empty()) {
      fs::create_directories(out / "translations", ec);
      std::string languages;
      for (const auto& [language, table] : tables) {
        WriteText(out / "translations" / (language + ".txt"), table);
        languages += (languages.empty() ? "" : ", ") + language;
      }
      p.languages = languages;
      p.translations = "translations";
      keys.emplace_back("languages", p.languages);
      keys.emplace_back("translations", p.translations);
    }
  }
  if (fs::is_directory(beside / "data", ec)) {
    fs::copy(beside / "data", out / "data",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
    if (ec)
      throw ProjectError({(out / "data").string(), 0},
                         "cannot copy the data folder: " + ec.message());
    p.data = "data";
    keys.emplace_back("data", p.data);
  }
  // A kept package holds the install-type statements' rows as they are now:
  // each gets the digest of its lines, so that a later edit can be told.
  const std::vector<bool> packaged = p.package.empty()
                                         ? std::vector<bool>(p.statements.size(), false)
                                         : PackagedStatements(*carried, p.statements);
  if (written) {
    const std::vector<ReadableFile> scripts = ScriptsWithDigests(*form, *written, packaged);
    std::string text = WithKeys(form->project.text, *written, keys);
    // The files the sizes were counted from stay behind: the sizes go with the dump.
    const std::string sizes = CountedComponentSizes(*written, *carried);
    if (!sizes.empty() && !text.empty() && text.back() != '\n') text += "\n";
    WriteText(out / projectName, text + sizes);
    for (const ReadableFile& script : scripts) {
      fs::create_directories((out / script.name).parent_path(), ec);
      WriteText(out / script.name, script.text);
    }
    return kDone;
  }
  for (size_t i = 0; i < p.statements.size(); ++i) {
    if (packaged[i]) p.statements[i].packageDigest = LinesDigest(p.statements[i].parameters);
  }
  WriteText(out / projectName, FormatProjectText(p));
  fs::create_directories((out / scriptName).parent_path(), ec);
  WriteText(out / scriptName, FormatScriptText(p.statements));
  return kDone;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage("no command given");
  if (args[0] == "--help" || args[0] == "-h") {
    std::cout << kUsageText << kHelpText;
    return kDone;
  }
  if (args[0] == "--version") {
    std::cout << "vantrell-author " << kVersion << "\n";
    return kDone;
  }
  std::vector<std::string> rest(args.begin() + 1, args.end());
  try {
    if (args[0] == "build") return Build(rest);
    if (args[0] == "dump") return Dump(rest);
    if (args[0] == "commands") {
      if (!rest.empty()) return Usage("commands takes no arguments");
      std::cout << CommandReferenceMarkdown();
      return kDone;
    }
    return Usage("unknown command: " + args[0]);
  } catch (const ProjectError& e) {
    std::cerr << "vantrell-author: " << e.what() << "\n";
    return kProjectError;
  } catch (const std::exception& e) {
    std::cerr << "vantrell-author: " << e.what() << "\n";
    return kProjectError;
  }
}
