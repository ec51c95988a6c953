// Built-in command names and the statement table (contract in statements.h).
#include "script/statements.h"

#include <algorithm>
#include <stdexcept>

namespace vantrell {

const std::vector<std::string_view>& BuiltInCommandNames() {
  static const std::vector<std::string_view> names = {"Advertised File Type",
                                                      "Advertised Shortcut",
                                                      "Apply Changes",
                                                      "Apply Patch",
                                                      "Check Disk Space",
                                                      "Check File Version",
                                                      "Check Process",
                                                      "Check Registry",
                                                      "Check Service",
                                                      "Comment",
                                                      "Control IIS Site",
                                                      "Control Service",
                                                      "Convert Case",
                                                      "Convert Path",
                                                      "Copy/Move Local Files",
                                                      "Create File Type",
                                                      "Create Folder",
                                                      "Create IIS Site",
                                                      "Create ODBC DSN",
                                                      "Create Share",
                                                      "Create Shortcut",
                                                      "Create Virtual Folder",
                                                      "Define Component",
                                                      "Delete Component",
                                                      "Delete Files",
                                                      "Delete Files Recursive",
                                                      "Delete IIS Site",
                                                      "Delete Registry",
                                                      "Delete Scheduled Task",
                                                      "Delete Share",
                                                      "Delete Virtual Folder",
                                                      "Display Dialog",
                                                      "Does File/Folder Exist",
                                                      "Edit INI File",
                                                      "Else",
                                                      "Else If",
                                                      "End",
                                                      "Evaluate Expression",
                                                      "Extract 7Zip Archive",
                                                      "Extract Path",
                                                      "Find All Files",
                                                      "Generate Native Images",
                                                      "Get Component Space",
                                                      "Get Component State",
                                                      "Get Environment",
                                                      "Get File Version",
                                                      "Get Folder Location",
                                                      "Get IIS Property",
                                                      "Get IIS Site Index",
                                                      "Get IIS Site List",
                                                      "Get INI File Settings",
                                                      "Get OS or SP Level",
                                                      "Get System Settings",
                                                      "Get Temporary File",
                                                      "GoTo Label",
                                                      "Hide Dialog",
                                                      "If",
                                                      "Ignore",
                                                      "IIS Anonymous User",
                                                      "Install Assembly",
                                                      "Install Files",
                                                      "Install ODBC Driver",
                                                      "Install Service",
                                                      "Is MSI Setup Installed",
                                                      "Load Feature Selections",
                                                      "Localization Variable",
                                                      "Mathematics",
                                                      "MessageBalloon",
                                                      "MessageBox",
                                                      "Parse String",
                                                      "Read from Text File",
                                                      "Read Registry",
                                                      "Reboot and Resume",
                                                      "Reboot Computer",
                                                      "Register Assembly",
                                                      "Register Library",
                                                      "Remove Assemblies",
                                                      "Replace String",
                                                      "Run .NET Installer Class",
                                                      "Run Light Mode Setup",
                                                      "Run Program",
                                                      "Run Program As",
                                                      "Save Feature Selections",
                                                      "Schedule Task",
                                                      "Set 64 Bit Mode",
                                                      "Set Access Control",
                                                      "Set Component Choice",
                                                      "Set Component Space",
                                                      "Set Component State",
                                                      "Set Component Visibility",
                                                      "Set Environment",
                                                      "Set IIS Property",
                                                      "Set Variable",
                                                      "System Tray",
                                                      "Terminate Install",
                                                      "Terminate Program",
                                                      "Terminate with Exit Code",
                                                      "Transform Instance",
                                                      "Web Media Block",
                                                      "Wizard Loop",
                                                      "Write Registry",
                                                      "Write to Text File"};
  return names;
}

bool IsBuiltInCommand(std::string_view name) {
  const auto& names = BuiltInCommandNames();
  return std::find(names.begin(), names.end(), name) != names.end();
}

void StatementTable::Register(std::string_view name, StatementHandler handler) {
  if (!IsBuiltInCommand(name))
    throw std::logic_error("not a built-in command: " + std::string(name));
  if (!handler) {
    entries_.erase(std::string(name));
    return;
  }
  entries_[std::string(name)] = Entry{std::move(handler), module_};
}

const StatementHandler* StatementTable::Find(std::string_view name) const {
  auto it = entries_.find(name);
  return it == entries_.end() ? nullptr : &it->second.handler;
}

std::string StatementTable::ModuleOf(std::string_view name) const {
  auto it = entries_.find(name);
  return it == entries_.end() ? std::string() : it->second.module;
}

}  // namespace vantrell
