// SecurityPlatform on Windows: accounts through the process token and the
// account-name lookup, DACLs through the named-object security functions
// (looked up in advapi32.dll at run time), shares through netapi32 at level 2
// and printer shares through winspool's level-2 printer information.
#pragma once

#include "system/security_platform.h"

namespace vantrell {

class Win32SecurityPlatform final : public SecurityPlatform {
 public:
  std::unique_ptr<Scope> NativeFileView() override;
  std::optional<std::string> ProcessUserSid() override;
  std::optional<std::string> AccountSid(const std::string& name) override;
  DaclRead ReadDacl(SecuredObjectKind kind, const std::string& name) override;
  uint32_t WriteDacl(SecuredObjectKind kind, const std::string& name,
                     const std::optional<std::string>& acl) override;
  uint32_t AddDiskShare(const DiskShare& share) override;
  uint32_t SharePrinter(const std::string& printer, const std::string& shareName,
                        const std::string& remark) override;
  uint32_t UnsharePrinter(const std::string& printer) override;
  ShareLookup FindShare(const std::string& computer, const std::string& name) override;
  uint32_t DeleteShare(const std::string& computer, const std::string& name) override;
  std::string LocalComputerName() override;
  bool Touch(const std::string& path) override;
};

}  // namespace vantrell
