// The web server statements against the metabase and wrapper twins: the
// property steps of "Create IIS Site" and "Create Virtual Folder" with the
// aspnet_regiis run, deletion, control, the lists and properties, the
// anonymous account with its temporary site, the swallowed server failures,
// the strict integer lines, and the back-end choice with the wrapper
// library's writing, removal and neutral results.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/engine_error.h"
#include "system/query_statements.h"
#include "system/web_server_statements.h"
#include "twins/fake_queries.h"
#include "twins/memory_file_system.h"
#include "twins/program_runner_twin.h"
#include "twins/registry_twin.h"
#include "twins/statement_test.h"
#include "twins/web_server_twin.h"

namespace vantrell {
namespace {

using testing::FakeProgramRunner;
using testing::MemoryFileSystem;
using testing::MemoryRegistry;
using testing::WebServerTwin;
using Strings = std::vector<std::string>;

constexpr const char* kService = "localhost/w3svc";
constexpr const char* kLibrary = "C:\\Temp\\{S}\\ahadmin_wrapper.dll";

std::string Dword(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

class WebServerTest : public testing::StatementTest {
 protected:
  void SetUp() override {
    server = std::make_shared<WebServer>(WebServerServices{
        web, registry, runner, files, [] { return std::string("C:\\Windows"); },
        [](const std::string& text, const std::string&, int slot) -> std::optional<std::string> {
          if (text == "Shop") return "Laden" + std::to_string(slot);
          return std::nullopt;
        }});
    RegisterWebServerStatements(table, server);
    vars.AssignVariable("IISHOST", "localhost", "Test");
    vars.AssignVariable("SUPPORTDIR", "C:\\Temp\\{S}", "Test");
    auto& mb = web.metabase;
    mb.Add(kService, "IIsWebService", {{"AnonymousUserName", std::string("IUSR_TEST")}});
    mb.Add(Site(1), "IIsWebServer", {{"ServerComment", std::string("Default Web Site")}});
    mb.Add(Site(1) + "/Root", "IIsWebVirtualDir", {{"Path", std::string("C:\\inetpub")}});
    mb.Add(std::string(kService) + "/Filters", "IIsFilters");
    mb.Add(std::string(kService) + "/AppPools", "IIsApplicationPools");
    mb.Add(std::string(kService) + "/AppPools/Existing", "IIsApplicationPool");
    mb.Add(Site(2), "IISWEBSERVER", {{"ServerComment", std::string("Shop")}});
  }
  static std::string Site(int n) { return std::string(kService) + "/" + std::to_string(n); }
  void Version(uint32_t major, uint32_t minor) {
    registry.SetValue(RegistryRoot::kLocalMachine, RegistryView::kDefault,
                      "SOFTWARE\\Microsoft\\INetStp", "MajorVersion", kRegDword, Dword(major));
    registry.SetValue(RegistryRoot::kLocalMachine, RegistryView::kDefault,
                      "SOFTWARE\\Microsoft\\INetStp", "MinorVersion", kRegDword, Dword(minor));
  }
  // The 18 lines of "Create Virtual Folder" with some of them replaced.
  static Strings FolderLines(std::map<int, std::string> changes) {
    Strings lines = {"app",  "C:\\www\\app", "TRUE",  "TRUE",  "FALSE", "FALSE",
                     "TRUE", "FALSE",        "0|",    "1|0",   "TRUE",  "index.htm",
                     "",     "TRUE",         "FALSE", "FALSE", "",      "1"};
    for (const auto& [line, text] : changes) lines[line - 1] = text;
    return lines;
  }
  Strings Runs() const {
    Strings runs;
    for (const auto& start : runner.starts)
      runs.push_back(start.shell.file + "|" + start.shell.parameters + "|" + start.shell.folder);
    return runs;
  }

  WebServerTwin web;
  MemoryRegistry registry;
  FakeProgramRunner runner;
  MemoryFileSystem files;
  std::shared_ptr<WebServer> server;
};

TEST(WebServerLines, FolderNamesCodesAndTexts) {
  EXPECT_EQ(MetabaseFolderName(""), "Root");
  EXPECT_EQ(MetabaseFolderName("app/sub"), "Root/app/sub");
  const std::pair<const char*, ExecuteLine> executes[] = {
      {"1|2", {1, "2"}}, {"2|", {2, "0"}}, {"0", {0, "0"}}, {"$2|v4.0.30319", {2, "v4.0.30319"}}};
  for (const auto& [line, want] : executes) {
    EXPECT_EQ(ParseExecuteLine(line).code, want.code) << line;
    EXPECT_EQ(ParseExecuteLine(line).aspNet, want.aspNet) << line;
  }
  EXPECT_EQ(ParseProtectionLine("2|Shop Pool").pool, "Shop Pool");
  EXPECT_EQ(ParseProtectionLine(" 3").code, 3);
  EXPECT_THROW(ParseProtectionLine("|Pool"), EngineError);
  EXPECT_THROW(ParseExecuteLine("scripts|2"), EngineError);
  EXPECT_EQ(AspNetFrameworkFolder("1"), "v1.1.4322");
  EXPECT_EQ(AspNetFrameworkFolder("2"), "v2.0.50727");
  EXPECT_EQ(AspNetFrameworkFolder("v4.0.30319"), "v4.0.30319");
  EXPECT_EQ((Strings{std::to_string(AppCreateMode(1)), std::to_string(AppCreateMode(2)),
                     std::to_string(AppCreateMode(3))}),
            (Strings{"0", "2", "1"}));
  EXPECT_EQ(AutomationText(true), "TRUE");
  EXPECT_EQ(AutomationText(int32_t{-1}), "-1");
  EXPECT_EQ(AutomationText(std::vector<MimeEntry>{{".a", "x/a"}, {".b", "x/b"}}), ".a=x/a,.b=x/b");
}

TEST_F(WebServerTest, CreateSiteAutoTakesTheNextFreeNumberAndWritesEveryStep) {
  Run("Create IIS Site", {"Shop", "auto", "", "www", "8080", "443", "120", "TRUE", "TRUE", "TRUE",
                          "FALSE", "FALSE", "TRUE", "250", "1"});
  const std::string site = Site(3);
  EXPECT_EQ(
      web.metabase.calls,
      (Strings{"create " + site + " IIsWebServer", "put " + site + " ServerComment=Laden1",
               "put " + site + " ServerBindings=:8080:www",
               "put " + site + " SecureBindings=:443:www", "put " + site + " ConnectionTimeout=120",
               "put " + site + " AllowKeepAlive=TRUE", "put " + site + " LogType=1",
               "put " + site + " DontLog=FALSE",
               "call localhost/w3svc EnableWebServiceExtension ASP", "call localhost/w3svc SetInfo",
               "put " + site + " MaxConnections=250", "put " + site + " ServerSize=1",
               "call " + site + " SetInfo"}));
}

TEST_F(WebServerTest, CreateSiteVariants) {
  struct Case {
    const char* number;
    const char* log;
    const char* asp;
    const char* exe;
    const char* unlimited;
    Strings want;  // the calls other than those every case makes
  } cases[] = {
      // An existing site is opened, not created; no log: LogType 0 only.
      {"2",
       "FALSE",
       "FALSE",
       "FALSE",
       "TRUE",
       {"put localhost/w3svc/2 LogType=0", "put localhost/w3svc/2 MaxConnections=-1"}},
      // Executables alone still save the service; a refused extension call is skipped.
      {"$7",
       "FALSE",
       "FALSE",
       "TRUE",
       "FALSE",
       {"create localhost/w3svc/7 IIsWebServer", "put localhost/w3svc/7 LogType=0",
        "call localhost/w3svc EnableExtensionFile *.exe", "call localhost/w3svc SetInfo",
        "put localhost/w3svc/7 MaxConnections=9"}},
      {"8",
       "FALSE",
       "TRUE",
       "TRUE",
       "FALSE",
       {"create localhost/w3svc/8 IIsWebServer", "put localhost/w3svc/8 LogType=0",
        "call localhost/w3svc EnableExtensionFile *.exe", "call localhost/w3svc SetInfo",
        "put localhost/w3svc/8 MaxConnections=9"}},
  };
  web.metabase.refused.insert("localhost/w3svc EnableWebServiceExtension");
  for (const Case& c : cases) {
    web.metabase.calls.clear();
    Run("Create IIS Site", {"Other", c.number, "10.0.0.1", "", "80", "443", "30", "FALSE", c.log,
                            c.asp, c.exe, c.unlimited, "FALSE", "9", "0"});
    Strings rest;
    for (const std::string& call : web.metabase.calls) {
      if (call.find(" LogType=") != std::string::npos || call.find(" Max") != std::string::npos ||
          call.rfind("create", 0) == 0 || call.find("w3svc Enable") != std::string::npos ||
          call == "call localhost/w3svc SetInfo")
        rest.push_back(call);
    }
    EXPECT_EQ(rest, c.want) << c.number;
  }
  EXPECT_EQ(web.metabase.Own(Site(2), "ServerBindings"), "10.0.0.1:80:");
}

TEST_F(WebServerTest, BadIntegersFailBeforeTheServerIsAsked) {
  const std::pair<const char*, Strings> cases[] = {
      {"Create IIS Site",
       {"S", "3", "", "", "80", "443", "long", "", "", "", "", "", "", "1", "1"}},
      {"Create IIS Site", {"S", "3", "", "", "80", "443", "1", "", "", "", "", "", "", "1", "big"}},
      {"Create Virtual Folder", FolderLines({{18, "one"}})},
      {"Create Virtual Folder", FolderLines({{10, "x|2"}})},
      {"Delete IIS Site", {"first"}},
      {"Control IIS Site", {"1", "go"}},
      {"Get IIS Property", {"FALSE", "", "", "", "Path", "R"}},
  };
  for (const auto& [command, lines] : cases) {
    EXPECT_THROW(Run(command, lines), EngineError) << command;
    EXPECT_EQ(web.namespaces, 0) << command;
  }
}

TEST_F(WebServerTest, CreateFolderStepsInOrder) {
  web.metabase.Add(Site(1) + "/Root/app", "IIsWebVirtualDir",
                   {{"MimeMap", std::vector<MimeEntry>{{".old", "x/old"}}}});
  Run("Create Virtual Folder", FolderLines({{3, "FALSE"},
                                            {9, "2|Shop Pool"},
                                            {10, "2|0"},
                                            {13, "foot.htm"},
                                            {17, ".json=application/json,bad,.log=text/plain"}}));
  const std::string app = Site(1) + "/Root/app";
  const std::string pool = "localhost/w3svc/AppPools/Shop Pool";
  EXPECT_EQ(web.metabase.calls,
            (Strings{"put " + app + " Path=C:\\www\\app",
                     "put " + app + " AccessSource=FALSE",
                     "put " + app + " AccessRead=TRUE",
                     "put " + app + " AccessWrite=FALSE",
                     "put " + app + " EnableDirBrowsing=FALSE",
                     "put " + app + " DontLog=FALSE",
                     "put " + app + " ContentIndexed=FALSE",
                     "create " + pool + " IISApplicationPool",
                     "call " + pool + " SetInfo",
                     "put " + app + " AppPoolId=Shop Pool",
                     "call " + app + " AppCreate2 2",
                     "put " + app + " AppFriendlyName=Shop Pool",
                     "put " + app + " AccessScript=FALSE",
                     "put " + app + " AccessExecute=FALSE",
                     "put " + app + " AccessScript=TRUE",
                     "put " + app + " AccessExecute=TRUE",
                     "put " + app + " EnableDefaultDoc=TRUE",
                     "put " + app + " DefaultDoc=index.htm",
                     "put " + app + " EnableDocFooter=TRUE",
                     "put " + app + " DefaultDocFooter=foot.htm",
                     "put " + app + " AuthAnonymous=TRUE",
                     "put " + app + " AuthNTLM=FALSE",
                     "put " + app + " AuthBasic=FALSE",
                     "call " + app + " SetInfo",
                     "put " + app + " MimeMap=.old=x/old,.json=application/json",
                     "call " + app + " SetInfo",
                     "put " + app + " MimeMap=.old=x/old,.json=application/json,.log=text/plain",
                     "call " + app + " SetInfo"}));
  EXPECT_TRUE(runner.starts.empty());
}

TEST_F(WebServerTest, CreateFolderPoolsProtectionAndExecuteCodes) {
  struct Case {
    const char* protection;
    const char* execute;
    Strings want;  // pool, application and execute calls
  } cases[] = {
      {"0|", "0|", {"put S AccessScript=FALSE", "put S AccessExecute=FALSE"}},
      {"1|Existing",
       "1|0",
       {"put S AppPoolId=Existing", "call S AppCreate2 0", "put S AppFriendlyName=Existing",
        "put S AccessScript=FALSE", "put S AccessExecute=FALSE", "put S AccessScript=TRUE"}},
      {"3|",
       "0",
       {"call S AppCreate2 1", "put S AppFriendlyName=", "put S AccessScript=FALSE",
        "put S AccessExecute=FALSE"}},
  };
  for (const Case& c : cases) {
    web.metabase.calls.clear();
    Run("Create Virtual Folder", FolderLines({{1, ""}, {9, c.protection}, {10, c.execute}}));
    Strings got;
    const std::string root = Site(1) + "/Root";
    for (std::string call : web.metabase.calls) {
      if (call.find("AppPools") != std::string::npos || call.find("App") != std::string::npos ||
          call.find(" Access") != std::string::npos) {
        if (call.find(" AccessSource") != std::string::npos ||
            call.find(" AccessRead") != std::string::npos ||
            call.find(" AccessWrite") != std::string::npos)
          continue;
        const size_t at = call.find(root + " ");
        if (at != std::string::npos) call.replace(at, root.size(), "S");
        got.push_back(call);
      }
    }
    EXPECT_EQ(got, c.want) << c.protection << " " << c.execute;
  }
}

TEST_F(WebServerTest, CreateFolderRunsTheFrameworkToolOnlyWithAVersionAndWithoutErrors) {
  struct Case {
    std::map<int, std::string> lines;
    bool siteMissing;
    Strings runs;
  } cases[] = {
      {{{1, "app/sub"}, {10, "1|2"}},
       false,
       {"C:\\Windows\\Microsoft.NET\\Framework\\v2.0.50727\\aspnet_regiis.exe|-s "
        "\"w3svc/1/Root/app/sub\"|C:\\Windows\\Microsoft.NET\\Framework\\v2.0.50727\\"}},
      {{{1, ""}, {10, "0|1"}, {18, "2"}},
       false,
       {"C:\\Windows\\Microsoft.NET\\Framework\\v1.1.4322\\aspnet_regiis.exe|-s "
        "\"w3svc/2/Root\"|C:\\Windows\\Microsoft.NET\\Framework\\v1.1.4322\\"}},
      {{{10, "1|v4.0.30319"}},
       false,
       {"C:\\Windows\\Microsoft.NET\\Framework\\v4.0.30319\\aspnet_regiis.exe|-s "
        "\"w3svc/1/Root/app\"|C:\\Windows\\Microsoft.NET\\Framework\\v4.0.30319\\"}},
      {{{10, "1|0"}}, false, {}},
      {{{10, "1|"}}, false, {}},
      {{{10, "1|2"}, {18, "9"}}, true, {}},
  };
  for (const Case& c : cases) {
    runner.starts.clear();
    Run("Create Virtual Folder", FolderLines(c.lines));
    EXPECT_EQ(Runs(), c.runs) << c.lines.at(10);
    for (const auto& start : runner.starts) {
      EXPECT_TRUE(start.shell.hidden);
      EXPECT_TRUE(start.shell.wait);
      EXPECT_TRUE(start.shell.processMessages);
      EXPECT_EQ(start.openScopes, 1);
    }
  }
  EXPECT_TRUE(web.metabase.Has(Site(1) + "/Root/app/sub"));
  EXPECT_EQ(web.metabase.Own(Site(1) + "/Root/app", "AccessScript"), "TRUE");
  EXPECT_EQ(web.metabase.Own(Site(1) + "/Root/app", "AccessExecute"), "FALSE");
  // A refused step ends the statement: no tool run.
  runner.starts.clear();
  web.metabase.refused.insert(Site(1) + "/Root/app AuthBasic");
  Run("Create Virtual Folder", FolderLines({{10, "1|2"}}));
  EXPECT_TRUE(runner.starts.empty());
}

TEST_F(WebServerTest, DeleteSitesAndFolders) {
  web.metabase.Add(Site(1) + "/Root/app", "IIsWebVirtualDir");
  web.metabase.Add(Site(1) + "/Root/app/sub", "IIsWebVirtualDir");
  Run("Delete Virtual Folder", {"1", "app"});
  EXPECT_FALSE(web.metabase.Has(Site(1) + "/Root/app/sub"));
  EXPECT_TRUE(web.metabase.Has(Site(1) + "/Root"));
  Run("Delete IIS Site", {"2"});
  EXPECT_FALSE(web.metabase.Has(Site(2)));
  // Missing objects: nothing happens and the script goes on.
  Run("Delete IIS Site", {"9"});
  Run("Delete Virtual Folder", {"1", "gone"});
  Run("Delete Virtual Folder", {"9", ""});
  EXPECT_EQ(web.metabase.calls, (Strings{"delete " + Site(1) + "/Root/app", "delete " + Site(2)}));
}

TEST_F(WebServerTest, ControlStartsFirstForPauseAndContinue) {
  web.metabase.nodes[Site(2)].properties["Status"] = int32_t{4};
  const std::pair<const char*, Strings> cases[] = {
      {"0", {"call localhost/w3svc/2 Start"}},
      {"1", {"call localhost/w3svc/2 Stop"}},
      {"2", {"call localhost/w3svc/2 Start", "call localhost/w3svc/2 Pause"}},
      {"3", {"call localhost/w3svc/2 Start", "call localhost/w3svc/2 Continue"}},
      {"7", {"call localhost/w3svc/2 Start"}},
  };
  for (const auto& [action, want] : cases) {
    web.metabase.calls.clear();
    Run("Control IIS Site", {"2", action});
    EXPECT_EQ(web.metabase.calls, want) << action;
  }
  // A site whose status cannot be read is left alone.
  web.metabase.calls.clear();
  web.metabase.refused.insert(Site(2) + " Status");
  Run("Control IIS Site", {"2", "0"});
  Run("Control IIS Site", {"5", "0"});
  EXPECT_TRUE(web.metabase.calls.empty());
}

TEST_F(WebServerTest, SiteListAndIndex) {
  Run(testing::ScriptBuilder()
          .Add("Get IIS Site List", {"$SITES$"})
          .Add("Get IIS Site Index", {"Default Web Site", "FIRST"})
          .Add("Get IIS Site Index", {"Shop", "SECOND"})
          .Add("Get IIS Site Index", {"Nowhere", "NONE"}));
  EXPECT_EQ(Get("SITES"), "Default Web Site$NEWLINE$Shop");
  EXPECT_EQ(Get("FIRST"), "1");
  // The description is translated first: "Shop" becomes "Laden1", which no site has.
  EXPECT_EQ(Get("SECOND"), "0");
  EXPECT_EQ(Get("NONE"), "0");
  // A walk that fails keeps what it collected.
  web.metabase.childrenBeforeFailure = 2;
  Run("Get IIS Site List", {"PART"});
  EXPECT_EQ(Get("PART"), "Default Web Site");
  web.metabase.namespaceFails = true;
  Run("Get IIS Site List", {"NOTHING"});
  EXPECT_EQ(Get("NOTHING"), "");
}

TEST_F(WebServerTest, GetAndSetProperties) {
  Run(testing::ScriptBuilder()
          .Add("Set IIS Property", {"FALSE", "ignored", "1", "", "Path", "D:\\site"})
          .Add("Set IIS Property", {"TRUE", "", "2", "nothing", "ServerComment", "Renamed"})
          .Add("Set IIS Property", {"FALSE", "", "1", "gone", "Path", "X"})
          .Add("Get IIS Property", {"FALSE", "", "1", "", "Path", "ROOTPATH"})
          .Add("Get IIS Property", {"TRUE", "", "2", "", "ServerComment", "NAME"})
          .Add("Get IIS Property", {"TRUE", "", "2", "", "AnonymousUserName", "INHERITED"})
          .Add("Get IIS Property", {"FALSE", "", "1", "gone", "Path", "MISSING"})
          .Add("Get IIS Property", {"FALSE", "", "1", "", "NoSuchProperty", "UNKNOWN"}));
  EXPECT_EQ(Get("ROOTPATH"), "D:\\site");
  EXPECT_EQ(Get("NAME"), "Renamed");
  EXPECT_EQ(Get("INHERITED"), "IUSR_TEST");
  EXPECT_EQ(Get("MISSING"), "!ERROR!");
  EXPECT_EQ(Get("UNKNOWN"), "!ERROR!");
  EXPECT_EQ(web.metabase.CallsUnder(Site(1)), (Strings{"put " + Site(1) + "/Root Path=D:\\site",
                                                       "call " + Site(1) + "/Root SetInfo"}));
  EXPECT_EQ(runner.openScopes, 0);
}

TEST_F(WebServerTest, AnonymousUserLeavesNoTemporarySite) {
  Run("IIS Anonymous User", {"ACCOUNT"});
  EXPECT_EQ(Get("ACCOUNT"), "IUSR_TEST");
  EXPECT_EQ(web.metabase.calls, (Strings{"create " + Site(3) + " IIsWebServer",
                                         "call " + Site(3) + " SetInfo", "delete " + Site(3)}));
  EXPECT_FALSE(web.metabase.Has(Site(3)));
  // A failing read still removes the site; no server at all gives the empty text.
  web.metabase.refused.insert(Site(3) + " AnonymousUserName");
  Run("IIS Anonymous User", {"FAILED"});
  EXPECT_EQ(Get("FAILED"), "");
  EXPECT_FALSE(web.metabase.Has(Site(3)));
  web.metabase.namespaceFails = true;
  vars.AssignVariable("NOSERVER", "old", "Test");
  Run("IIS Anonymous User", {"NOSERVER"});
  EXPECT_EQ(Get("NOSERVER"), "");
}

TEST_F(WebServerTest, TheHostComesFromTheVariable) {
  web.metabase.Add("web1", "Computer");
  web.metabase.Add("web1/w3svc", "IIsWebService");
  web.metabase.Add("web1/w3svc/5", "IIsWebServer", {{"ServerComment", std::string("Remote")}});
  vars.AssignVariable("IISHOST", "web1", "Test");
  Run("Get IIS Site List", {"SITES"});
  EXPECT_EQ(Get("SITES"), "Remote");
}

TEST_F(WebServerTest, SettingFiftyNineAsksTheSameWay) {
  testing::FakeQueries queries;
  queries.iisUser = "from the queries";
  RegisterQueryStatements(table, queries,
                          [this](StatementContext& s) { return server->AnonymousUserName(s); });
  Run("Get System Settings", {"ACCOUNT", "59"});
  EXPECT_EQ(Get("ACCOUNT"), "IUSR_TEST");
  EXPECT_FALSE(web.metabase.Has(Site(3)));
}

TEST_F(WebServerTest, BackEndChoice) {
  struct Case {
    int major, minor;  // -1: value missing
    bool wrapper;
  } cases[] = {{-1, -1, false}, {6, 0, false},  {6, 9, false}, {6, 10, true},
               {7, 0, true},    {7, -1, false}, {10, 0, true}};
  for (const Case& c : cases) {
    MemoryRegistry fresh;
    registry = fresh;
    if (c.major >= 0)
      registry.SetValue(RegistryRoot::kLocalMachine, RegistryView::kDefault,
                        "SOFTWARE\\Microsoft\\INetStp", "MajorVersion", kRegDword, Dword(c.major));
    if (c.minor >= 0)
      registry.SetValue(RegistryRoot::kLocalMachine, RegistryView::kDefault,
                        "SOFTWARE\\Microsoft\\INetStp", "MinorVersion", kRegString,
                        std::to_string(c.minor) + std::string(1, '\0'));
    web.wrapper.calls.clear();
    web.namespaces = 0;
    Run("Delete IIS Site", {"2"});
    EXPECT_EQ(web.wrapper.calls.size(), c.wrapper ? 1u : 0u) << c.major << "." << c.minor;
    EXPECT_EQ(web.namespaces, c.wrapper ? 0 : 1) << c.major << "." << c.minor;
  }
}

TEST_F(WebServerTest, TheWrapperIsWrittenOnceAndRemovedAtTheEnd) {
  Version(7, 5);
  Run(testing::ScriptBuilder()
          .Add("Delete IIS Site", {"4"})
          .Add("Get IIS Site List", {"SITES"})
          .Add("IIS Anonymous User", {"ACCOUNT"}));
  EXPECT_EQ(web.written, Strings{kLibrary});
  EXPECT_EQ(web.wrapper.library, kLibrary);
  EXPECT_EQ(Get("SITES"), "Default Web Site");
  EXPECT_EQ(Get("ACCOUNT"), "IUSR_WRAPPED");
  files.AddFile(kLibrary, "MZ");
  ASSERT_EQ(run.cleanups.size(), 1u);
  run.RunExitCleanup();
  EXPECT_FALSE(files.FileExists(kLibrary));
}

TEST_F(WebServerTest, AWrapperThatCannotBeWrittenIsAStatementError) {
  Version(8, 0);
  web.writable = false;
  EXPECT_THROW(Run("Delete IIS Site", {"4"}), EngineError);
  EXPECT_TRUE(web.wrapper.calls.empty());
  // Written later after all: the statements go on through it.
  web.writable = true;
  Run("Delete IIS Site", {"4"});
  EXPECT_EQ(web.wrapper.calls, Strings{"DeleteIISSite(4)"});
}

TEST_F(WebServerTest, WrapperCallsReceiveTheStatementsValues) {
  Version(7, 5);
  Run(testing::ScriptBuilder()
          .Add("Create IIS Site", {"Shop", "auto", "", "www", "8080", "443", "120", "TRUE", "TRUE",
                                   "FALSE", "TRUE", "FALSE", "TRUE", "250", "2"})
          .Add("Create IIS Site",
               {"Other", "6", "", "", "80", "", "0", "", "", "", "", "TRUE", "", "0", "0"})
          .Add("Create Virtual Folder", FolderLines({{9, "2|Pool"}, {10, "2|2"}, {17, ".a=b/c"}}))
          .Add("Delete Virtual Folder", {"3", "app/sub"})
          .Add("Control IIS Site", {"3", "2"})
          .Add("Get IIS Site Index", {"Other", "INDEX"})
          .Add("Get IIS Property", {"TRUE", "", "3", "app", "Path", "PROPERTY"})
          .Add("Set IIS Property", {"TRUE", "", "3", "app", "Path", "D:\\x"}));
  EXPECT_EQ(web.wrapper.calls,
            (Strings{"GetIISUniqueAccountID()",
                     "CreateIISSite(Laden1,5,,www,8080,443,120,1,1,0,1,0,1,250,2)",
                     "CreateIISSite(Other,6,,,80,,0,0,0,0,0,1,0,0,0)",
                     "CreateIISSiteFolder(app,1,C:\\www\\app,1,1,0,0,1,0,2,2,1,index.htm,,1,0,0,"
                     ".a=b/c,Pool)",
                     "DeleteIISSiteFolder(3,app/sub)", "GetIISSiteState(3)", "ControlIISSite(3,2)",
                     "GetIISSiteIndex(Other)", "GetIISProperty(3,app,Path)",
                     "SetIISProperty(3,app,Path,D:\\x)"}));
  EXPECT_EQ(Get("INDEX"), "4");
  EXPECT_EQ(Get("PROPERTY"), "value");
  // The wrapper back end runs no framework tool and asks no metabase.
  EXPECT_TRUE(runner.starts.empty());
  EXPECT_EQ(web.namespaces, 0);
}

TEST_F(WebServerTest, MissingExportsGiveNeutralResults) {
  Version(7, 0);
  for (const char* name : {"GetIISSiteList", "GetIISSiteIndex", "GetIISProperty", "GetIISAnonUser",
                           "GetIISUniqueAccountID", "GetIISSiteState"})
    web.wrapper.missing.insert(name);
  Run(testing::ScriptBuilder()
          .Add("Get IIS Site List", {"SITES"})
          .Add("Get IIS Site Index", {"Shop", "INDEX"})
          .Add("Get IIS Property", {"FALSE", "", "1", "", "Path", "PROPERTY"})
          .Add("IIS Anonymous User", {"ACCOUNT"})
          .Add("Control IIS Site", {"1", "0"})
          .Add("Create IIS Site",
               {"S", "next", "", "", "80", "443", "1", "", "", "", "", "", "", "1", "1"}));
  EXPECT_EQ(Get("SITES"), "");
  EXPECT_EQ(Get("INDEX"), "0");
  EXPECT_EQ(Get("PROPERTY"), "");
  EXPECT_EQ(Get("ACCOUNT"), "");
  // No state: the site is not controlled; no next number: -1 is passed on.
  EXPECT_EQ(web.wrapper.calls, (Strings{"CreateIISSite(S,-1,,,80,443,1,0,0,0,0,0,0,1,1)"}));
}

}  // namespace
}  // namespace vantrell
