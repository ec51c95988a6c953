// The package rows that the tool makes for install-type statements, the
// table archive form they travel in, and the installer's short file names.
#include "authoring/package_rows.h"

#include <gtest/gtest.h>

#include <fstream>

#include "authoring/identifiers.h"

namespace vantrell::authoring {
namespace {
namespace fs = std::filesystem;

constexpr char kProductCode[] = "{2D5E8A41-6B3C-4F0E-9A17-C84B5D2E6F03}";

// A project folder with a few files, removed at the end of the test.
class ProjectFolder {
 public:
  ProjectFolder() {
    path_ = fs::temp_directory_path() /
            ("vantrell-rows-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    fs::remove_all(path_);
    Write("app/readme.txt", "read me");
    Write("app/tool.exe", "MZ..");
    Write("app/docs/guide.txt", "a guide");
    Write("app/docs/deep/note.log", "log");
    Write("single.dll", "12345");
  }
  ~ProjectFolder() { fs::remove_all(path_); }
  void Write(const std::string& relative, const std::string& text) {
    fs::create_directories((path_ / relative).parent_path());
    std::ofstream(path_ / relative, std::ios::binary) << text;
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

Statement Make(const std::string& command, std::vector<std::string> parameters, int line = 1) {
  Statement s;
  s.command = command;
  s.parameters = std::move(parameters);
  s.where = {"main.vscript", line};
  return s;
}

// A project whose statements all have headers "A1", "A2", ... in order.
struct Fixture {
  Project project;
  CarriedScript script;
  Fixture(const fs::path& folder, std::vector<Statement> statements) {
    project.folder = folder;
    project.productCode = kProductCode;
    project.statements = std::move(statements);
    for (size_t i = 0; i < project.statements.size(); ++i) {
      script.statementHeaders.push_back("A" + std::to_string(i + 1));
      script.statementHeaders.push_back(std::to_string(i));
    }
  }
  PackagePlan Plan(const std::map<std::string, PackageTable>& existing = {}) const {
    return PlanPackage(project, script, existing);
  }
};

// The rows of a table as maps from column name to field.
std::vector<std::map<std::string, std::string>> Rows(const PackagePlan& plan,
                                                     const std::string& table) {
  std::vector<std::map<std::string, std::string>> out;
  auto it = plan.tables.find(table);
  if (it == plan.tables.end()) return out;
  for (const auto& row : it->second.rows) {
    std::map<std::string, std::string> named;
    for (size_t i = 0; i < row.size(); ++i) named[it->second.columns[i]] = row[i];
    out.push_back(named);
  }
  return out;
}

std::map<std::string, std::string> Row(const PackagePlan& plan, const std::string& table,
                                       const std::string& key) {
  for (auto& row : Rows(plan, table)) {
    if (row[plan.tables.at(table).columns[0]] == key) return row;
  }
  ADD_FAILURE() << "no row " << key << " in " << table;
  return {};
}

TEST(ShortLongNameTest, MakesUniqueShortNamesOnlyWhereNeeded) {
  struct Case {
    std::string name;
    std::string expected;
  };
  std::vector<std::string> used;
  const Case cases[] = {
      {"readme.txt", "readme.txt"},
      {"Help", "Help"},
      {"Read Me", "README~1|Read Me"},
      {"Read Me Too", "README~2|Read Me Too"},
      {"a very long name.text", "AVERYL~1.TEX|a very long name.text"},
      {"README.TXT", "README~1.TXT|README.TXT"},  // the plain short name is taken
      {"two.dots.txt", "TWODOT~1.TXT|two.dots.txt"},
      {"+++", "FILE~1|+++"},
  };
  for (const Case& c : cases) EXPECT_EQ(ShortLongName(c.name, used), c.expected) << c.name;
}

TEST(TableArchiveTest, RoundTripsAndRejectsMalformedText) {
  const std::string text =
      "Directory\tDirectory_Parent\tDefaultDir\r\n"
      "s72\tS72\tl255\r\n"
      "Directory\tDirectory\r\n"
      "TARGETDIR\t\tSourceDir\r\n"
      "INSTALLDIR\tTARGETDIR\tAPP|My App\r\n";
  PackageTable table = ParseTableArchive(text, "x");
  EXPECT_EQ(table.name, "Directory");
  EXPECT_EQ(table.keys, std::vector<std::string>{"Directory"});
  ASSERT_EQ(table.rows.size(), 2u);
  EXPECT_EQ(table.rows[1][2], "APP|My App");
  EXPECT_EQ(WriteTableArchive(table), text);

  table.Add({{"Directory", "X"}, {"DefaultDir", "line\r\nbreak\tand tab"}});
  EXPECT_EQ(table.rows.back()[2],
            "line\x11\x19"
            "break\x10"
            "and tab");

  struct Bad {
    std::string text;
    int line;
  };
  const Bad bad[] = {
      {"A\tB\r\ns72\r\n", 0},
      {"A\tB\r\ns72\tS72\r\nT\tA\r\nonly one field\r\n", 4},
      {"A\tB\r\ns72\tS72\r\n1252\tT\tA\r\n", 3},
  };
  for (const Bad& b : bad) {
    try {
      ParseTableArchive(b.text, "pkg");
      ADD_FAILURE() << "accepted: " << b.text;
    } catch (const ProjectError& e) {
      EXPECT_EQ(e.Where().line, b.line) << e.Message();
    }
  }
}

TEST(PackagePlanTest, InstallFilesPlacesFilesUnderTheRunTimeFolder) {
  ProjectFolder folder;
  Fixture f(folder.Path(), {Make("Install Files", {"app", "TRUE", "$TARGETDIR$"}),
                            Make("Install Files", {"single.dll", "FALSE", "$SYS$"}),
                            Make("Install Files", {"app\\*.txt", "FALSE", "$DOCS$"})});
  // The package already has two files, on disk 1 of its own cabinet.
  PackageTable file = EmptyTable("File");
  file.Add({{"File", "a"},
            {"Component_", "C"},
            {"FileName", "a.txt"},
            {"FileSize", "1"},
            {"Attributes", "512"},
            {"Sequence", "1"}});
  file.Add({{"File", "b"},
            {"Component_", "C"},
            {"FileName", "b.txt"},
            {"FileSize", "1"},
            {"Sequence", "2"}});
  PackageTable media = EmptyTable("Media");
  media.Add({{"DiskId", "1"}, {"LastSequence", "2"}, {"Cabinet", "#own.cab"}});
  PackagePlan plan = f.Plan({{"File", file}, {"Media", media}});

  // The author's own cabinet files are marked compressed, other bits kept.
  EXPECT_EQ(Row(plan, "File", "a")["Attributes"], "16896");
  EXPECT_EQ(Row(plan, "File", "b")["Attributes"], "16384");

  EXPECT_EQ(Row(plan, "Directory", "PA1_1")["Directory_Parent"], "TARGETDIR");
  EXPECT_EQ(Row(plan, "Directory", "PA1_1")["DefaultDir"], ".");
  EXPECT_EQ(Row(plan, "Directory", "VDA1_1")["Directory_Parent"], "PA1_1");
  EXPECT_EQ(Row(plan, "Directory", "VDA1_1")["DefaultDir"], "docs");
  EXPECT_EQ(Row(plan, "Directory", "VDA1_2")["Directory_Parent"], "VDA1_1");
  EXPECT_EQ(Row(plan, "Directory", "TARGETDIR")["DefaultDir"], "SourceDir");

  // One component per folder, each switched on by the statement's property.
  auto top = Row(plan, "Component", "VCA1");
  EXPECT_EQ(top["Directory_"], "PA1_1");
  EXPECT_EQ(top["Condition"], "AA1=\"TRUE\"");
  EXPECT_EQ(top["KeyPath"], "VFA1_1");
  EXPECT_EQ(Row(plan, "Component", "VCA1_1")["Directory_"], "VDA1_1");
  EXPECT_NE(top["ComponentId"], Row(plan, "Component", "VCA1_1")["ComponentId"]);
  EXPECT_EQ(Row(plan, "Component", "VCA3")["Directory_"], "PA3_1");

  // Files continue the package's sequence, compressed, in the cabinet's order.
  std::vector<std::string> names, keys;
  for (auto& row : Rows(plan, "File")) {
    if (row["File"].rfind("VF", 0) != 0) continue;
    names.push_back(row["FileName"]);
    EXPECT_EQ(row["Attributes"], "16384");
    EXPECT_EQ(row["Sequence"], std::to_string(keys.size() + 3));
    keys.push_back(row["File"]);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"readme.txt", "tool.exe", "guide.txt", "note.log",
                                             "single.dll", "readme.txt"}));
  ASSERT_EQ(plan.cabinet.size(), keys.size());
  for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(plan.cabinet[i].key, keys[i]);
  EXPECT_EQ(Row(plan, "File", "VFA2_5")["FileSize"], "5");
  EXPECT_EQ(plan.cabinet[4].source, folder.Path() / "single.dll");

  auto disk = Row(plan, "Media", "2");
  EXPECT_EQ(disk["LastSequence"], "8");
  EXPECT_EQ(disk["Cabinet"], "#" + plan.cabinetStream);
  EXPECT_EQ(Row(plan, "Feature", "VantrellStatements")["Level"], "1");
  EXPECT_EQ(Rows(plan, "FeatureComponents").size(), 5u);
}

TEST(PackagePlanTest, RegistryFolderAndShortcutRowsUseTheStatementsProperties) {
  ProjectFolder folder;
  Fixture f(folder.Path(),
            {Make("Write Registry",
                  {"0", "2", "Software\\$CO$", "Path", "$TARGETDIR$", "FALSE", "FALSE"}),
             Make("Write Registry", {"1", "1", "Software\\Fixed [x]", "", "42", "TRUE", "FALSE"}),
             Make("Write Registry", {"2", "0", "K", "N", "%TEMP%\\x", "FALSE", "FALSE"}),
             Make("Write Registry", {"3", "3", "K", "N", "00ff", "FALSE", "FALSE"}),
             Make("Write Registry", {"0", "2", "K", "N", "#1", "FALSE", "FALSE"}),
             Make("Create Folder", {"$TARGETDIR$\\Logs"}),
             Make("Create Shortcut",
                  {"$TARGETDIR$\\app.exe", "Read Me", "$PROGRAMS$", "Opens it", "", "$TARGETDIR$"}),
             Make("Create Shortcut", {"x", "Go", "y", "", "-v", ""})});
  PackagePlan plan = f.Plan();

  struct Case {
    std::string key, root, regKey, name, value;
  };
  const Case cases[] = {
      {"VRA1", "2", "[PA1_1]", "Path", "[PA1_3]"},
      {"VRA2", "1", "Software\\Fixed [\\[]x[\\]]", "", "#42"},
      {"VRA3", "0", "K", "N", "#%%TEMP%\\x"},
      {"VRA4", "3", "K", "N", "#x00ff"},
      {"VRA5", "2", "K", "N", "##1"},
  };
  for (const Case& c : cases) {
    auto row = Row(plan, "Registry", c.key);
    EXPECT_EQ(row["Root"], c.root) << c.key;
    EXPECT_EQ(row["Key"], c.regKey) << c.key;
    EXPECT_EQ(row["Name"], c.name) << c.key;
    EXPECT_EQ(row["Value"], c.value) << c.key;
  }
  EXPECT_EQ(Row(plan, "Component", "VCA1")["KeyPath"], "VRA1");
  EXPECT_EQ(Row(plan, "Component", "VCA1")["Attributes"],
            "68");  // registry key path, re-read on reinstall
  EXPECT_EQ(Row(plan, "Component", "VCA2")["Attributes"], "84");  // kept at removal

  EXPECT_EQ(Row(plan, "Component", "VCA6")["Directory_"], "PA6_1");
  EXPECT_EQ(Row(plan, "CreateFolder", "PA6_1")["Component_"], "VCA6");

  auto shortcut = Row(plan, "Shortcut", "VSA7");
  EXPECT_EQ(shortcut["Directory_"], "PA7_1");
  EXPECT_EQ(shortcut["Name"], "README~1|Read Me");
  EXPECT_EQ(shortcut["Target"], "[PA7_2]");
  EXPECT_EQ(shortcut["Arguments"], "");
  EXPECT_EQ(shortcut["Description"], "Opens it");
  EXPECT_EQ(shortcut["WkDir"], "PA7_4");
  auto other = Row(plan, "Shortcut", "VSA8");
  EXPECT_EQ(other["Arguments"], "[PA8_3]");
  EXPECT_EQ(other["WkDir"], "");
  EXPECT_EQ(Row(plan, "Component", "VCA8")["Condition"], "AA8=\"TRUE\"");
  EXPECT_TRUE(plan.cabinet.empty());
  EXPECT_EQ(plan.tables.count("Media"), 0u);
}

TEST(PackagePlanTest, FileIniAndEnvironmentRowsTakeTheirFoldersAndValuesFromProperties) {
  ProjectFolder folder;
  Fixture f(folder.Path(), {Make("Delete Files", {"$TARGETDIR$", "*.tmp", "TRUE", "FALSE"}),
                            Make("Delete Files", {"$TARGETDIR$", "old.log", "TRUE", "TRUE"}),
                            Make("Copy/Move Local Files", {"$SRC$", "*.cfg", "$DST$", "", "TRUE"}),
                            Make("Edit INI File", {"$TARGETDIR$", "app settings.ini", "1", "Main",
                                                   "Path", "$TARGETDIR$"}),
                            Make("Set Environment", {"APP_HOME", "$TARGETDIR$", "TRUE", "0"}),
                            Make("Set Environment", {"PATH", "$TARGETDIR$", "FALSE", "1"}),
                            Make("Set Environment", {"PATH", "$TARGETDIR$", "TRUE", "2"})});
  PackagePlan plan = f.Plan();

  auto removal = Row(plan, "RemoveFile", "VXA1");
  EXPECT_EQ(removal["FileName"], "*.tmp");
  EXPECT_EQ(removal["DirProperty"], "PA1_1");
  EXPECT_EQ(removal["InstallMode"], "1");
  EXPECT_EQ(Row(plan, "RemoveFile", "VXA2")["InstallMode"], "3");

  auto move = Row(plan, "MoveFile", "VMA3");
  EXPECT_EQ(move["SourceFolder"], "PA3_1");
  EXPECT_EQ(move["DestFolder"], "PA3_2");
  EXPECT_EQ(move["SourceName"], "*.cfg");
  EXPECT_EQ(move["Options"], "1");

  auto ini = Row(plan, "IniFile", "VIA4");
  EXPECT_EQ(ini["FileName"], "APPSET~1.INI|app settings.ini");
  EXPECT_EQ(ini["DirProperty"], "PA4_1");
  EXPECT_EQ(ini["Section"], "[PA4_2]");
  EXPECT_EQ(ini["Key"], "[PA4_3]");
  EXPECT_EQ(ini["Value"], "[PA4_4]");
  EXPECT_EQ(ini["Action"], "1");

  const std::pair<const char*, const char*> environment[] = {
      {"VEA5", "=-*APP_HOME"}, {"VEA6", "-PATH"}, {"VEA7", "-*PATH"}};
  for (const auto& [key, name] : environment)
    EXPECT_EQ(Row(plan, "Environment", key)["Name"], name);
  EXPECT_EQ(Row(plan, "Environment", "VEA5")["Value"], "[PA5_1]");
  EXPECT_EQ(Row(plan, "Environment", "VEA6")["Value"], "[~];[PA6_1]");
  EXPECT_EQ(Row(plan, "Environment", "VEA7")["Value"], "[PA7_1];[~]");
  for (int i = 1; i <= 7; ++i) {
    auto component = Row(plan, "Component", "VCA" + std::to_string(i));
    EXPECT_EQ(component["Directory_"], "TARGETDIR");
    EXPECT_EQ(component["Condition"], "AA" + std::to_string(i) + "=\"TRUE\"");
  }
}

TEST(PackagePlanTest, AddsTheInstallerActionsThePackageLacks) {
  ProjectFolder folder;
  Fixture f(folder.Path(), {Make("Create Folder", {"$T$"})});
  PackageTable sequence = EmptyTable("InstallExecuteSequence");
  sequence.Add({{"Action", "CostFinalize"}, {"Sequence", "1000"}});
  sequence.Add({{"Action", "InstallFiles"}, {"Sequence", "4100"}});
  PackagePlan plan = f.Plan({{"InstallExecuteSequence", sequence}});
  std::map<std::string, std::string> actions;
  for (auto& row : Rows(plan, "InstallExecuteSequence")) actions[row["Action"]] = row["Sequence"];
  EXPECT_EQ(actions["CostFinalize"], "1000");
  EXPECT_EQ(actions["InstallFiles"], "4100");  // the package's own place is kept
  EXPECT_EQ(actions["CreateFolders"], "3700");
  EXPECT_EQ(actions["RemoveFolders"], "3600");
  EXPECT_EQ(actions["WriteRegistryValues"], "5000");
  EXPECT_EQ(actions["WriteEnvironmentStrings"], "5200");
  EXPECT_EQ(actions.size(), 14u);
}

TEST(PackagePlanTest, SkipsSwitchedOffStatementsRowsMadeBeforeAndWarnsAboutOthers) {
  ProjectFolder folder;
  Statement off = Make("Create Folder", {"x"});
  off.marker = "C";
  // A dumped setup's package holds its statements' rows already; its files
  // are in the package, not in the project folder.
  Fixture f(folder.Path(), {off, Make("Create File Type", {"a", "b", "c", "d", "e"}, 9),
                            Make("Install Files", {"gone", "FALSE", "$T$"})});
  PackageTable component = EmptyTable("Component");
  component.Add({{"Component", "VCA3"}, {"Directory_", "PA3_1"}, {"Attributes", "0"}});
  PackagePlan plan = f.Plan({{"Component", component}});
  EXPECT_TRUE(plan.Empty());
  ASSERT_EQ(plan.warnings.size(), 1u);
  EXPECT_EQ(plan.warnings[0].where.line, 9);
  EXPECT_NE(plan.warnings[0].message.find("AA2=\"TRUE\""), std::string::npos);
}

TEST(ComponentSizeTest, InstallFilesCountForTheirComponentUnlessASizeIsGiven) {
  ProjectFolder folder;
  auto files = [](const char* pattern, const char* recurse, const char* component) {
    Statement s = Make("Install Files", {pattern, recurse, "$T$"});
    s.component = component;
    return s;
  };
  Statement off = files("app", "TRUE", "Main");
  off.marker = "C";
  Fixture f(folder.Path(), {files("app", "FALSE", "Main"),         // readme.txt 7, tool.exe 4
                            files("app\\docs", "TRUE", "Docs"),    // given below
                            files("single.dll", "FALSE", "main"),  // 5, letter case aside
                            files("app", "TRUE", ""), off});
  f.project.componentSizes = {"Docs", "99"};
  AddComputedComponentSizes(f.project);
  EXPECT_EQ(f.project.componentSizes, (std::vector<std::string>{"Docs", "99", "Main", "16"}));

  // A dumped project gives the sizes and has none of the files: none are read.
  Fixture dumped(folder.Path(), {files("gone\\app", "FALSE", "Main")});
  dumped.project.componentSizes = {"main", "16"};
  EXPECT_NO_THROW(AddComputedComponentSizes(dumped.project));
  EXPECT_EQ(dumped.project.componentSizes, (std::vector<std::string>{"main", "16"}));
  Fixture missing(folder.Path(), {files("gone\\app", "FALSE", "Main")});
  EXPECT_THROW(AddComputedComponentSizes(missing.project), ProjectError);
}

TEST(PackagePlanTest, AKeptPackageMadeFromOtherLinesIsReported) {
  ProjectFolder folder;
  const std::vector<std::string> registry = {"0", "2", "Software\\A", "Dir", "v1", "FALSE", ""};
  const std::vector<std::string> shortcut = {"$T$\\a.txt", "Read Me", "$P$", "d", "", ""};
  // The package as a first build made it, kept as a dumped setup keeps it.
  PackagePlan first =
      Fixture(folder.Path(), {Make("Write Registry", registry), Make("Create Shortcut", shortcut)})
          .Plan();
  struct Case {
    const char* what;
    size_t statement;  // 0 the registry value, 1 the shortcut
    size_t line;
    const char* value;
    bool reported;
  } cases[] = {
      {"unchanged", 0, 5, "v1", false},
      {"registry value edited", 0, 5, "v2", true},
      {"registry key edited", 0, 3, "Software\\B", true},
      {"shortcut renamed", 1, 2, "Read Me Too", true},
      {"shortcut's unused line", 1, 6, "x", false},
  };
  for (const Case& c : cases) {
    std::vector<std::string> r = registry;
    std::vector<std::string> l = shortcut;
    (c.statement == 0 ? r : l)[c.line - 1] = c.value;
    Fixture f(folder.Path(), {Make("Write Registry", r, 3), Make("Create Shortcut", l, 11)});
    PackagePlan plan = f.Plan(first.tables);
    ASSERT_EQ(plan.warnings.size(), c.reported ? 1u : 0u) << c.what;
    if (!c.reported) continue;
    EXPECT_EQ(plan.warnings[0].where.line, c.statement == 0 ? 3 : 11) << c.what;
    EXPECT_NE(plan.warnings[0].message.find("already holds this statement's rows"),
              std::string::npos)
        << c.what;
  }
}

TEST(PackagePlanTest, AnEditAgainstTheDumpsDigestIsReportedForEveryCommand) {
  ProjectFolder folder;
  struct Case {
    const char* command;
    std::vector<std::string> dumped;  // the lines the package's rows were made from
    std::vector<std::string> now;
    bool kept;  // the package holds the statement's component
    bool reported;
  } cases[] = {
      // Files that are not beside a dumped project: only the digest sees the edit.
      {"Install Files", {"app", "FALSE", "$T$"}, {"app", "FALSE", "$T$"}, true, false},
      {"Install Files", {"app", "FALSE", "$T$"}, {"app", "TRUE", "$T$"}, true, true},
      // Rows the tool never makes.
      {"Create ODBC DSN", {"a", "b"}, {"a", "b"}, true, false},
      {"Create ODBC DSN", {"a", "b"}, {"a", "c"}, true, true},
      {"Create ODBC DSN", {"a", "b"}, {"a", "b", ""}, true, true},
      {"Write Registry",
       {"0", "2", "Software\\A", "Dir", "v1", "FALSE", ""},
       {"0", "2", "Software\\A", "Dir", "v2", "FALSE", ""},
       true,
       true},
      // A package without the component gets rows from the lines as they are.
      {"Create Folder", {"$T$\\a"}, {"$T$\\b"}, false, false},
  };
  for (const Case& c : cases) {
    Statement s = Make(c.command, c.now, 7);
    s.packageDigest = LinesDigest(c.dumped);
    Fixture f(folder.Path(), {s});
    PackageTable component = EmptyTable("Component");
    if (c.kept)
      component.Add({{"Component", "VCA1"}, {"Directory_", "PA1_1"}, {"Attributes", "0"}});
    PackagePlan plan = f.Plan({{"Component", component}});
    std::vector<Warning> edits;
    for (const Warning& w : plan.warnings) {
      if (w.message.find("edited after the dump") != std::string::npos) edits.push_back(w);
    }
    ASSERT_EQ(edits.size(), c.reported ? 1u : 0u) << c.command << ": " << c.now.back();
    if (c.kept) {
      EXPECT_EQ(plan.warnings.size(), edits.size()) << c.command;
    }
    if (!c.reported) continue;
    EXPECT_EQ(edits[0].where.file, "main.vscript");
    EXPECT_EQ(edits[0].where.line, 7);
    EXPECT_EQ(edits[0].message.substr(0, std::string(c.command).size() + 2),
              "\"" + std::string(c.command) + "\"");
    EXPECT_NE(edits[0].message.find("VCA1"), std::string::npos);
  }
}

TEST(PackagePlanTest, LinesThePackageCannotCarryFailAtTheStatement) {
  ProjectFolder folder;
  const std::vector<std::string> registry = {"0", "2", "K", "N", "v", "FALSE", "FALSE"};
  auto with = [&](size_t line, const std::string& value) {
    std::vector<std::string> p = registry;
    p[line - 1] = value;
    return Make("Write Registry", p, 7);
  };
  const std::pair<Statement, std::string> cases[] = {
      {Make("Install Files", {"missing", "FALSE", "$T$"}, 7), "not found"},
      {Make("Install Files", {"app\\*.none", "FALSE", "$T$"}, 7), "no file matches"},
      {Make("Install Files", {"", "FALSE", "$T$"}, 7), "parameter 1 (files)"},
      {with(2, "4"), "root key code"},
      {with(2, "x"), "root key code"},
      {with(1, "9"), "value kind"},
      {with(1, "1"), "decimal"},
      {with(1, "3"), "hexadecimal"},
      {with(3, ""), "parameter 3 (key)"},
      {Make("Create Shortcut", {"t", "", "f", "", "", ""}, 7), "parameter 2 (name)"},
      {Make("Delete Files", {"d", "*.x", "FALSE", "FALSE"}, 7),
       "parameter 3 (on-install): this or parameter 4"},
      {Make("Edit INI File", {"d", "a.ini", "5", "s", "k", "v"}, 7), "parameter 3 (mode)"},
      {Make("Set Environment", {"", "v", "FALSE", "0"}, 7), "parameter 1 (name)"},
      {Make("Set Environment", {"X", "v", "FALSE", "3"}, 7), "parameter 4 (mode)"},
  };
  for (const auto& [statement, text] : cases) {
    Fixture f(folder.Path(), {statement});
    try {
      f.Plan();
      ADD_FAILURE() << "accepted: " << text;
    } catch (const ProjectError& e) {
      EXPECT_EQ(e.Where().line, 7);
      EXPECT_NE(e.Message().find(text), std::string::npos) << e.Message();
    }
  }
}

}  // namespace
}  // namespace vantrell::authoring
