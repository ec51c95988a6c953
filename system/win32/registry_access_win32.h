// RegistryAccess on the real registry: ANSI registry calls with the view flag
// added to every key's access rights, keys closed by their owners, and every
// call's result checked.
#pragma once

#include "system/registry_access.h"

namespace vantrell {

class Win32RegistryAccess final : public RegistryAccess {
 public:
  bool Is64BitWindows() override;
  RegistryData ReadValue(RegistryRoot hive, RegistryView view, const std::string& key,
                         const std::string& value) override;
  std::optional<std::vector<std::string>> SubKeys(RegistryRoot hive, RegistryView view,
                                                  const std::string& key) override;
  bool DeleteValue(RegistryRoot hive, RegistryView view, const std::string& key,
                   const std::string& value) override;
  bool DeleteKey(RegistryRoot hive, RegistryView view, const std::string& parent,
                 const std::string& name) override;
};

}  // namespace vantrell
