// What keeping and registering the setup needs from the system beyond files
// and registry reads: registry writes and key deletion, and the folder moves,
// compression, short paths and delete-at-restart of the engine cache folder.
#pragma once

#include <string>

#include "common/system_facts.h"

namespace vantrell {

class RegistrationStore {
 public:
  virtual ~RegistrationStore() = default;
  // Creates the key when missing and writes a string value (empty name: the
  // key's default value); false when either step fails.
  virtual bool WriteString(RegistryRoot root, const std::string& key, const std::string& value,
                           const std::string& data) = 0;
  // Deletes a key that has no sub-keys; a missing key counts as deleted.
  virtual bool DeleteKey(RegistryRoot root, const std::string& key) = 0;
};

class CacheFolderSystem {
 public:
  virtual ~CacheFolderSystem() = default;
  // Renames a folder to a sibling path that does not exist yet.
  virtual bool MoveFolder(const std::string& from, const std::string& to) = 0;
  // Deletes a file, or an empty folder, at the next restart of the system.
  virtual bool DeleteAtRestart(const std::string& path) = 0;
  // File-system default compression on, or compression off; best effort.
  virtual void SetCompression(const std::string& folder, bool compressed) = 0;
  // The short (8.3) form of an existing path; the path itself when there is none.
  virtual std::string ShortPath(const std::string& path) = 0;
};

// The system family, where registration differs between them.
struct PlatformFamily {
  bool windows9x = false;          // registry root always the local machine
  bool windows2000OrLater = true;  // the installer's own uninstall entry may be touched
};

}  // namespace vantrell
