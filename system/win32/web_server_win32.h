// The web server's platform on Windows: the metabase's automation objects
// through late binding on a new `IISNamespace` object (COM started on the
// calling thread at the first need), the wrapper library written from the
// engine's resource "DLL" and loaded for each call.
#pragma once

#include <string>

#include "system/web_server_platform.h"

namespace vantrell {

// The resource that carries the wrapper library (raw data).
inline constexpr const char* kWrapperLibraryResource = "DLL";

class Win32AdminLibrary final : public WebAdminLibrary {
 public:
  bool CreateIISSite(const std::string& library, const WrapperSite& site) override;
  std::optional<bool> CreateIISSiteFolder(const std::string& library,
                                          const WrapperFolder& folder) override;
  std::optional<bool> DeleteIISSiteFolder(const std::string& library, int32_t site,
                                          const std::string& path) override;
  std::optional<bool> DeleteIISSite(const std::string& library, int32_t site) override;
  std::optional<bool> ControlIISSite(const std::string& library, int32_t site,
                                     int32_t action) override;
  std::optional<std::string> GetIISSiteList(const std::string& library) override;
  std::optional<int32_t> GetIISSiteIndex(const std::string& library,
                                         const std::string& description) override;
  std::optional<std::string> GetIISProperty(const std::string& library, int32_t site,
                                            const std::string& path,
                                            const std::string& property) override;
  std::optional<bool> SetIISProperty(const std::string& library, int32_t site,
                                     const std::string& path, const std::string& property,
                                     const std::string& value) override;
  std::optional<std::string> GetIISAnonUser(const std::string& library) override;
  std::optional<int32_t> GetIISUniqueAccountID(const std::string& library) override;
  std::optional<int32_t> GetIISSiteState(const std::string& library, int32_t site) override;
};

class Win32WebServer final : public WebServerPlatform {
 public:
  std::unique_ptr<AutomationObject> NewNamespace() override;
  bool WriteWrapperLibrary(const std::string& path) override;
  WebAdminLibrary& Wrapper() override { return library_; }

 private:
  bool comStarted_ = false;
  Win32AdminLibrary library_;
};

}  // namespace vantrell
