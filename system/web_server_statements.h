// The web server statements: "Create IIS Site", "Create Virtual Folder",
// "Delete IIS Site", "Delete Virtual Folder", "Control IIS Site", "Get IIS
// Site List", "Get IIS Site Index", "Get IIS Property", "Set IIS Property" and
// "IIS Anonymous User". Each call goes either to the metabase's automation
// objects or, for servers of version 7.0 and later, to the wrapper library
// written into the support folder. Server failures never stop the script:
// only the statements with a result variable report them, through a neutral
// value. Parameter lines that must be integers and are not are statement
// errors, raised before any server call.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_system.h"
#include "script/statements.h"
#include "system/program_runner.h"
#include "system/registry_access.h"
#include "system/web_server_platform.h"

namespace vantrell {

inline constexpr const char* kWrapperLibraryName = "ahadmin_wrapper.dll";
// The value of "Get IIS Property" when the metabase cannot answer.
inline constexpr const char* kPropertyError = "!ERROR!";

struct WebServerServices {
  WebServerPlatform& platform;
  RegistryAccess& registry;
  ProgramRunner& runner;  // the file view of a statement and the aspnet_regiis run
  FileSystem& files;      // the wrapper library's removal at the end of the run
  std::function<std::string()> windowsFolder;
  // The translation of a parameter's text while a language is current; unset
  // or nullopt: the text stays.
  std::function<std::optional<std::string>(const std::string& text, const std::string& identifier,
                                           int slot)>
      translate;
};

// The metabase name of a folder path: "Root", or "Root/" + path.
std::string MetabaseFolderName(std::string_view path);

// Line 9 of "Create Virtual Folder": protection code and pool name; line 10:
// execute code and ASP.NET version code ("0" when empty). The codes are
// strict integers.
struct ProtectionLine {
  int32_t code = 0;
  std::string pool;
};
struct ExecuteLine {
  int32_t code = 0;
  std::string aspNet = "0";
};
ProtectionLine ParseProtectionLine(std::string_view line);
ExecuteLine ParseExecuteLine(std::string_view line);

// The framework folder of an ASP.NET version code: "1" and "2" are the 1.1
// and 2.0 folders, anything else is the folder's own name.
std::string AspNetFrameworkFolder(std::string_view code);

// The `AppCreate2` argument of an application protection code 1 to 3.
int32_t AppCreateMode(int32_t protection);

// A property value as the script sees it.
std::string AutomationText(const AutomationValue& value);

// The engine-wide state of the web server statements (the host, the wrapper
// library written for this run) and the statements themselves.
class WebServer {
 public:
  explicit WebServer(WebServerServices services);

  void CreateSite(StatementContext& s);
  void CreateFolder(StatementContext& s);
  void DeleteSite(StatementContext& s);
  void DeleteFolder(StatementContext& s);
  void ControlSite(StatementContext& s);
  void SiteList(StatementContext& s);
  void SiteIndex(StatementContext& s);
  void GetProperty(StatementContext& s);
  void SetProperty(StatementContext& s);
  void AnonymousUser(StatementContext& s);

  // The server's anonymous account as "IIS Anonymous User" determines it;
  // empty when it cannot be asked. "Get System Settings" 59 asks here too.
  std::string AnonymousUserName(StatementContext& s);

 private:
  // Sets the host from IISHOST and chooses the back end: the wrapper
  // library's path, or nullopt for the metabase.
  std::optional<std::string> Begin(StatementContext& s);
  bool WrapperVersion();
  std::unique_ptr<AutomationObject> WebService();
  int32_t NextFreeSite();
  std::string TranslatedLine(const StatementContext& s, int line, int slot) const;

  WebServerServices services_;
  std::string host_;
  std::string written_;  // the wrapper library file written for this run
};

// The WebServer must outlive the registrations.
void RegisterWebServerStatements(StatementTable& table, const std::shared_ptr<WebServer>& server);

}  // namespace vantrell
