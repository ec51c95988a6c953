// Installer folders and the property command line (contract in the header).
#include "msi/property_command_line.h"

#include "common/paths.h"

namespace vantrell {
namespace {

bool HasBlank(std::string_view text) {
  return text.find(' ') != std::string_view::npos;
}

// The short form when there is one, the original otherwise; quote is set when
// the path that stays may still hold a blank.
std::string Shorten(std::string_view path, const InstallerPathService& service, bool& quote) {
  std::optional<std::string> shortForm;
  if (service.shortPath) shortForm = service.shortPath(path);
  if (!shortForm || shortForm->empty()) {
    quote = true;
    return std::string(path);
  }
  if (HasBlank(*shortForm)) quote = true;
  return *shortForm;
}

bool FolderExists(const InstallerPathService& service, std::string_view folder) {
  return service.folderExists && service.folderExists(folder);
}

// `NAME=value ` or `NAME="value" `.
void AppendItem(std::string& out, std::string_view name, std::string_view value, bool quoteFlag) {
  out.append(name);
  out += '=';
  if (quoteFlag || CommandLineValueNeedsQuotes(value)) {
    out += QuoteCommandLineValue(value);
  } else {
    out.append(value);
  }
  out += ' ';
}

void AppendSourceBlock(std::string& out, const CommandLineRequest& request) {
  const InstallerPaths& paths = request.paths;
  AppendItem(out, "SRCDIR", paths.dataFolder, paths.sourceQuote);
  out += "SOURCELIST=";
  out += ComposeSourceList(paths);
  out += ' ';
  AppendItem(out, "MEDIAPACKAGEPATH", paths.mediaPath, paths.sourceQuote);
  out += "REBOOT=R ";
}

void AppendProductBlock(std::string& out, const CommandLineRequest& request) {
  out += "ARPSYSTEMCOMPONENT=1 ARPNOREMOVE=1 ARPNOMODIFY=1 ARPNOREPAIR=1 ARPINSTALLLOCATION=";
  out += QuoteCommandLineValue(request.targetFolder);
  out += ' ';
}

}  // namespace

std::string MediaPathOfDataFolder(std::string_view dataFolder) {
  std::string_view folder = dataFolder;
  if (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
  size_t last = folder.find_last_of('\\');
  folder = last == std::string_view::npos ? std::string_view() : folder.substr(0, last + 1);
  if (folder.size() >= 2 && folder[1] == ':') {
    folder.remove_prefix(2);
  } else if (folder.size() >= 2 && folder[0] == '\\' && folder[1] == '\\') {
    // "\\server\share" is the drive of a network path.
    size_t server = folder.find('\\', 2);
    size_t share = server == std::string_view::npos ? server : folder.find('\\', server + 1);
    folder = share == std::string_view::npos ? std::string_view() : folder.substr(share);
  }
  return std::string(folder);
}

InstallerPaths PrepareInstallerPaths(InstallerOperation operation, std::string_view packagePath,
                                     std::string_view dataFolder,
                                     std::string_view setupSourceFolder,
                                     const InstallerPathService& service) {
  InstallerPaths paths;
  paths.dataFolder = std::string(dataFolder);
  paths.setupSourceFolder = std::string(setupSourceFolder);
  paths.packageFolder = Shorten(FolderPart(packagePath), service, paths.packageQuote);
  if (operation == InstallerOperation::kPatch) {
    if (FolderExists(service, paths.setupSourceFolder)) {
      paths.setupSourceFolder = Shorten(paths.setupSourceFolder, service, paths.sourceQuote);
    }
  } else if (!FolderExists(service, paths.dataFolder) && service.createFolder) {
    service.createFolder(paths.dataFolder);
  }
  if (FolderExists(service, paths.dataFolder)) {
    paths.dataFolder = Shorten(paths.dataFolder, service, paths.sourceQuote);
  }
  paths.mediaPath = MediaPathOfDataFolder(paths.dataFolder);
  return paths;
}

bool CommandLineValueNeedsQuotes(std::string_view value) {
  return value.empty() || value.find_first_of(" \t\"") != std::string_view::npos;
}

std::string QuoteCommandLineValue(std::string_view value) {
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string ComposeSourceList(const InstallerPaths& paths) {
  std::string list = paths.dataFolder + ";" + paths.packageFolder;
  if (paths.packageQuote || paths.sourceQuote || CommandLineValueNeedsQuotes(list)) {
    return QuoteCommandLineValue(list);
  }
  return list;
}

CommandLineVariables ReadCommandLineVariables(const TVariableManager& vars) {
  CommandLineVariables values;
  values.allUsers = vars.GetVariable("ALLUSERS");
  values.disableRollback = vars.GetVariable("VELD_DISABLE_ROLLBACK");
  values.disableRestartManager = vars.GetVariable("VELD_DISABLE_VISTA_RESTART_MANAGER");
  return values;
}

PropertyCommandLine ComposePropertyCommandLine(const CommandLineRequest& request) {
  PropertyCommandLine result;
  const bool patch = request.operation == InstallerOperation::kPatch;
  if (!patch && !request.install && request.windows9x) {
    result.call = InstallerCall::kRemoveThroughPackage;
    return result;
  }
  std::string& out = result.text;
  if (patch) {
    result.call = InstallerCall::kApplyPatch;
    out += "ADDLOCAL=ALL ";
  } else if (!request.install) {
    out += "REMOVE=ALL ";
  } else if (!request.productInstalled) {
    out += request.advertise ? "ADVERTISE=ALL " : "ADDLOCAL=ALL ";
  } else if (!request.advertise && request.cacheHasAdvertisedFolder) {
    out += "ADDLOCAL=ALL ADVERTISE=\"\" ";
  } else {
    out += "REINSTALL=ALL REINSTALLMODE=vomus ";
  }
  // Exact comparisons: "true" in lower case is not taken.
  out += request.variables.allUsers == "TRUE" ? "ALLUSERS=1 " : "ALLUSERS=\"\" ";
  if (request.variables.disableRollback == "TRUE") out += "DISABLEROLLBACK=1 ";
  if (request.variables.disableRestartManager == "TRUE") out += "MSIRESTARTMANAGERCONTROL=Disable ";
  if (patch) {
    AppendItem(out, "SRCDIR", request.paths.setupSourceFolder, request.paths.sourceQuote);
    AppendItem(out, "SRCDIREX", request.paths.setupSourceFolder, request.paths.sourceQuote);
  } else {
    if (request.install) AppendProductBlock(out, request);
    AppendSourceBlock(out, request);
  }
  return result;
}

std::vector<std::pair<std::string, std::string>> PackageRemovalProperties(
    const CommandLineRequest& request) {
  const InstallerPaths& paths = request.paths;
  return {
      {"ALLUSERS", request.variables.allUsers == "TRUE" ? "1" : ""},
      {"REMOVE", "ALL"},
      {"SRCDIR", paths.dataFolder},
      {"SOURCELIST", paths.dataFolder + ";" + paths.packageFolder},
      {"MEDIAPACKAGEPATH", paths.mediaPath},
      {"REBOOT", "R"},
  };
}

}  // namespace vantrell
