// The property transfer file: its place and name, its entries byte for byte,
// the variables left out, and the values remembered for the message handler.
#include <gtest/gtest.h>

#include "msi/property_transfer.h"
#include "vars/comma_text.h"

namespace vantrell {
namespace {

TEST(PropertyTransferFile, PathIsTheProductCodeInTheTemporaryFolder) {
  struct Row {
    const char* temp;
    const char* code;
    const char* path;
  } rows[] = {
      {"C:\\Temp\\", "{8A1B2C3D-0000-1111-2222-333344445555}",
       "C:\\Temp\\{8A1B2C3D-0000-1111-2222-333344445555}"},
      {"C:\\Temp", "{ABC}", "C:\\Temp\\{ABC}"},
      {"C:\\Temp\\", "", ""},
      {"C:\\Temp\\", "..", ""},
      {"C:\\Temp\\", "..\\..\\Windows\\x", ""},
      {"C:\\Temp\\", "a/b", ""},
      {"C:\\Temp\\", "C:x", ""},
      {"C:\\Temp\\", "{A\r}", ""},
  };
  for (const Row& row : rows)
    EXPECT_EQ(PropertyTransferFilePath(row.temp, row.code), row.path) << row.code;
}

TEST(PropertyTransferFile, CommaItemsAsTheStoreExportsThem) {
  TVariableManager vars;
  vars.PutVariable("A", "x, \"y\"");
  vars.PutVariable("B", "");
  std::vector<std::string> items = ReadCommaText(vars.ExportVariables());
  ASSERT_EQ(items.size(), 4u);
  std::vector<std::string> listed;
  vars.ListVariables(listed);
  EXPECT_EQ(items, listed);
  EXPECT_EQ(ReadCommaText("a,b,"), (std::vector<std::string>{"a", "b", ""}));
  EXPECT_EQ(ReadCommaText(""), std::vector<std::string>{});
}

TEST(PropertyTransferFile, PackageEntriesInOrder) {
  TVariableManager vars;
  vars.PutVariable("TARGETDIR", "C:\\Program Files\\Shop\\");
  PropertyTransferInput input;
  input.operation = InstallerOperation::kPackage;
  input.dataFolder = "C:\\Setup\\data\\";
  input.setupSourceFolder = "C:\\Setup\\";
  input.mediaPath = "\\Setup\\";
  input.propertyListText = "A1F,TRUE,P1F_1,$TARGETDIR$\\bin,A1F,FALSE";
  input.variablesText =
      "TARGETDIR,\"C:\\Program Files\\Shop\\\",ALLUSERS,TRUE,SourceDir,x,Title,\"My $TARGETDIR$\","
      "silent,true,PRODUCTNAME,Shop,MyVar,\\\\srv\\\\share";
  PropertyTransferFile file = ComposePropertyTransferFile(input, vars);
  EXPECT_EQ(file.content,
            "SourceDir\r\nC:\\Setup\\data\\\r\n$ex\r\n"
            "MEDIAPACKAGEPATH\r\n\\Setup\\\r\n$ex\r\n"
            "A1F\r\nTRUE\r\n$ex\r\n"
            "P1F_1\r\nC:\\Program Files\\Shop\\bin\r\n$ex\r\n"
            "A1F\r\nFALSE\r\n$ex\r\n"
            "TARGETDIR\r\nC:\\Program Files\\Shop\\\r\n$ex\r\n"
            "Title\r\nMy C:\\Program Files\\Shop\\\r\n$ex\r\n"
            "silent\r\ntrue\r\n$ex\r\n"
            "MyVar\r\n\\\\srv\\share\r\n$ex\r\n");
  EXPECT_TRUE(file.silent);
  EXPECT_EQ(file.title, "My C:\\Program Files\\Shop\\");
}

TEST(PropertyTransferFile, PatchEntriesUseTheSetupSourceFolder) {
  TVariableManager vars;
  PropertyTransferInput input;
  input.operation = InstallerOperation::kPatch;
  input.dataFolder = "C:\\Cache\\";
  input.setupSourceFolder = "C:\\Orig\\";
  input.mediaPath = "\\";
  PropertyTransferFile file = ComposePropertyTransferFile(input, vars);
  EXPECT_EQ(file.content, "SourceDir\r\nC:\\Orig\\\r\n$ex\r\nSRCDIREX\r\nC:\\Orig\\\r\n$ex\r\n");
  EXPECT_FALSE(file.silent);
  EXPECT_EQ(file.title, "");
}

TEST(PropertyTransferFile, SilentNeedsTrueNotMinusOne) {
  TVariableManager vars;
  struct Row {
    const char* value;
    bool silent;
  } rows[] = {{"TRUE", true}, {"True", true}, {"-1", false}, {"FALSE", false}, {"", false}};
  for (const Row& row : rows) {
    PropertyTransferInput input;
    input.variablesText = std::string("SILENT,\"") + row.value + "\"";
    EXPECT_EQ(ComposePropertyTransferFile(input, vars).silent, row.silent) << row.value;
  }
}

TEST(PropertyTransferFile, EveryInstallerPropertyNameIsLeftOut) {
  TVariableManager vars;
  PropertyTransferInput input;
  input.variablesText =
      "alluSERS,1,MsiLogging,x,REBOOT,R,SUPPORTDIR,C:\\s,SRCDIR,d,ProductLanguage,1033,VERSIONMSI,"
      "5,KEEP,1";
  const std::string content = ComposePropertyTransferFile(input, vars).content;
  EXPECT_EQ(content.substr(content.find("\r\n$ex\r\n", content.find("MEDIAPACKAGEPATH")) + 7),
            "KEEP\r\n1\r\n$ex\r\n");
}

TEST(PropertyTransferFile, LineBreaksKeepEntriesThreeLinesLong) {
  TVariableManager vars;
  vars.PutVariable("NEWLINE", "\r\n");
  PropertyTransferInput input;
  input.propertyListText = "P1_1,\"a$NEWLINE$b\",ODD";  // the unpaired last item is left out
  input.variablesText = "V,\"x\ny\rz\"";
  const std::string content = ComposePropertyTransferFile(input, vars).content;
  const std::string tail = "P1_1\r\na$NEWLINE$b\r\n$ex\r\nV\r\nx$NEWLINE$y$NEWLINE$z\r\n$ex\r\n";
  ASSERT_GE(content.size(), tail.size());
  EXPECT_EQ(content.substr(content.size() - tail.size()), tail);
  EXPECT_EQ(content.find("ODD"), std::string::npos);
}

}  // namespace
}  // namespace vantrell
