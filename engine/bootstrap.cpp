// Run-start state (contract in bootstrap.h).
#include "engine/bootstrap.h"

#include <optional>
#include <vector>

#include "common/ascii.h"
#include "common/line_reader.h"
#include "common/paths.h"
#include "common/target_platform.h"
#include "components/component_table.h"
#include "components/feature_selection_file.h"
#include "lang/engine_texts.h"
#include "lang/translations.h"
#include "msi/install_statements.h"
#include "msi/property_list.h"
#include "msi/registration.h"
#include "script/run_identity.h"
#include "script/script_reader.h"

namespace vantrell {
namespace {

constexpr const char* kPreInitialization = "Pre-Initialization";
constexpr const char* kInitialization = "Initialization";
constexpr const char* kBootstrap = "Bootstrap";
constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\";
constexpr int kInstallStateDefault = 5;

// Stand-ins when the caller supplies no system: nothing installed, no folders.
class NoSystem final : public SystemFacts, public InstallerQueries {
 public:
  bool IsAdministrator() override { return false; }
  std::string Folder(SpecialFolder) override { return {}; }
  std::optional<std::string> ReadRegistryString(RegistryRoot, const std::string&,
                                                const std::string&) override {
    return std::nullopt;
  }
  void DeleteRegistryValue(RegistryRoot, const std::string&, const std::string&) override {}
  void HideAndCompressFolder(const std::string&, bool) override {}
  int QueryProductState(const std::string&) override { return -1; }
  std::optional<std::string> ProductInfo(const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

NoSystem noSystem;

SystemFacts& System(const RunScriptContext& context) {
  return context.system ? *context.system : noSystem;
}
InstallerQueries& Installer(const RunScriptContext& context) {
  return context.installer ? *context.installer : noSystem;
}

void LoadPropertyFile(FileSystem& files, const std::string& path) {
  std::string text;
  if (files.FileExists(path) && files.ReadWholeFile(path, text)) Properties().LoadText(text);
}

// The installer's view of the product: installed, and installed from another package.
bool ProductInstalled(const RunScriptContext& context) {
  try {
    return Installer(context).QueryProductState(CurrentRun().productCode) == kInstallStateDefault;
  } catch (const std::exception&) {
    return false;
  }
}

bool NeedsUpgrade(const RunScriptContext& context) {
  try {
    const RunIdentity& run = CurrentRun();
    if (Installer(context).QueryProductState(run.productCode) != kInstallStateDefault) return false;
    auto packageCode = Installer(context).ProductInfo(run.productCode, "PackageCode");
    return packageCode && !EqualsIgnoreCase(*packageCode, run.revisionCode);
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

// The installed build's feature selections, merged into this run's.
void LoadOldData(const RunScriptContext& context, TVariableManager& vars) {
  SystemFacts& system = System(context);
  std::optional<std::string> folder;
  for (RegistryRoot root : {RegistryRoot::kLocalMachine, RegistryRoot::kCurrentUser}) {
    folder =
        system.ReadRegistryString(root, kEngineCacheRegistryKey + CurrentRun().productCode, "");
    if (folder) break;
  }
  if (!folder || !context.files.DirectoryExists(*folder)) return;
  const std::string base = WithTrailingBackslash(*folder);
  std::vector<std::string> candidates;
  for (const FileSystem::Entry& entry : context.files.List(base)) {
    const std::string lower = AsciiLower(entry.name);
    if (entry.directory || lower == "instance.dat" || lower.size() < 4 ||
        lower.substr(lower.size() - 4) != ".dat") {
      continue;
    }
    candidates.push_back(entry.name);
  }
  std::string chosen;
  if (candidates.size() == 1) chosen = candidates[0];
  for (const std::string& name : candidates) {
    if (!chosen.empty()) break;
    const std::string stem = base + name.substr(0, name.size() - 4);
    bool complete = true;
    for (const char* extension : {".exe", ".res", ".msi", ".par"})
      complete = complete && context.files.FileExists(stem + extension);
    if (complete) chosen = name;
  }
  if (!chosen.empty()) {
    LoadFeatureSelections(context.files, base + chosen, FeatureSelectionMode::kMerge, Components(),
                          vars);
  }
}

void DefineRunVariables(const RunScriptContext& context, TVariableManager& vars) {
  RunIdentity& run = CurrentRun();
  run = RunIdentity{};  // a new run: nothing of an earlier one, its saved selection not loaded yet
  run.installerDatabasePath = context.installerDatabasePath;
  run.sourcePathOverride = context.commandLine ? context.commandLine->sourcePath : std::string();
  run.productCode = context.script.productCode;
  run.revisionCode = context.script.revisionCode;
  run.title = context.script.projectTitle;
  run.exePath = context.exePath;
  run.exeFolder = context.exeFolder;
  std::string file = FilePart(context.exePath);
  size_t dot = file.find_last_of('.');
  run.baseName = dot == std::string::npos ? file : file.substr(0, dot);
  run.buildKind = context.script.buildKind;
  run.dataFolder = context.exeFolder + "data\\";
  Properties().Clear();
  ResetInstallRecording();
  vars.ClearPersistentVariables();
  Components().ClearComponents();
  Components().SetSpaceList(context.script.componentSizes);
  SetTargetPlatform("Win32");

  vars.PutVariable("VELD_thProgress", "0");
  vars.PutVariable("VELD_thMax", "100");
  vars.PutVariable("VELD_thMin", "0");
  vars.PutVariable("VELD_thProgressText", "");
  vars.PutVariable("VELD_thFinished", "FALSE");
  vars.PutVariable("VELD_thCancelled", "FALSE");
  vars.AssignVariable("TARGETDIR", run.defaultTargetFolder, kPreInitialization);
  vars.AssignVariable("STARTMENU", run.title, kPreInitialization);
  vars.AssignVariable("ALLUSERS", BoolToText(System(context).IsAdministrator()),
                      kPreInitialization);
}

void RunBootstrap(const RunScriptContext& context, TVariableManager& vars) {
  ForgetEngineCacheRegistration();
  RunIdentity& run = CurrentRun();
  SystemFacts& system = System(context);
  FileSystem& files = context.files;

  const std::string instanceFile = run.exeFolder + "instance.dat";
  const bool cachedInstance = files.FileExists(instanceFile);
  if (cachedInstance) {
    std::string text;
    files.ReadWholeFile(instanceFile, text);
    std::vector<std::string> lines = SplitLines(text);
    lines.resize(3);
    run.productCode = lines[0];
    run.revisionCode = lines[1];
    run.title = lines[2];
  }
  vars.AssignVariable("PRODUCTCODE", run.productCode, kBootstrap);
  vars.AssignVariable("REVISIONCODE", run.revisionCode, kBootstrap);

  const bool administrator = system.IsAdministrator();
  run.defaultTargetFolder =
      administrator ? system.Folder(SpecialFolder::kProgramFiles) + run.title + "\\"
                    : ParentFolder(system.Folder(SpecialFolder::kPersonal)) + run.title + "\\";

  const std::string cacheFolder = EngineCacheFolder(administrator, system, vars);
  vars.AssignVariable("UNINSTALLLINK", cacheFolder + FilePart(run.exePath), kBootstrap);
  vars.AssignVariable("ENGINECACHE", cacheFolder, kBootstrap);

  if (run.buildKind == 2) {
    run.sourceDataFolder = run.exeFolder + "data\\";
    run.dataFolder = cacheFolder;
  }
  vars.AssignVariable("DATADIR", run.dataFolder, kBootstrap);

  vars.AssignVariable("NEEDSUPGRADE", BoolToText(NeedsUpgrade(context)), kBootstrap);
  const bool upgrade = vars.GetVariable("NEEDSUPGRADE") != "FALSE";
  vars.AssignVariable("MAINTENANCE", BoolToText(!upgrade && ProductInstalled(context)), kBootstrap);

  const std::string savedState =
      EngineCacheFolder(StoredChoice(system, files, vars), system, vars) + run.baseName;
  if (TextToBool(vars.GetVariable("MAINTENANCE"))) {
    // A bootstrap again (the cache relocated) must not append the selection a
    // second time: the table would hold every component twice.
    if (!run.selectionsLoaded) {
      run.selectionsLoaded = true;
      Components().SetInstalledSize(0);
      Components().AddInstalledSize(LoadFeatureSelections(files, savedState + ".dat",
                                                          FeatureSelectionMode::kAppend,
                                                          Components(), vars)
                                        .selectedSize);
      LoadPropertyFile(files, savedState + ".par");
    }
  } else {
    run.selectionsLoaded = false;
    Components().SetInstalledSize(0);
    ResetComponentsForRun(Components());
    Properties().Clear();
    vars.AssignVariable("TARGETDIR", run.defaultTargetFolder, kBootstrap);
    vars.AssignVariable("STARTMENU", run.title, kBootstrap);
    vars.AssignVariable("ALLUSERS", BoolToText(administrator), kBootstrap);
    LoadFeatureSelections(files, savedState + ".dat", FeatureSelectionMode::kAppend, Components(),
                          vars);
  }
  run.installedSize = static_cast<uint64_t>(Components().InstalledSize());

  // An upgrade may take over the selections of the installed build.
  if (upgrade && ExpandBuildVariables(context.script, "#LOADOLDDATA#") == "TRUE")
    LoadOldData(context, vars);

  vars.AssignVariable("NEWINSTANCE", "FALSE", kInitialization);
  if (!cachedInstance && (TextToBool(vars.GetVariable("MAINTENANCE")) ||
                          TextToBool(vars.GetVariable("NEEDSUPGRADE")))) {
    vars.AssignVariable("NEWINSTANCE", "TRUE", kInitialization);
  }
}

bool SelectLanguageAtStart(const RunScriptContext& context, TVariableManager& vars) {
  const SetupScript& script = context.script;
  TranslationState& translations = Translations();
  translations.Reset();
  translations.SetBuildExpansion(
      [&script](std::string_view text) { return ExpandBuildVariables(script, text); });
  vars.AssignVariable("LANGUAGE", "", kInitialization);
  const std::string support = WithTrailingBackslash(context.supportFolder);
  if (!context.files.FileExists(support + script.projectTitle + ".mtx")) return true;

  std::vector<std::string> paths;
  for (const FileSystem::Entry& entry : context.files.List(support)) {
    if (!entry.directory) paths.push_back(support + entry.name);
  }
  bool defaultOffered = false;
  const std::vector<std::string> languages =
      OfferedLanguages(paths, support, script.defaultLanguage, defaultOffered);
  std::string current = defaultOffered ? script.defaultLanguage : std::string();
  const bool maintenance = TextToBool(vars.GetVariable("MAINTENANCE"));
  const RunIdentity& run = CurrentRun();
  const size_t dot = run.exePath.find_last_of(".\\");
  const bool patch = dot != std::string::npos && run.exePath[dot] == '.' &&
                     context.files.FileExists(run.exePath.substr(0, dot) + ".msp");
  if (!languages.empty() && script.languageSelection && !maintenance && !patch) {
    size_t chosen = PreselectLanguage(languages, script.defaultLanguage, context.userLanguage);
    if (context.chooseLanguage && !TextToBool(vars.GetVariable("SILENT"))) {
      const std::optional<size_t> answer = context.chooseLanguage(languages, chosen);
      if (!answer) return false;
      if (*answer < languages.size()) chosen = *answer;
    }
    current = languages[chosen];
  }
  if (maintenance || patch) {
    const std::string lanFile =
        EngineCacheFolder(TextToBool(vars.GetVariable("ALLUSERS")), System(context), vars) +
        run.baseName + ".lan";
    std::string bytes;
    if (context.files.ReadWholeFile(lanFile, bytes)) current = LineReader(bytes).Next();
  }
  vars.AssignVariable("LANGUAGE", current, kInitialization);
  return true;
}

void RefreshTranslations(const RunScriptContext& context, TVariableManager& vars) {
  const std::string support = WithTrailingBackslash(context.supportFolder);
  const FileSystem& files = context.files;
  auto lines = [&files](const std::string& path) {
    std::string bytes;
    return files.ReadWholeFile(path, bytes) ? SplitLines(bytes) : std::vector<std::string>();
  };
  const bool loaded =
      Translations().Refresh(vars.GetVariable("LANGUAGE"), [&](const std::string& language) {
        TranslationFiles loadedFiles;
        loadedFiles.map = lines(support + "translations.Map");
        loadedFiles.translated = lines(support + "translations." + language);
        loadedFiles.original = lines(support + "translations.Original");
        loadedFiles.matrix = lines(support + context.script.projectTitle + ".mtx");
        return loadedFiles;
      });
  if (!loaded) return;
  std::string shared;
  if (files.ReadWholeFile(support + "shared.translations." + Translations().Current(), shared))
    LoadEngineTexts(shared, context.userLanguage);
}

bool DefineInitialisationVariables(const RunScriptContext& context, TVariableManager& vars,
                                   InterpreterHost& host) {
  static const CommandLine kNone;
  const CommandLine& cl = context.commandLine ? *context.commandLine : kNone;
  const SetupScript& script = context.script;
  const RunIdentity& run = CurrentRun();
  SystemFacts& system = System(context);
  Components().DefineComponent(kPredefinedComponent, "", true);
  const std::string windowsKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\";
  const std::pair<const char*, std::string> values[] = {
      {"VELD_COMPRESS_INSTALLER_CACHE", "TRUE"},
      {"VELD_DISABLE_ROLLBACK", "FALSE"},
      {"VELD_DISABLE_VISTA_RESTART_MANAGER", "FALSE"},
      {"IISHOST", "localhost"},
      {"OVERRIDECACHE", ""},
      {"VELDLOGO", ""},
      {"SELECTED", "0"},
      {"WINDOWHANDLE", "0"},
      {"EXEFILE", context.exePath},
      {"EXEDIR", context.exeFolder},
      {"PROGRESSTEXT", ""},
      {"PROGRESSMODE", ""},
      {"ABORT", "FALSE"},
      {"PROGRESS", "0"},
      {"LASTERROR", ""},
      {"LICENSE", "FALSE"},
      {"USERNAME",
       system.ReadRegistryString(RegistryRoot::kLocalMachine, windowsKey, "RegisteredOwner")
           .value_or("")},
      {"USERCOMPANY",
       system.ReadRegistryString(RegistryRoot::kLocalMachine, windowsKey, "RegisteredOrganization")
           .value_or("")},
      {"COPYWEBLOCK", ""},
      {"REBOOTCOMPUTER", "FALSE"},
      {"RUNAPP", "TRUE"},
      {"WIZARD", "NEXT"},
      {"VERSION", script.registration.version},
      {"SILENT", BoolToText(cl.silent)},
      {"LOGGED", cl.logPath},
      {"CMDLINE", cl.tail},
      {"REBOOTNOW", "OK"},
      {"SFXPATH", FolderPart(cl.sfxPath)},
      {"SFXFILE", FilePart(cl.sfxPath)},
      {"GPOPATH", FolderPart(cl.gpoPath)},
      {"COMPLETE", "TRUE"},
      {"NEWLINE", "\r\n"},
      {"MINIMUM", "FALSE"},
      {"PERSONALIZED", "FALSE"},
      {"MODIFY", "TRUE"},
      {"REPAIR", "FALSE"},
      {"REMOVE", "FALSE"},
      {"ROOTDIR", context.exeFolder},
      {"TITLE", run.title},
      {"COMPANY", script.registration.publisher},
      {"ADVERTISE", "FALSE"},
      {"DATE", host.ShortDate()},
      {"TIME", host.LongTime()},
      {"TEMPDIR", context.tempFolder},
      {"SUPPORTDIR", context.supportFolder},
      {"MSIFILE", context.installerDatabasePath},
  };
  for (const auto& [name, value] : values) {
    if (std::string_view(name) == "OVERRIDECACHE" && vars.VariableExists(name)) continue;
    vars.AssignVariable(name, value, kInitialization);
  }

  // Patch run: the installed product's saved state.
  const std::string& msi = context.installerDatabasePath;
  size_t dot = msi.find_last_of(".\\");
  if (!msi.empty() && dot != std::string::npos && msi[dot] == '.' &&
      context.files.FileExists(msi.substr(0, dot) + ".msp")) {
    std::optional<std::string> uninstall;
    for (RegistryRoot root : {RegistryRoot::kCurrentUser, RegistryRoot::kLocalMachine}) {
      uninstall = system.ReadRegistryString(root, kUninstallKey + vars.GetVariable("TITLE"),
                                            "UninstallString");
      if (uninstall) break;
    }
    if (uninstall) {
      std::string folder = FolderPart(UninstallTarget(*uninstall));
      while (!folder.empty() && folder.back() == '\\') folder.pop_back();
      size_t cut = folder.find_last_of('\\');
      CurrentRun().installedCacheName = cut == std::string::npos ? folder : folder.substr(cut + 1);
      const std::string saved =
          EngineCacheRoot(StoredChoice(system, context.files, vars), system, vars) +
          CurrentRun().installedCacheName + "\\" + run.baseName;
      Components().AddInstalledSize(LoadFeatureSelections(context.files, saved + ".dat",
                                                          FeatureSelectionMode::kAppend,
                                                          Components(), vars)
                                        .selectedSize);
      CurrentRun().installedSize = static_cast<uint64_t>(Components().InstalledSize());
      LoadPropertyFile(context.files, saved + ".par");
    }
  }

  // A resume entry has done its work once the setup runs again.
  const std::string resumeName =
      run.productCode.size() >= 9 ? run.productCode.substr(1, 8) : std::string();
  if (!resumeName.empty()) {
    system.DeleteRegistryValue(RegistryRoot::kCurrentUser, kRunKey, resumeName);
    system.DeleteRegistryValue(RegistryRoot::kLocalMachine, kRunKey, resumeName);
  }

  for (size_t i = 0; i < script.StatementCount(); ++i) {
    std::string header = StatementHeader(script, i, /*scanning=*/true);
    if (header.empty()) continue;
    // An installer property only: a script variable of the same name would
    // reach the installer again beside the statement's own "TRUE".
    RecordProperty("A" + header, "FALSE");
  }

  if (!SelectLanguageAtStart(context, vars)) return false;

  std::vector<std::string> overrides;
  for (const auto& [name, value] : cl.assignments) {
    overrides.push_back(name);
    overrides.push_back(value);
  }
  vars.SetOverrideList(overrides);
  for (const auto& [name, value] : cl.assignments) {
    vars.AssignVariable(name, value, "Inject Override Command Line");
  }
  return true;
}

void RefreshEngineCacheVariables(const RunScriptContext& context, TVariableManager& vars) {
  SystemFacts& system = System(context);
  const RunIdentity& run = CurrentRun();
  const bool allUsers = TextToBool(vars.GetVariable("ALLUSERS"));
  if (run.buildKind != 3) {
    const std::string folder = EngineCacheFolder(allUsers, system, vars);
    vars.AssignVariable("UNINSTALLLINK", folder + FilePart(run.exePath), kInitialization);
    vars.AssignVariable("ENGINECACHE", folder, kInitialization);
    return;
  }
  auto uninstall =
      system.ReadRegistryString(allUsers ? RegistryRoot::kLocalMachine : RegistryRoot::kCurrentUser,
                                kUninstallKey + vars.GetVariable("TITLE"), "UninstallString");
  const std::string target = UninstallTarget(uninstall.value_or(""));
  vars.AssignVariable("UNINSTALLLINK", target, kInitialization);
  vars.AssignVariable("ENGINECACHE", WithTrailingBackslash(FolderPart(target)), kInitialization);
}

void RelocateEngineCache(const RunScriptContext& context, TVariableManager& vars,
                         std::string& last) {
  const std::string wanted = vars.GetVariable("OVERRIDECACHE");
  if (wanted.empty() || wanted == last) return;
  const std::string root = WithTrailingBackslash(wanted);
  FileSystem& files = context.files;

  // Create the missing folders from the top down, remembering each.
  std::vector<std::string> missing;
  for (std::string folder = root; !folder.empty() && !files.DirectoryExists(folder);
       folder = ParentFolder(folder)) {
    missing.push_back(folder);
    if (missing.size() > 256) break;  // a path this deep cannot be made anyway
  }
  std::vector<std::string> created;
  bool ok = true;
  for (auto it = missing.rbegin(); it != missing.rend() && ok; ++it) {
    ok = files.MakeNewDirectory(*it) || files.DirectoryExists(*it);
    if (ok) created.push_back(*it);
  }
  ok = ok && files.DirectoryExists(root);
  if (ok) {
    vars.AssignVariable("OVERRIDECACHE", root, "Inject Override Command Line");
    RunBootstrap(context, vars);
    last = root;
  } else {
    vars.AssignVariable("OVERRIDECACHE", "", "Failed Cache Override");
    last.clear();
  }
  // The folders were made only to prove the path; empty ones go again.
  for (auto it = created.rbegin(); it != created.rend(); ++it) files.RemoveEmptyDirectory(*it);
}

void SaveEngineCache(const RunScriptContext& context, TVariableManager& vars) {
  if (CurrentRun().engineCacheRemoved) return;
  SystemFacts& system = System(context);
  const bool choice = StoredChoice(system, context.files, vars);
  const std::string folder = EngineCacheFolder(choice, system, vars);
  if (!vars.PersistentVariables().empty() && context.files.MakeDirectories(folder)) {
    // Full only after a run that installed or changed the product; any other
    // run refreshes the variables of a file that exists and writes no new one,
    // so a first run that ends early leaves nothing for the next one.
    SaveFeatureSelections(context.files, folder + CurrentRun().baseName + ".dat",
                          /*forUser=*/!choice,
                          /*full=*/EngineCacheWrittenThisRun(), "", Components(), vars);
  }
  if (context.files.DirectoryExists(folder)) {
    system.HideAndCompressFolder(folder,
                                 TextToBool(vars.GetVariable("VELD_COMPRESS_INSTALLER_CACHE")));
  }
}

}  // namespace vantrell
