// The Windows Installer property names the engine knows, to tell installer
// properties from its own variables when the store is handed to the installer.
#pragma once

#include <string_view>

namespace vantrell {

// True when the name (ignoring case) is a Windows Installer property name.
bool IsInstallerPropertyName(std::string_view name);

}  // namespace vantrell
