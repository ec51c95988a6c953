// System facts of the running Windows system.
#pragma once

#include <map>
#include <mutex>

#include "common/system_facts.h"

namespace vantrell {

class Win32SystemFacts final : public SystemFacts {
 public:
  bool IsAdministrator() override;
  std::string Folder(SpecialFolder folder) override;
  std::optional<std::string> ReadRegistryString(RegistryRoot root, const std::string& key,
                                                const std::string& value) override;
  void DeleteRegistryValue(RegistryRoot root, const std::string& key,
                           const std::string& value) override;
  void HideAndCompressFolder(const std::string& folder, bool compressed) override;

 private:
  // The shell is asked once per folder: the answers do not change during a run.
  std::mutex foldersMutex_;
  std::map<SpecialFolder, std::string> folders_;
};

}  // namespace vantrell
