// The property transfer file's name and content (contract in the header).
#include "msi/property_transfer.h"

#include "vars/comma_text.h"

#include "common/ascii.h"
#include "msi/installer_property_names.h"

namespace vantrell {
namespace {

bool IsFileNameChar(char c) {
  auto u = static_cast<unsigned char>(c);
  if (u < 32) return false;
  return std::string_view("\\/:*?\"<>|").find(c) == std::string_view::npos;
}

// CR LF, a lone CR and a lone LF all become "$NEWLINE$".
std::string OneLine(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "$NEWLINE$";
    } else {
      out += text[i];
    }
  }
  return out;
}

void AppendEntry(std::string& out, std::string_view name, std::string_view value) {
  out += OneLine(name);
  out += "\r\n";
  out += OneLine(value);
  out += "\r\n";
  out += kTransferEntryEnd;
  out += "\r\n";
}

}  // namespace

std::string PropertyTransferFilePath(std::string_view tempFolder, std::string_view productCode) {
  if (productCode.empty() || productCode == "." || productCode == "..") return std::string();
  for (char c : productCode) {
    if (!IsFileNameChar(c)) return std::string();
  }
  std::string path(tempFolder);
  if (!path.empty() && path.back() != '\\') path += '\\';
  path.append(productCode);
  return path;
}

PropertyTransferFile ComposePropertyTransferFile(const PropertyTransferInput& input,
                                                 const TVariableManager& vars) {
  PropertyTransferFile file;
  std::string& out = file.content;
  const bool patch = input.operation == InstallerOperation::kPatch;
  AppendEntry(out, "SourceDir", patch ? input.setupSourceFolder : input.dataFolder);
  if (patch) {
    AppendEntry(out, "SRCDIREX", input.setupSourceFolder);
  } else {
    AppendEntry(out, "MEDIAPACKAGEPATH", input.mediaPath);
  }

  const std::vector<std::string> properties = ReadCommaText(input.propertyListText);
  for (size_t i = 0; i + 1 < properties.size(); i += 2) {
    AppendEntry(out, properties[i], vars.ExpandPath(properties[i + 1]));
  }

  const std::vector<std::string> variables = ReadCommaText(input.variablesText);
  for (size_t i = 0; i + 1 < variables.size(); i += 2) {
    const std::string upperName = AsciiUpper(variables[i]);
    const std::string value = vars.ExpandPath(variables[i + 1]);
    if (upperName == "SILENT") file.silent = AsciiUpper(value) == "TRUE";
    if (upperName == "TITLE") file.title = value;
    if (!IsInstallerPropertyName(upperName)) AppendEntry(out, variables[i], value);
  }
  return file;
}

}  // namespace vantrell
