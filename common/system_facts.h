// Facts of the running system that the bootstrap and the statements read:
// the administrator test, special folders and the registry. The Windows side
// asks the real system; native tests use a twin.
#pragma once

#include <optional>
#include <string>

#include "common/registry.h"

namespace vantrell {

enum class SpecialFolder {
  kProgramFiles,
  kPersonal,  // the user's documents
  kCommonAppData,
  kLocalAppData,
  kAppData,  // roaming application data
  kDesktop,
};

class SystemFacts {
 public:
  virtual ~SystemFacts() = default;
  // An administrator (on Windows 6 and later: an elevated one).
  virtual bool IsAdministrator() = 0;
  // The folder with a trailing backslash, or empty when the system has none.
  virtual std::string Folder(SpecialFolder folder) = 0;
  // A string value (REG_SZ or REG_EXPAND_SZ, unexpanded); nullopt when absent or on any error.
  virtual std::optional<std::string> ReadRegistryString(RegistryRoot root, const std::string& key,
                                                        const std::string& value) = 0;
  virtual void DeleteRegistryValue(RegistryRoot root, const std::string& key,
                                   const std::string& value) = 0;
  // Hides a folder and switches its file-system compression on or off; best effort.
  virtual void HideAndCompressFolder(const std::string& folder, bool compressed) = 0;
};

// Windows Installer's knowledge of installed products.
class InstallerQueries {
 public:
  virtual ~InstallerQueries() = default;
  // 5 when installed; binding errors are raised as engine errors.
  virtual int QueryProductState(const std::string& productCode) = 0;
  // The product's property, or nullopt on any installer error.
  virtual std::optional<std::string> ProductInfo(const std::string& productCode,
                                                 const std::string& property) = 0;
};

}  // namespace vantrell
