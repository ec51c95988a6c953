// "ahadmin_wrapper.dll": the web server statements for servers of version 7.0
// and later. The engine carries it as a resource, writes it into the support
// folder and calls its exports (ahadmin_wrapper_exports.h); each export works
// on the server's configuration through the application host administration
// objects ("Microsoft.ApplicationHost.WritableAdminManager", late bound,
// commit path MACHINE/WEBROOT/APPHOST) and commits its changes before it
// returns. No export raises or shows anything: a failure is a FALSE result.
//
// The mapping, value by value:
//   CreateIISSite          the element "site" of system.applicationHost/sites
//     with that "id" (made when missing): description -> "name"; bindings
//     cleared, then "http" address:port:host and, with an SSL port, "https"
//     address:sslPort:host (no address: "*"); connection time-out ->
//     limits/"connectionTimeout" (hh:mm:ss); unlimited or maximum connections
//     -> limits/"maxConnections"; log visits -> logFile/"enabled"; the
//     wrapper flag -> "serverAutoStart"; keep connections alive ->
//     system.webServer/httpProtocol "allowKeepAlive" at the site; ASP -> the
//     entries of system.webServer/security/isapiCgiRestriction whose path
//     ends in "\asp.dll" allowed; executables -> that section's
//     "notListedCgisAllowed". The server size has no counterpart.
//   CreateIISSiteFolder    the folder path "" is the site's root application;
//     with an application protection code other than 0 the folder becomes an
//     application "/path" (pool: the pool name, made in
//     system.applicationHost/applicationPools when missing) with its root
//     virtual directory, else a virtual directory "/path" of the root
//     application; physical path -> "physicalPath". At the folder's
//     location: read, write, script source and the execute code ->
//     system.webServer/handlers "accessPolicy"; browsing ->
//     directoryBrowse/"enabled"; log visits -> httpLogging/"dontLog"
//     (inverted); default documents -> defaultDocument "enabled" and its
//     files (replaced); anonymous, Windows and basic authentication ->
//     system.webServer/security/authentication/<kind>Authentication
//     "enabled"; MIME entries -> staticContent "mimeMap" elements. Indexing
//     and document footers have no counterpart.
//   DeleteIISSiteFolder    the application of that path, else the root
//     application's virtual directory of that path, is removed.
//   DeleteIISSite          the site element is removed.
//   ControlIISSite         the site's method "Start" (0, 3) or "Stop" (1, 2).
//   GetIISSiteList         the sites' names joined with "$NEWLINE$".
//   GetIISSiteIndex        the "id" of the first site of that name, else 0.
//   GetIISProperty         the attribute of that name on the site element (no
//     folder path) or on the folder's application or virtual directory;
//     "!ERROR!" when there is none.
//   SetIISProperty         the same attribute set from the text.
//   GetIISAnonUser         anonymousAuthentication "userName" of the server.
//   GetIISUniqueAccountID  the first site number from 1 up not in use.
//   GetIISSiteState        the site's "state" as the metabase's server state.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "system/web_admin_mapping.h"
#include "system/win32/ahadmin_wrapper_exports.h"
#include "system/win32/late_binding.h"

namespace vantrell {
namespace {

using late::Arguments;
using late::Dispatch;
using late::Variant;
using late::Wide;

constexpr const char* kSitesSection = "system.applicationHost/sites";
constexpr const char* kPoolsSection = "system.applicationHost/applicationPools";
constexpr const char* kPropertyFailed = "!ERROR!";

// COM for the call, when the caller has not started it.
class ComScope {
 public:
  ComScope() : started_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (started_) CoUninitialize();
  }

 private:
  bool started_;
};

// Raised inside the library only; every export catches it.
struct Failed {};

void Check(HRESULT hr) {
  if (FAILED(hr)) throw Failed{};
}

Dispatch ObjectProperty(const Dispatch& object, const wchar_t* name) {
  Dispatch result;
  Check(late::ObjectProperty(object.Get(), name, result));
  return result;
}

Dispatch Item(const Dispatch& collection, const wchar_t* name) {
  Arguments key;
  key.Text(name);
  Dispatch result;
  Check(late::ObjectProperty(collection.Get(), L"Item", result, &key));
  return result;
}

Dispatch Item(const Dispatch& collection, long index) {
  Arguments key;
  key.Int(index);
  Dispatch result;
  Check(late::ObjectProperty(collection.Get(), L"Item", result, &key));
  return result;
}

long Count(const Dispatch& collection) {
  Variant count;
  Check(late::PropertyGet(collection.Get(), L"Count", count.Out()));
  Check(VariantChangeType(&count.Get(), &count.Get(), 0, VT_I4));
  return count.Get().lVal;
}

// An attribute of a configuration element.
Dispatch Attribute(const Dispatch& element, const std::string& name) {
  return Item(ObjectProperty(element, L"Properties"), Wide(name).c_str());
}

void SetText(const Dispatch& element, const std::string& name, const std::string& value) {
  Arguments text;
  text.Text(Wide(value));
  Check(late::PropertyPut(Attribute(element, name).Get(), L"Value", text.Items()[0]));
}

void SetFlag(const Dispatch& element, const std::string& name, bool value) {
  SetText(element, name, value ? "true" : "false");
}

std::string GetText(const Dispatch& element, const std::string& name) {
  Variant value;
  Check(late::PropertyGet(Attribute(element, name).Get(), L"Value", value.Out()));
  if (value.Get().vt == VT_BOOL) return value.Get().boolVal != VARIANT_FALSE ? "true" : "false";
  Check(VariantChangeType(&value.Get(), &value.Get(), 0, VT_BSTR));
  return late::Narrow(value.Get().bstrVal);
}

Dispatch Child(const Dispatch& element, const wchar_t* name) {
  return Item(ObjectProperty(element, L"ChildElements"), name);
}

Dispatch Collection(const Dispatch& element) {
  return ObjectProperty(element, L"Collection");
}

Dispatch NewElement(const Dispatch& collection, const wchar_t* name) {
  Arguments kind;
  kind.Text(name);
  Dispatch element;
  Check(late::ObjectMethod(collection.Get(), L"CreateNewElement", kind, element));
  return element;
}

void AddElement(const Dispatch& collection, const Dispatch& element) {
  Arguments arguments;
  VARIANT object;
  VariantInit(&object);
  object.vt = VT_DISPATCH;
  object.pdispVal = element.Get();
  element.Get()->AddRef();
  arguments.Take(object).Int(-1);
  Check(late::Method(collection.Get(), L"AddElement", arguments));
}

void DeleteElement(const Dispatch& collection, long index) {
  Arguments position;
  position.Int(index);
  Check(late::Method(collection.Get(), L"DeleteElement", position));
}

// The index of the first element whose attribute has the text; -1 for none.
long Find(const Dispatch& collection, const std::string& attribute, const std::string& text) {
  const long count = Count(collection);
  for (long i = 0; i < count; ++i) {
    if (GetText(Item(collection, i), attribute) == text) return i;
  }
  return -1;
}

class Configuration {
 public:
  Configuration() {
    Check(late::CreateObject(L"Microsoft.ApplicationHost.WritableAdminManager", manager_));
    Arguments path;
    path.Text(Wide(kAppHostPath));
    Check(late::PropertyPut(manager_.Get(), L"CommitPath", path.Items()[0]));
  }
  // A section of the server's settings, or of a location below them.
  Dispatch Section(const char* name, const std::string& location = {}) {
    std::string path = kAppHostPath;
    if (!location.empty()) path += "/" + location;
    Arguments arguments;
    arguments.Text(Wide(name)).Text(Wide(path));
    Dispatch section;
    Check(late::ObjectMethod(manager_.Get(), L"GetAdminSection", arguments, section));
    return section;
  }
  Dispatch Sites() { return Collection(Section(kSitesSection)); }
  // The site element of that number; empty when there is none.
  Dispatch Site(int number) {
    Dispatch sites = Sites();
    const long index = Find(sites, "id", std::to_string(number));
    return index < 0 ? Dispatch() : Item(sites, index);
  }
  void Commit() { Check(late::Method(manager_.Get(), L"CommitChanges", Arguments())); }

 private:
  Dispatch manager_;
};

// The element a folder path names in a site: the site itself for "", else
// its application of that path, else the root application's virtual
// directory of that path.
Dispatch FolderElement(const Dispatch& site, const std::string& folder) {
  if (folder.empty()) return site;
  const std::string path = VirtualPath(folder);
  Dispatch applications = Collection(site);
  const long application = Find(applications, "path", path);
  if (application >= 0) return Item(applications, application);
  const long root = Find(applications, "path", "/");
  if (root < 0) throw Failed{};
  Dispatch directories = Collection(Item(applications, root));
  const long directory = Find(directories, "path", path);
  if (directory < 0) throw Failed{};
  return Item(directories, directory);
}

template <typename Work>
BOOL Guarded(Work work) {
  ComScope com;
  try {
    work();
    return TRUE;
  } catch (const Failed&) {
    return FALSE;
  } catch (...) {
    return FALSE;
  }
}

void EnsurePool(Configuration& config, const std::string& pool) {
  Dispatch pools = Collection(config.Section(kPoolsSection));
  if (Find(pools, "name", pool) >= 0) return;
  Dispatch added = NewElement(pools, L"add");
  SetText(added, "name", pool);
  AddElement(pools, added);
}

// The folder's application or virtual directory, made when missing, with
// its physical path.
void PlaceFolder(const Dispatch& site, const std::string& folder, const std::string& physicalPath,
                 bool application, const std::string& pool) {
  const std::string path = VirtualPath(folder);
  Dispatch applications = Collection(site);
  if (application || path == "/") {
    long index = Find(applications, "path", path);
    Dispatch element;
    if (index < 0) {
      element = NewElement(applications, L"application");
      SetText(element, "path", path);
      AddElement(applications, element);
      index = Find(applications, "path", path);
    }
    element = Item(applications, index);
    if (!pool.empty()) SetText(element, "applicationPool", pool);
    Dispatch directories = Collection(element);
    long root = Find(directories, "path", "/");
    if (root < 0) {
      Dispatch directory = NewElement(directories, L"virtualDirectory");
      SetText(directory, "path", "/");
      AddElement(directories, directory);
      root = Find(directories, "path", "/");
    }
    SetText(Item(directories, root), "physicalPath", physicalPath);
    return;
  }
  // A site made by CreateIISSite has no root application yet.
  long root = Find(applications, "path", "/");
  if (root < 0) {
    Dispatch made = NewElement(applications, L"application");
    SetText(made, "path", "/");
    AddElement(applications, made);
    root = Find(applications, "path", "/");
  }
  Dispatch directories = Collection(Item(applications, root));
  long index = Find(directories, "path", path);
  if (index < 0) {
    Dispatch directory = NewElement(directories, L"virtualDirectory");
    SetText(directory, "path", path);
    AddElement(directories, directory);
    index = Find(directories, "path", path);
  }
  SetText(Item(directories, index), "physicalPath", physicalPath);
}

}  // namespace
}  // namespace vantrell

using namespace vantrell;  // NOLINT(google-build-using-namespace): the exports are global

extern "C" {

__declspec(dllexport) void WINAPI
    CreateIISSite(const char* description, const char* number, const char* address,
                  const char* hostHeader, const char* port, const char* sslPort,
                  int connectionTimeout, BOOL keepAlive, BOOL logVisits, BOOL allowAsp,
                  BOOL allowExecutables, BOOL unlimited, BOOL autoStart, int maxConnections,
                  int /*serverSize*/) {
  Guarded([&] {
    Configuration config;
    Dispatch sites = config.Sites();
    long index = Find(sites, "id", number);
    if (index < 0) {
      Dispatch site = NewElement(sites, L"site");
      SetText(site, "name", description);
      SetText(site, "id", number);
      AddElement(sites, site);
      index = Find(sites, "id", number);
    }
    Dispatch site = Item(sites, index);
    SetText(site, "name", description);
    Dispatch bindings = Collection(Child(site, L"bindings"));
    Check(late::Method(bindings.Get(), L"Clear", Arguments()));
    auto bind = [&](const char* protocol, const char* onPort) {
      Dispatch binding = NewElement(bindings, L"binding");
      SetText(binding, "protocol", protocol);
      SetText(binding, "bindingInformation", BindingInformation(address, onPort, hostHeader));
      AddElement(bindings, binding);
    };
    bind("http", port);
    if (*sslPort != '\0') bind("https", sslPort);
    Dispatch limits = Child(site, L"limits");
    SetText(limits, "connectionTimeout", TimeSpanText(connectionTimeout));
    SetText(limits, "maxConnections", MaxConnectionsText(unlimited != FALSE, maxConnections));
    SetFlag(Child(site, L"logFile"), "enabled", logVisits != FALSE);
    SetFlag(site, "serverAutoStart", autoStart != FALSE);
    SetFlag(config.Section("system.webServer/httpProtocol", description), "allowKeepAlive",
            keepAlive != FALSE);
    if (allowAsp || allowExecutables) {
      Dispatch restrictions = config.Section("system.webServer/security/isapiCgiRestriction");
      if (allowExecutables) SetFlag(restrictions, "notListedCgisAllowed", true);
      if (allowAsp) {
        Dispatch entries = Collection(restrictions);
        const long count = Count(entries);
        for (long i = 0; i < count; ++i) {
          Dispatch entry = Item(entries, i);
          const std::string path = GetText(entry, "path");
          if (path.size() >= 8 && _stricmp(path.c_str() + path.size() - 8, "\\asp.dll") == 0)
            SetFlag(entry, "allowed", true);
        }
      }
    }
    config.Commit();
  });
}

__declspec(dllexport) BOOL WINAPI
    CreateIISSiteFolder(const char* path, int siteNumber, const char* physicalPath,
                        BOOL scriptSource, BOOL read, BOOL write, BOOL browse, BOOL logVisits,
                        BOOL /*indexed*/, int protection, int execute, BOOL defaultDocEnabled,
                        const char* defaultDocuments, const char* /*footer*/, BOOL anonymous,
                        BOOL windowsAuthentication, BOOL basicAuthentication, const char* mimeTypes,
                        const char* poolName) {
  return Guarded([&] {
    Configuration config;
    Dispatch site = config.Site(siteNumber);
    if (!site) throw Failed{};
    const std::string pool = poolName;
    if (!pool.empty()) EnsurePool(config, pool);
    PlaceFolder(site, path, physicalPath, protection != 0, pool);
    const std::string location = SiteLocation(GetText(site, "name"), path);
    SetText(config.Section("system.webServer/handlers", location), "accessPolicy",
            AccessPolicy(read != FALSE, write != FALSE, scriptSource != FALSE, execute));
    SetFlag(config.Section("system.webServer/directoryBrowse", location), "enabled",
            browse != FALSE);
    SetFlag(config.Section("system.webServer/httpLogging", location), "dontLog",
            logVisits == FALSE);
    Dispatch documents = config.Section("system.webServer/defaultDocument", location);
    SetFlag(documents, "enabled", defaultDocEnabled != FALSE);
    Dispatch files = Collection(Child(documents, L"files"));
    Check(late::Method(files.Get(), L"Clear", Arguments()));
    for (const std::string& name : DocumentNames(defaultDocuments)) {
      Dispatch added = NewElement(files, L"add");
      SetText(added, "value", name);
      AddElement(files, added);
    }
    const std::string authentication = "system.webServer/security/authentication/";
    SetFlag(config.Section((authentication + "anonymousAuthentication").c_str(), location),
            "enabled", anonymous != FALSE);
    SetFlag(config.Section((authentication + "windowsAuthentication").c_str(), location), "enabled",
            windowsAuthentication != FALSE);
    SetFlag(config.Section((authentication + "basicAuthentication").c_str(), location), "enabled",
            basicAuthentication != FALSE);
    Dispatch mimeMaps = Collection(config.Section("system.webServer/staticContent", location));
    std::string list = mimeTypes;
    size_t start = 0;
    while (start < list.size()) {
      size_t end = list.find(',', start);
      if (end == std::string::npos) end = list.size();
      std::string extension, type;
      if (SplitMimeEntry(list.substr(start, end - start), extension, type)) {
        Dispatch map = NewElement(mimeMaps, L"mimeMap");
        SetText(map, "fileExtension", extension);
        SetText(map, "mimeType", type);
        AddElement(mimeMaps, map);
      }
      start = end + 1;
    }
    config.Commit();
  });
}

__declspec(dllexport) BOOL WINAPI DeleteIISSiteFolder(int siteNumber, const char* path) {
  return Guarded([&] {
    Configuration config;
    Dispatch site = config.Site(siteNumber);
    if (!site) throw Failed{};
    const std::string virtualPath = VirtualPath(path);
    Dispatch applications = Collection(site);
    const long application = Find(applications, "path", virtualPath);
    if (application > 0 || (application == 0 && virtualPath != "/")) {
      DeleteElement(applications, application);
    } else {
      const long root = Find(applications, "path", "/");
      if (root < 0) throw Failed{};
      Dispatch directories = Collection(Item(applications, root));
      const long directory = Find(directories, "path", virtualPath);
      if (directory < 0) throw Failed{};
      DeleteElement(directories, directory);
    }
    config.Commit();
  });
}

__declspec(dllexport) BOOL WINAPI DeleteIISSite(int siteNumber) {
  return Guarded([&] {
    Configuration config;
    Dispatch sites = config.Sites();
    const long index = Find(sites, "id", std::to_string(siteNumber));
    if (index < 0) throw Failed{};
    DeleteElement(sites, index);
    config.Commit();
  });
}

__declspec(dllexport) BOOL WINAPI ControlIISSite(int siteNumber, int action) {
  return Guarded([&] {
    const std::string method = ControlMethod(action);
    if (method.empty()) throw Failed{};
    Configuration config;
    Dispatch site = config.Site(siteNumber);
    if (!site) throw Failed{};
    Dispatch instance;
    Check(late::ObjectMethod(Item(ObjectProperty(site, L"Methods"), Wide(method).c_str()).Get(),
                             L"CreateInstance", Arguments(), instance));
    Check(late::Method(instance.Get(), L"Execute", Arguments()));
  });
}

__declspec(dllexport) BOOL WINAPI GetIISSiteList(char* buffer, int size) {
  std::string list;
  const BOOL ok = Guarded([&] {
    Configuration config;
    Dispatch sites = config.Sites();
    const long count = Count(sites);
    for (long i = 0; i < count; ++i) {
      if (i > 0) list += "$NEWLINE$";
      list += GetText(Item(sites, i), "name");
    }
  });
  CopyToBuffer(list, buffer, size);
  return ok;
}

__declspec(dllexport) BOOL WINAPI GetIISSiteIndex(const char* description, int* index) {
  int found = 0;
  const BOOL ok = Guarded([&] {
    Configuration config;
    Dispatch sites = config.Sites();
    const long at = Find(sites, "name", description);
    if (at >= 0)
      found = static_cast<int>(std::strtol(GetText(Item(sites, at), "id").c_str(), nullptr, 10));
  });
  if (index != nullptr) *index = found;
  return ok;
}

__declspec(dllexport) BOOL WINAPI
    GetIISProperty(int siteNumber, const char* path, const char* property, char* buffer, int size) {
  std::string value = kPropertyFailed;
  const BOOL ok = Guarded([&] {
    Configuration config;
    Dispatch site = config.Site(siteNumber);
    if (!site) throw Failed{};
    value = GetText(FolderElement(site, path), property);
  });
  CopyToBuffer(ok ? value : std::string(kPropertyFailed), buffer, size);
  return ok;
}

__declspec(dllexport) BOOL WINAPI
    SetIISProperty(int siteNumber, const char* path, const char* property, const char* value) {
  return Guarded([&] {
    Configuration config;
    Dispatch site = config.Site(siteNumber);
    if (!site) throw Failed{};
    SetText(FolderElement(site, path), property, value);
    config.Commit();
  });
}

__declspec(dllexport) BOOL WINAPI GetIISAnonUser(char* buffer, int size) {
  std::string account;
  const BOOL ok = Guarded([&] {
    Configuration config;
    account =
        GetText(config.Section("system.webServer/security/authentication/anonymousAuthentication"),
                "userName");
  });
  CopyToBuffer(ok ? account : std::string(), buffer, size);
  return ok;
}

__declspec(dllexport) BOOL WINAPI GetIISUniqueAccountID(int* next) {
  int number = -1;
  const BOOL ok = Guarded([&] {
    Configuration config;
    Dispatch sites = config.Sites();
    std::vector<int64_t> used;
    const long count = Count(sites);
    for (long i = 0; i < count; ++i)
      used.push_back(std::strtoll(GetText(Item(sites, i), "id").c_str(), nullptr, 10));
    number = NextFreeSiteNumber(used);
  });
  if (next != nullptr) *next = number;
  return ok;
}

__declspec(dllexport) BOOL WINAPI GetIISSiteState(int siteNumber, int* state) {
  int code = -1;
  const BOOL ok = Guarded([&] {
    Configuration config;
    Dispatch site = config.Site(siteNumber);
    if (!site) throw Failed{};
    code = MetabaseServerState(
        static_cast<int32_t>(std::strtol(GetText(site, "state").c_str(), nullptr, 10)));
  });
  if (state != nullptr) *state = code;
  return ok;
}

}  // extern "C"
