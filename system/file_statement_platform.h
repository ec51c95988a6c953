// What the immediate file statements need from the platform beyond the file
// system: the 64-bit file view of the target platform, and the calls that
// register and unregister type libraries, server programs and libraries.
// The Windows side calls the real API; native tests use a recording twin.
#pragma once

#include <memory>
#include <string>

namespace vantrell {

class FileStatementPlatform {
 public:
  // Undoes what it stands for when destroyed.
  class Scope {
   public:
    virtual ~Scope() = default;
  };

  virtual ~FileStatementPlatform() = default;

  // The 64-bit file view for the calling thread (file-system redirection off
  // on 64-bit Windows when the target platform is not "Win32").
  virtual std::unique_ptr<Scope> NativeFileView() = 0;
  // The absolute form of path against the current directory; path itself
  // when none can be formed.
  virtual std::string FullPath(const std::string& path) = 0;
  // Initialises the component library for the calling thread and makes
  // folder the current directory; both are undone when the scope ends.
  virtual std::unique_ptr<Scope> EnterFolder(const std::string& folder) = 0;

  // Loads the type library and registers it with the folder of its help file.
  virtual bool RegisterTypeLibrary(const std::string& path) = 0;
  // Loads the type library and removes the registration of its identifier,
  // version, locale and platform.
  virtual bool UnregisterTypeLibrary(const std::string& path) = 0;
  // Starts program with the complete command line and does not wait for it.
  virtual bool StartProgram(const std::string& program, const std::string& commandLine) = 0;
  // Loads the library, calls its exported entry (no arguments, result code)
  // once and frees it; true when the entry exists and returns 0.
  virtual bool CallRegistrationEntry(const std::string& library, const std::string& entry) = 0;
};

}  // namespace vantrell
