// "ahadmin_wrapper.dll": the web server statements for servers of version 7.0
// and later. The engine carries it as a resource, writes it into the support
// folder and calls its exports (ahadmin_wrapper_exports.h); each export works
// on the server's configuration through the application host administration
// objects ("Microsoft.ApplicationHost.WritableAdminManager", late bound,
// commit path MACHINE/WEBROOT/APPHOST) and commits its changes before it
// returns. No export raises or shows anything: a failure is a FALSE result.
// The library carries no C++ runtime (no exceptions, no heap objects, no
// standard containers): a failed step marks the call, and every later step
// of that call does nothing.
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
#include <oleauto.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "system/web_admin_mapping.h"
#include "system/win32/ahadmin_wrapper_exports.h"

namespace vantrell {
namespace {

constexpr const char* kSitesSection = "system.applicationHost/sites";
constexpr const char* kPoolsSection = "system.applicationHost/applicationPools";
constexpr const char* kAuthentication = "system.webServer/security/authentication/";
constexpr const char* kPropertyFailed = "!ERROR!";
constexpr int kText = 1024;

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

// One reference to an automation object.
class Ref {
 public:
  Ref() = default;
  explicit Ref(IDispatch* owned) : object_(owned) {}
  Ref(Ref&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
  Ref& operator=(Ref&& other) noexcept {
    if (this != &other) {
      Reset();
      object_ = other.object_;
      other.object_ = nullptr;
    }
    return *this;
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() { Reset(); }
  IDispatch* Get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  void Reset() {
    if (object_ != nullptr) object_->Release();
    object_ = nullptr;
  }
  IDispatch* object_ = nullptr;
};

// An owned VARIANT.
class Var {
 public:
  Var() { VariantInit(&value); }
  Var(const Var&) = delete;
  Var& operator=(const Var&) = delete;
  ~Var() { VariantClear(&value); }
  VARIANT value;
};

// One export's run: false from the first failed step on.
struct Call {
  bool ok = true;
  bool Fail() { return ok = false; }
};

void Text(Var& into, const char* text) {
  wchar_t wide[kText];
  if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide, kText) == 0) wide[0] = L'\0';
  VariantClear(&into.value);
  into.value.vt = VT_BSTR;
  into.value.bstrVal = SysAllocString(wide);
}

void Number(Var& into, long value) {
  VariantClear(&into.value);
  into.value.vt = VT_I4;
  into.value.lVal = value;
}

// A member called by name with up to three arguments in written order.
bool Invoke(Call& call, IDispatch* object, const wchar_t* name, WORD kind, Var* arguments,
            int count, VARIANT* result) {
  if (!call.ok) return false;
  if (object == nullptr || count > 3) return call.Fail();
  DISPID id = 0;
  auto* member = const_cast<LPOLESTR>(name);
  if (FAILED(object->GetIDsOfNames(IID_NULL, &member, 1, LOCALE_USER_DEFAULT, &id)))
    return call.Fail();
  VARIANT reversed[3];
  for (int i = 0; i < count; ++i) reversed[i] = arguments[count - 1 - i].value;
  DISPPARAMS parameters{count > 0 ? reversed : nullptr, nullptr, static_cast<UINT>(count), 0};
  DISPID named = DISPID_PROPERTYPUT;
  if (kind == DISPATCH_PROPERTYPUT) {
    parameters.rgdispidNamedArgs = &named;
    parameters.cNamedArgs = 1;
  }
  Var ignored;
  EXCEPINFO exception{};
  UINT badArgument = 0;
  const HRESULT hr =
      object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters,
                     result != nullptr ? result : &ignored.value, &exception, &badArgument);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  return SUCCEEDED(hr) || call.Fail();
}

// A member whose result is an object.
Ref Object(Call& call, IDispatch* object, const wchar_t* name, WORD kind, Var* arguments = nullptr,
           int count = 0) {
  Var result;
  if (!Invoke(call, object, name, kind, arguments, count, &result.value)) return Ref();
  IDispatch* found = nullptr;
  if (result.value.vt == VT_DISPATCH && result.value.pdispVal != nullptr) {
    found = result.value.pdispVal;
    found->AddRef();
  } else if (result.value.vt == VT_UNKNOWN && result.value.punkVal != nullptr) {
    result.value.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&found));
  }
  if (found == nullptr) call.Fail();
  return Ref(found);
}

constexpr WORD kGet = DISPATCH_PROPERTYGET | DISPATCH_METHOD;

Ref Property(Call& call, const Ref& object, const wchar_t* name) {
  return Object(call, object.Get(), name, kGet);
}

Ref Item(Call& call, const Ref& collection, const char* name) {
  Var key;
  Text(key, name);
  return Object(call, collection.Get(), L"Item", kGet, &key, 1);
}

Ref Item(Call& call, const Ref& collection, long index) {
  Var key;
  Number(key, index);
  return Object(call, collection.Get(), L"Item", kGet, &key, 1);
}

long Count(Call& call, const Ref& collection) {
  Var count;
  if (!Invoke(call, collection.Get(), L"Count", kGet, nullptr, 0, &count.value)) return 0;
  if (FAILED(VariantChangeType(&count.value, &count.value, 0, VT_I4))) return call.Fail();
  return count.value.lVal;
}

// An attribute of a configuration element.
Ref Attribute(Call& call, const Ref& element, const char* name) {
  return Item(call, Property(call, element, L"Properties"), name);
}

void SetText(Call& call, const Ref& element, const char* name, const char* value) {
  Ref attribute = Attribute(call, element, name);
  Var text;
  Text(text, value);
  Invoke(call, attribute.Get(), L"Value", DISPATCH_PROPERTYPUT, &text, 1, nullptr);
}

void SetFlag(Call& call, const Ref& element, const char* name, bool value) {
  SetText(call, element, name, value ? "true" : "false");
}

// The attribute's value as text; empty after a failure.
const char* GetText(Call& call, const Ref& element, const char* name, char* out, int size) {
  out[0] = '\0';
  Ref attribute = Attribute(call, element, name);
  Var value;
  if (!Invoke(call, attribute.Get(), L"Value", kGet, nullptr, 0, &value.value)) return out;
  if (value.value.vt == VT_BOOL) {
    CopyToBuffer(value.value.boolVal != VARIANT_FALSE ? "true" : "false", out, size);
  } else if (SUCCEEDED(VariantChangeType(&value.value, &value.value, 0, VT_BSTR))) {
    if (WideCharToMultiByte(CP_ACP, 0, value.value.bstrVal, -1, out, size, nullptr, nullptr) == 0)
      out[size - 1] = '\0';
  } else {
    call.Fail();
  }
  return out;
}

Ref Child(Call& call, const Ref& element, const char* name) {
  return Item(call, Property(call, element, L"ChildElements"), name);
}

Ref Collection(Call& call, const Ref& element) {
  return Property(call, element, L"Collection");
}

Ref NewElement(Call& call, const Ref& collection, const char* kind) {
  Var name;
  Text(name, kind);
  return Object(call, collection.Get(), L"CreateNewElement", DISPATCH_METHOD, &name, 1);
}

void AddElement(Call& call, const Ref& collection, const Ref& element) {
  if (!call.ok || !element) return static_cast<void>(call.Fail());
  Var arguments[2];
  arguments[0].value.vt = VT_DISPATCH;
  arguments[0].value.pdispVal = element.Get();
  element.Get()->AddRef();
  Number(arguments[1], -1);
  Invoke(call, collection.Get(), L"AddElement", DISPATCH_METHOD, arguments, 2, nullptr);
}

void DeleteElement(Call& call, const Ref& collection, long index) {
  Var position;
  Number(position, index);
  Invoke(call, collection.Get(), L"DeleteElement", DISPATCH_METHOD, &position, 1, nullptr);
}

void Clear(Call& call, const Ref& collection) {
  Invoke(call, collection.Get(), L"Clear", DISPATCH_METHOD, nullptr, 0, nullptr);
}

// The index of the first element whose attribute has the text; -1 for none.
long Find(Call& call, const Ref& collection, const char* attribute, const char* text) {
  const long count = Count(call, collection);
  char value[kText];
  for (long i = 0; i < count && call.ok; ++i) {
    Ref element = Item(call, collection, i);
    if (std::strcmp(GetText(call, element, attribute, value, kText), text) == 0 && call.ok)
      return i;
  }
  return -1;
}

// The element of that path in the collection, made with it when missing.
Ref FindOrAdd(Call& call, const Ref& collection, const char* kind, const char* path) {
  long index = Find(call, collection, "path", path);
  if (index < 0) {
    Ref made = NewElement(call, collection, kind);
    SetText(call, made, "path", path);
    AddElement(call, collection, made);
    index = Find(call, collection, "path", path);
  }
  if (index < 0) call.Fail();
  return Item(call, collection, index);
}

class Configuration {
 public:
  explicit Configuration(Call& call) : call_(call) {
    if (FAILED(CreateManager())) {
      call.Fail();
      return;
    }
    Var path;
    Text(path, kAppHostPath);
    Invoke(call, manager_.Get(), L"CommitPath", DISPATCH_PROPERTYPUT, &path, 1, nullptr);
  }
  // A section of the server's settings, or of a location below them.
  Ref Section(const char* name, const char* location = "") {
    char path[kText];
    std::snprintf(path, sizeof(path), "%s%s%s", kAppHostPath, *location != '\0' ? "/" : "",
                  location);
    Var arguments[2];
    Text(arguments[0], name);
    Text(arguments[1], path);
    return Object(call_, manager_.Get(), L"GetAdminSection", DISPATCH_METHOD, arguments, 2);
  }
  Ref Sites() { return Collection(call_, Section(kSitesSection)); }
  // The site element of that number; a failed call when there is none.
  Ref Site(int number) {
    Ref sites = Sites();
    char id[16];
    std::snprintf(id, sizeof(id), "%d", number);
    const long index = Find(call_, sites, "id", id);
    if (index < 0) {
      call_.Fail();
      return Ref();
    }
    return Item(call_, sites, index);
  }
  void Commit() {
    Invoke(call_, manager_.Get(), L"CommitChanges", DISPATCH_METHOD, nullptr, 0, nullptr);
  }

 private:
  HRESULT CreateManager() {
    CLSID id{};
    HRESULT hr = CLSIDFromProgID(L"Microsoft.ApplicationHost.WritableAdminManager", &id);
    if (FAILED(hr)) return hr;
    IDispatch* manager = nullptr;
    hr = CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                          reinterpret_cast<void**>(&manager));
    if (SUCCEEDED(hr)) manager_ = Ref(manager);
    return hr;
  }

  Call& call_;
  Ref manager_;
};

// The element a folder path other than "" names in a site: its application
// of that path, else the root application's virtual directory of that path.
Ref FolderElement(Call& call, const Ref& site, const char* folder) {
  char path[kText];
  VirtualPath(path, sizeof(path), folder);
  Ref applications = Collection(call, site);
  const long application = Find(call, applications, "path", path);
  if (application >= 0) return Item(call, applications, application);
  const long root = Find(call, applications, "path", "/");
  if (root < 0) {
    call.Fail();
    return Ref();
  }
  Ref directories = Collection(call, Item(call, applications, root));
  const long directory = Find(call, directories, "path", path);
  if (directory < 0) {
    call.Fail();
    return Ref();
  }
  return Item(call, directories, directory);
}

void EnsurePool(Call& call, Configuration& config, const char* pool) {
  Ref pools = Collection(call, config.Section(kPoolsSection));
  if (Find(call, pools, "name", pool) >= 0 || !call.ok) return;
  Ref added = NewElement(call, pools, "add");
  SetText(call, added, "name", pool);
  AddElement(call, pools, added);
}

// The folder's application or virtual directory, made when missing, with
// its physical path. A site made by CreateIISSite has no root application yet.
void PlaceFolder(Call& call, const Ref& site, const char* folder, const char* physicalPath,
                 bool application, const char* pool) {
  char path[kText];
  VirtualPath(path, sizeof(path), folder);
  Ref applications = Collection(call, site);
  if (application || std::strcmp(path, "/") == 0) {
    Ref element = FindOrAdd(call, applications, "application", path);
    if (*pool != '\0') SetText(call, element, "applicationPool", pool);
    Ref root = FindOrAdd(call, Collection(call, element), "virtualDirectory", "/");
    SetText(call, root, "physicalPath", physicalPath);
    return;
  }
  Ref root = FindOrAdd(call, applications, "application", "/");
  Ref directory = FindOrAdd(call, Collection(call, root), "virtualDirectory", path);
  SetText(call, directory, "physicalPath", physicalPath);
}

bool EndsWithIgnoringCase(const char* text, const char* end) {
  const size_t length = std::strlen(text);
  const size_t tail = std::strlen(end);
  return length >= tail && lstrcmpiA(text + length - tail, end) == 0;
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
  ComScope com;
  Call call;
  Configuration config(call);
  Ref sites = config.Sites();
  long index = Find(call, sites, "id", number);
  if (index < 0 && call.ok) {
    Ref made = NewElement(call, sites, "site");
    SetText(call, made, "name", description);
    SetText(call, made, "id", number);
    AddElement(call, sites, made);
    index = Find(call, sites, "id", number);
  }
  Ref site = Item(call, sites, index);
  SetText(call, site, "name", description);
  Ref bindings = Collection(call, Child(call, site, "bindings"));
  Clear(call, bindings);
  char text[kText];
  const struct {
    const char* protocol;
    const char* port;
  } bound[] = {{"http", port}, {"https", sslPort}};
  for (const auto& binding : bound) {
    // Without an SSL port there is no secure binding.
    if (binding.port == sslPort && *sslPort == '\0') continue;
    Ref made = NewElement(call, bindings, "binding");
    SetText(call, made, "protocol", binding.protocol);
    SetText(call, made, "bindingInformation",
            BindingInformation(text, sizeof(text), address, binding.port, hostHeader));
    AddElement(call, bindings, made);
  }
  Ref limits = Child(call, site, "limits");
  SetText(call, limits, "connectionTimeout", TimeSpanText(text, sizeof(text), connectionTimeout));
  SetText(call, limits, "maxConnections",
          MaxConnectionsText(text, sizeof(text), unlimited != FALSE, maxConnections));
  SetFlag(call, Child(call, site, "logFile"), "enabled", logVisits != FALSE);
  SetFlag(call, site, "serverAutoStart", autoStart != FALSE);
  SetFlag(call, config.Section("system.webServer/httpProtocol", description), "allowKeepAlive",
          keepAlive != FALSE);
  if (allowAsp || allowExecutables) {
    Ref restrictions = config.Section("system.webServer/security/isapiCgiRestriction");
    if (allowExecutables) SetFlag(call, restrictions, "notListedCgisAllowed", true);
    if (allowAsp) {
      Ref entries = Collection(call, restrictions);
      const long count = Count(call, entries);
      for (long i = 0; i < count && call.ok; ++i) {
        Ref entry = Item(call, entries, i);
        if (EndsWithIgnoringCase(GetText(call, entry, "path", text, kText), "\\asp.dll"))
          SetFlag(call, entry, "allowed", true);
      }
    }
  }
  config.Commit();
}

__declspec(dllexport) BOOL WINAPI
    CreateIISSiteFolder(const char* path, int siteNumber, const char* physicalPath,
                        BOOL scriptSource, BOOL read, BOOL write, BOOL browse, BOOL logVisits,
                        BOOL /*indexed*/, int protection, int execute, BOOL defaultDocEnabled,
                        const char* defaultDocuments, const char* /*footer*/, BOOL anonymous,
                        BOOL windowsAuthentication, BOOL basicAuthentication, const char* mimeTypes,
                        const char* poolName) {
  ComScope com;
  Call call;
  Configuration config(call);
  Ref site = config.Site(siteNumber);
  if (*poolName != '\0') EnsurePool(call, config, poolName);
  PlaceFolder(call, site, path, physicalPath, protection != 0, poolName);
  char name[kText], location[kText], text[kText];
  SiteLocation(location, sizeof(location), GetText(call, site, "name", name, kText), path);
  SetText(call, config.Section("system.webServer/handlers", location), "accessPolicy",
          AccessPolicy(text, sizeof(text), read != FALSE, write != FALSE, scriptSource != FALSE,
                       execute));
  SetFlag(call, config.Section("system.webServer/directoryBrowse", location), "enabled",
          browse != FALSE);
  SetFlag(call, config.Section("system.webServer/httpLogging", location), "dontLog",
          logVisits == FALSE);
  Ref documents = config.Section("system.webServer/defaultDocument", location);
  SetFlag(call, documents, "enabled", defaultDocEnabled != FALSE);
  Ref files = Collection(call, Child(call, documents, "files"));
  Clear(call, files);
  for (const char* cursor = defaultDocuments; NextListItem(cursor, text, sizeof(text));) {
    Ref added = NewElement(call, files, "add");
    SetText(call, added, "value", text);
    AddElement(call, files, added);
  }
  const struct {
    const char* kind;
    BOOL enabled;
  } authentications[] = {{"anonymousAuthentication", anonymous},
                         {"windowsAuthentication", windowsAuthentication},
                         {"basicAuthentication", basicAuthentication}};
  for (const auto& authentication : authentications) {
    std::snprintf(name, sizeof(name), "%s%s", kAuthentication, authentication.kind);
    SetFlag(call, config.Section(name, location), "enabled", authentication.enabled != FALSE);
  }
  Ref mimeMaps = Collection(call, config.Section("system.webServer/staticContent", location));
  char extension[kText];
  for (const char* cursor = mimeTypes; NextListItem(cursor, text, sizeof(text));) {
    if (!SplitMimeEntry(text, extension, sizeof(extension), name, sizeof(name))) continue;
    Ref map = NewElement(call, mimeMaps, "mimeMap");
    SetText(call, map, "fileExtension", extension);
    SetText(call, map, "mimeType", name);
    AddElement(call, mimeMaps, map);
  }
  config.Commit();
  return call.ok;
}

__declspec(dllexport) BOOL WINAPI DeleteIISSiteFolder(int siteNumber, const char* path) {
  ComScope com;
  Call call;
  Configuration config(call);
  Ref site = config.Site(siteNumber);
  char virtualPath[kText];
  VirtualPath(virtualPath, sizeof(virtualPath), path);
  Ref applications = Collection(call, site);
  const long application = Find(call, applications, "path", virtualPath);
  if (application >= 0 && std::strcmp(virtualPath, "/") != 0) {
    DeleteElement(call, applications, application);
  } else {
    const long root = Find(call, applications, "path", "/");
    Ref directories = Collection(call, Item(call, applications, root));
    const long directory = Find(call, directories, "path", virtualPath);
    if (directory < 0) call.Fail();
    DeleteElement(call, directories, directory);
  }
  config.Commit();
  return call.ok;
}

__declspec(dllexport) BOOL WINAPI DeleteIISSite(int siteNumber) {
  ComScope com;
  Call call;
  Configuration config(call);
  Ref sites = config.Sites();
  char id[16];
  std::snprintf(id, sizeof(id), "%d", siteNumber);
  const long index = Find(call, sites, "id", id);
  if (index < 0) call.Fail();
  DeleteElement(call, sites, index);
  config.Commit();
  return call.ok;
}

__declspec(dllexport) BOOL WINAPI ControlIISSite(int siteNumber, int action) {
  const char* method = ControlMethod(action);
  if (method == nullptr) return FALSE;
  ComScope com;
  Call call;
  Configuration config(call);
  Ref site = config.Site(siteNumber);
  Ref instance = Object(call, Item(call, Property(call, site, L"Methods"), method).Get(),
                        L"CreateInstance", DISPATCH_METHOD);
  Invoke(call, instance.Get(), L"Execute", DISPATCH_METHOD, nullptr, 0, nullptr);
  return call.ok;
}

__declspec(dllexport) BOOL WINAPI GetIISSiteList(char* buffer, int size) {
  CopyToBuffer("", buffer, size);
  ComScope com;
  Call call;
  Configuration config(call);
  Ref sites = config.Sites();
  const long count = Count(call, sites);
  char name[kText];
  for (long i = 0; i < count && call.ok && buffer != nullptr; ++i) {
    const size_t used = std::strlen(buffer);
    GetText(call, Item(call, sites, i), "name", name, kText);
    CopyToBuffer(i > 0 ? "$NEWLINE$" : "", buffer + used, size - static_cast<int>(used));
    const size_t joined = std::strlen(buffer);
    CopyToBuffer(name, buffer + joined, size - static_cast<int>(joined));
  }
  return call.ok;
}

__declspec(dllexport) BOOL WINAPI GetIISSiteIndex(const char* description, int* index) {
  int found = 0;
  ComScope com;
  Call call;
  Configuration config(call);
  Ref sites = config.Sites();
  const long at = Find(call, sites, "name", description);
  char id[kText];
  if (at >= 0)
    found = static_cast<int>(
        std::strtol(GetText(call, Item(call, sites, at), "id", id, kText), nullptr, 10));
  if (index != nullptr) *index = call.ok ? found : 0;
  return call.ok;
}

__declspec(dllexport) BOOL WINAPI
    GetIISProperty(int siteNumber, const char* path, const char* property, char* buffer, int size) {
  ComScope com;
  Call call;
  Configuration config(call);
  Ref site = config.Site(siteNumber);
  char value[kText];
  Ref element = *path == '\0' ? std::move(site) : FolderElement(call, site, path);
  GetText(call, element, property, value, kText);
  CopyToBuffer(call.ok ? value : kPropertyFailed, buffer, size);
  return call.ok;
}

__declspec(dllexport) BOOL WINAPI
    SetIISProperty(int siteNumber, const char* path, const char* property, const char* value) {
  ComScope com;
  Call call;
  Configuration config(call);
  Ref site = config.Site(siteNumber);
  Ref element = *path == '\0' ? std::move(site) : FolderElement(call, site, path);
  SetText(call, element, property, value);
  config.Commit();
  return call.ok;
}

__declspec(dllexport) BOOL WINAPI GetIISAnonUser(char* buffer, int size) {
  ComScope com;
  Call call;
  Configuration config(call);
  char name[kText], account[kText];
  std::snprintf(name, sizeof(name), "%sanonymousAuthentication", kAuthentication);
  GetText(call, config.Section(name), "userName", account, kText);
  CopyToBuffer(call.ok ? account : "", buffer, size);
  return call.ok;
}

__declspec(dllexport) BOOL WINAPI GetIISUniqueAccountID(int* next) {
  ComScope com;
  Call call;
  Configuration config(call);
  Ref sites = config.Sites();
  const long count = Count(call, sites);
  auto* used = static_cast<int64_t*>(std::malloc(sizeof(int64_t) * (count > 0 ? count : 1)));
  if (used == nullptr) call.Fail();
  char id[kText];
  for (long i = 0; i < count && call.ok; ++i)
    used[i] = std::strtoll(GetText(call, Item(call, sites, i), "id", id, kText), nullptr, 10);
  const int number = call.ok ? NextFreeSiteNumber(used, static_cast<size_t>(count)) : -1;
  std::free(used);
  if (next != nullptr) *next = number;
  return call.ok;
}

__declspec(dllexport) BOOL WINAPI GetIISSiteState(int siteNumber, int* state) {
  ComScope com;
  Call call;
  Configuration config(call);
  char text[kText];
  GetText(call, config.Site(siteNumber), "state", text, kText);
  const int code = call.ok ? MetabaseServerState(std::strtol(text, nullptr, 10)) : -1;
  if (state != nullptr) *state = code;
  return call.ok;
}

}  // extern "C"
