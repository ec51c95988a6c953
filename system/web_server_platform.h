// What the web server statements need from the system: the metabase's
// automation objects (reached by late binding from a new `IISNamespace`
// object), the exports of the wrapper library for servers of version 7.0 and
// later, and the writing of that library from the engine's resources. The
// Windows side talks to the real objects and library; native tests use twins.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace vantrell {

// One element of a folder's `MimeMap` list.
struct MimeEntry {
  std::string extension;
  std::string type;
  bool operator==(const MimeEntry&) const = default;
};

// A property value or method argument: text, integer, truth value or MIME map.
using AutomationValue = std::variant<std::string, int32_t, bool, std::vector<MimeEntry>>;

// Raised by every automation call that fails; the statements catch it.
class AutomationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One metabase object (the web service, a site, a folder, a pool). Every
// call raises AutomationError when the object refuses it.
class AutomationObject {
 public:
  virtual ~AutomationObject() = default;

  // The child of that class and name (the object's "GetObject"), a new child ("Create")
  // and the removal of one ("Delete").
  virtual std::unique_ptr<AutomationObject> Open(const std::string& className,
                                                 const std::string& name) = 0;
  virtual std::unique_ptr<AutomationObject> Create(const std::string& className,
                                                   const std::string& name) = 0;
  virtual void Delete(const std::string& className, const std::string& name) = 0;

  virtual AutomationValue Get(const std::string& property) = 0;
  virtual void Put(const std::string& property, const AutomationValue& value) = 0;
  // A method whose result is not used ("SetInfo", "Start", "AppCreate2", ...).
  virtual void Call(const std::string& method, const std::vector<AutomationValue>& arguments) = 0;
  // Each child in the server's order; an error during the walk is raised
  // after the children visited so far.
  virtual void EachChild(const std::function<void(AutomationObject&)>& visit) = 0;
};

// "Create IIS Site" as the wrapper library receives it: lines 1 to 6 as
// text (line 2 as the site number chosen), then the rest in line order.
struct WrapperSite {
  std::string description, number, address, hostHeader, port, sslPort;
  int32_t connectionTimeout = 0;
  bool keepAlive = false, logVisits = false, allowAsp = false, allowExecutables = false,
       unlimitedConnections = false, wrapperFlag = false;
  int32_t maxConnections = 0;
  int32_t serverSize = 0;
};

// "Create Virtual Folder" as the wrapper library receives it.
struct WrapperFolder {
  std::string path;
  int32_t site = 0;
  std::string physicalPath;
  bool scriptSource = false, read = false, write = false, browse = false, logVisits = false,
       indexed = false;
  int32_t protection = 0;
  int32_t execute = 0;
  bool defaultDocEnabled = false;
  std::string defaultDocuments, footer;
  bool anonymous = false, windowsAuthentication = false, basicAuthentication = false;
  std::string mimeTypes;
  std::string poolName;
};

// The wrapper library's exports. Each call loads the library from `library`,
// calls the export and releases the library; nullopt (false for
// CreateIISSite) when the library or the export cannot be found.
class WebAdminLibrary {
 public:
  virtual ~WebAdminLibrary() = default;
  virtual bool CreateIISSite(const std::string& library, const WrapperSite& site) = 0;
  virtual std::optional<bool> CreateIISSiteFolder(const std::string& library,
                                                  const WrapperFolder& folder) = 0;
  virtual std::optional<bool> DeleteIISSiteFolder(const std::string& library, int32_t site,
                                                  const std::string& path) = 0;
  virtual std::optional<bool> DeleteIISSite(const std::string& library, int32_t site) = 0;
  virtual std::optional<bool> ControlIISSite(const std::string& library, int32_t site,
                                             int32_t action) = 0;
  virtual std::optional<std::string> GetIISSiteList(const std::string& library) = 0;
  virtual std::optional<int32_t> GetIISSiteIndex(const std::string& library,
                                                 const std::string& description) = 0;
  virtual std::optional<std::string> GetIISProperty(const std::string& library, int32_t site,
                                                    const std::string& path,
                                                    const std::string& property) = 0;
  virtual std::optional<bool> SetIISProperty(const std::string& library, int32_t site,
                                             const std::string& path, const std::string& property,
                                             const std::string& value) = 0;
  virtual std::optional<std::string> GetIISAnonUser(const std::string& library) = 0;
  virtual std::optional<int32_t> GetIISUniqueAccountID(const std::string& library) = 0;
  virtual std::optional<int32_t> GetIISSiteState(const std::string& library, int32_t site) = 0;
};

class WebServerPlatform {
 public:
  virtual ~WebServerPlatform() = default;
  // A new `IISNamespace` object; AutomationError when it cannot be made.
  virtual std::unique_ptr<AutomationObject> NewNamespace() = 0;
  // Writes the engine's wrapper library to the path; false when that fails.
  virtual bool WriteWrapperLibrary(const std::string& path) = 0;
  virtual WebAdminLibrary& Wrapper() = 0;
};

}  // namespace vantrell
