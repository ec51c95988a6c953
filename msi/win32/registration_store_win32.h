// The registry writes and cache folder operations of the product registration
// on the running Windows system; deletion at restart uses the system's delayed
// move (wininit.ini on the Windows 95 family).
#pragma once

#include "common/registration_store.h"

namespace vantrell {

class Win32RegistrationStore final : public RegistrationStore {
 public:
  bool WriteString(RegistryRoot root, const std::string& key, const std::string& value,
                   const std::string& data) override;
  bool DeleteKey(RegistryRoot root, const std::string& key) override;
};

class Win32CacheFolderSystem final : public CacheFolderSystem {
 public:
  bool MoveFolder(const std::string& from, const std::string& to) override;
  bool DeleteAtRestart(const std::string& path) override;
  void SetCompression(const std::string& folder, bool compressed) override;
  std::string ShortPath(const std::string& path) override;
};

// The family of the running system.
PlatformFamily CurrentPlatformFamily();

}  // namespace vantrell
