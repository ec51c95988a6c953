// Package edits through Wine's real msi.dll on copies of the test package
// (tests/support/make_package.sh): the statements record, the edits are
// applied, and what msiinfo cannot show (line breaks, word count) is read
// back here. Usage: package_edit_check <x64 copy> <x86 copy> <patch stand-in>
// <install copy> <target folder>; the last copy is prepared for an install.
#include <optional>
#include <string>

#include "common/target_platform.h"
#include "msi/install_statements.h"
#include "msi/property_list.h"
#include "msi/win32/msi_library.h"
#include "msi/win32/package_editor.h"
#include "script/statements.h"
#include "tests/unit/twins/recording_host.h"
#include "tests/unit/twins/script_builder.h"
#include "tests/win32/check.h"

using vantrell::wintest::Check;
using vantrell::wintest::CheckEqual;

namespace {

// Persist mode of MsiOpenDatabaseA for reading only.
const LPCSTR kReadOnly = nullptr;

class NoRunControl final : public vantrell::RunControl {
 public:
  void EndRun() override {}
  void SetExitCode(int) override {}
  bool InWizardLoop() const override { return false; }
  void SetWizardStep(int) override {}
  bool Silent() const override { return true; }
  void AddExitCleanup(std::function<void()>) override {}
};

// The install-type statements, registered once by the check's main.
vantrell::StatementTable table;

// Runs the statements with the given headers, one per statement.
void Run(const vantrell::testing::ScriptBuilder& builder, const std::vector<std::string>& headers,
         vantrell::TVariableManager& vars) {
  vantrell::SetupScript script = builder.Build();
  for (size_t i = 0; i < headers.size(); ++i) {
    script.statementHeaders.push_back(headers[i]);
    script.statementHeaders.push_back(std::to_string(i));
  }
  vantrell::testing::RecordingHost host;
  NoRunControl run;
  for (size_t i = 0; i < script.StatementCount(); ++i) {
    vantrell::StatementContext context{
        i, script.commands[i], script.identifiers[i], script, vars, host, run};
    (*table.Find(script.commands[i]))(context);
  }
}

// One text field of the first row of a query, read-only; "<none>" without a row.
std::string ReadText(const std::string& package, const std::string& sql) {
  std::string text = "<none>";
  MSIHANDLE database = 0;
  if (vantrell::msi::MsiOpenDatabaseA(package.c_str(), kReadOnly, &database) != ERROR_SUCCESS) {
    return "<no package>";
  }
  MSIHANDLE view = 0;
  if (vantrell::msi::MsiDatabaseOpenViewA(database, sql.c_str(), &view) == ERROR_SUCCESS &&
      vantrell::msi::MsiViewExecute(view, 0) == ERROR_SUCCESS) {
    MSIHANDLE record = 0;
    if (vantrell::msi::MsiViewFetch(view, &record) == ERROR_SUCCESS) {
      char buffer[1024];
      DWORD length = sizeof(buffer);
      if (vantrell::msi::MsiRecordGetStringA(record, 1, buffer, &length) == ERROR_SUCCESS)
        text.assign(buffer, length);
      vantrell::msi::MsiCloseHandle(record);
    }
    vantrell::msi::MsiViewClose(view);
  }
  if (view != 0) vantrell::msi::MsiCloseHandle(view);
  vantrell::msi::MsiCloseHandle(database);
  return text;
}

int ReadWordCount(const std::string& package) {
  int value = -1;
  MSIHANDLE database = 0;
  if (vantrell::msi::MsiOpenDatabaseA(package.c_str(), kReadOnly, &database) != ERROR_SUCCESS)
    return -2;
  MSIHANDLE info = 0;
  if (vantrell::msi::MsiGetSummaryInformationA(database, nullptr, 0, &info) == ERROR_SUCCESS) {
    UINT type = 0;
    FILETIME time{};
    DWORD length = 0;
    if (vantrell::msi::MsiSummaryInfoGetPropertyA(info, 15, &type, &value, &time, nullptr,
                                                  &length) != ERROR_SUCCESS) {
      value = -3;
    }
    vantrell::msi::MsiCloseHandle(info);
  }
  vantrell::msi::MsiCloseHandle(database);
  return value;
}

std::string PropertyValue(const std::string& package, const std::string& name) {
  return ReadText(package, "SELECT `Value` FROM `Property` WHERE `Property`='" + name + "'");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::printf(
        "usage: package_edit_check <x64 copy> <x86 copy> <patch stand-in> <install copy> "
        "<target>\n");
    return 99;
  }
  const std::string x64Copy = argv[1];
  const std::string x86Copy = argv[2];
  const std::string patchStandIn = argv[3];
  vantrell::TVariableManager vars;
  // A language is current: only the file type's identifier has a translation.
  vantrell::InstallStatementServices services;
  services.translate = [](const std::string& text, const std::string&,
                          int slot) -> std::optional<std::string> {
    if (text == "Vantrell.Document" && slot == 1) return "Vantrell.Dokument";
    return std::nullopt;
  };
  vantrell::RegisterInstallStatements(table, services);

  // The 64-bit package run as a 32-bit setup, with texts that try to break the SQL.
  vantrell::ResetInstallRecording();
  vars.PutVariable("TARGET", "C:\\Program Files\\It's Here");
  vars.PutVariable("LINES", "one\r\ntwo");
  Run(vantrell::testing::ScriptBuilder()
          .Add("Set 64 Bit Mode", {"FALSE", "FALSE", "FALSE"})
          .Add("Install Files", {"", "", "$TARGET$"})
          .Add("Create Shortcut",
               {"[P1A2B_1]readme.txt", "My Application's Start", "$TARGET$", "Starts it", "", ""})
          .Add("Advertised File Type", {"Vantrell.Document", "", "It's a document"})
          .Add("Set Environment", {"LINES", "$LINES$"}),
      {"FF", "1A2B", "3C4D", "5E6F", "7A8B"}, vars);
  vantrell::RecordProperty("Manufacturer", "Changed Maker");
  vantrell::RecordProperty("X' OR 'a'='a", "injected");
  vantrell::RecordProperty("NOTE", "v' WHERE `Property`='ProductName");
  vantrell::ApplyLocalizedTexts(x64Copy);
  vantrell::ApplyQueuedPackageEdits(x64Copy, false);
  CheckEqual(PropertyValue(x64Copy, "P7A8B_1"), "one\r\ntwo",
             "a line break reaches the table as CR LF");
  CheckEqual(PropertyValue(x64Copy, "P1A2B_1"), "C:\\Program Files\\It$QUOTE$s Here",
             "a quote becomes $QUOTE$");
  CheckEqual(PropertyValue(x64Copy, "ProductName"), "Vantrell Package Test",
             "a quote in a value cannot reach SQL");
  Check(ReadWordCount(x64Copy) == 8, "word count 8");
  Check(vantrell::PropertyQueue().empty(), "the queue is discarded once applied");
  CheckEqual(vantrell::EditedPackagePath(), "", "no new instance, no edited package");

  // The 32-bit package run as a 64-bit setup, as a new instance.
  vantrell::ResetInstallRecording();
  Run(vantrell::testing::ScriptBuilder()
          .Add("Set 64 Bit Mode", {"TRUE", "FALSE", "TRUE"})
          .Add("Install Files", {"", "", "C:\\Second"}),
      {"FF", "1A2B"}, vars);
  CheckEqual(vantrell::TargetPlatform(), "x64", "Set 64 Bit Mode TRUE, FALSE, TRUE selects x64");
  vantrell::RequestNewInstance("{0F1E2D3C-4B5A-4968-8778-695A4B3C2D1E}",
                               "{ABCDEF01-2345-4678-9ABC-DEF012345678}");
  vantrell::ApplyQueuedPackageEdits(x86Copy, false);
  CheckEqual(vantrell::EditedPackagePath(), x86Copy, "the new instance's package is remembered");
  CheckEqual(PropertyValue(x86Copy, "P1A2B_1"), "C:\\Second", "second package's folder");
  Check(ReadWordCount(x86Copy) == 8, "word count 8 on the second package");

  // A patch's summary names its target products, so it is left alone.
  vantrell::ApplyQueuedPackageEdits(patchStandIn, true);
  Check(ReadWordCount(patchStandIn) != 8, "a patch keeps its word count");

  // A missing package is skipped without an error.
  vantrell::RecordProperty("A1A2B", "TRUE");
  vantrell::ApplyQueuedPackageEdits("C:\\no\\such\\package.msi", false);
  Check(vantrell::PropertyQueue().empty(), "missing package: the queue is still discarded");
  // A run that installs the files into the target folder and skips the
  // shortcut: every part starts "FALSE", only the statement that runs turns on.
  vantrell::ResetInstallRecording();
  vantrell::SetTargetPlatform("Win32");
  vantrell::RecordProperty("A1A2B", "FALSE");
  vantrell::RecordProperty("A3C4D", "FALSE");
  vars.PutVariable("TARGETDIR", argv[5]);
  Run(vantrell::testing::ScriptBuilder().Add("Install Files", {"", "", "$TARGETDIR$\\Files"}),
      {"1A2B"}, vars);
  vantrell::ApplyQueuedPackageEdits(argv[4], false);
  CheckEqual(PropertyValue(argv[4], "A3C4D"), "FALSE", "the skipped statement's part stays off");
  return vantrell::wintest::Failures();
}
