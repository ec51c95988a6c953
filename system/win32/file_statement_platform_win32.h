// The file statements' platform calls on the running Windows system: the
// 64-bit file view, the current directory and component library of the
// calling thread, type library registration through oleaut32, server
// programs started with CreateProcess and the registration entries of
// libraries loaded with their own folder on the search path.
#pragma once

#include "system/file_statement_platform.h"

namespace vantrell {

class Win32FileStatementPlatform final : public FileStatementPlatform {
 public:
  std::unique_ptr<Scope> NativeFileView() override;
  std::string FullPath(const std::string& path) override;
  std::unique_ptr<Scope> EnterFolder(const std::string& folder) override;
  bool RegisterTypeLibrary(const std::string& path) override;
  bool UnregisterTypeLibrary(const std::string& path) override;
  bool StartProgram(const std::string& program, const std::string& commandLine) override;
  bool CallRegistrationEntry(const std::string& library, const std::string& entry) override;
};

}  // namespace vantrell
