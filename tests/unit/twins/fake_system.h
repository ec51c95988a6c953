// System facts and installer twin: folders, registry values and installed
// products held in maps; queries can be told to fail like a missing msi.dll.
#pragma once

#include <map>
#include <set>
#include <string>

#include "common/engine_error.h"
#include "common/system_facts.h"

namespace vantrell::testing {

class FakeSystem final : public SystemFacts, public InstallerQueries {
 public:
  bool administrator = false;
  std::map<SpecialFolder, std::string> folders = {
      {SpecialFolder::kProgramFiles, "C:\\Program Files\\"},
      {SpecialFolder::kPersonal, "C:\\Users\\ann\\Documents\\"},
      {SpecialFolder::kCommonAppData, "C:\\ProgramData\\"},
      {SpecialFolder::kLocalAppData, "C:\\Users\\ann\\AppData\\Local\\"},
      {SpecialFolder::kAppData, "C:\\Users\\ann\\AppData\\Roaming\\"},
      {SpecialFolder::kDesktop, "C:\\Users\\ann\\Desktop\\"},
  };
  std::map<std::string, std::string> registry;  // "LM|key|value" -> data
  std::set<std::string> deleted;
  std::map<std::string, std::string> installed;  // product code -> package code
  bool installerMissing = false;

  static std::string Key(RegistryRoot root, const std::string& key, const std::string& value) {
    return std::string(root == RegistryRoot::kLocalMachine ? "LM|" : "CU|") + key + "|" + value;
  }

  bool IsAdministrator() override { return administrator; }
  std::string Folder(SpecialFolder folder) override { return folders[folder]; }
  std::optional<std::string> ReadRegistryString(RegistryRoot root, const std::string& key,
                                                const std::string& value) override {
    auto it = registry.find(Key(root, key, value));
    if (it == registry.end()) return std::nullopt;
    return it->second;
  }
  void DeleteRegistryValue(RegistryRoot root, const std::string& key,
                           const std::string& value) override {
    deleted.insert(Key(root, key, value));
    registry.erase(Key(root, key, value));
  }
  void HideAndCompressFolder(const std::string& folder, bool compressed) override {
    hidden[folder] = compressed;
  }
  std::map<std::string, bool> hidden;  // folder -> compressed
  int QueryProductState(const std::string& productCode) override {
    if (installerMissing) throw EngineError("Library not found: msi.dll");
    return installed.count(productCode) ? 5 : -1;
  }
  std::optional<std::string> ProductInfo(const std::string& productCode,
                                         const std::string& property) override {
    if (installerMissing) throw EngineError("Library not found: msi.dll");
    auto it = installed.find(productCode);
    if (it == installed.end() || property != "PackageCode") return std::nullopt;
    return it->second;
  }
};

}  // namespace vantrell::testing
