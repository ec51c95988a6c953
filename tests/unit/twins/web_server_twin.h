// In-memory twins of the web server: a metabase of named objects with
// classes, properties inherited from the parent objects, children in their
// order and a log of every call; and a wrapper library that records each
// export call and answers from the test's values, with exports that can be
// taken away.
#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/ascii.h"
#include "system/web_server_platform.h"
#include "system/web_server_statements.h"

namespace vantrell::testing {

class MemoryMetabase {
 public:
  struct Node {
    std::string className;
    std::map<std::string, AutomationValue> properties;
  };

  // Paths are "localhost/w3svc/3/Root/app"; the parents must exist.
  void Add(const std::string& path, const std::string& className,
           std::map<std::string, AutomationValue> properties = {}) {
    nodes[path] = {className, std::move(properties)};
    order.push_back(path);
  }
  bool Has(const std::string& path) const { return nodes.count(path) != 0; }
  // The property as stored on the object itself ("" when it is not).
  std::string Own(const std::string& path, const std::string& property) const {
    auto node = nodes.find(path);
    if (node == nodes.end()) return {};
    auto value = node->second.properties.find(property);
    return value == node->second.properties.end() ? std::string() : AutomationText(value->second);
  }
  // The calls made on objects of the path and below, in order.
  std::vector<std::string> CallsUnder(const std::string& path) const {
    std::vector<std::string> under;
    for (const std::string& call : calls) {
      const size_t at = call.find(' ');
      const std::string target = call.substr(at + 1, call.find(' ', at + 1) - at - 1);
      if (target == path || target.rfind(path + "/", 0) == 0) under.push_back(call);
    }
    return under;
  }

  std::map<std::string, Node> nodes;
  std::vector<std::string> order;  // creation order, for the children's order
  // "put path property=value", "call path method args", "create path class", "delete path".
  std::vector<std::string> calls;
  std::set<std::string> refused;  // "path method" or "path property" that fail
  bool namespaceFails = false;
  // The walk over children fails after this many children.
  size_t childrenBeforeFailure = SIZE_MAX;
};

class MetabaseObject final : public AutomationObject {
 public:
  MetabaseObject(MemoryMetabase& metabase, std::string path)
      : metabase_(metabase), path_(std::move(path)) {}

  std::unique_ptr<AutomationObject> Open(const std::string& className,
                                         const std::string& name) override {
    const std::string child = Child(name);
    auto node = metabase_.nodes.find(child);
    if (node == metabase_.nodes.end() || !EqualsIgnoreCase(node->second.className, className))
      throw AutomationError("no object " + child);
    return std::make_unique<MetabaseObject>(metabase_, child);
  }
  std::unique_ptr<AutomationObject> Create(const std::string& className,
                                           const std::string& name) override {
    const std::string child = Child(name);
    Refuse(path_ + " Create");
    if (metabase_.Has(child)) throw AutomationError("exists " + child);
    metabase_.calls.push_back("create " + child + " " + className);
    metabase_.Add(child, className);
    return std::make_unique<MetabaseObject>(metabase_, child);
  }
  void Delete(const std::string& className, const std::string& name) override {
    const std::string child = Child(name);
    auto node = metabase_.nodes.find(child);
    if (node == metabase_.nodes.end() || !EqualsIgnoreCase(node->second.className, className))
      throw AutomationError("no object " + child);
    metabase_.calls.push_back("delete " + child);
    for (auto it = metabase_.nodes.begin(); it != metabase_.nodes.end();) {
      if (it->first == child || it->first.rfind(child + "/", 0) == 0) {
        it = metabase_.nodes.erase(it);
      } else {
        ++it;
      }
    }
  }
  AutomationValue Get(const std::string& property) override {
    Refuse(path_ + " " + property);
    auto self = metabase_.nodes.find(path_);
    if (self == metabase_.nodes.end()) throw AutomationError("gone " + path_);
    if (property == "Class") return self->second.className;
    if (property == "Name") return path_.substr(path_.rfind('/') + 1);
    // Metabase properties are inherited from the objects above.
    for (std::string at = path_;;) {
      auto node = metabase_.nodes.find(at);
      if (node != metabase_.nodes.end()) {
        auto value = node->second.properties.find(property);
        if (value != node->second.properties.end()) return value->second;
      }
      const size_t slash = at.rfind('/');
      if (slash == std::string::npos) throw AutomationError("no property " + property);
      at.resize(slash);
    }
  }
  void Put(const std::string& property, const AutomationValue& value) override {
    Refuse(path_ + " " + property);
    metabase_.calls.push_back("put " + path_ + " " + property + "=" + AutomationText(value));
    metabase_.nodes[path_].properties[property] = value;
  }
  void Call(const std::string& method, const std::vector<AutomationValue>& arguments) override {
    Refuse(path_ + " " + method);
    std::string call = "call " + path_ + " " + method;
    for (const AutomationValue& argument : arguments) call += " " + AutomationText(argument);
    metabase_.calls.push_back(call);
  }
  void EachChild(const std::function<void(AutomationObject&)>& visit) override {
    size_t visited = 0;
    for (const std::string& path : std::vector<std::string>(metabase_.order)) {
      if (path.rfind(path_ + "/", 0) != 0 || path.find('/', path_.size() + 1) != std::string::npos)
        continue;
      if (!metabase_.Has(path)) continue;
      if (visited++ == metabase_.childrenBeforeFailure) throw AutomationError("walk failed");
      MetabaseObject child(metabase_, path);
      visit(child);
    }
  }

 private:
  std::string Child(const std::string& name) const {
    return path_.empty() ? name : path_ + "/" + name;
  }
  void Refuse(const std::string& what) const {
    if (metabase_.refused.count(what) != 0) throw AutomationError("refused " + what);
  }

  MemoryMetabase& metabase_;
  std::string path_;
};

// Records "Export(arguments)" and answers from the fields below.
class RecordingWrapper final : public WebAdminLibrary {
 public:
  std::vector<std::string> calls;
  std::set<std::string> missing;  // exports the library does not have
  std::string library;            // the library of the last call
  std::string siteList = "Default Web Site", property = "value", anonymousUser = "IUSR_WRAPPED";
  int32_t siteIndex = 4, nextSite = 5, siteState = 2;

  bool CreateIISSite(const std::string& path, const WrapperSite& v) override {
    if (!Answers(path, "CreateIISSite")) return false;
    calls.push_back(
        Join("CreateIISSite", {v.description, v.number, v.address, v.hostHeader, v.port, v.sslPort,
                               N(v.connectionTimeout), B(v.keepAlive), B(v.logVisits),
                               B(v.allowAsp), B(v.allowExecutables), B(v.unlimitedConnections),
                               B(v.wrapperFlag), N(v.maxConnections), N(v.serverSize)}));
    return true;
  }
  std::optional<bool> CreateIISSiteFolder(const std::string& path,
                                          const WrapperFolder& f) override {
    if (!Answers(path, "CreateIISSiteFolder")) return std::nullopt;
    calls.push_back(
        Join("CreateIISSiteFolder",
             {f.path, N(f.site), f.physicalPath, B(f.scriptSource), B(f.read), B(f.write),
              B(f.browse), B(f.logVisits), B(f.indexed), N(f.protection), N(f.execute),
              B(f.defaultDocEnabled), f.defaultDocuments, f.footer, B(f.anonymous),
              B(f.windowsAuthentication), B(f.basicAuthentication), f.mimeTypes, f.poolName}));
    return true;
  }
  std::optional<bool> DeleteIISSiteFolder(const std::string& path, int32_t site,
                                          const std::string& folder) override {
    if (!Answers(path, "DeleteIISSiteFolder")) return std::nullopt;
    calls.push_back(Join("DeleteIISSiteFolder", {N(site), folder}));
    return true;
  }
  std::optional<bool> DeleteIISSite(const std::string& path, int32_t site) override {
    if (!Answers(path, "DeleteIISSite")) return std::nullopt;
    calls.push_back(Join("DeleteIISSite", {N(site)}));
    return true;
  }
  std::optional<bool> ControlIISSite(const std::string& path, int32_t site,
                                     int32_t action) override {
    if (!Answers(path, "ControlIISSite")) return std::nullopt;
    calls.push_back(Join("ControlIISSite", {N(site), N(action)}));
    return true;
  }
  std::optional<std::string> GetIISSiteList(const std::string& path) override {
    if (!Answers(path, "GetIISSiteList")) return std::nullopt;
    calls.push_back("GetIISSiteList()");
    return siteList;
  }
  std::optional<int32_t> GetIISSiteIndex(const std::string& path,
                                         const std::string& description) override {
    if (!Answers(path, "GetIISSiteIndex")) return std::nullopt;
    calls.push_back(Join("GetIISSiteIndex", {description}));
    return siteIndex;
  }
  std::optional<std::string> GetIISProperty(const std::string& path, int32_t site,
                                            const std::string& folder,
                                            const std::string& name) override {
    if (!Answers(path, "GetIISProperty")) return std::nullopt;
    calls.push_back(Join("GetIISProperty", {N(site), folder, name}));
    return property;
  }
  std::optional<bool> SetIISProperty(const std::string& path, int32_t site,
                                     const std::string& folder, const std::string& name,
                                     const std::string& value) override {
    if (!Answers(path, "SetIISProperty")) return std::nullopt;
    calls.push_back(Join("SetIISProperty", {N(site), folder, name, value}));
    return true;
  }
  std::optional<std::string> GetIISAnonUser(const std::string& path) override {
    if (!Answers(path, "GetIISAnonUser")) return std::nullopt;
    calls.push_back("GetIISAnonUser()");
    return anonymousUser;
  }
  std::optional<int32_t> GetIISUniqueAccountID(const std::string& path) override {
    if (!Answers(path, "GetIISUniqueAccountID")) return std::nullopt;
    calls.push_back("GetIISUniqueAccountID()");
    return nextSite;
  }
  std::optional<int32_t> GetIISSiteState(const std::string& path, int32_t site) override {
    if (!Answers(path, "GetIISSiteState")) return std::nullopt;
    calls.push_back(Join("GetIISSiteState", {N(site)}));
    return siteState;
  }

 private:
  bool Answers(const std::string& path, const std::string& name) {
    library = path;
    return missing.count(name) == 0;
  }
  static std::string N(int32_t value) { return std::to_string(value); }
  static std::string B(bool value) { return value ? "1" : "0"; }
  static std::string Join(const std::string& name, const std::vector<std::string>& arguments) {
    std::string call = name + "(";
    for (size_t i = 0; i < arguments.size(); ++i) call += (i ? "," : "") + arguments[i];
    return call + ")";
  }
};

class WebServerTwin final : public WebServerPlatform {
 public:
  std::unique_ptr<AutomationObject> NewNamespace() override {
    ++namespaces;
    if (metabase.namespaceFails) throw AutomationError("no namespace");
    return std::make_unique<MetabaseObject>(metabase, "");
  }
  bool WriteWrapperLibrary(const std::string& path) override {
    written.push_back(path);
    return writable;
  }
  WebAdminLibrary& Wrapper() override { return wrapper; }

  MemoryMetabase metabase;
  RecordingWrapper wrapper;
  std::vector<std::string> written;
  bool writable = true;
  int namespaces = 0;
};

}  // namespace vantrell::testing
