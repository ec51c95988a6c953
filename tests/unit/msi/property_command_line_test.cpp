// The installer folders with their short forms and quote flags, and the
// property command line for every operation, byte for byte.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "common/paths.h"
#include "msi/property_command_line.h"

namespace vantrell {
namespace {

// Folders that exist, their short forms (missing entry: no short form), and
// the folders created.
struct FakePaths {
  std::set<std::string> existing;
  std::map<std::string, std::string> shortForms;
  std::vector<std::string> created;

  InstallerPathService Service() {
    InstallerPathService service;
    service.shortPath = [this](std::string_view path) -> std::optional<std::string> {
      auto it = shortForms.find(std::string(path));
      if (it == shortForms.end()) return std::nullopt;
      return it->second;
    };
    service.folderExists = [this](std::string_view folder) {
      return existing.count(std::string(folder)) > 0;
    };
    service.createFolder = [this](std::string_view folder) {
      created.emplace_back(folder);
      existing.emplace(folder);
    };
    return service;
  }
};

InstallerPaths PlainPaths() {
  InstallerPaths paths;
  paths.packageFolder = "C:\\Temp\\zeb1\\";
  paths.dataFolder = "C:\\Setup\\data\\";
  paths.setupSourceFolder = "C:\\Setup\\";
  paths.mediaPath = "\\Setup\\";
  return paths;
}

CommandLineRequest InstallRequest() {
  CommandLineRequest request;
  request.operation = InstallerOperation::kPackage;
  request.install = true;
  request.targetFolder = "C:\\Program Files\\Product";
  request.paths = PlainPaths();
  request.variables.allUsers = "TRUE";
  return request;
}

constexpr const char* kProductBlock =
    "ARPSYSTEMCOMPONENT=1 ARPNOREMOVE=1 ARPNOMODIFY=1 ARPNOREPAIR=1 "
    "ARPINSTALLLOCATION=\"C:\\Program Files\\Product\" ";
constexpr const char* kSourceBlock =
    "SRCDIR=C:\\Setup\\data\\ SOURCELIST=C:\\Setup\\data\\;C:\\Temp\\zeb1\\ "
    "MEDIAPACKAGEPATH=\\Setup\\ REBOOT=R ";

TEST(PropertyCommandLine, ExampleInstallNotInstalled) {
  PropertyCommandLine line = ComposePropertyCommandLine(InstallRequest());
  EXPECT_EQ(line.call, InstallerCall::kInstallProduct);
  EXPECT_EQ(
      line.text,
      "ADDLOCAL=ALL ALLUSERS=1 ARPSYSTEMCOMPONENT=1 ARPNOREMOVE=1 ARPNOMODIFY=1 ARPNOREPAIR=1 "
      "ARPINSTALLLOCATION=\"C:\\Program Files\\Product\" SRCDIR=C:\\Setup\\data\\ "
      "SOURCELIST=C:\\Setup\\data\\;C:\\Temp\\zeb1\\ MEDIAPACKAGEPATH=\\Setup\\ REBOOT=R ");
}

TEST(PropertyCommandLine, EveryOperationRow) {
  struct Row {
    const char* name;
    InstallerOperation operation;
    bool install, advertise, installed, adFolder, win9x;
    InstallerCall call;
    std::string text;
  };
  const std::string product = kProductBlock;
  const std::string source = kSourceBlock;
  const Row rows[] = {
      {"patch", InstallerOperation::kPatch, true, false, true, false, false,
       InstallerCall::kApplyPatch,
       "ADDLOCAL=ALL ALLUSERS=1 SRCDIR=C:\\Setup\\ SRCDIREX=C:\\Setup\\ "},
      {"patch on 9x", InstallerOperation::kPatch, false, false, true, false, true,
       InstallerCall::kApplyPatch,
       "ADDLOCAL=ALL ALLUSERS=1 SRCDIR=C:\\Setup\\ SRCDIREX=C:\\Setup\\ "},
      {"advertise, not installed", InstallerOperation::kPackage, true, true, false, false, false,
       InstallerCall::kInstallProduct, "ADVERTISE=ALL ALLUSERS=1 " + product + source},
      {"install, not installed", InstallerOperation::kPackage, true, false, false, true, false,
       InstallerCall::kInstallProduct, "ADDLOCAL=ALL ALLUSERS=1 " + product + source},
      {"installed, __ad folder", InstallerOperation::kPackage, true, false, true, true, false,
       InstallerCall::kInstallProduct,
       "ADDLOCAL=ALL ADVERTISE=\"\" ALLUSERS=1 " + product + source},
      {"installed, no __ad folder", InstallerOperation::kPackage, true, false, true, false, false,
       InstallerCall::kInstallProduct,
       "REINSTALL=ALL REINSTALLMODE=vomus ALLUSERS=1 " + product + source},
      {"advertise, installed, __ad folder", InstallerOperation::kPackage, true, true, true, true,
       false, InstallerCall::kInstallProduct,
       "REINSTALL=ALL REINSTALLMODE=vomus ALLUSERS=1 " + product + source},
      {"remove, NT", InstallerOperation::kPackage, false, false, true, false, false,
       InstallerCall::kInstallProduct, "REMOVE=ALL ALLUSERS=1 " + source},
      {"remove, 9x", InstallerOperation::kPackage, false, false, true, false, true,
       InstallerCall::kRemoveThroughPackage, ""},
  };
  for (const Row& row : rows) {
    CommandLineRequest request = InstallRequest();
    request.operation = row.operation;
    request.install = row.install;
    request.advertise = row.advertise;
    request.productInstalled = row.installed;
    request.cacheHasAdvertisedFolder = row.adFolder;
    request.windows9x = row.win9x;
    PropertyCommandLine line = ComposePropertyCommandLine(request);
    EXPECT_EQ(line.call, row.call) << row.name;
    EXPECT_EQ(line.text, row.text) << row.name;
  }
}

TEST(PropertyCommandLine, SwitchItemsAreExactComparisons) {
  struct Row {
    const char* allUsers;
    const char* rollback;
    const char* restartManager;
    const char* prefix;
  } rows[] = {
      {"TRUE", "", "", "ADDLOCAL=ALL ALLUSERS=1 "},
      {"true", "", "", "ADDLOCAL=ALL ALLUSERS=\"\" "},
      {"-1", "", "", "ADDLOCAL=ALL ALLUSERS=\"\" "},
      {"", "TRUE", "", "ADDLOCAL=ALL ALLUSERS=\"\" DISABLEROLLBACK=1 "},
      {"", "True", "TRUE", "ADDLOCAL=ALL ALLUSERS=\"\" MSIRESTARTMANAGERCONTROL=Disable "},
      {"TRUE", "TRUE", "TRUE",
       "ADDLOCAL=ALL ALLUSERS=1 DISABLEROLLBACK=1 MSIRESTARTMANAGERCONTROL=Disable "},
  };
  for (const auto& row : rows) {
    CommandLineRequest request = InstallRequest();
    request.variables = {row.allUsers, row.rollback, row.restartManager};
    EXPECT_EQ(ComposePropertyCommandLine(request).text,
              std::string(row.prefix) + kProductBlock + kSourceBlock)
        << row.allUsers << "|" << row.rollback << "|" << row.restartManager;
  }
}

TEST(PropertyCommandLine, ReadsSwitchesFromTheStore) {
  TVariableManager vars;
  vars.PutVariable("allusers", "TRUE");
  vars.PutVariable("VELD_DISABLE_ROLLBACK", "TRUE");
  CommandLineVariables values = ReadCommandLineVariables(vars);
  EXPECT_EQ(values.allUsers, "TRUE");
  EXPECT_EQ(values.disableRollback, "TRUE");
  EXPECT_EQ(values.disableRestartManager, "");
}

TEST(PropertyCommandLine, SourceQuoteFlagQuotesSourceItems) {
  CommandLineRequest request = InstallRequest();
  request.paths.dataFolder = "C:\\MYSETU~1\\data\\";
  request.paths.mediaPath = "\\MYSETU~1\\";
  request.paths.sourceQuote = true;
  EXPECT_EQ(
      ComposePropertyCommandLine(request).text,
      std::string("ADDLOCAL=ALL ALLUSERS=1 ") + kProductBlock +
          "SRCDIR=\"C:\\MYSETU~1\\data\\\" SOURCELIST=\"C:\\MYSETU~1\\data\\;C:\\Temp\\zeb1\\\" "
          "MEDIAPACKAGEPATH=\"\\MYSETU~1\\\" REBOOT=R ");

  request.operation = InstallerOperation::kPatch;
  request.paths.setupSourceFolder = "C:\\MYSETU~1\\";
  EXPECT_EQ(ComposePropertyCommandLine(request).text,
            "ADDLOCAL=ALL ALLUSERS=1 SRCDIR=\"C:\\MYSETU~1\\\" SRCDIREX=\"C:\\MYSETU~1\\\" ");
}

TEST(PropertyCommandLine, PackageQuoteFlagQuotesOnlyTheSourceList) {
  CommandLineRequest request = InstallRequest();
  request.paths.packageQuote = true;
  EXPECT_EQ(ComposePropertyCommandLine(request).text,
            std::string("ADDLOCAL=ALL ALLUSERS=1 ") + kProductBlock +
                "SRCDIR=C:\\Setup\\data\\ SOURCELIST=\"C:\\Setup\\data\\;C:\\Temp\\zeb1\\\" "
                "MEDIAPACKAGEPATH=\\Setup\\ REBOOT=R ");
}

TEST(PropertyCommandLine, BlanksAndQuotesNeverBreakTheLine) {
  // A folder that kept its blank without a flag (a patch source that does not
  // exist) is quoted anyway; inner double quotes are doubled.
  CommandLineRequest request = InstallRequest();
  request.operation = InstallerOperation::kPatch;
  request.paths.setupSourceFolder = "D:\\My Setup\\";
  EXPECT_EQ(ComposePropertyCommandLine(request).text,
            "ADDLOCAL=ALL ALLUSERS=1 SRCDIR=\"D:\\My Setup\\\" SRCDIREX=\"D:\\My Setup\\\" ");

  request = InstallRequest();
  request.targetFolder = "C:\\A \"B\"";
  request.paths.mediaPath = "";
  EXPECT_EQ(
      ComposePropertyCommandLine(request).text,
      "ADDLOCAL=ALL ALLUSERS=1 ARPSYSTEMCOMPONENT=1 ARPNOREMOVE=1 ARPNOMODIFY=1 ARPNOREPAIR=1 "
      "ARPINSTALLLOCATION=\"C:\\A \"\"B\"\"\" SRCDIR=C:\\Setup\\data\\ "
      "SOURCELIST=C:\\Setup\\data\\;C:\\Temp\\zeb1\\ MEDIAPACKAGEPATH=\"\" REBOOT=R ");
}

TEST(PropertyCommandLine, RemovalThroughPackageProperties) {
  CommandLineRequest request = InstallRequest();
  request.install = false;
  request.windows9x = true;
  request.paths.sourceQuote = true;
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(PackageRemovalProperties(request),
            (Pairs{{"ALLUSERS", "1"},
                   {"REMOVE", "ALL"},
                   {"SRCDIR", "C:\\Setup\\data\\"},
                   {"SOURCELIST", "C:\\Setup\\data\\;C:\\Temp\\zeb1\\"},
                   {"MEDIAPACKAGEPATH", "\\Setup\\"},
                   {"REBOOT", "R"}}));
  request.variables.allUsers = "true";
  EXPECT_EQ(PackageRemovalProperties(request)[0].second, "");
}

TEST(InstallerPaths, FolderAndMediaPath) {
  EXPECT_EQ(FolderPart("C:\\Temp\\zeb1\\setup.msi"), "C:\\Temp\\zeb1\\");
  EXPECT_EQ(FolderPart("C:setup.msi"), "C:");
  EXPECT_EQ(FolderPart("setup.msi"), "");
  struct Row {
    const char* data;
    const char* media;
  } rows[] = {
      {"C:\\Setups\\Product\\data\\", "\\Setups\\Product\\"},
      {"C:\\Setup\\data\\", "\\Setup\\"},
      {"C:\\data\\", "\\"},
      {"C:\\Setup\\data", "\\Setup\\"},
      {"\\\\server\\share\\Setups\\data\\", "\\Setups\\"},
      {"\\\\server\\share\\data\\", "\\"},
      {"data\\", ""},
      {"", ""},
  };
  for (const Row& row : rows) EXPECT_EQ(MediaPathOfDataFolder(row.data), row.media) << row.data;
}

TEST(InstallerPaths, ShortFormsAndQuoteFlags) {
  FakePaths fake;
  fake.existing = {"C:\\Program Files\\Setup\\data\\"};
  fake.shortForms = {
      {"C:\\Documents and Settings\\me\\Temp\\zeb1\\", "C:\\DOCUME~1\\me\\Temp\\zeb1\\"},
      {"C:\\Program Files\\Setup\\data\\", "C:\\PROGRA~1\\Setup\\data\\"}};
  InstallerPaths paths = PrepareInstallerPaths(
      InstallerOperation::kPackage, "C:\\Documents and Settings\\me\\Temp\\zeb1\\p.msi",
      "C:\\Program Files\\Setup\\data\\", "C:\\Program Files\\Setup\\", fake.Service());
  EXPECT_EQ(paths.packageFolder, "C:\\DOCUME~1\\me\\Temp\\zeb1\\");
  EXPECT_EQ(paths.dataFolder, "C:\\PROGRA~1\\Setup\\data\\");
  EXPECT_EQ(paths.setupSourceFolder, "C:\\Program Files\\Setup\\");
  EXPECT_EQ(paths.mediaPath, "\\PROGRA~1\\Setup\\");
  EXPECT_FALSE(paths.packageQuote);
  EXPECT_FALSE(paths.sourceQuote);
  EXPECT_TRUE(fake.created.empty());
}

TEST(InstallerPaths, NoShortFormOrBlankInItSetsTheFlags) {
  FakePaths fake;
  fake.existing = {"C:\\My Setup\\data\\"};
  fake.shortForms = {{"C:\\My Setup\\data\\", "C:\\My Setup\\data\\"}};  // short names switched off
  InstallerPaths paths = PrepareInstallerPaths(InstallerOperation::kPackage, "C:\\Tmp Dir\\p.msi",
                                               "C:\\My Setup\\data\\", "", fake.Service());
  EXPECT_TRUE(paths.packageQuote);
  EXPECT_EQ(paths.packageFolder, "C:\\Tmp Dir\\");
  EXPECT_TRUE(paths.sourceQuote);
  EXPECT_EQ(paths.dataFolder, "C:\\My Setup\\data\\");
  EXPECT_EQ(paths.mediaPath, "\\My Setup\\");
}

TEST(InstallerPaths, PackageCreatesAMissingDataFolder) {
  FakePaths fake;
  fake.shortForms = {{"C:\\T\\", "C:\\T\\"}, {"C:\\Cache\\data\\", "C:\\Cache\\data\\"}};
  InstallerPaths paths = PrepareInstallerPaths(InstallerOperation::kPackage, "C:\\T\\p.msi",
                                               "C:\\Cache\\data\\", "", fake.Service());
  EXPECT_EQ(fake.created, std::vector<std::string>{"C:\\Cache\\data\\"});
  EXPECT_FALSE(paths.sourceQuote);
}

TEST(InstallerPaths, PatchShortensAnExistingSourceFolderAndCreatesNothing) {
  FakePaths fake;
  fake.existing = {"C:\\Old Setup\\"};
  fake.shortForms = {{"C:\\T\\", "C:\\T\\"}, {"C:\\Old Setup\\", "C:\\OLDSET~1\\"}};
  InstallerPaths paths =
      PrepareInstallerPaths(InstallerOperation::kPatch, "C:\\T\\p.msp", "C:\\Old Setup\\",
                            "C:\\Old Setup\\", fake.Service());
  EXPECT_TRUE(fake.created.empty());
  EXPECT_EQ(paths.setupSourceFolder, "C:\\OLDSET~1\\");
  EXPECT_EQ(paths.dataFolder, "C:\\OLDSET~1\\");
  EXPECT_FALSE(paths.sourceQuote);

  FakePaths gone;
  gone.shortForms = {{"C:\\T\\", "C:\\T\\"}};
  paths = PrepareInstallerPaths(InstallerOperation::kPatch, "C:\\T\\p.msp", "D:\\Gone Away\\",
                                "D:\\Gone Away\\", gone.Service());
  EXPECT_TRUE(gone.created.empty());
  EXPECT_EQ(paths.setupSourceFolder, "D:\\Gone Away\\");
  EXPECT_FALSE(paths.sourceQuote);  // the command line still quotes it for its blank
}

TEST(InstallerPaths, SourceListQuoting) {
  InstallerPaths paths = PlainPaths();
  EXPECT_EQ(ComposeSourceList(paths), "C:\\Setup\\data\\;C:\\Temp\\zeb1\\");
  paths.packageQuote = true;
  EXPECT_EQ(ComposeSourceList(paths), "\"C:\\Setup\\data\\;C:\\Temp\\zeb1\\\"");
  paths.packageQuote = false;
  paths.sourceQuote = true;
  EXPECT_EQ(ComposeSourceList(paths), "\"C:\\Setup\\data\\;C:\\Temp\\zeb1\\\"");
}

}  // namespace
}  // namespace vantrell
