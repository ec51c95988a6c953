// Installed-product queries (contract in installer_queries_win32.h).
#include "msi/win32/installer_queries_win32.h"

#include <windows.h>

#include "msi/win32/msi_library.h"

namespace vantrell {

int Win32InstallerQueries::QueryProductState(const std::string& productCode) {
  return msi::MsiQueryProductStateA(productCode.c_str());
}

std::optional<std::string> Win32InstallerQueries::ProductInfo(const std::string& productCode,
                                                              const std::string& property) {
  char buffer[260] = {};
  DWORD length = sizeof(buffer);
  if (msi::MsiGetProductInfoA(productCode.c_str(), property.c_str(), buffer, &length) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::string(buffer);
}

}  // namespace vantrell
