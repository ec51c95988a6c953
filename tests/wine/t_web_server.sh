#!/usr/bin/env bash
# The web server statements in the real engine. No web server runs under
# Wine: the metabase objects are a stand-in automation server of ours
# (metabase_standin.dll, registered for the test under "IISNamespace" and
# "MimeMap") that starts from sites 1 and 2, writes its objects to
# metabase.txt after every SetInfo and logs every method call (its
# properties are inherited, as the server's are: the folder's MIME map
# starts from the service's); a probe stands at the 2.0 framework's
# aspnet_regiis path. Then the same statements with the server version 7.5
# in the registry go through the engine's wrapper library, which finds no
# configuration objects under Wine: the metabase is not asked and the
# results are the neutral ones; the engine's loader alone gives the neutral
# result for each missing export. Last, the wrapper library works on a
# stand-in of the application host administration objects of ours
# (app_host_standin.dll), which writes the committed sections to a file.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

standin="$(scratch)"
cp "$TESTBIN/metabase_standin.dll" "$standin/"
cat >"$standin/metabase.txt" <<'M'
localhost/w3svc|IIsWebService
 AnonymousUserName|S|IUSR_STANDIN
 MimeMap|M|.htm=text/html
localhost/w3svc/1|IIsWebServer
 ServerComment|S|Default Web Site
 Status|I|2
localhost/w3svc/1/Root|IIsWebVirtualDir
 Path|S|C:\inetpub\wwwroot
localhost/w3svc/2|IIsWebServer
 ServerComment|S|Intranet
 Status|I|4
localhost/w3svc/2/Root|IIsWebVirtualDir
localhost/w3svc/AppPools|IIsApplicationPools
M
register() { # PROGID CLSID
  wine reg add "HKCR\\$1\\CLSID" /ve /d "$2" /f >/dev/null 2>&1
  wine reg add "HKCR\\CLSID\\$2\\InprocServer32" /ve /d "$(winpath "$standin/metabase_standin.dll")" /f >/dev/null 2>&1
  wine reg add "HKCR\\CLSID\\$2\\InprocServer32" /v ThreadingModel /d Apartment /f >/dev/null 2>&1
}
namespace_class='{7F6B3A10-2C4D-4E8F-9A1B-3C5D7E9F1A20}'
mimemap_class='{7F6B3A11-2C4D-4E8F-9A1B-3C5D7E9F1A20}'
register IISNamespace "$namespace_class"
register MimeMap "$mimemap_class"
server_key='HKLM\Software\Microsoft\INetStp'
cleanup() {
  for key in 'HKCR\IISNamespace' 'HKCR\MimeMap' "HKCR\\CLSID\\$namespace_class" "HKCR\\CLSID\\$mimemap_class" "$server_key"; do
    wine reg delete "$key" /f >/dev/null 2>&1
  done
  rm -f "$framework/aspnet_regiis.exe" "$framework/aspnet_regiis.exe.log"
}

framework="$WINEPREFIX/drive_c/windows/Microsoft.NET/Framework/v2.0.50727"
framework_win='C:\windows\Microsoft.NET\Framework\v2.0.50727'
mkdir -p "$framework"
cp "$TESTBIN/cache_tool_probe.exe" "$framework/aspnet_regiis.exe"
rm -f "$framework/aspnet_regiis.exe.log"

# The statements of both runs; OUT is where the answers go.
statements() {
  local out="$1"
  q() { local name="$1"; shift; echo "$*"; echo "Write to Text File|$out|$name=\$$name\$|FALSE"; }
  echo "Create IIS Site|Shop|auto||www|8080|443|120|TRUE|TRUE|TRUE|TRUE|FALSE|FALSE|250|1"
  q WRAPPER 'Does File/Folder Exist|WRAPPER|$SUPPORTDIR$\ahadmin_wrapper.dll|TRUE'
  echo 'Create Virtual Folder|app|C:\www\app|FALSE|TRUE|FALSE|FALSE|TRUE|FALSE|2<BAR>ShopPool|1<BAR>2|TRUE|index.htm||TRUE|FALSE|FALSE|.json=application/json|3'
  echo 'Create Virtual Folder|static|C:\www\static|FALSE|TRUE|FALSE|FALSE|TRUE|FALSE|0<BAR>|1<BAR>0|TRUE|index.htm||TRUE|FALSE|FALSE||3'
  echo "Control IIS Site|2|2"
  q MISSING "Get IIS Property|FALSE||3|missing|Path|MISSING"
  q SCRIPT "Get IIS Property|FALSE||3|static|AccessScript|SCRIPT"
  q COMMENT "Get IIS Property|TRUE||3||ServerComment|COMMENT"
  q SITES "Get IIS Site List|\$SITES\$"
  q INDEX "Get IIS Site Index|Shop|INDEX"
  q ACCOUNT "IIS Anonymous User|ACCOUNT"
  q SETTING "Get System Settings|SETTING|59"
  echo "Terminate with Exit Code|7"
}
answer() { tr -d '\r' <"$1" | sed -n "s/^$2=//p" | head -1; }
# The properties of one object in the stand-in's file, one "name|kind|value" a line.
object() { tr -d '\r' <"$standin/metabase.txt" | awk -v p="$1|" 'index($0, p) == 1 { on = 1; next } /^[^ ]/ { on = 0 } on { print substr($0, 2) }'; }
calls() { tr -d '\r' <"$standin/metabase.log" 2>/dev/null; }

work="$(scratch)"
out="$work/answers.txt"
dir="$(scratch)"
statements "$(winpath "$out")" | make_script_setup "$dir" >/dev/null
check "metabase: the run goes on to its end" \
  "$(robot_value exit <<<"$(robot run --timeout 120000 -- "$(winpath "$dir/setup.exe")" /s)")" 7

check "metabase: auto makes site 3 with every property of the steps" "$(object localhost/w3svc/3)" \
  "ServerComment|S|Shop
ServerBindings|S|:8080:www
SecureBindings|S|:443:www
ConnectionTimeout|I|120
AllowKeepAlive|B|TRUE
LogType|I|1
DontLog|B|FALSE
MaxConnections|I|250
ServerSize|I|1"
check "metabase: the extensions are enabled on the web service, which is saved" \
  "$(calls | grep -E '^(EnableWebServiceExtension|EnableExtensionFile|SetInfo) localhost/w3svc( |$)')" \
  "EnableWebServiceExtension localhost/w3svc ASP
EnableExtensionFile localhost/w3svc *.exe
SetInfo localhost/w3svc"
check "metabase: the folder with a pool, an application and scripts" \
  "$(object localhost/w3svc/3/Root/app | grep -E '^(Path|AppPoolId|AppFriendlyName|AccessScript|AccessExecute|DefaultDoc|MimeMap)\|')" \
  "Path|S|C:\\www\\app
AppPoolId|S|ShopPool
AppFriendlyName|S|ShopPool
AccessScript|B|TRUE
AccessExecute|B|FALSE
DefaultDoc|S|index.htm
MimeMap|M|.htm=text/html,.json=application/json"
check "metabase: the missing pool is made and the application is pooled" \
  "$(calls | grep -E '^(Create localhost/w3svc/AppPools|AppCreate2)')" \
  "Create localhost/w3svc/AppPools IISApplicationPool ShopPool
AppCreate2 localhost/w3svc/3/Root/app 2"
check "metabase: 1|2 runs the 2.0 aspnet_regiis for the folder in its folder, 1|0 does not" \
  "$(tr -d '\r' <"$framework/aspnet_regiis.exe.log" 2>/dev/null)" \
  "-s \"w3svc/3/Root/app\"|$framework_win"
check "metabase: scripts for the folder without a version" "$(answer "$out" SCRIPT)" TRUE
check "metabase: pausing a stopped site starts it first" \
  "$(calls | grep -E '^(Start|Stop|Pause|Continue) ')" \
  "Start localhost/w3svc/2
Pause localhost/w3svc/2"
check "metabase: the paused site's status" "$(object localhost/w3svc/2 | grep '^Status|')" "Status|I|6"
check "metabase: the property of a missing folder" "$(answer "$out" MISSING)" '!ERROR!'
check "metabase: the site's own property" "$(answer "$out" COMMENT)" Shop
check "metabase: the site list" "$(tr -d '\r' <"$out" | sed -n '/^SITES=/,/^INDEX=/p' | sed '$d')" \
  "SITES=Default Web Site
Intranet
Shop"
check "metabase: the site index" "$(answer "$out" INDEX)" 3
check "metabase: the anonymous account" "$(answer "$out" ACCOUNT)" IUSR_STANDIN
check "metabase: setting 59 asks the same way" "$(answer "$out" SETTING)" IUSR_STANDIN
check "metabase: the temporary sites are made and removed again" \
  "$(calls | grep -E '^(Create|Delete) localhost/w3svc IIsWebServer')" \
  "Create localhost/w3svc IIsWebServer 3
Create localhost/w3svc IIsWebServer 4
Delete localhost/w3svc IIsWebServer 4
Create localhost/w3svc IIsWebServer 4
Delete localhost/w3svc IIsWebServer 4"
check "metabase: no temporary site is left" "$(grep -c '^localhost/w3svc/4' "$standin/metabase.txt")" 0
check "metabase: the wrapper library is not written" "$(answer "$out" WRAPPER)" FALSE

# Version 7.5: the wrapper library. The stand-in's file and log stay as they are.
wine reg add "$server_key" /v MajorVersion /t REG_DWORD /d 7 /f >/dev/null 2>&1
wine reg add "$server_key" /v MinorVersion /t REG_DWORD /d 5 /f >/dev/null 2>&1
before="$(md5sum <"$standin/metabase.txt") $(calls | wc -l)"
rm -f "$framework/aspnet_regiis.exe.log"
out="$work/wrapped.txt"
dir="$(scratch)"
statements "$(winpath "$out")" | make_script_setup "$dir" >/dev/null
check "wrapper: the run goes on to its end" \
  "$(robot_value exit <<<"$(robot run --timeout 120000 -- "$(winpath "$dir/setup.exe")" /s)")" 7
check "wrapper: the library is written into the support folder" "$(answer "$out" WRAPPER)" TRUE
check "wrapper: the metabase is not asked" "$(md5sum <"$standin/metabase.txt") $(calls | wc -l)" "$before"
check "wrapper: no aspnet_regiis run" "$([ -f "$framework/aspnet_regiis.exe.log" ] && echo ran)" ""
check "wrapper: without configuration objects, the property read fails" "$(answer "$out" MISSING)" '!ERROR!'
check "wrapper: no sites" "$(answer "$out" SITES)" ""
check "wrapper: no index" "$(answer "$out" INDEX)" 0
check "wrapper: no account" "$(answer "$out" ACCOUNT)" ""
check "wrapper: setting 59 the same" "$(answer "$out" SETTING)" ""

# The loader alone: the engine's library has every export (under Wine each
# reports its failure); a library without them gives none, so the engine
# uses the neutral results.
check_loader() { wine "$TESTBIN/wrapper_library_check.exe" "$(winpath "$1")" 2>/dev/null | tr -d '\r'; }
check "loader: every export of the engine's library answers" \
  "$(check_loader "$(dirname "$TESTBIN")/resources/ahadmin_wrapper.dll")" \
  "CreateIISSite=called
CreateIISSiteFolder=FALSE
DeleteIISSiteFolder=FALSE
DeleteIISSite=FALSE
ControlIISSite=FALSE
GetIISSiteList=
GetIISSiteIndex=0
GetIISProperty=!ERROR!
SetIISProperty=FALSE
GetIISAnonUser=
GetIISUniqueAccountID=-1
GetIISSiteState=-1"
check "loader: a library without the exports gives none" \
  "$(check_loader "$standin/metabase_standin.dll" | sed 's/=.*//' | sort -u | tr '\n' ' ')$(check_loader "$standin/metabase_standin.dll" | sed 's/^[^=]*=//' | sort -u)" \
  "ControlIISSite CreateIISSite CreateIISSiteFolder DeleteIISSite DeleteIISSiteFolder GetIISAnonUser GetIISProperty GetIISSiteIndex GetIISSiteList GetIISSiteState GetIISUniqueAccountID SetIISProperty missing"
check "loader: a library that is not there gives none" \
  "$(check_loader "$standin/none.dll" | sed 's/^[^=]*=//' | sort -u)" missing

# Version 7.5 with configuration objects: the application host stand-in
# (app_host_standin.dll) seeded with sites 1 and 2. The wrapper library maps
# the statements' values onto its sections and commits them.
apphost="$(scratch)"
cp "$TESTBIN/app_host_standin.dll" "$apphost/"
printf '%s\n' 'site|1|Default Web Site|1|C:\inetpub\wwwroot' 'site|2|Intranet|3|C:\intranet' \
  'anonymous|IUSR_APPHOST' >"$apphost/apphost.txt"
manager_class='{7F6B3A12-2C4D-4E8F-9A1B-3C5D7E9F1A20}'
wine reg add 'HKCR\Microsoft.ApplicationHost.WritableAdminManager\CLSID' /ve /d "$manager_class" /f >/dev/null 2>&1
wine reg add "HKCR\\CLSID\\$manager_class\\InprocServer32" /ve /d "$(winpath "$apphost/app_host_standin.dll")" /f >/dev/null 2>&1
wine reg add "HKCR\\CLSID\\$manager_class\\InprocServer32" /v ThreadingModel /d Apartment /f >/dev/null 2>&1
out="$work/apphost.txt"
dir="$(scratch)"
statements "$(winpath "$out")" | make_script_setup "$dir" >/dev/null
check "configuration: the run goes on to its end" \
  "$(robot_value exit <<<"$(robot run --timeout 120000 -- "$(winpath "$dir/setup.exe")" /s)")" 7
# One section of the last commit, as the stand-in wrote it.
section() { tr -d '\r' <"$apphost/apphost.out" | awk -v s="[$1]" '$0 == s { on = 1; next } /^\[/ { on = 0 } on'; }
check "configuration: auto makes site 3 with its bindings, limits and log" \
  "$(section 'MACHINE/WEBROOT/APPHOST system.applicationHost/sites' | sed -n '/^site|name=Shop/,$p')" \
  "site|name=Shop|id=3|serverAutoStart=false
  .bindings
    binding|protocol=http|bindingInformation=*:8080:www
    binding|protocol=https|bindingInformation=*:443:www
  .limits|connectionTimeout=00:02:00|maxConnections=250
  .logFile|enabled=true
  application|path=/app|applicationPool=ShopPool
    virtualDirectory|path=/|physicalPath=C:\www\app
  application|path=/
    virtualDirectory|path=/static|physicalPath=C:\www\static"
check "configuration: keep-alive at the site, executables allowed" \
  "$(section 'MACHINE/WEBROOT/APPHOST/Shop system.webServer/httpProtocol')|$(section 'MACHINE/WEBROOT/APPHOST system.webServer/security/isapiCgiRestriction')" \
  "@allowKeepAlive=true|@notListedCgisAllowed=true"
check "configuration: the pool is made" \
  "$(section 'MACHINE/WEBROOT/APPHOST system.applicationHost/applicationPools')" "add|name=ShopPool"
check "configuration: the folder's rights, documents and MIME map" \
  "$(section 'MACHINE/WEBROOT/APPHOST/Shop/app system.webServer/handlers') $(section 'MACHINE/WEBROOT/APPHOST/Shop/app system.webServer/defaultDocument' | tr '\n' ' ')$(section 'MACHINE/WEBROOT/APPHOST/Shop/app system.webServer/staticContent')" \
  "@accessPolicy=Read, Script .files   add|value=index.htm @enabled=true mimeMap|fileExtension=.json|mimeType=application/json"
check "configuration: pausing a stopped site stops it" "$(grep -v Commit "$apphost/apphost.log" | tr -d '\r')" "Stop Intranet"
check "configuration: the site list" "$(tr -d '\r' <"$out" | sed -n '/^SITES=/,/^INDEX=/p' | sed '$d')" \
  "SITES=Default Web Site
Intranet
Shop"
check "configuration: the site index" "$(answer "$out" INDEX)" 3
check "configuration: the property of a missing folder" "$(answer "$out" MISSING)" '!ERROR!'
check "configuration: the anonymous account" "$(answer "$out" ACCOUNT)" IUSR_APPHOST
check "configuration: setting 59 the same" "$(answer "$out" SETTING)" IUSR_APPHOST
wine reg delete 'HKCR\Microsoft.ApplicationHost.WritableAdminManager' /f >/dev/null 2>&1
wine reg delete "HKCR\\CLSID\\$manager_class" /f >/dev/null 2>&1
cleanup
test_done
