// The start-up sequence against the in-memory twins: the trace of a normal
// run, each early exit with its message, the support folder's life, the error
// path of exit code 11, and the engine texts carried by the archive library.
#include <gtest/gtest.h>

#include "common/engine_error.h"
#include "engine/startup.h"
#include "lang/caption.h"
#include "lang/engine_texts.h"
#include "twins/fake_archive_library.h"
#include "twins/recording_host.h"

namespace vantrell {
namespace {

using testing::FakeArchiveLibrary;
using testing::Latin1Codec;
using testing::MemoryFileSystem;
using testing::Utf16Bytes;

constexpr uint64_t kImageEnd = 64;

class RecordingUi final : public StartupUi {
 public:
  struct Box {
    std::string title, text;
    bool owned;
  };
  std::vector<Box> boxes;
  bool preparingShown = false;
  int progressMax = -1;

  void ShowPreparing(const std::string&) override { preparingShown = true; }
  void SetPreparingProgress(int, int maximum, int) override { progressMax = maximum; }
  void StepPreparing() override {}
  void HidePreparing() override { preparingShown = false; }
  void ShowError(const std::string& title, const std::string& text, bool owned) override {
    boxes.push_back({title, text, owned});
  }
};

const char* kScript =
    "Display Dialog\r\nDisplay Dialog\r\nComment\r\nDisplay Dialog\r\n$\r\n"
    "{A}\r\n{B}\r\n{C}\r\n{D}\r\n$\r\n"
    "{A}\r\nfirst\r\n\r\nTRUE\r\n\r\nTRUE\r\nFALSE\r\n{B}"
    "\r\nsecond\r\n\r\nTRUE\r\n\r\nTRUE\r\nFALSE\r\n"
    "{D}\r\nthird\r\n\r\nTRUE\r\n\r\nTRUE\r\nFALSE\r\n$\r\n"
    "\r\nC\r\n\r\n\r\n$\r\n{PRODUCT}\r\nTitle\r\n$\r\n";

struct StartupRig {
  StartupRig() : library(files) {
    files.AddFolder("C:\\Temp");
    files.AddFile("C:\\Setup Files\\setup.exe", std::string(kImageEnd, 'M') + kScript);
    files.AddFile("C:\\Setup Files\\setup.msi", "msi", /*readOnly=*/true);
    library.archives[MemoryFileSystem::Key("C:\\Setup Files\\setup.res")] = {
        {{"dialog.dfm", "form"}, {"sub\\readme.txt", "readme"}}, "", 0};
    files.AddFile("C:\\Setup Files\\setup.res", "7z");
    env.exePath = "C:\\Setup Files\\setup.exe";
    env.tempFolder = "C:\\Temp";
    env.imageEnd = kImageEnd;
    env.userLanguage = "German";
  }
  ~StartupRig() { ResetEngineTexts(); }

  int Start(const std::string& arguments) {
    env.commandLine = "\"C:\\Setup Files\\setup.exe\" " + arguments;
    TraceLog trace(files, codec);
    InstallTraceLog(&trace);
    StartupServices services{files, library, ui, trace};
    if (runScript) services.runScript = runScript;
    int code = RunStartup(env, services);
    InstallTraceLog(nullptr);
    return code;
  }

  std::string Trace(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) text += std::string(line) + "\r\n";
    return Utf16Bytes(text);
  }

  MemoryFileSystem files;
  Latin1Codec codec;
  FakeArchiveLibrary library;
  RecordingUi ui;
  testing::RecordingHost host;
  StartupEnvironment env;
  std::function<int(const RunScriptContext&)> runScript;
};

class StartupTest : public ::testing::Test, public StartupRig {};

TEST_F(StartupTest, NormalRunTracesEveryStepAndCleansUp) {
  bool sawSupportFiles = false;
  runScript = [&](const RunScriptContext& context) {
    sawSupportFiles = files.FileExists("C:\\Temp\\zeb1\\sub\\readme.txt") &&
                      files.FileExists("C:\\Temp\\zeb1\\setup.msi") &&
                      !files.Find("C:\\Temp\\zeb1\\setup.msi")->readOnly &&
                      context.installerDatabasePath == "C:\\Temp\\zeb1\\setup.msi" &&
                      context.script.StatementCount() == 4;
    return RunScript(context, host, Variables());
  };
  EXPECT_EQ(Start("/l=C:\\Temp\\Trace.LOG"), 0);
  EXPECT_TRUE(sawSupportFiles);
  EXPECT_TRUE(host.errors.empty()) << host.errors[0];
  EXPECT_EQ(files.Find("C:\\Temp\\trace.log")->bytes, Trace({"<Vantrell>",
                                                             "  <SetupSplash>",
                                                             "    <StubSize>",
                                                             "    </StubSize>",
                                                             "    <StubData>",
                                                             "    </StubData>",
                                                             "    <GlobalLists>",
                                                             "    </GlobalLists>",
                                                             "    <SupportDir>",
                                                             "    </SupportDir>",
                                                             "    <ExtractArchive>",
                                                             "    </ExtractArchive>",
                                                             "    <ExtractResource>",
                                                             "    </ExtractResource>",
                                                             "    <ResourcePath>",
                                                             "    </ResourcePath>",
                                                             "    <Dialogs>",
                                                             "    </Dialogs>",
                                                             "  </SetupSplash>",
                                                             "  <RunScript>",
                                                             "    <Variables>",
                                                             "    </Variables>",
                                                             "    <CompileScript>",
                                                             "    </CompileScript>",
                                                             "    <BootStrap>",
                                                             "    </BootStrap>",
                                                             "    <veld>",
                                                             "    </veld>",
                                                             "    <ExitScript>",
                                                             "    </ExitScript>",
                                                             "  </RunScript>",
                                                             "  <Free>",
                                                             "  </Free>",
                                                             "  <CachedSupportDir>",
                                                             "  </CachedSupportDir>",
                                                             "</Vantrell>"}));
  EXPECT_FALSE(files.DirectoryExists("C:\\Temp\\zeb1"));
  EXPECT_FALSE(files.FileExists("C:\\Temp\\zeb.tmp"));
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(ui.progressMax, 2);  // the switched-off dialog does not count
  EXPECT_FALSE(ui.preparingShown);
}

TEST_F(StartupTest, EarlyExits) {
  struct Case {
    const char* name;
    std::function<void(StartupRig&)> arrange;
    int code;
    const char* message;
    const char* lastTraceLine;
  } cases[] = {
      {"no script",
       [](StartupRig& t) { t.files.AddFile(t.env.exePath, std::string(kImageEnd, 'M')); }, 13,
       "For internal use only", "    <StubSize>"},
      {"no support archive",
       [](StartupRig& t) { t.files.RemoveFile("C:\\Setup Files\\setup.res"); }, 14,
       "Setup resource not found", "    <ExtractArchive>"},
      {"damaged support archive",
       [](StartupRig& t) {
         t.library.archives[MemoryFileSystem::Key("C:\\Setup Files\\setup.res")].extractError =
             1004;
       },
       15, "Setup resource decompression failure", "    <ExtractArchive>"},
      {"no package",
       [](StartupRig& t) {
         t.files.SetNormalAttributes("C:\\Setup Files\\setup.msi");
         t.files.RemoveFile("C:\\Setup Files\\setup.msi");
       },
       16, "Setup database not found", "    <ExtractResource>"},
  };
  for (const Case& c : cases) {
    for (bool silent : {false, true}) {
      StartupRig t;
      c.arrange(t);
      EXPECT_EQ(t.Start(silent ? "/S /l=C:\\Temp\\t.log" : "/l=C:\\Temp\\t.log"), c.code) << c.name;
      if (silent) {
        EXPECT_TRUE(t.ui.boxes.empty()) << c.name;
      } else {
        ASSERT_EQ(t.ui.boxes.size(), 1u) << c.name;
        EXPECT_EQ(t.ui.boxes[0].text, c.message);
        EXPECT_EQ(t.ui.boxes[0].title, "Vantrell Wizard");
        EXPECT_TRUE(t.ui.boxes[0].owned) << "owned by the preparing window";
      }
      std::string trace = t.files.Find("C:\\Temp\\t.log")->bytes;
      std::string tail = Utf16Bytes(std::string(c.lastTraceLine) + "\r\n");
      EXPECT_EQ(trace.substr(trace.size() - tail.size()), tail) << c.name;
      // The support folder, once made, stays behind for the early exits.
      EXPECT_EQ(t.files.DirectoryExists("C:\\Temp\\zeb1"), c.code != 13) << c.name;
    }
  }
}

TEST_F(StartupTest, PatchOnlySetupPassesThePackageCheck) {
  files.SetNormalAttributes("C:\\Setup Files\\setup.msi");
  files.RemoveFile("C:\\Setup Files\\setup.msi");
  files.AddFile("C:\\Setup Files\\setup.msp", "patch");
  bool sawPatch = false;
  runScript = [&](const RunScriptContext&) {
    sawPatch = files.FileExists("C:\\Temp\\zeb1\\setup.msp") &&
               !files.FileExists("C:\\Temp\\zeb1\\setup.msi");
    return 7;
  };
  EXPECT_EQ(Start("/qn"), 7);
  EXPECT_TRUE(sawPatch);
}

TEST_F(StartupTest, SupportFolderTakesTheFirstFreeNumberAndRemovesOnlyIt) {
  files.AddFile("C:\\Temp\\zeb1\\left.txt", "x");
  files.AddFolder("C:\\Temp\\zeb2");
  std::string used;
  runScript = [&](const RunScriptContext& context) {
    used = context.installerDatabasePath;
    files.AddFile("C:\\Temp\\zeb3\\deep\\er\\ro.txt", "r", /*readOnly=*/true);
    return 0;
  };
  EXPECT_EQ(Start("/s"), 0);
  EXPECT_EQ(used, "C:\\Temp\\zeb3\\setup.msi");
  EXPECT_FALSE(files.DirectoryExists("C:\\Temp\\zeb3"));
  EXPECT_TRUE(files.FileExists("C:\\Temp\\zeb1\\left.txt"));
  EXPECT_TRUE(files.DirectoryExists("C:\\Temp\\zeb2"));
}

TEST_F(StartupTest, ClaimingSkipsANamePlantedAsAFile) {
  files.AddFile("C:\\Temp\\zeb1", "planted");
  EXPECT_EQ(ClaimSupportFolder(files, "C:\\Temp\\"), "C:\\Temp\\zeb2\\");
  EXPECT_EQ(ClaimSupportFolder(files, "C:\\Nowhere\\"), "");
}

TEST_F(StartupTest, ErrorsWhileRunningEndWithCode11AndCleanup) {
  runScript = [](const RunScriptContext&) -> int { throw EngineError("boom"); };
  EXPECT_EQ(Start("/l=C:\\Temp\\t.log"), 11);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "Runtime error in install: boom");
  EXPECT_FALSE(ui.boxes[0].owned);
  EXPECT_FALSE(files.DirectoryExists("C:\\Temp\\zeb1"));
  std::string trace = files.Find("C:\\Temp\\t.log")->bytes;
  std::string tail = Utf16Bytes(
      "  <RunScript>\r\n  <CachedSupportDir>\r\n  </CachedSupportDir>\r\n</Vantrell>\r\n");
  EXPECT_EQ(trace.substr(trace.size() - tail.size()), tail);

  ui.boxes.clear();
  EXPECT_EQ(Start("-qn"), 11);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(StartupTest, WindowsStayHiddenInSilentAndUpdateRuns) {
  for (const char* args : {"/s", "-QN", "/update", "-updatesetup"}) {
    bool shown = true;
    runScript = [&](const RunScriptContext&) { return 0; };
    RecordingUi fresh;
    ui = fresh;
    Start(args);
    shown = ui.progressMax != -1;
    EXPECT_FALSE(shown) << args;
  }
}

TEST_F(StartupTest, EngineTextsCarriedByTheArchiveLibrary) {
  // A library image of kImageEnd bytes whose headers end there, then the texts.
  std::string image(1024, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  image[0x3C] = 0x40;
  image.replace(0x40, 4, std::string("PE\0\0", 4));
  image[0x40 + 6] = 1;   // one section
  image[0x40 + 20] = 0;  // no optional header
  size_t section = 0x40 + 24;
  image[section + 16] = 0x00;  // raw size 0x200
  image[section + 17] = 0x02;
  image[section + 20] = 0x00;  // raw offset 0x200
  image[section + 21] = 0x02;
  std::string texts;
  for (int slot = 1; slot <= kEngineTextSlots; ++slot)
    texts += "en" + std::to_string(slot) + "\r\n";
  texts += "German\r\n";
  for (int slot = 1; slot <= kEngineTextSlots; ++slot)
    texts += "de" + std::to_string(slot) + "\r\n";
  files.AddFile("C:\\Setup Files\\zeb.lib", image + texts);
  files.RemoveFile("C:\\Setup Files\\setup.res");
  EXPECT_EQ(Start(""), 14);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "de2");
  EXPECT_EQ(ui.boxes[0].title, "de23");
  EXPECT_FALSE(files.FileExists("C:\\Temp\\lang.loc"));
}

}  // namespace
}  // namespace vantrell
