// In-memory twin of SecurityPlatform: named objects with their DACL bytes
// (or none), accounts by name, shares by computer and name, printers; every
// call is recorded in order ("read", "write", "share", ...) with the number
// of file-view scopes open at that moment.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "system/security_platform.h"

namespace vantrell::testing {

class SecurityTwin final : public SecurityPlatform {
 public:
  struct Object {
    uint32_t readCode = kSecurityOk;
    uint32_t writeCode = kSecurityOk;
    std::optional<std::string> acl;
  };
  struct Share {
    uint32_t type = 0;
    std::string path;
    std::string remark;
  };

  std::map<std::pair<SecuredObjectKind, std::string>, Object> objects;
  std::map<std::string, std::string> accounts;  // name -> SID bytes
  std::optional<std::string> userSid;
  std::map<std::pair<std::string, std::string>, Share> shares;  // (computer, name)
  std::map<std::string, std::string> printerShares;             // printer -> share name
  uint32_t shareCode = kSecurityOk;                             // answer of share creation
  std::string computerName = "HOST";

  std::vector<std::string> calls;
  std::vector<int> scopesAtCall;
  int accountLookups = 0;
  int userLookups = 0;
  int openScopes = 0;

  Object& ObjectAt(SecuredObjectKind kind, const std::string& name) {
    return objects[{kind, name}];
  }

  std::unique_ptr<Scope> NativeFileView() override { return std::make_unique<ViewScope>(*this); }
  std::optional<std::string> ProcessUserSid() override {
    ++userLookups;
    return userSid;
  }
  std::optional<std::string> AccountSid(const std::string& name) override {
    ++accountLookups;
    Record("account " + name);
    auto found = accounts.find(name);
    if (found == accounts.end()) return std::nullopt;
    return found->second;
  }
  DaclRead ReadDacl(SecuredObjectKind kind, const std::string& name) override {
    Record("read " + name);
    auto found = objects.find({kind, name});
    if (found == objects.end()) return DaclRead{2, std::nullopt};  // no such object
    if (found->second.readCode != kSecurityOk) return DaclRead{found->second.readCode, {}};
    return DaclRead{kSecurityOk, found->second.acl};
  }
  uint32_t WriteDacl(SecuredObjectKind kind, const std::string& name,
                     const std::optional<std::string>& acl) override {
    Record("write " + name + (acl ? "" : " (no list)"));
    Object& object = objects[{kind, name}];
    if (object.writeCode != kSecurityOk) return object.writeCode;
    object.acl = acl;
    writes.push_back(acl);
    return kSecurityOk;
  }
  uint32_t AddDiskShare(const DiskShare& share) override {
    Record("share " + share.computer + "|" + share.name + "|" + share.remark + "|" + share.path);
    if (shareCode == kSecurityOk)
      shares[{share.computer, share.name}] = {0, share.path, share.remark};
    return shareCode;
  }
  uint32_t SharePrinter(const std::string& printer, const std::string& shareName,
                        const std::string& remark) override {
    Record("share printer " + printer + "|" + shareName + "|" + remark);
    if (shareCode == kSecurityOk) printerShares[printer] = shareName;
    return shareCode;
  }
  uint32_t UnsharePrinter(const std::string& printer) override {
    Record("unshare printer " + printer);
    return printerShares.erase(printer) == 1 ? kSecurityOk : 1801;
  }
  ShareLookup FindShare(const std::string& computer, const std::string& name) override {
    Record("find " + computer + "|" + name);
    auto found = shares.find({computer, name});
    if (found == shares.end()) return ShareLookup{2310, 0, {}};
    return ShareLookup{kSecurityOk, found->second.type, found->second.path};
  }
  uint32_t DeleteShare(const std::string& computer, const std::string& name) override {
    Record("delete " + computer + "|" + name);
    return shares.erase({computer, name}) == 1 ? kSecurityOk : 2310;
  }
  std::string LocalComputerName() override { return computerName; }
  bool Touch(const std::string& path) override {
    Record("touch " + path);
    return true;
  }

  std::vector<std::optional<std::string>> writes;  // every list written, in order

 private:
  class ViewScope final : public Scope {
   public:
    explicit ViewScope(SecurityTwin& twin) : twin_(twin) { ++twin_.openScopes; }
    ~ViewScope() override { --twin_.openScopes; }

   private:
    SecurityTwin& twin_;
  };

  void Record(std::string call) {
    calls.push_back(std::move(call));
    scopesAtCall.push_back(openScopes);
  }
};

}  // namespace vantrell::testing
