// The command reference table (contract in command_reference.h). Meanings
// follow the engine's reading of each line: "expanded" lines have their
// $NAME$ references replaced when the statement runs, "literal" lines are
// read as written.
#include "authoring/command_reference.h"

#include <algorithm>

#include "common/ascii.h"

namespace vantrell::authoring {
namespace {

ParamInfo Make(ParamKind kind, std::string name, std::string meaning) {
  ParamInfo p;
  p.kind = kind;
  p.name = std::move(name);
  p.meaning = std::move(meaning);
  return p;
}
ParamInfo Text(std::string name, std::string meaning) {
  return Make(ParamKind::kText, std::move(name), std::move(meaning));
}
ParamInfo Path(std::string name, std::string meaning) {
  return Make(ParamKind::kPath, std::move(name), std::move(meaning));
}
ParamInfo Truth(std::string name, std::string meaning) {
  return Make(ParamKind::kTruth, std::move(name), std::move(meaning));
}
ParamInfo Number(std::string name, std::string meaning) {
  return Make(ParamKind::kNumber, std::move(name), std::move(meaning));
}
ParamInfo Guid(std::string name, std::string meaning) {
  return Make(ParamKind::kGuid, std::move(name), std::move(meaning));
}
ParamInfo Code(std::string name, std::string meaning, std::vector<CodeInfo> codes) {
  ParamInfo p = Make(ParamKind::kCode, std::move(name), std::move(meaning));
  p.codes = std::move(codes);
  return p;
}
// A variable the statement reads (NAME or $NAME$).
ParamInfo Reads(std::string name, std::string meaning) {
  ParamInfo p = Make(ParamKind::kVariable, std::move(name), std::move(meaning));
  p.use = VariableUse::kReads;
  p.literal = true;
  return p;
}
// A variable the statement writes (NAME or $NAME$); it is created when missing.
ParamInfo Writes(std::string name, std::string meaning) {
  ParamInfo p = Make(ParamKind::kVariable, std::move(name), std::move(meaning));
  p.use = VariableUse::kWrites;
  p.literal = true;
  return p;
}
// A line of a package statement that the engine passes over.
ParamInfo Unread(std::string name, std::string meaning) {
  return Text(std::move(name), std::move(meaning) + " (package data; not read by the engine)")
      .Optional()
      .Literal();
}

std::vector<CodeInfo> Numbered(std::initializer_list<const char*> meanings) {
  std::vector<CodeInfo> codes;
  for (const char* m : meanings) codes.push_back({std::to_string(codes.size()), m});
  return codes;
}

const std::vector<CodeInfo> kRootKeys =
    Numbered({"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
              "HKEY_CURRENT_CONFIG"});

std::vector<CodeInfo> Comparisons() {
  return Numbered({"equals (integers by value, texts byte by byte)", "contains", "greater than",
                   "contains, ignoring case", "equals, ignoring case",
                   "is defined (the variable exists; the line is taken as a plain name)",
                   "version greater than"});
}

std::vector<CodeInfo> FolderNumbers() {
  return Numbered({"temporary Internet files",
                   "cookies",
                   "documents",
                   "favorites",
                   "music",
                   "pictures",
                   "videos",
                   "network neighborhood",
                   "printers neighborhood",
                   "the boot folder",
                   "the first CD-ROM drive (empty when none)",
                   "administrative tools",
                   "Start menu",
                   "Startup",
                   "Programs",
                   "application data",
                   "CD burning area",
                   "desktop",
                   "fonts",
                   "profile",
                   "program files (all users: common files)",
                   "recent documents",
                   "Send To",
                   "the system folder",
                   "templates",
                   "the Windows folder",
                   "Quick Launch",
                   "the web server root"});
}

std::vector<CodeInfo> SystemSettings() {
  std::vector<CodeInfo> codes(78);
  for (size_t i = 0; i < codes.size(); ++i) codes[i].value = std::to_string(i);
  auto set = [&](size_t i, std::string meaning) { codes[i].meaning = std::move(meaning); };
  set(0, "TRUE for a member of Administrators");
  const char* memory[] = {"32", "64", "128", "256", "512", "1024", "2048"};
  for (size_t i = 0; i < 7; ++i)
    set(1 + i, std::string("at least ") + memory[i] + " MiB of memory");
  const char* screens[] = {"800 x 600", "1024 x 768", "1280 x 1024", "1600 x 1200", "1920 x 1440"};
  for (size_t i = 0; i < 5; ++i) set(8 + i, std::string("screen at least ") + screens[i]);
  for (size_t i = 0; i < 4; ++i)
    set(13 + i, "at least " + std::to_string(8 * (i + 1)) + " bits per pixel");
  set(17, "Windows 9x family");
  set(18, "Windows NT family");
  const char* versions[] = {"4.0", "4.10", "4.11 (98 SE)", "4.90", "4.0", "5.0", "5.1", "5.2"};
  for (size_t i = 0; i < 8; ++i)
    set(19 + i, std::string("Windows version at least ") + versions[i]);
  for (size_t i = 0; i < 6; ++i) set(27 + i, "service pack at least " + std::to_string(i + 1));
  set(33, "the Windows user interface language identifier");
  set(34, "the name of that language");
  set(35, "the registered owner");
  set(36, "the registered organization");
  const char* ie[] = {"6.0.2800.1106", "6.0.2600.0",     "5.5.4807.2300", "5.5.4522.1800",
                      "5.5.4134.100",  "5.0.3502.5400",  "5.0.3314.2100", "5.0.2919.6307",
                      "5.0.2014.213",  "4.72.3612.1707", "4.72.3110.3",   "4.72.2106.7",
                      "4.71.1712.5",   "4.70.1300.0",    "4.70.1215.0",   "4.70.1155.0"};
  for (size_t i = 0; i < 16; ++i) set(37 + i, std::string("Internet Explorer at least ") + ie[i]);
  const char* iis[] = {"6.0", "5.1", "5.0", "4.0", "3.0", "2.0"};
  for (size_t i = 0; i < 6; ++i) set(53 + i, std::string("IIS at least ") + iis[i]);
  set(59, "the web server's anonymous user account");
  set(60, "the user's account name");
  set(61, "the computer name");
  set(62, "the user's domain");
  set(63, "ADMIN, POWER, USER, GUEST or ERROR: the user's group");
  set(64, "logical pixels per inch");
  set(65, "a 32-bit process on 64-bit Windows");
  set(66, "Tablet PC edition");
  set(67, "Media Center edition");
  set(68, "a server edition");
  set(69, "Windows version at least 6.0");
  set(70, "a VMware virtual machine");
  set(71, "a Virtual PC virtual machine");
  set(72, "Internet Explorer (registry) at least 7.0.5730.11");
  set(73, "IIS at least 7.0");
  set(74, "not a virtual machine (neither 70 nor 71)");
  set(75, "the native architecture: X86, IA64, AMD64 or UNKNOWN");
  set(76, "Windows 6.0 or later server edition with a service pack");
  set(77, "the process runs elevated");
  return codes;
}

std::vector<CommandInfo> BuildReference() {
  const ParamInfo condition[] = {
      Reads("variable", "the variable compared: NAME or $NAME$"),
      Code("comparison", "how the variable's value is compared", Comparisons()).Literal(),
      Text("value", "the comparison value"),
      Truth("expected", "the outcome that makes the condition hold; FALSE negates the comparison")
          .Literal(),
  };
  const std::vector<ParamInfo> conditionLines(std::begin(condition), std::end(condition));
  const std::vector<ParamInfo> shortcut = {
      Path("target", "the file the shortcut starts"),
      Text("name", "the shortcut's name"),
      Path("folder", "the folder that receives the shortcut"),
      Text("description", "the shortcut's description").Optional(),
      Text("arguments", "the command-line arguments").Optional(),
      Path("working-folder", "the working folder").Optional(),
  };

  std::vector<CommandInfo> r = {
      {"Advertised File Type",
       "Registers an advertised file type in the package.",
       {Text("prog-id", "the programmatic identifier; translated"),
        Unread("value-2", "file-type data"),
        Text("description", "the file type's description; translated").Optional()},
       true,
       true},
      {"Advertised Shortcut", "Installs an advertised shortcut through the package.", shortcut,
       true, true},
      {"Apply Changes",
       "Runs the package: installs, changes or removes the product, showing a progress dialog.",
       {Text("progress-dialog", "the progress dialog's name").Literal(),
        Writes("result", "receives ERROR, CANCEL, COMPLETE or REBOOT").Optional(),
        Truth("install", "TRUE installs (first install, modify or repair)"),
        Truth("remove", "TRUE removes the product when install is FALSE; both FALSE advertise")}},
      {"Apply Patch",
       "Applies the patch package beside the setup to the installed product.",
       {Writes("result", "receives ERROR, CANCEL, COMPLETE or REBOOT").Optional()}},
      {"Check Disk Space",
       "Gives a volume's free or total space in bytes.",
       {Writes("result", "receives the size in bytes"), Path("path", "a path on the volume"),
        Truth("free", "TRUE for the free space, FALSE for the total size")}},
      {"Check File Version",
       "Tells whether a file's version is greater than another file's or a version text.",
       {Writes("result", "receives TRUE or FALSE"),
        Path("file", "the file whose version is tested"),
        Truth("compare-file", "TRUE compares with second-file, FALSE with version"),
        Path("second-file", "the file to compare with").Optional(),
        Text("version", "the version text to compare with").Optional()}},
      {"Check Process",
       "Tells whether a program with this file name is running.",
       {Text("program", "the program's file name, without folder"),
        Writes("result", "receives TRUE or FALSE").Optional()}},
      {"Check Registry",
       "Reads a registry value, or gives NO$KEY, NO$VALUE, UNKNOWN$TYPE, BINARY$VALUE or "
       "READ$ERROR.",
       {Writes("result", "receives the value or the marker"),
        Code("root", "the root key", kRootKeys), Path("key", "the key path"),
        Path("value-name", "the value's name; empty for the key's default value").Optional()}},
      {"Check Service",
       "Gives a service's state (RUNNING, STOPPED, ... or NOTINSTALLED).",
       {Text("service", "the service name"),
        Text("computer", "the computer; empty for this one").Optional(),
        Writes("result", "receives the state").Optional()}},
      {"Comment", "Does nothing; its lines are notes.", {}, true},
      {"Control IIS Site",
       "Starts, stops, pauses or continues a web site.",
       {Number("site", "the site number"),
        Code("action", "what to do", Numbered({"start", "stop", "pause", "continue"}))}},
      {"Control Service",
       "Starts, stops or removes a service through the package.",
       {Text("service", "the service name; translated"), Text("value-2", "passed to the package")},
       true,
       true},
      {"Convert Case",
       "Converts a variable's value to upper or lower case, in place.",
       {Reads("variable", "the variable converted"),
        Truth("upper", "TRUE for upper case, FALSE for lower case")}},
      {"Convert Path",
       "Converts a variable's path to its short (8.3) or long form, in place.",
       {Reads("variable", "the variable converted"),
        Truth("short", "TRUE for the short form, FALSE for the long form")}},
      {"Copy/Move Local Files",
       "Copies or moves files on the target machine through the package.",
       {Path("source-folder", "the folder holding the files"), Text("files", "a file name or mask"),
        Path("target-folder", "the folder they go to"),
        Text("new-name", "the new name; empty keeps the name").Optional(),
        Truth("move", "TRUE moves, FALSE copies")},
       true,
       true},
      {"Create File Type",
       "Registers a file type through the package.",
       {Text("prog-id", "the programmatic identifier; translated"),
        Text("value-2", "passed to the package").Optional(),
        Text("description", "the description; translated").Optional(),
        Text("value-4", "passed to the package").Optional(),
        Text("value-5", "passed to the package").Optional()},
       true,
       true},
      {"Create Folder",
       "Creates a folder through the package; it is removed with the product when empty.",
       {Path("folder", "the folder")},
       false,
       true},
      {"Create IIS Site",
       "Creates a web site on the local web server.",
       {Text("description", "the site's name; translated"),
        Text("site", "the site number; not a number: the next free one"),
        Text("ip-address", "the binding's IP address").Optional(),
        Text("host-header", "the binding's host header").Optional(), Text("port", "the TCP port"),
        Text("ssl-port", "the SSL port").Optional(),
        Number("timeout", "the connection time-out in seconds"),
        Truth("keep-alive", "keep connections alive"), Truth("log", "log visits"),
        Truth("allow-asp", "allow the ASP web service extension"),
        Truth("allow-executables", "allow executables as web service extensions"),
        Truth("unlimited-connections", "no connection limit"),
        Truth("wrapper-flag", "a flag passed only to the wrapper library of newer servers"),
        Number("max-connections", "the maximum number of connections"),
        Number("server-size", "the server size")}},
      {"Create ODBC DSN", "Creates an ODBC data source through the package.", {}, true, true},
      {"Create Share",
       "Shares a folder or printer on the network.",
       {Text("object", "the folder or printer, optionally \"|\" and the computer that shares it"),
        Text("share-name", "the share's name; translated"),
        Text("remark", "the remark shown with the share; translated").Optional()}},
      {"Create Shortcut", "Creates a shortcut through the package.", shortcut, true, true},
      {"Create Virtual Folder",
       "Creates or changes a virtual folder of a web site.",
       {Text("path", "the folder relative to the site root; empty for the root").Optional(),
        Path("physical-folder", "the physical folder"),
        Truth("script-source", "script source access"), Truth("read", "read access"),
        Truth("write", "write access"), Truth("browse", "directory browsing"),
        Truth("log", "log visits"), Truth("index", "index this resource"),
        Text("protection",
             "application protection code (0 none, 1 low, 2 medium, 3 high), \"|\", application "
             "pool name"),
        Text("execute",
             "execute permission code (0 none, 1 scripts, 2 scripts and executables), \"|\", "
             "ASP.NET version code (0 none, 1 v1.1.4322, 2 v2.0.50727, or a framework folder)"),
        Truth("default-document", "enable the default document"),
        Text("documents", "the default document list; translated").Optional(),
        Text("footer", "the document footer file; empty for none").Optional(),
        Truth("anonymous", "anonymous access"),
        Truth("windows-authentication", "integrated Windows authentication"),
        Truth("basic-authentication", "basic authentication"),
        Text("mime-types", "comma text of extension=type entries").Optional(),
        Number("site", "the site number")}},
      {"Define Component",
       "Defines a component the user can choose.",
       {Text("name", "the component's name; translated"),
        Truth("selected", "TRUE when initially selected"),
        Text("description", "the description; translated").Optional()}},
      {"Delete Component", "Marks a component as deleted.", {Text("name", "the component's name")}},
      {"Delete Files",
       "Deletes files on installation or removal through the package.",
       {Path("folder", "the folder"), Text("files", "a file name or mask"),
        Truth("on-install", "TRUE deletes at installation"),
        Truth("on-remove", "TRUE deletes at removal")},
       true,
       true},
      {"Delete Files Recursive",
       "Deletes the files matching a mask in a folder and its sub-folders, at once.",
       {Path("files", "a folder and a file mask, e.g. $TEMPDIR$\\*.tmp")}},
      {"Delete IIS Site", "Deletes a web site.", {Number("site", "the site number")}},
      {"Delete Registry",
       "Deletes a registry value or key, at once.",
       {Code("root", "the root key", kRootKeys), Path("key", "the key path"),
        Path("value-name", "the value's name").Optional(),
        Truth("delete-key", "TRUE deletes the key, FALSE the value")}},
      {"Delete Scheduled Task",
       "Deletes a scheduled task.",
       {Text("task", "the task's name; translated"),
        Text("computer", "the computer; empty for this one").Optional()}},
      {"Delete Share",
       "Removes a network share.",
       {Text("share",
             "the share's name, optionally \"|\" and the computer that holds it; "
             "translated")}},
      {"Delete Virtual Folder",
       "Deletes a virtual folder of a web site.",
       {Number("site", "the site number"),
        Text("path", "the folder relative to the site root").Optional()}},
      {"Display Dialog",
       "Shows a wizard dialog.",
       {Text("dialog", "the dialog's name (its file is the name followed by .dfm)").Literal(),
        Writes("result", "receives NEXT, BACK, CANCEL, a control's name or NOTMODAL").Optional(),
        Truth("modal", "TRUE waits for the user; always so inside a wizard loop"),
        Reads("skip-variable", "when its value's truth equals skip-value the dialog is skipped")
            .Optional(),
        Unread("value-5", "TRUE"), Truth("skip-value", "see skip-variable").Literal()}},
      {"Does File/Folder Exist",
       "Tells whether a file or folder exists.",
       {Writes("result", "receives TRUE or FALSE"), Path("path", "the file or folder"),
        Truth("file", "TRUE tests for a file, FALSE for a folder")}},
      {"Edit INI File",
       "Writes a value into an INI file through the package.",
       {Path("folder", "the INI file's folder"), Text("file", "the INI file's name"),
        Code("mode", "how the value is written",
             Numbered({"write the value", "write only when the key is absent",
                       "add to the key's comma list"})),
        Text("section", "the section"), Text("key", "the key"),
        Text("value", "the value").Optional()},
       true,
       true},
      {"Else", "Starts the branch that runs when no condition of the block held.", {}},
      {"Else If", "Starts a branch that runs when its condition holds and no earlier one did.",
       conditionLines},
      {"End", "Closes an \"If\" block or a \"Wizard Loop\".", {}},
      {"Evaluate Expression",
       "Evaluates a condition expression into TRUE, FALSE or ERROR.",
       {Text("expression", "quoted texts compared with = <> < <= > >=, joined with and, or"),
        Writes("result", "receives TRUE, FALSE or ERROR")}},
      {"Extract 7Zip Archive",
       "Extracts a 7-Zip archive.",
       {Path("archive", "the archive file"), Path("target-folder", "the folder it is extracted to"),
        Writes("result", "receives SUCCESS or the error text").Optional(),
        Text("password", "the archive's password").Optional(),
        Truth("answer", "the answer to the archive library's questions"),
        Truth("option", "the archive library's option flag")}},
      {"Extract Path",
       "Replaces a variable's path by one of its parts, in place.",
       {Reads("variable", "the variable"),
        Code("part", "the part kept",
             Numbered({"file name", "file name without extension", "extension without the dot",
                       "folder, with a trailing \\", "parent folder, with a trailing \\",
                       "drive, with a trailing \\",
                       "the path with doubled backslashes made single"}))}},
      {"Find All Files",
       "Lists the files matching a mask, joined with \"|\".",
       {Path("files", "a folder and a file mask, e.g. $TARGETDIR$\\*.txt"),
        Truth("recursive", "TRUE searches sub-folders"),
        Truth("folders", "TRUE lists folder names too"), Writes("result", "receives the list")}},
      {"Generate Native Images",
       "Installs or removes an assembly's native image.",
       {Text("assembly",
             "the assembly path, optionally \"|\" and TRUE to install (the default) or "
             "FALSE to remove")}},
      {"Get Component Space",
       "Gives a component's size, or the total of the selection.",
       {Text("name", "the component; empty for the total").Optional(),
        Writes("result", "receives the size in bytes").Optional()}},
      {"Get Component State",
       "Tells whether a component is selected.",
       {Text("name", "the component"), Writes("result", "receives TRUE or FALSE").Optional()}},
      {"Get Environment",
       "Reads an environment variable, or the whole environment.",
       {Text("name", "the environment variable; empty for all, joined with $NEWLINE$").Optional(),
        Writes("result", "receives the value")}},
      {"Get File Version",
       "Gives a file's version as major.minor.build.revision.",
       {Path("file", "the file"), Writes("result", "receives the version")}},
      {"Get Folder Location",
       "Gives the path of a special folder, with a trailing backslash.",
       {Writes("result", "receives the path"), Code("folder", "the folder", FolderNumbers()),
        Truth("all-users", "TRUE for the all-users folder")}},
      {"Get IIS Property",
       "Reads a property of a web site or virtual folder.",
       {Truth("server-level", "TRUE reads the site itself rather than a folder"),
        Unread("value-2", "not read"), Number("site", "the site number"),
        Text("path", "the folder relative to the site root").Optional(),
        Text("property", "the property's name"), Writes("result", "receives the value")}},
      {"Get IIS Site Index",
       "Gives the number of the web site with this description.",
       {Text("description", "the site's name; translated"),
        Writes("result", "receives the site number")}},
      {"Get IIS Site List",
       "Lists the web sites of the local web server.",
       {Writes("result", "receives the list")}},
      {"Get INI File Settings",
       "Reads a value from an INI file.",
       {Writes("result", "receives the value"), Path("file", "the INI file"),
        Text("section", "the section"), Text("key", "the key")}},
      {"Get OS or SP Level",
       "Gives the Windows version's name or the service pack number.",
       {Writes("result", "receives the name (XP, VISTA, ...) or the number"),
        Truth("system-name", "TRUE for the system's name, FALSE for the service pack")}},
      {"Get System Settings",
       "Gives one fact about the system: TRUE/FALSE for the tests, else a text.",
       {Writes("result", "receives the setting"),
        Code("setting", "the setting", SystemSettings())}},
      {"Get Temporary File",
       "Creates an empty temporary file and gives its path.",
       {Writes("result", "receives the path")}},
      {"GoTo Label",
       "Continues at a \"Label\" statement.",
       {Text("label", "the label's name (letter case ignored)").Literal()}},
      {"Hide Dialog", "Hides the dialog shown without waiting.", {}},
      {"If", "Runs the block when its condition holds.", conditionLines},
      {"Ignore", "Does nothing and is passed over as if switched off.", {}, true},
      {"IIS Anonymous User",
       "Gives the web server's anonymous user account.",
       {Writes("result", "receives the account name").Optional()}},
      {"Install Assembly",
       "Installs a .NET assembly through the package.",
       {Unread("value-1", "assembly data"), Unread("value-2", "assembly data"),
        Path("target-folder", "the folder it is installed to")},
       true,
       true},
      {"Install Files",
       "Installs files through the package.",
       {Path("files",
             "the files, relative to the project folder: a file, a folder, or a folder with a mask")
            .Literal(),
        Truth("recursive", "TRUE takes the sub-folders too").Literal(),
        Path("target-folder", "the folder they are installed to, e.g. $TARGETDIR$")},
       true,
       true},
      {"Install ODBC Driver",
       "Installs an ODBC driver through the package.",
       {Unread("value-1", "driver data"), Unread("value-2", "driver data"),
        Unread("value-3", "driver data"), Path("target-folder", "the folder it is installed to")},
       true,
       true},
      {"Install Service",
       "Installs a service through the package.",
       {Unread("value-1", "service data"), Text("service", "the service name"),
        Unread("value-3", "service data"), Text("display-name", "the display name; translated"),
        Text("description", "the description; translated").Optional(),
        Text("account", "the account; translated").Optional(), Unread("value-7", "service data"),
        Unread("value-8", "service data"), Text("password", "the password; translated").Optional(),
        Text("arguments", "the arguments, \"~\" separating them; translated").Optional(),
        Unread("value-11", "service data"), Unread("value-12", "service data"),
        Text("value-13", "passed to the package").Optional(),
        Text("value-14", "passed to the package").Optional(),
        Text("value-15", "passed to the package").Optional()},
       true,
       true},
      {"Is MSI Setup Installed",
       "Tells whether a product is installed.",
       {Guid("product-code", "the product code"), Writes("result", "receives TRUE or FALSE")}},
      {"Label",
       "A place \"GoTo Label\" continues at.",
       {Text("label", "the label's name").Literal()}},
      {"Load Feature Selections",
       "Loads component states from a feature selection file.",
       {Path("file", "the file")}},
      {"Localization Variable",
       "Sets a variable to a text that is translated into the setup's language.",
       {Writes("variable", "the variable set"), Text("value", "the text").Optional()}},
      {"Mathematics",
       "Computes with 64-bit integers.",
       {Text("a", "the first operand").Optional(), Text("b", "the second operand").Optional(),
        Code("operator", "the operation",
             Numbered({"a + b", "a - b", "a * b", "a / b", "remainder of a / b", "a and b",
                       "a or b", "a xor b", "a shifted left by b", "a shifted right by b", "not a",
                       "the character code of a's first character", "the character with code a",
                       "set the random multiplier a and increment b", "set the random seed a",
                       "the next random number below a"}))
            .Literal(),
        Writes("result", "receives the result").Optional()}},
      {"MessageBalloon",
       "Shows a balloon at the tray icon.",
       {Text("title", "the title; translated"), Text("text", "the text; translated"),
        Code("icon", "the icon", Numbered({"information", "warning", "error"})),
        Number("timeout", "seconds shown, 10 to 30")}},
      {"MessageBox",
       "Shows a message box.",
       {Text("title", "the title; translated"), Text("text", "the text; translated"),
        Code("icon", "the icon", Numbered({"information", "question", "warning", "error"})),
        Code("buttons", "the buttons",
             Numbered({"Abort, Retry, Ignore", "OK", "OK, Cancel", "Retry, Cancel", "Yes, No",
                       "Yes, No, Cancel"})),
        Writes("result", "receives OK, CANCEL, ABORT, RETRY, IGNORE, YES or NO").Optional()}},
      {"Parse String",
       "Splits a text in two at a delimiter or after a number of characters.",
       {Text("source", "the text split"),
        Text("delimiter", "the delimiter, or the character count for modes 2 and 3"),
        Writes("first", "receives the first part").Optional(),
        Writes("second", "receives the second part").Optional(),
        Code("mode", "where to split",
             Numbered({"at the first delimiter", "at the last delimiter",
                       "after a count from the left", "before a count from the right"})),
        Truth("trim", "TRUE trims both parts"), Truth("ignore-case", "TRUE ignores case")}},
      {"Read from Text File",
       "Reads the next line of a text file, or the whole file with the prefix #READALL\\.",
       {Path("file", "the file, optionally prefixed with #READALL\\"),
        Writes("result", "receives the line or text"),
        Writes("end-of-file", "receives TRUE at the end of the file").Optional()}},
      {"Read Registry",
       "Reads a registry value; empty when it is missing.",
       {Writes("result", "receives the value"), Code("root", "the root key", kRootKeys),
        Path("key", "the key path"),
        Path("value-name", "the value's name; empty for the key's default value").Optional()}},
      {"Reboot and Resume", "Registers the setup to run again after a restart and restarts.", {}},
      {"Reboot Computer", "Restarts Windows and ends the script.", {}},
      {"Register Assembly",
       "Registers or unregisters an assembly for COM.",
       {Text("assembly",
             "the assembly path or display name, optionally \"|\" and TRUE to register "
             "(the default) or FALSE to unregister")}},
      {"Register Library",
       "Registers or unregisters a library, server program or type library.",
       {Path("file", "the file (.tlb, .exe or a library)"),
        Truth("register", "TRUE registers, FALSE unregisters"),
        Writes("result", "receives the outcome").Optional()}},
      {"Remove Assemblies", "Removes the package's assemblies from the global assembly cache.", {}},
      {"Replace String",
       "Replaces a text inside a variable's value, in place.",
       {Reads("variable", "the variable"), Text("find", "the text to find"),
        Text("replacement", "the replacement").Optional(),
        Truth("ignore-case", "TRUE ignores case"),
        Truth("all", "TRUE replaces every occurrence, FALSE the first")}},
      {"Run .NET Installer Class",
       "Runs an assembly's installer classes.",
       {Path("assembly", "the assembly path"),
        Truth("install", "TRUE installs; empty or FALSE uninstalls").Optional()}},
      {"Run Light Mode Setup",
       "Builds and runs a setup from a light-mode data file.",
       {Path("data-file", "the data file"), Writes("result", "receives the exit code").Optional(),
        Text("arguments", "the command-line arguments").Optional(),
        Truth("wait", "TRUE waits until the setup ends")}},
      {"Run Program",
       "Starts a program, document or URL.",
       {Path("program", "the program, document or URL"), Truth("hidden", "TRUE starts it hidden"),
        Text("arguments", "the command-line arguments").Optional(),
        Truth("wait", "TRUE waits until it ends"),
        Writes("result", "receives the exit code").Optional()}},
      {"Run Program As",
       "Starts a program as another user or as the non-elevated desktop user.",
       {Path("program", "the program file"),
        Path("working-folder", "the working folder").Optional(),
        Text("arguments", "the command-line arguments").Optional(),
        Number("show", "the window show mode"),
        Text("user", "the user; $VELD_UAC$ for the desktop user; empty for the current user")
            .Optional(),
        Text("password", "the password").Optional(), Text("domain", "the domain").Optional(),
        Writes("result", "receives the exit code").Optional(),
        Truth("wait", "TRUE waits until it ends"),
        Text("environment", "NAME=VALUE lines; empty for the setup's environment").Optional()}},
      {"Save Feature Selections",
       "Saves the component states to a feature selection file.",
       {Path("file", "the file")}},
      {"Schedule Task",
       "Creates a scheduled task.",
       {Text("task", "the task's name; translated"),
        Text("computer", "the computer; empty for this one").Optional(),
        Truth("at-start", "TRUE runs at system start"), Truth("at-logon", "TRUE runs at log-on"),
        Truth("scheduled", "TRUE runs daily or weekly, as day says"),
        Text("day", "a weekday name or \"every day\"").Optional(),
        Text("time", "the start time, e.g. 2:30 PM or 14:30").Optional(),
        Truth("online-only", "TRUE runs only when connected to the Internet"),
        Truth("interactive", "TRUE runs interactively"), Path("program", "the program"),
        Path("working-folder", "the working folder").Optional(),
        Text("arguments", "the program's arguments").Optional(),
        Text("account", "the account").Optional(), Text("password", "the password").Optional()}},
      {"Set 64 Bit Mode",
       "Chooses the target platform for the package and the 64-bit views; the last TRUE wins.",
       {Truth("win32", "TRUE: 32-bit").Literal(), Truth("ia64", "TRUE: Itanium").Literal(),
        Truth("x64", "TRUE: x64").Literal()}},
      {"Set Access Control",
       "Changes the access control list of a file, folder, share, registry key, service or "
       "printer.",
       {Text("object", "the object's name; translated"), Truth("everyone", "entries for everyone"),
        Truth("current-user", "entries for the current user"),
        Truth("authenticated-users", "entries for authenticated users"),
        Truth("account", "entries for account-name"),
        Text("account-name", "an account name or SID; translated").Optional(),
        Truth("read", "grant read access"), Truth("full", "grant full access"),
        Truth("add", "add the entries"), Truth("empty", "replace the list by an empty list"),
        Truth("remove", "remove the list"), Truth("file", "the object is a file or folder"),
        Truth("share", "the object is a share"), Truth("registry", "the object is a registry key"),
        Truth("service", "the object is a service"), Truth("printer", "the object is a printer")}},
      {"Set Component Choice",
       "Lets the user choose a component, or fixes its state.",
       {Text("name", "the component"), Truth("choice", "TRUE allows the choice")}},
      {"Set Component Space",
       "Sets a component's size.",
       {Text("name", "the component"), Number("size", "the size in bytes")}},
      {"Set Component State",
       "Selects or deselects a component.",
       {Text("name", "the component"), Truth("selected", "TRUE selects it")}},
      {"Set Component Visibility",
       "Shows or hides a component in the component tree.",
       {Text("name", "the component"), Truth("visible", "TRUE shows it")}},
      {"Set Environment",
       "Sets an environment variable through the package.",
       {Text("name", "the environment variable"), Text("value", "the value").Optional(),
        Truth("machine", "TRUE for the machine, FALSE for the user"),
        Code("mode", "how the value is written", Numbered({"set", "append", "prepend"}))},
       true,
       true},
      {"Set IIS Property",
       "Sets a property of a web site or virtual folder.",
       {Truth("server-level", "TRUE sets the site itself rather than a folder"),
        Unread("value-2", "not read"), Number("site", "the site number"),
        Text("path", "the folder relative to the site root").Optional(),
        Text("property", "the property's name"), Text("value", "the value").Optional()}},
      {"Set Variable",
       "Sets a variable.",
       {Writes("variable",
               "the variable; NAME$VELD$VELD$TRUE also keeps it for maintenance runs and declares "
               "it for the whole script"),
        Text("value", "the value; translated").Optional()}},
      {"System Tray",
       "Shows or removes the tray icon and hides or restores the wizard.",
       {Truth("hide-wizard", "TRUE shows the icon and hides the wizard into it"),
        Truth("show-icon", "TRUE shows the icon"), Truth("restore", "TRUE brings the wizard back"),
        Truth("remove-icon", "TRUE removes the icon and brings the wizard back")}},
      {"Terminate Install", "Ends the script normally.", {}},
      {"Terminate Program",
       "Closes the programs whose windows match.",
       {Text("title", "text in the window title; empty for any").Optional(),
        Text("class", "text in the window class name; empty for any").Optional()}},
      {"Terminate with Exit Code",
       "Ends the script with an exit code.",
       {Number("exit-code", "the exit code (not a number: 0)")}},
      {"Transform Instance",
       "Makes this run install a new instance of the product when NEWINSTANCE is TRUE.",
       {}},
      {"Web Media Block",
       "Declares a media block downloaded when a statement needs it.",
       {Text("name", "the block's name; its file-name part must be a legal file name").Literal(),
        Text("urls", "comma-separated download URLs")}},
      {"Wizard Loop", "Runs the \"Display Dialog\" statements up to its \"End\" as a wizard.", {}},
      {"Write Registry",
       "Writes a registry value through the package.",
       {Code("kind", "the value's kind",
             Numbered({"text", "number (DWORD)", "expandable text", "binary (hex digit pairs)"}))
            .Literal(),
        Code("root", "the root key",
             Numbered(
                 {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS"}))
            .Literal(),
        Path("key", "the key path"),
        Path("value-name", "the value's name; empty for the key's default value").Optional(),
        Text("value", "the value").Optional(),
        Truth("keep", "TRUE keeps the value when the product is removed").Literal(),
        Unread("value-7", "an option")},
       true,
       true},
      {"Write to Text File",
       "Adds a line to a text file.",
       {Path("file", "the file"), Text("text", "the line").Optional(),
        Truth("at-top", "TRUE inserts it as the first line, FALSE appends it")}},
  };
  std::sort(r.begin(), r.end(),
            [](const CommandInfo& a, const CommandInfo& b) { return a.name < b.name; });
  return r;
}

}  // namespace

ParamInfo ParamInfo::Optional() const {
  ParamInfo p = *this;
  p.optional = true;
  return p;
}

ParamInfo ParamInfo::Literal() const {
  ParamInfo p = *this;
  p.literal = true;
  return p;
}

const std::vector<CommandInfo>& CommandReference() {
  static const std::vector<CommandInfo> reference = BuildReference();
  return reference;
}

const CommandInfo* FindCommand(std::string_view name) {
  const std::vector<CommandInfo>& all = CommandReference();
  auto it = std::lower_bound(all.begin(), all.end(), name,
                             [](const CommandInfo& c, std::string_view n) { return c.name < n; });
  return it != all.end() && it->name == name ? &*it : nullptr;
}

int FindParameter(const CommandInfo& command, std::string_view name) {
  for (size_t i = 0; i < command.params.size(); ++i) {
    if (command.params[i].name == name) return static_cast<int>(i);
  }
  constexpr std::string_view kPlaceholder = "line-";
  if (!command.moreLines || name.substr(0, kPlaceholder.size()) != kPlaceholder) return -1;
  std::string_view digits = name.substr(kPlaceholder.size());
  // One spelling per line: no leading zeros, so "line-04" stays a value.
  if (digits.empty() || digits.size() > 3 || digits.front() == '0') return -1;
  size_t line = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    line = line * 10 + static_cast<size_t>(c - '0');
  }
  if (line <= command.params.size() || line > kMaxPlaceholderLine) return -1;
  return static_cast<int>(line - 1);
}

std::string ParameterNameAt(const CommandInfo& command, size_t index) {
  if (index < command.params.size()) return command.params[index].name;
  if (!command.moreLines || index >= kMaxPlaceholderLine) return {};
  return "line-" + std::to_string(index + 1);
}

std::string_view KindName(ParamKind kind) {
  switch (kind) {
    case ParamKind::kText:
      return "text";
    case ParamKind::kVariable:
      return "variable name";
    case ParamKind::kTruth:
      return "truth value";
    case ParamKind::kCode:
      return "code";
    case ParamKind::kNumber:
      return "number";
    case ParamKind::kPath:
      return "path";
    case ParamKind::kGuid:
      return "GUID";
  }
  return "text";
}

}  // namespace vantrell::authoring
