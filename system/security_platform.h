// What the share and access-control statements need from the platform: the
// accounts (as binary SIDs), the discretionary access control list of a named
// object (as the bytes of the platform's ACL layout), and the network-share
// and printer-share calls. Every call reports the platform's error code
// instead of failing; the statements record it and go on. The Windows side
// calls advapi32, netapi32 and winspool; native tests use a twin.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vantrell {

// Named-object types as the platform numbers them.
enum class SecuredObjectKind : uint32_t {
  kFile = 1,
  kService = 2,
  kPrinter = 3,
  kRegistryKey = 4,
  kShare = 5,
};

inline constexpr uint32_t kSecurityOk = 0;

// The DACL of a named object as read: code 0 on success, and then the list's
// bytes, or nullopt when the object has no list (every access allowed).
struct DaclRead {
  uint32_t code = kSecurityOk;
  std::optional<std::string> acl;
};

// A disk share at information level 2.
struct DiskShare {
  std::string computer;  // empty: the local computer
  std::string name;
  std::string remark;
  std::string path;
};

// What a share lookup at level 2 found.
struct ShareLookup {
  uint32_t code = kSecurityOk;
  uint32_t type = 0;  // the share type; 1: a printer queue
  std::string path;   // a printer share's printer
};

inline constexpr uint32_t kSharePrinterQueue = 1;

class SecurityPlatform {
 public:
  // Undoes what it switched when destroyed.
  class Scope {
   public:
    virtual ~Scope() = default;
  };

  virtual ~SecurityPlatform() = default;

  // The 64-bit file view of the target platform for the calling thread.
  virtual std::unique_ptr<Scope> NativeFileView() = 0;

  // The user SID of the engine process's token.
  virtual std::optional<std::string> ProcessUserSid() = 0;
  // The SID of an account name by the platform's account lookup.
  virtual std::optional<std::string> AccountSid(const std::string& name) = 0;

  virtual DaclRead ReadDacl(SecuredObjectKind kind, const std::string& name) = 0;
  // Stores the list (nullopt: no list at all) as the object's DACL.
  virtual uint32_t WriteDacl(SecuredObjectKind kind, const std::string& name,
                             const std::optional<std::string>& acl) = 0;

  virtual uint32_t AddDiskShare(const DiskShare& share) = 0;
  // Shares the printer under the name (printer level 2, shared attribute,
  // no security descriptor), then gives the new share the remark, full
  // permissions, no password and unlimited users.
  virtual uint32_t SharePrinter(const std::string& printer, const std::string& shareName,
                                const std::string& remark) = 0;
  // Clears the printer's shared attribute.
  virtual uint32_t UnsharePrinter(const std::string& printer) = 0;
  virtual ShareLookup FindShare(const std::string& computer, const std::string& name) = 0;
  virtual uint32_t DeleteShare(const std::string& computer, const std::string& name) = 0;

  virtual std::string LocalComputerName() = 0;
  // Asks for the attributes of a path; true when the answer came.
  virtual bool Touch(const std::string& path) = 0;
};

}  // namespace vantrell
