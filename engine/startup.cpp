// The start-up sequence (contract in startup.h).
#include "engine/startup.h"

#include "dialogs/dialog_statements.h"

#include "common/engine_error.h"
#include "common/file_routines.h"
#include "common/image_layout.h"
#include "common/paths.h"
#include "dialogs/dialog_statements.h"
#include "lang/caption.h"
#include "lang/engine_texts.h"
#include "script/script_reader.h"

namespace vantrell {
namespace {

constexpr size_t kPeHeaderBytes = 4096;
constexpr unsigned kMaxSupportFolders = 100000;

// A start-up end with its own exit code (13 to 16): no cleanup follows.
struct EarlyExit {
  int code;
};

// Engine texts carried behind the archive library's image replace the defaults.
void LoadCarriedEngineTexts(FileSystem& files, const StartupState& state,
                            const std::string& userLanguage) {
  const std::string library = state.exeFolder + "zeb.lib";
  std::string bytes;
  if (!files.ReadWholeFile(library, bytes)) return;
  auto end = ImageEndFromHeaders(std::string_view(bytes).substr(0, kPeHeaderBytes));
  if (!end || *end >= bytes.size()) return;
  const std::string langFile = state.tempFolder + "lang.loc";
  if (!files.WriteWholeFile(langFile, std::string_view(bytes).substr(*end))) return;
  std::string texts;
  if (files.ReadWholeFile(langFile, texts)) LoadEngineTexts(texts, userLanguage);
  files.RemoveFile(langFile);
}

class Startup {
 public:
  Startup(const StartupEnvironment& environment, StartupServices& services)
      : env_(environment), svc_(services), files_(services.files) {}

  int Run() {
    state_ = StartupState{};
    SetCaptionTitle("");  // no title is known until the script runs
    SetCaptionLogo(false);
    state_.exeFolder = std::string(FolderPartOf(env_.exePath));
    state_.baseName = BaseNameOf(env_.exePath);
    state_.tempFolder = WithTrailingBackslash(env_.tempFolder);
    if (!files_.DirectoryExists(state_.tempFolder)) files_.MakeDirectories(state_.tempFolder);
    LoadCarriedEngineTexts(files_, state_, env_.userLanguage);
    state_.supportArchivePath = state_.exeFolder + state_.baseName + ".res";
    state_.commandLine = ParseCommandLine(env_.commandLine);
    showWindows_ = !state_.commandLine.silent && !state_.commandLine.update;
    svc_.trace.SetPath(state_.commandLine.logPath);

    TraceLine("<Vantrell>");
    TraceLine("  <SetupSplash>");
    if (showWindows_) {
      svc_.ui.ShowPreparing(state_.exeFolder);
      windowsShown_ = true;
    }
    try {
      Prepare();
      if (windowsShown_) {
        svc_.ui.HidePreparing();
        windowsShown_ = false;
      }
      TraceLine("  </SetupSplash>");
      TraceLine("  <RunScript>");
      RunScriptContext context{script_, state_.installerDatabasePath, state_.exeFolder, files_};
      context.commandLine = &state_.commandLine;
      context.exePath = env_.exePath;
      context.tempFolder = state_.tempFolder;
      context.supportFolder = state_.supportFolder;
      context.userLanguage = env_.userLanguage;
      exitCode_ = svc_.runScript ? svc_.runScript(context) : 0;
      TraceLine("  </RunScript>");
      TraceLine("  <Free>");
      script_ = SetupScript{};
      TraceLine("  </Free>");
    } catch (const EarlyExit& early) {
      return early.code;
    } catch (const std::exception& e) {
      if (!state_.commandLine.silent) {
        svc_.ui.ShowError(WizardCaption(), EngineText(kTextRuntimeErrorInInstall) + e.what(),
                          false);
      }
      exitCode_ = kExitStartupError;
    }
    TraceLine("  <CachedSupportDir>");
    RemoveSupportFolder();
    TraceLine("  </CachedSupportDir>");
    TraceLine("</Vantrell>");
    return exitCode_;
  }

 private:
  [[noreturn]] void Fail(int code, const std::string& message) {
    if (!state_.commandLine.silent) svc_.ui.ShowError(WizardCaption(), message, windowsShown_);
    throw EarlyExit{code};
  }

  void Prepare() {
    TraceLine("    <StubSize>");
    auto size = files_.FileSize(env_.exePath);
    if (!env_.imageEnd || !size) throw EngineError("Cannot read the setup program " + env_.exePath);
    if (*size <= *env_.imageEnd) Fail(kExitNoScript, "For internal use only");
    TraceLine("    </StubSize>");

    TraceLine("    <StubData>");
    const std::string scriptCopy = state_.tempFolder + "zeb.tmp";
    if (!files_.CopyFileTail(env_.exePath, *env_.imageEnd, scriptCopy)) {
      throw EngineError("Cannot copy the setup script to " + scriptCopy);
    }
    TraceLine("    </StubData>");

    TraceLine("    <GlobalLists>");
    std::string bytes;
    bool read = files_.ReadWholeFile(scriptCopy, bytes);
    files_.RemoveFile(scriptCopy);
    if (!read) throw EngineError("Cannot read the setup script " + scriptCopy);
    script_ = ReadScript(bytes);
    bytes = std::string();
    TraceLine("    </GlobalLists>");

    TraceLine("    <SupportDir>");
    state_.supportFolder = ClaimSupportFolder(files_, state_.tempFolder);
    if (state_.supportFolder.empty()) {
      throw EngineError("Cannot create a support folder in " + state_.tempFolder);
    }
    TraceLine("    </SupportDir>");

    TraceLine("    <ExtractArchive>");
    if (!files_.FileExists(state_.supportArchivePath)) {
      Fail(kExitNoSupportArchive, EngineText(kTextResourceNotFound));
    }
    ExtractionRequest request;
    request.archivePath = state_.supportArchivePath;
    request.destination = state_.supportFolder;
    std::string error;
    if (!ExtractArchiveFiles(svc_.archives, request, error)) {
      Fail(kExitExtractionFailed, EngineText(kTextResourceDecompression));
    }
    TraceLine("    </ExtractArchive>");

    TraceLine("    <ExtractResource>");
    const std::string msi = state_.exeFolder + state_.baseName + ".msi";
    const std::string msp = state_.exeFolder + state_.baseName + ".msp";
    if (!files_.FileExists(msi) && !files_.FileExists(msp)) {
      Fail(kExitNoDatabase, EngineText(kTextDatabaseNotFound));
    }
    TraceLine("    </ExtractResource>");

    TraceLine("    <ResourcePath>");
    for (const std::string& source : {msi, msp}) {
      if (!files_.FileExists(source)) continue;
      const std::string target = state_.supportFolder + source.substr(state_.exeFolder.size());
      if (files_.CopyFileReplacing(source, target)) files_.SetNormalAttributes(target);
    }
    state_.installerDatabasePath = state_.supportFolder + state_.baseName + ".msi";
    state_.dataFolder = state_.exeFolder + "data\\";
    TraceLine("    </ResourcePath>");

    TraceLine("    <Dialogs>");
    int dialogs = 0;
    for (size_t i = 0; i < script_.StatementCount(); ++i) {
      bool off = i < script_.markers.size() && script_.markers[i] == "C";
      if (!off && script_.commands[i] == "Display Dialog") ++dialogs;
    }
    if (windowsShown_) svc_.ui.SetPreparingProgress(0, dialogs, 1);
    if (svc_.loadDialog) {
      int loaded = 1;
      LoadDialogs(script_, state_.supportFolder,
                  [&](const std::string& key, const std::string& formPath) {
                    svc_.loadDialog(key, formPath);
                    if (windowsShown_) svc_.ui.SetPreparingProgress(0, dialogs, ++loaded);
                  });
    }
    TraceLine("    </Dialogs>");
  }

  void RemoveSupportFolder() {
    const std::string& folder = state_.supportFolder;
    if (folder.empty() || !files_.DirectoryExists(folder)) return;
    for (int pass = 0; pass < 3; ++pass) EmptyFolder(files_, folder, /*recurse=*/true);
    files_.RemoveEmptyDirectory(folder);
  }

  const StartupEnvironment& env_;
  StartupServices& svc_;
  FileSystem& files_;
  StartupState state_;
  SetupScript script_;
  bool showWindows_ = false;
  bool windowsShown_ = false;
  int exitCode_ = 0;
};

}  // namespace

std::string ClaimSupportFolder(FileSystem& files, const std::string& tempFolder) {
  for (unsigned n = 1; n <= kMaxSupportFolders; ++n) {
    std::string candidate = tempFolder + "zeb" + std::to_string(n) + "\\";
    if (files.MakeNewDirectory(candidate)) return candidate;
    // Taken (by an earlier run or another process): try the next; anything else is fatal.
    if (!files.DirectoryExists(candidate) &&
        !files.FileExists(candidate.substr(0, candidate.size() - 1))) {
      return {};
    }
  }
  return {};
}

int RunStartup(const StartupEnvironment& environment, StartupServices& services) {
  return Startup(environment, services).Run();
}

}  // namespace vantrell
