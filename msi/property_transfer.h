// The property transfer file that an installer run leaves in the temporary
// folder for the package: named after the product code, entries of three CR LF
// lines (name, value, "$ex"). The engine only writes it; the package reads it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "msi/property_command_line.h"
#include "vars/variable_manager.h"

namespace vantrell {

inline constexpr std::string_view kTransferEntryEnd = "$ex";

// Temporary folder + product code (no extension); a missing separator is
// added. Empty when the product code cannot be a plain file name (empty, ".",
// "..", or holding a path separator or a character Windows file names refuse),
// so that the caller writes no file rather than one outside the folder.
std::string PropertyTransferFilePath(std::string_view tempFolder, std::string_view productCode);

struct PropertyTransferInput {
  InstallerOperation operation = InstallerOperation::kPackage;
  std::string dataFolder;
  std::string setupSourceFolder;
  std::string mediaPath;
  std::string propertyListText;  // comma text: name, value, name, value, ...
  std::string variablesText;     // the store's export
};

struct PropertyTransferFile {
  std::string content;
  // Remembered while walking the variables, for the installer message handler.
  bool silent = false;
  std::string title;
};

// Entries in order: "SourceDir"; "MEDIAPACKAGEPATH" (patch: "SRCDIREX");
// every property list pair; every variable that is not an installer property
// name. Property and variable values are expanded as paths with vars. A line
// break inside a name or value is written as "$NEWLINE$" so that every entry
// keeps its three lines; an unpaired last item is left out.
PropertyTransferFile ComposePropertyTransferFile(const PropertyTransferInput& input,
                                                 const TVariableManager& vars);

}  // namespace vantrell
