// The web server statements (contract in web_server_statements.h).
#include "system/web_server_statements.h"

#include <climits>
#include <utility>

#include "common/ascii.h"
#include "common/engine_error.h"
#include "common/paths.h"
#include "system/assembly_tool_statements.h"
#include "system/run_statements.h"
#include "vars/comma_text.h"
#include "vars/integer_text.h"
#include "vars/variable_manager.h"

namespace vantrell {
namespace {

constexpr const char* kServerKey = "SOFTWARE\\Microsoft\\INetStp";
// 10 x major + minor above this: version 7.0 and later.
constexpr int64_t kLastMetabaseVersion = 69;
constexpr const char* kWebService = "IIsWebService";
constexpr const char* kSite = "IIsWebServer";
constexpr const char* kFolder = "IIsWebVirtualDir";

std::string Line(const StatementContext& s, int line) {
  return s.vars.ExpandPath(s.Expanded(line));
}

bool Flag(const StatementContext& s, int line) {
  return TextToBool(Line(s, line));
}

int32_t Integer(const StatementContext& s, int line) {
  return StrToIntStrict(Line(s, line));
}

void Answer(StatementContext& s, const std::string& name, const std::string& value) {
  s.vars.DeclareResultVariable(name, s.Origin());
  s.vars.AssignVariable(name, value, s.Origin());
}

// A registry value read as an integer: a DWORD, or text holding one.
std::optional<int64_t> RegistryInteger(const RegistryData& data) {
  if (data.status != RegistryData::Status::kValue) return std::nullopt;
  if (data.type == kRegDword && data.bytes.size() >= 4) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(data.bytes[i]);
    return value;
  }
  if (data.type == kRegString || data.type == kRegExpandString) {
    std::string text = data.bytes.substr(0, data.bytes.find('\0'));
    int32_t value = 0;
    if (TryStrToInt(text, value)) return value;
  }
  return std::nullopt;
}

// The text before the first "|" and after it.
std::pair<std::string, std::string> SplitAtBar(std::string_view text) {
  const size_t bar = text.find('|');
  if (bar == std::string_view::npos) return {std::string(text), std::string()};
  return {std::string(text.substr(0, bar)), std::string(text.substr(bar + 1))};
}

// Runs a server call whose failure the statement does not report.
template <typename Work>
void Quietly(Work&& work) {
  try {
    work();
  } catch (const AutomationError&) {
    // The server refused; the script goes on.
  }
}

void SetInfo(AutomationObject& object) {
  object.Call("SetInfo", {});
}

// All values of "Create IIS Site", read before the server is asked.
struct SiteLines {
  std::string description, number, address, hostHeader, port, sslPort;
  int32_t connectionTimeout;
  bool keepAlive, logVisits, allowAsp, allowExecutables, unlimited, wrapperFlag;
  int32_t maxConnections, serverSize;
};

// All values of "Create Virtual Folder".
struct FolderLines {
  std::string path, physicalPath;
  bool scriptSource, read, write, browse, logVisits, indexed;
  ProtectionLine protection;
  ExecuteLine execute;
  bool defaultDocEnabled;
  std::string defaultDocuments, footer;
  bool anonymous, ntlm, basic;
  std::string mimeTypes;
  int32_t site;
};

// Steps 2 to 8 of "Create Virtual Folder" on the opened or created folder.
void ConfigureFolder(AutomationObject& service, AutomationObject& folder, const FolderLines& f) {
  folder.Put("Path", f.physicalPath);
  folder.Put("AccessSource", f.scriptSource);
  folder.Put("AccessRead", f.read);
  folder.Put("AccessWrite", f.write);
  folder.Put("EnableDirBrowsing", f.browse);
  folder.Put("DontLog", !f.logVisits);
  folder.Put("ContentIndexed", f.indexed);
  const std::string& pool = f.protection.pool;
  if (!pool.empty()) {
    Quietly([&] {
      auto pools = service.Open("IISApplicationPools", "AppPools");
      try {
        pools->Open("IISApplicationPool", pool);
      } catch (const AutomationError&) {
        SetInfo(*pools->Create("IISApplicationPool", pool));
      }
    });
    folder.Put("AppPoolId", pool);
  }
  if (f.protection.code != 0) {
    folder.Call("AppCreate2", {AppCreateMode(f.protection.code)});
    folder.Put("AppFriendlyName", pool);
  }
  folder.Put("AccessScript", false);
  folder.Put("AccessExecute", false);
  if (f.execute.code > 0) folder.Put("AccessScript", true);
  if (f.execute.code > 1) folder.Put("AccessExecute", true);
  folder.Put("EnableDefaultDoc", f.defaultDocEnabled);
  folder.Put("DefaultDoc", f.defaultDocuments);
  if (!f.footer.empty()) {
    folder.Put("EnableDocFooter", true);
    folder.Put("DefaultDocFooter", f.footer);
  } else {
    folder.Put("EnableDocFooter", false);
  }
  folder.Put("AuthAnonymous", f.anonymous);
  folder.Put("AuthNTLM", f.ntlm);
  folder.Put("AuthBasic", f.basic);
  SetInfo(folder);
  for (const std::string& entry : ReadCommaText(f.mimeTypes)) {
    const size_t equals = entry.find('=');
    // An entry without a type would make a map entry the server cannot serve.
    if (equals == std::string::npos) continue;
    AutomationValue current = folder.Get("MimeMap");
    std::vector<MimeEntry> map;
    if (auto* list = std::get_if<std::vector<MimeEntry>>(&current)) map = std::move(*list);
    map.push_back({entry.substr(0, equals), entry.substr(equals + 1)});
    folder.Put("MimeMap", map);
    SetInfo(folder);
  }
}

}  // namespace

std::string MetabaseFolderName(std::string_view path) {
  return path.empty() ? std::string("Root") : "Root/" + std::string(path);
}

ProtectionLine ParseProtectionLine(std::string_view line) {
  auto [code, pool] = SplitAtBar(line);
  return {StrToIntStrict(code), std::move(pool)};
}

ExecuteLine ParseExecuteLine(std::string_view line) {
  auto [code, aspNet] = SplitAtBar(line);
  return {StrToIntStrict(code), aspNet.empty() ? std::string("0") : std::move(aspNet)};
}

std::string AspNetFrameworkFolder(std::string_view code) {
  if (code == "1") return "v1.1.4322";
  if (code == "2") return "v2.0.50727";
  return std::string(code);
}

int32_t AppCreateMode(int32_t protection) {
  switch (protection) {
    case 1:
      return 0;  // in process
    case 3:
      return 1;  // isolated
    default:
      return 2;  // pooled
  }
}

std::string AutomationText(const AutomationValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<int32_t>(&value)) return std::to_string(*number);
  if (const auto* truth = std::get_if<bool>(&value)) return BoolToText(*truth);
  std::vector<std::string> entries;
  for (const MimeEntry& entry : std::get<std::vector<MimeEntry>>(value))
    entries.push_back(entry.extension + "=" + entry.type);
  return WriteCommaText(entries);
}

WebServer::WebServer(WebServerServices services) : services_(std::move(services)) {}

std::string WebServer::TranslatedLine(const StatementContext& s, int line, int slot) const {
  std::string text = s.Expanded(line);
  if (services_.translate) {
    if (auto translated = services_.translate(text, s.identifier, slot))
      text = s.vars.ExpandVariables(*translated);
  }
  return s.vars.ExpandPath(text);
}

bool WebServer::WrapperVersion() {
  auto read = [this](const char* value) {
    return RegistryInteger(services_.registry.ReadValue(RegistryRoot::kLocalMachine,
                                                        RegistryView::kDefault, kServerKey, value));
  };
  const std::optional<int64_t> major = read("MajorVersion");
  const std::optional<int64_t> minor = major ? read("MinorVersion") : std::nullopt;
  return major && minor && 10 * *major + *minor > kLastMetabaseVersion;
}

std::optional<std::string> WebServer::Begin(StatementContext& s) {
  host_ = s.vars.GetVariable("IISHOST");
  if (!WrapperVersion()) return std::nullopt;
  if (written_.empty()) {
    const std::string path =
        WithTrailingBackslash(s.vars.GetVariable("SUPPORTDIR")) + kWrapperLibraryName;
    if (!services_.platform.WriteWrapperLibrary(path))
      throw EngineError("Cannot write the web server library " + path);
    written_ = path;
    s.run.AddExitCleanup([&files = services_.files, path] { files.RemoveFile(path); });
  }
  return written_;
}

std::unique_ptr<AutomationObject> WebServer::WebService() {
  return services_.platform.NewNamespace()->Open(kWebService, host_ + "/w3svc");
}

int32_t WebServer::NextFreeSite() {
  std::unique_ptr<AutomationObject> service;
  try {
    service = WebService();
  } catch (const AutomationError&) {
    return -1;
  }
  for (int32_t number = 1; number < INT32_MAX; ++number) {
    try {
      service->Open(kSite, std::to_string(number));
    } catch (const AutomationError&) {
      return number;
    }
  }
  return -1;
}

void WebServer::CreateSite(StatementContext& s) {
  SiteLines v{TranslatedLine(s, 1, 1),
              Line(s, 2),
              Line(s, 3),
              Line(s, 4),
              Line(s, 5),
              Line(s, 6),
              Integer(s, 7),
              Flag(s, 8),
              Flag(s, 9),
              Flag(s, 10),
              Flag(s, 11),
              Flag(s, 12),
              Flag(s, 13),
              Integer(s, 14),
              Integer(s, 15)};
  const std::optional<std::string> wrapper = Begin(s);
  int32_t number = 0;
  const bool given = TryStrToInt(v.number, number);
  if (wrapper) {
    WebAdminLibrary& library = services_.platform.Wrapper();
    if (!given) number = library.GetIISUniqueAccountID(*wrapper).value_or(-1);
    library.CreateIISSite(
        *wrapper, WrapperSite{v.description, std::to_string(number), v.address, v.hostHeader,
                              v.port, v.sslPort, v.connectionTimeout, v.keepAlive, v.logVisits,
                              v.allowAsp, v.allowExecutables, v.unlimited, v.wrapperFlag,
                              v.maxConnections, v.serverSize});
    return;
  }
  if (!given) number = NextFreeSite();
  Quietly([&] {
    auto service = WebService();
    std::unique_ptr<AutomationObject> site;
    try {
      site = service->Open(kSite, std::to_string(number));
    } catch (const AutomationError&) {
      site = service->Create(kSite, std::to_string(number));
    }
    site->Put("ServerComment", v.description);
    site->Put("ServerBindings", v.address + ":" + v.port + ":" + v.hostHeader);
    site->Put("SecureBindings", v.address + ":" + v.sslPort + ":" + v.hostHeader);
    site->Put("ConnectionTimeout", v.connectionTimeout);
    site->Put("AllowKeepAlive", v.keepAlive);
    if (v.logVisits) {
      site->Put("LogType", 1);
      site->Put("DontLog", false);
    } else {
      site->Put("LogType", 0);
    }
    if (v.allowAsp) Quietly([&] { service->Call("EnableWebServiceExtension", {"ASP"}); });
    if (v.allowExecutables) Quietly([&] { service->Call("EnableExtensionFile", {"*.exe"}); });
    if (v.allowAsp || v.allowExecutables) SetInfo(*service);
    site->Put("MaxConnections", v.unlimited ? -1 : v.maxConnections);
    site->Put("ServerSize", v.serverSize);
    SetInfo(*site);
  });
}

void WebServer::CreateFolder(StatementContext& s) {
  const auto view = services_.runner.NativeFileSystem();
  FolderLines f{TranslatedLine(s, 1, 1),
                Line(s, 2),
                Flag(s, 3),
                Flag(s, 4),
                Flag(s, 5),
                Flag(s, 6),
                Flag(s, 7),
                Flag(s, 8),
                ParseProtectionLine(Line(s, 9)),
                ParseExecuteLine(Line(s, 10)),
                Flag(s, 11),
                TranslatedLine(s, 12, 2),
                TranslatedLine(s, 13, 3),
                Flag(s, 14),
                Flag(s, 15),
                Flag(s, 16),
                Line(s, 17),
                Integer(s, 18)};
  if (const std::optional<std::string> wrapper = Begin(s)) {
    services_.platform.Wrapper().CreateIISSiteFolder(
        *wrapper, WrapperFolder{f.path, f.site, f.physicalPath, f.scriptSource, f.read, f.write,
                                f.browse, f.logVisits, f.indexed, f.protection.code, f.execute.code,
                                f.defaultDocEnabled, f.defaultDocuments, f.footer, f.anonymous,
                                f.ntlm, f.basic, f.mimeTypes, f.protection.pool});
    return;
  }
  const std::string name = MetabaseFolderName(f.path);
  bool configured = false;
  Quietly([&] {
    auto service = WebService();
    auto site = service->Open(kSite, std::to_string(f.site));
    std::unique_ptr<AutomationObject> folder;
    try {
      folder = site->Open(kFolder, name);
    } catch (const AutomationError&) {
      folder = site->Create(kFolder, name);
    }
    ConfigureFolder(*service, *folder, f);
    configured = true;
  });
  if (!configured || f.execute.aspNet == "0") return;
  const std::string tool = WithTrailingBackslash(services_.windowsFolder()) +
                           "Microsoft.NET\\Framework\\" + AspNetFrameworkFolder(f.execute.aspNet) +
                           "\\aspnet_regiis.exe";
  RunAndWait(services_.runner, tool, "-s \"w3svc/" + std::to_string(f.site) + "/" + name + "\"",
             ProgramFolder(tool),
             /*show=*/false, /*wait=*/true);
}

void WebServer::DeleteSite(StatementContext& s) {
  const int32_t number = Integer(s, 1);
  if (const std::optional<std::string> wrapper = Begin(s)) {
    services_.platform.Wrapper().DeleteIISSite(*wrapper, number);
    return;
  }
  Quietly([&] { WebService()->Delete(kSite, std::to_string(number)); });
}

void WebServer::DeleteFolder(StatementContext& s) {
  const auto view = services_.runner.NativeFileSystem();
  const int32_t number = Integer(s, 1);
  const std::string path = Line(s, 2);
  if (const std::optional<std::string> wrapper = Begin(s)) {
    services_.platform.Wrapper().DeleteIISSiteFolder(*wrapper, number, path);
    return;
  }
  Quietly([&] {
    WebService()->Open(kSite, std::to_string(number))->Delete(kFolder, MetabaseFolderName(path));
  });
}

void WebServer::ControlSite(StatementContext& s) {
  const int32_t number = Integer(s, 1);
  const int32_t action = Integer(s, 2);
  if (const std::optional<std::string> wrapper = Begin(s)) {
    WebAdminLibrary& library = services_.platform.Wrapper();
    if (library.GetIISSiteState(*wrapper, number).value_or(-1) < 0) return;
    library.ControlIISSite(*wrapper, number, action);
    return;
  }
  static constexpr const char* kActions[] = {"Start", "Stop", "Pause", "Continue"};
  Quietly([&] {
    auto site = WebService()->Open(kSite, std::to_string(number));
    site->Get("Status");
    // Pausing and continuing act on a running site.
    if (action > 1) site->Call("Start", {});
    if (action >= 0 && action <= 3) site->Call(kActions[action], {});
  });
}

void WebServer::SiteList(StatementContext& s) {
  std::string name = TVariableManager::StripReference(s.Parameter(1));
  if (name.empty()) name = s.Parameter(1);
  std::string list;
  if (const std::optional<std::string> wrapper = Begin(s)) {
    list = services_.platform.Wrapper().GetIISSiteList(*wrapper).value_or("");
  } else {
    bool first = true;
    Quietly([&] {
      WebService()->EachChild([&](AutomationObject& child) {
        if (!EqualsIgnoreCase(AutomationText(child.Get("Class")), kSite)) return;
        const std::string comment = AutomationText(child.Get("ServerComment"));
        list += (first ? "" : "$NEWLINE$") + comment;
        first = false;
      });
    });
  }
  Answer(s, name, list);
}

void WebServer::SiteIndex(StatementContext& s) {
  const std::string description = TranslatedLine(s, 1, 1);
  const std::string name = s.Parameter(2);
  int32_t index = 0;
  if (const std::optional<std::string> wrapper = Begin(s)) {
    index = services_.platform.Wrapper().GetIISSiteIndex(*wrapper, description).value_or(0);
  } else {
    Quietly([&] {
      bool found = false;
      WebService()->EachChild([&](AutomationObject& child) {
        if (found || !EqualsIgnoreCase(AutomationText(child.Get("Class")), kSite)) return;
        if (AutomationText(child.Get("ServerComment")) != description) return;
        found = true;
        if (!TryStrToInt(AutomationText(child.Get("Name")), index)) index = 0;
      });
    });
  }
  Answer(s, name, std::to_string(index));
}

void WebServer::GetProperty(StatementContext& s) {
  const auto view = services_.runner.NativeFileSystem();
  const bool serverLevel = Flag(s, 1);
  const int32_t number = Integer(s, 3);
  const std::string path = Line(s, 4);
  const std::string property = Line(s, 5);
  const std::string name = s.Parameter(6);
  std::string value = kPropertyError;
  if (const std::optional<std::string> wrapper = Begin(s)) {
    value =
        services_.platform.Wrapper().GetIISProperty(*wrapper, number, path, property).value_or("");
  } else {
    Quietly([&] {
      auto site = WebService()->Open(kSite, std::to_string(number));
      if (serverLevel) {
        value = AutomationText(site->Get(property));
      } else {
        value = AutomationText(site->Open(kFolder, MetabaseFolderName(path))->Get(property));
      }
    });
  }
  Answer(s, name, value);
}

void WebServer::SetProperty(StatementContext& s) {
  const auto view = services_.runner.NativeFileSystem();
  const bool serverLevel = Flag(s, 1);
  const int32_t number = Integer(s, 3);
  const std::string path = Line(s, 4);
  const std::string property = Line(s, 5);
  const std::string value = Line(s, 6);
  if (const std::optional<std::string> wrapper = Begin(s)) {
    services_.platform.Wrapper().SetIISProperty(*wrapper, number, path, property, value);
    return;
  }
  Quietly([&] {
    auto site = WebService()->Open(kSite, std::to_string(number));
    std::unique_ptr<AutomationObject> folder;
    if (!serverLevel) folder = site->Open(kFolder, MetabaseFolderName(path));
    AutomationObject& target = folder ? *folder : *site;
    target.Put(property, value);
    SetInfo(target);
  });
}

std::string WebServer::AnonymousUserName(StatementContext& s) {
  if (const std::optional<std::string> wrapper = Begin(s))
    return services_.platform.Wrapper().GetIISAnonUser(*wrapper).value_or("");
  const int32_t number = NextFreeSite();
  if (number == -1) return {};
  std::string account;
  Quietly([&] {
    auto service = WebService();
    const std::string name = std::to_string(number);
    auto site = service->Create(kSite, name);
    // The temporary site goes again whatever the read gave.
    try {
      SetInfo(*site);
      account = AutomationText(site->Get("AnonymousUserName"));
    } catch (const AutomationError&) {
      account.clear();
    }
    service->Delete(kSite, name);
  });
  return account;
}

void WebServer::AnonymousUser(StatementContext& s) {
  const std::string name = s.Parameter(1);
  Answer(s, name, AnonymousUserName(s));
}

void RegisterWebServerStatements(StatementTable& table, const std::shared_ptr<WebServer>& server) {
  using Member = void (WebServer::*)(StatementContext&);
  auto bind = [server](Member member) {
    return [server, member](StatementContext& s) { ((*server).*member)(s); };
  };
  table.Register("Create IIS Site", bind(&WebServer::CreateSite));
  table.Register("Create Virtual Folder", bind(&WebServer::CreateFolder));
  table.Register("Delete IIS Site", bind(&WebServer::DeleteSite));
  table.Register("Delete Virtual Folder", bind(&WebServer::DeleteFolder));
  table.Register("Control IIS Site", bind(&WebServer::ControlSite));
  table.Register("Get IIS Site List", bind(&WebServer::SiteList));
  table.Register("Get IIS Site Index", bind(&WebServer::SiteIndex));
  table.Register("Get IIS Property", bind(&WebServer::GetProperty));
  table.Register("Set IIS Property", bind(&WebServer::SetProperty));
  table.Register("IIS Anonymous User", bind(&WebServer::AnonymousUser));
}

}  // namespace vantrell
