// Table tests of the system query statements against the twin machine: the
// answer texts, the result variable rules, strict numbers and the scopes.
#include <gtest/gtest.h>

#include "common/engine_error.h"
#include "common/target_platform.h"
#include "system/query_statements.h"
#include "twins/fake_queries.h"
#include "twins/statement_test.h"

namespace vantrell {
namespace {

using testing::FakeQueries;
using testing::StatementRunner;

// Runs one query statement as in a silent setup, through the statements' own
// table, and returns the value of `result`.
std::string Query(FakeQueries& q, StatementRunner& statements, const std::string& command,
                  std::vector<std::string> lines, const std::string& result) {
  RegisterQueryStatements(statements.table, q);
  statements.Run(command, std::move(lines));
  EXPECT_EQ(q.openScopes, 0);
  return statements.Get(result);
}

// The same in a fresh run with an empty store.
std::string Query(FakeQueries& q, const std::string& command, std::vector<std::string> lines,
                  const std::string& result = "R") {
  StatementRunner statements(/*silent=*/true);
  return Query(q, statements, command, std::move(lines), result);
}

std::string Setting(FakeQueries& q, int n) {
  return Query(q, "Get System Settings", {"R", std::to_string(n)});
}

TEST(GetSystemSettings, Memory) {
  struct Case {
    uint64_t mib;
    int setting;
    const char* want;
  } cases[] = {{30, 1, "TRUE"},  {29, 1, "FALSE"},  {62, 2, "TRUE"},
               {61, 2, "FALSE"}, {2046, 7, "TRUE"}, {2045, 7, "FALSE"}};
  for (const Case& c : cases) {
    FakeQueries q;
    q.memory = c.mib << 20;
    EXPECT_EQ(Setting(q, c.setting), c.want) << c.mib << " " << c.setting;
  }
}

TEST(GetSystemSettings, ScreenAndColours) {
  struct Case {
    int w, h, bpp, setting;
    const char* want;
  } cases[] = {{800, 600, 8, 8, "TRUE"},     {768, 1024, 8, 8, "TRUE"},
               {768, 1024, 8, 9, "TRUE"},    {799, 600, 8, 8, "FALSE"},
               {1280, 1023, 8, 10, "FALSE"}, {1920, 1440, 8, 12, "TRUE"},
               {800, 600, 16, 14, "TRUE"},   {800, 600, 16, 15, "FALSE"},
               {800, 600, 32, 16, "TRUE"},   {800, 600, 8, 13, "TRUE"}};
  for (const Case& c : cases) {
    FakeQueries q;
    q.screen = {c.w, c.h, c.bpp, 120};
    EXPECT_EQ(Setting(q, c.setting), c.want) << c.w << "x" << c.h << " " << c.setting;
  }
  FakeQueries q;
  q.screen.logicalDpi = -1;
  EXPECT_EQ(Setting(q, 64), "-1");
}

TEST(GetSystemSettings, Versions) {
  struct Case {
    OsVersionInfo os;
    int setting;
    const char* want;
  } cases[] = {
      {{true, 4, 0, 1381, "", 6, false}, 19, "TRUE"},
      {{true, 4, 0, 1381, "", 6, false}, 20, "FALSE"},
      {{true, 4, 0, 1381, "", 6, false}, 23, "TRUE"},
      {{true, 4, 0, 1381, "", 6, false}, 32, "TRUE"},
      {{true, 5, 1, 2600, "", 2, false}, 29, "FALSE"},
      {{true, 5, 1, 2600, "", 2, false}, 28, "TRUE"},
      {{true, 5, 1, 2600, "", 2, false}, 25, "TRUE"},
      {{true, 5, 1, 2600, "", 2, false}, 26, "FALSE"},
      {{true, 6, 1, 7601, "", 1, false}, 69, "TRUE"},
      {{true, 6, 1, 7601, "", 1, false}, 22, "TRUE"},
      {{true, 6, 0, 6001, "", 1, true}, 76, "TRUE"},
      {{true, 6, 0, 6000, "", 0, true}, 76, "FALSE"},
      {{true, 6, 0, 6001, "", 1, false}, 76, "FALSE"},
      {{true, 6, 0, 6001, "", 1, true}, 68, "TRUE"},
      {{false, 4, 10, 0x040A08AE, "", 0, false}, 21, "TRUE"},
      {{false, 4, 10, 0x040A08AD, "", 0, false}, 21, "FALSE"},
      {{false, 4, 10, 0x040A08AE, "", 0, false}, 17, "TRUE"},
      {{false, 4, 10, 0x040A08AE, "", 0, false}, 18, "FALSE"},
      {{true, 5, 0, 2195, "", 0, false}, 18, "TRUE"},
  };
  for (const Case& c : cases) {
    FakeQueries q;
    q.os = c.os;
    EXPECT_EQ(Setting(q, c.setting), c.want)
        << c.os.major << "." << c.os.minor << " setting " << c.setting;
  }
}

TEST(GetSystemSettings, UserAndMachine) {
  FakeQueries q;
  q.groups = {0x221};
  EXPECT_EQ(Setting(q, 0), "FALSE");
  EXPECT_EQ(Setting(q, 63), "USER");
  q.groups = {0x222, 0x223};
  EXPECT_EQ(Setting(q, 63), "POWER");
  q.groups = {};
  EXPECT_EQ(Setting(q, 63), "ERROR");
  q.groups = {0x220};
  EXPECT_EQ(Setting(q, 63), "ADMIN");
  EXPECT_EQ(Setting(q, 0), "TRUE");
  EXPECT_EQ(Setting(q, 60), "alice");
  EXPECT_EQ(Setting(q, 61), "HOST");
  EXPECT_EQ(Setting(q, 62), "WORKGROUP");
  EXPECT_EQ(Setting(q, 65), "FALSE");
  EXPECT_EQ(Setting(q, 66), "FALSE");
  EXPECT_EQ(Setting(q, 67), "TRUE");
  EXPECT_EQ(Setting(q, 74), "TRUE");
  q.vmware = true;
  EXPECT_EQ(Setting(q, 70), "TRUE");
  EXPECT_EQ(Setting(q, 74), "FALSE");
  EXPECT_EQ(Setting(q, 75), "AMD64");
  EXPECT_EQ(Setting(q, 77), "TRUE");
  EXPECT_EQ(Setting(q, 78), "");
  q.os.ntFamily = false;
  EXPECT_EQ(Setting(q, 62), "");
}

TEST(GetSystemSettings, LanguageOwnerIeIis) {
  FakeQueries q;
  EXPECT_EQ(Setting(q, 33), "");
  q.languages["C:\\windows\\system32\\winver.exe"] = 0x409;
  EXPECT_EQ(Setting(q, 33), "1033");
  EXPECT_EQ(Setting(q, 34), "English (United States)");
  q.strings[{"HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\", "RegisteredOwner"}] =
      "Owner";
  q.strings[{"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\", "RegisteredOrganization"}] =
      "Org9x";
  EXPECT_EQ(Setting(q, 35), "Owner");
  EXPECT_EQ(Setting(q, 36), "");
  q.os.ntFamily = false;
  EXPECT_EQ(Setting(q, 36), "Org9x");
  EXPECT_EQ(Setting(q, 37), "FALSE");
  q.files["C:\\windows\\system32\\shdocvw.dll"] = {true, {6, 0, 2800, 1106}};
  EXPECT_EQ(Setting(q, 37), "TRUE");
  q.files["C:\\windows\\system32\\shdocvw.dll"] = {true, {6, 0, 2800, 1105}};
  EXPECT_EQ(Setting(q, 37), "FALSE");
  EXPECT_EQ(Setting(q, 38), "TRUE");
  EXPECT_EQ(Setting(q, 52), "TRUE");
  EXPECT_EQ(Setting(q, 72), "FALSE");
  q.strings[{"HKLM\\SOFTWARE\\Microsoft\\Internet Explorer", "Version"}] = "7.0.5730.11";
  EXPECT_EQ(Setting(q, 72), "TRUE");
  q.strings[{"HKLM\\SOFTWARE\\Microsoft\\Internet Explorer", "Version"}] = "7.0.5730.10";
  EXPECT_EQ(Setting(q, 72), "FALSE");
  EXPECT_EQ(Setting(q, 53), "FALSE");
  q.dwords[{"HKLM\\SOFTWARE\\Microsoft\\INetStp", "MajorVersion"}] = 5;
  EXPECT_EQ(Setting(q, 58), "FALSE");  // the minor version is missing
  q.dwords[{"HKLM\\SOFTWARE\\Microsoft\\INetStp", "MinorVersion"}] = 1;
  EXPECT_EQ(Setting(q, 54), "TRUE");
  EXPECT_EQ(Setting(q, 53), "FALSE");
  EXPECT_EQ(Setting(q, 73), "FALSE");
  EXPECT_EQ(Setting(q, 58), "TRUE");
}

TEST(GetSystemSettings, BadNumberFails) {
  FakeQueries q;
  EXPECT_THROW(Query(q, "Get System Settings", {"R", "1x"}), EngineError);
  EXPECT_EQ(Query(q, "Get System Settings", {"R", "$12"}),
            "TRUE");  // hexadecimal 18: the NT family
}

TEST(GetOsLevel, Names) {
  struct Case {
    OsVersionInfo os;
    const char* name;
    const char* pack;
  } cases[] = {
      {{true, 4, 0, 1381, "Service Pack 6", 6, false}, "NT4", "6"},
      {{true, 5, 0, 2195, "", 0, false}, "2000", "0"},
      {{true, 5, 1, 2600, "Service Pack 2", 2, false}, "XP", "2"},
      {{true, 5, 2, 3790, "Service Pack 10", 10, true}, "2003", "10"},
      {{true, 6, 0, 6001, "Service Pack 1", 1, true}, "2008", "1"},
      {{true, 6, 0, 6001, "Service Pack 1", 1, false}, "VISTA", "1"},
      {{true, 6, 0, 6000, "", 0, true}, "VISTA", "0"},
      {{true, 6, 1, 7601, "Service Pack 1", 1, false}, "UNKNOWN", "1"},
      {{false, 4, 0, 950, " C", 0, false}, "95", "0"},
      {{false, 4, 10, 0x040A07CE, "", 0, false}, "98", "0"},
      {{false, 4, 10, 0x040A08AE, " A ", 0, false}, "98SE", "0"},
      {{false, 4, 90, 3000, "", 0, false}, "ME", "0"},
      {{false, 5, 0, 0, "", 0, false}, "UNKNOWN", "0"},
  };
  for (const Case& c : cases) {
    FakeQueries q;
    q.os = c.os;
    EXPECT_EQ(Query(q, "Get OS or SP Level", {"R", "TRUE"}), c.name)
        << c.os.major << "." << c.os.minor;
    EXPECT_EQ(Query(q, "Get OS or SP Level", {"R", "no"}), c.pack) << c.os.servicePackText;
  }
  EXPECT_EQ(ServicePackNumber("Service Pack 10"), 10u);
  EXPECT_EQ(ServicePackNumber("Service Pack 2"), 2u);
  EXPECT_EQ(ServicePackNumber(""), 0u);
}

TEST(GetFolderLocation, Table) {
  FakeQueries q;
  for (int id = 0; id < 64; ++id) q.shell[id] = "C:\\shell\\" + std::to_string(id);
  q.strings[{"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup", "BootDir"}] = "C:\\";
  q.strings[{"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir"}] =
      "C:\\Program Files";
  q.strings[{"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir"}] =
      "C:\\Common";
  q.strings[{"HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\",
             "AppData"}] = "C:\\AD";
  q.cdrom = "E:\\";
  struct Case {
    int number;
    const char* common;
    const char* user;
  } cases[] = {
      {0, "C:\\shell\\32\\", "C:\\shell\\32\\"},
      {1, "C:\\shell\\33\\", "C:\\shell\\33\\"},
      {2, "C:\\shell\\46\\", "C:\\shell\\5\\"},
      {3, "C:\\shell\\31\\", "C:\\shell\\6\\"},
      {4, "C:\\shell\\53\\", "C:\\shell\\13\\"},
      {5, "C:\\shell\\54\\", "C:\\shell\\39\\"},
      {6, "C:\\shell\\55\\", "C:\\shell\\14\\"},
      {7, "C:\\shell\\19\\", "C:\\shell\\19\\"},
      {8, "C:\\shell\\27\\", "C:\\shell\\27\\"},
      {9, "C:\\", "C:\\"},
      {10, "E:\\", "E:\\"},
      {11, "C:\\shell\\47\\", "C:\\shell\\48\\"},
      {12, "C:\\shell\\22\\", "C:\\shell\\11\\"},
      {13, "C:\\shell\\24\\", "C:\\shell\\7\\"},
      {14, "C:\\shell\\23\\", "C:\\shell\\2\\"},
      {15, "C:\\shell\\35\\", "C:\\shell\\26\\"},
      {16, "C:\\shell\\59\\", "C:\\shell\\59\\"},
      {17, "C:\\shell\\25\\", "C:\\shell\\0\\"},
      {18, "C:\\shell\\20\\", "C:\\shell\\20\\"},
      {19, "C:\\shell\\62\\", "C:\\shell\\40\\"},
      {20, "C:\\Common\\", "C:\\Program Files\\"},
      {21, "C:\\shell\\8\\", "C:\\shell\\8\\"},
      {22, "C:\\shell\\9\\", "C:\\shell\\9\\"},
      {23, "C:\\windows\\system32\\", "C:\\windows\\system32\\"},
      {24, "C:\\shell\\21\\", "C:\\shell\\21\\"},
      {25, "C:\\windows\\", "C:\\windows\\"},
      {26, "C:\\AD\\Microsoft\\Internet Explorer\\Quick Launch\\",
       "C:\\AD\\Microsoft\\Internet Explorer\\Quick Launch\\"},
      {27, "", ""},
      {28, "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Query(q, "Get Folder Location", {"R", std::to_string(c.number), "TRUE"}), c.common)
        << c.number;
    EXPECT_EQ(Query(q, "Get Folder Location", {"R", std::to_string(c.number), "FALSE"}), c.user)
        << c.number;
  }
  EXPECT_THROW(Query(q, "Get Folder Location", {"R", "", "FALSE"}), EngineError);
}

TEST(GetFolderLocation, SystemFolderAndWebRoot) {
  FakeQueries q;
  q.wow64 = true;
  q.wow64Folder = "C:\\windows\\syswow64";
  SetTargetPlatform("Win32");
  EXPECT_EQ(Query(q, "Get Folder Location", {"R", "23", "FALSE"}), "C:\\windows\\syswow64\\");
  SetTargetPlatform("x64");
  EXPECT_EQ(Query(q, "Get Folder Location", {"R", "23", "FALSE"}), "C:\\windows\\system32\\");
  SetTargetPlatform("Win32");
  q.wow64Folder.clear();
  EXPECT_EQ(Query(q, "Get Folder Location", {"R", "23", "FALSE"}), "C:\\windows\\system32\\");

  const std::string roots =
      "HKLM\\SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots\\";
  q.strings[{roots, "/,"}] = "D:\\second,,1";
  EXPECT_EQ(Query(q, "Get Folder Location", {"R", "27", "FALSE"}), "D:\\second\\");
  q.strings[{roots, "/"}] = "D:\\first,,201";
  EXPECT_EQ(Query(q, "Get Folder Location", {"R", "27", "FALSE"}), "D:\\first\\");
  q.strings[{"HKLM\\SOFTWARE\\Microsoft\\InetStp", "PathWWWRoot"}] =
      "%SystemDrive%\\inetpub\\wwwroot";
  EXPECT_EQ(Query(q, "Get Folder Location", {"R", "27", "FALSE"}), "C:\\inetpub\\wwwroot\\");
}

TEST(CheckDiskSpace, FreeTotalAndUpperName) {
  FakeQueries q;
  StatementRunner statements(/*silent=*/true);
  statements.vars.PutVariable("ROOT", "C:\\");
  EXPECT_EQ(Query(q, statements, "Check Disk Space", {"$space$", "$ROOT$\\\\x", "TRUE"}, "SPACE"),
            "5000000000");
  EXPECT_EQ(Query(q, statements, "Check Disk Space", {"space", "C:\\", "FALSE"}, "SPACE"),
            "8000000000");
  EXPECT_EQ(Query(q, statements, "Check Disk Space", {"space", "Q:\\", "FALSE"}, "SPACE"), "0");
  EXPECT_EQ(q.scopesTaken, 3);
}

TEST(CheckProcess, NameWithoutFolderAnyCase) {
  FakeQueries q;
  q.processes = {"C:\\Windows\\Explorer.EXE", "svchost.exe"};
  StatementRunner statements(/*silent=*/true);
  statements.vars.PutVariable("P", "explorer.exe");
  EXPECT_EQ(Query(q, statements, "Check Process", {"$P$", "R"}, "R"), "TRUE");
  EXPECT_EQ(Query(q, statements, "Check Process", {"SVCHOST.EXE", "R"}, "R"), "TRUE");
  EXPECT_EQ(Query(q, statements, "Check Process", {"svchost", "R"}, "R"), "FALSE");
  EXPECT_EQ(Query(q, statements, "Check Process", {"", "R"}, "R"), "FALSE");
  EXPECT_EQ(q.scopesTaken, 0);
}

TEST(CheckService, States) {
  FakeQueries q;
  const char* names[] = {"NOTINSTALLED",     "STOPPED",       "STARTING", "STOPPING",    "RUNNING",
                         "CONTINUE_PENDING", "PAUSE_PENDING", "PAUSED",   "NOTINSTALLED"};
  for (uint32_t state = 0; state <= 8; ++state) {
    q.services["|svc"] = state;
    q.services["far|svc"] = 4;
    EXPECT_EQ(Query(q, "Check Service", {"svc", "", "R"}), names[state]) << state;
  }
  EXPECT_EQ(Query(q, "Check Service", {"svc", "far", "R"}), "RUNNING");
  EXPECT_EQ(Query(q, "Check Service", {"nothere", "", "R"}), "NOTINSTALLED");
}

TEST(FileFolderExists, Table) {
  FakeQueries q;
  q.files["C:\\d\\a.txt"] = {false, {}};
  q.folders["C:\\d"] = 1;
  StatementRunner statements(/*silent=*/true);
  statements.vars.PutVariable("D", "C:\\d\\");
  struct Case {
    const char* path;
    const char* file;
    const char* want;
  } cases[] = {{"$D$\\a.txt", "TRUE", "TRUE"},    {"$D$\\a.txt", "FALSE", "FALSE"},
               {"C:\\d", "FALSE", "TRUE"},        {"C:\\d", "TRUE", "FALSE"},
               {"C:\\d\\b.txt", "TRUE", "FALSE"}, {"", "TRUE", "FALSE"}};
  for (const Case& c : cases)
    EXPECT_EQ(Query(q, statements, "Does File/Folder Exist", {"R", c.path, c.file}, "R"), c.want)
        << c.path;
}

TEST(FileVersion, GetAndCheck) {
  FakeQueries q;
  q.files["C:\\v\\a.dll"] = {true, {1, 2, 3, 4}};
  q.files["C:\\v\\b.dll"] = {true, {1, 2, 3, 5}};
  q.files["C:\\v\\none.txt"] = {false, {}};
  StatementRunner statements(/*silent=*/true);
  statements.vars.PutVariable("V", "C:\\v");
  EXPECT_EQ(Query(q, statements, "Get File Version", {"$V$\\a.dll", "$ver$"}, "VER"), "1.2.3.4");
  EXPECT_EQ(Query(q, statements, "Get File Version", {"$V$\\none.txt", "ver"}, "VER"), "0.0.0.0");
  EXPECT_EQ(Query(q, statements, "Get File Version", {"C:\\missing", "ver"}, "VER"), "0.0.0.0");
  struct Case {
    const char* file;
    const char* withFile;
    const char* second;
    const char* text;
    const char* want;
  } cases[] = {
      {"C:\\v\\a.dll", "FALSE", "", "1.2.3.4", "FALSE"},
      {"C:\\v\\a.dll", "FALSE", "", "1.2.3", "TRUE"},
      {"C:\\v\\a.dll", "FALSE", "", "1.2.3.5", "FALSE"},
      {"C:\\v\\a.dll", "FALSE", "", "", "TRUE"},
      {"C:\\v\\a.dll", "FALSE", "", "1.10", "FALSE"},
      {"C:\\v\\a.dll", "TRUE", "C:\\v\\b.dll", "", "FALSE"},
      {"C:\\v\\b.dll", "TRUE", "$V$\\a.dll", "", "TRUE"},
      {"C:\\v\\a.dll", "TRUE", "C:\\v\\a.dll", "", "FALSE"},
      {"C:\\missing", "FALSE", "", "0", "FALSE"},
      {"C:\\v\\a.dll", "TRUE", "C:\\missing", "", "TRUE"},
      // A last field that is not a number counts as 0: "1.x" is 1.0, "1.2.3.4 beta" 1.2.3.0.
      {"C:\\v\\a.dll", "FALSE", "", "1.x", "TRUE"},
      {"C:\\v\\a.dll", "FALSE", "", "1.2.3.4 beta", "TRUE"},
      {"C:\\v\\a.dll", "FALSE", "", "2.0 beta", "FALSE"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Query(q, statements, "Check File Version",
                    {"R", c.file, c.withFile, c.second, c.text}, "R"),
              c.want)
        << c.file << " " << c.second << c.text;
  }
}

}  // namespace
}  // namespace vantrell
