// The system query statements. Everything here is portable: the platform
// answers come from SystemQueries, and the rules that turn them into the
// script's texts ("TRUE"/"FALSE", names, numbers, folders) live here.
#include "system/query_statements.h"

#include <cstdio>
#include <utility>

#include "common/paths.h"
#include "common/target_platform.h"
#include "vars/integer_text.h"
#include "vars/variable_manager.h"

namespace vantrell {
namespace {

constexpr uint32_t kAdministrators = 0x220;
constexpr uint32_t kUsers = 0x221;
constexpr uint32_t kGuests = 0x222;
constexpr uint32_t kPowerUsers = 0x223;
constexpr int32_t kAnonymousUserSetting = 59;

std::string Truth(bool flag) {
  return BoolToText(flag);
}

char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string AsciiUpperCopy(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiUpper(c);
  return out;
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

// "NAME" or "$NAME$", stored under the upper-case name.
std::string UpperResultName(std::string_view line) {
  std::string name = TVariableManager::StripReference(line);
  if (name.empty()) name = std::string(line);
  return AsciiUpperCopy(name);
}

void Answer(StatementContext& s, const std::string& name, const std::string& value) {
  s.vars.DeclareResultVariable(name, s.Origin());
  s.vars.AssignVariable(name, value, s.Origin());
}

// The Windows version with Windows 98 Second Edition counted as minor 11.
OsVersionInfo EffectiveVersion(const OsVersionInfo& v) {
  OsVersionInfo e = v;
  if (!v.ntFamily && v.major == 4 && v.minor == 10 && v.build >= 0x040A08AEu) e.minor = 11;
  return e;
}

bool VersionAtLeast(const OsVersionInfo& v, uint32_t major, uint32_t minor) {
  return v.major > major || (v.major == major && v.minor >= minor);
}

std::array<uint32_t, 4> Fields(const FileVersionNumbers& v) {
  return {v.major, v.minor, v.build, v.revision};
}

bool AtLeast(const std::array<uint32_t, 4>& have, const std::array<uint32_t, 4>& want) {
  for (size_t i = 0; i < have.size(); ++i) {
    if (have[i] != want[i]) return have[i] > want[i];
  }
  return true;
}

std::string CutAtComma(std::string text) {
  size_t comma = text.find(',');
  if (comma != std::string::npos) text.erase(comma);
  return text;
}

bool IeAtLeast(SystemQueries& q, std::array<uint32_t, 4> want) {
  std::string folder = WithTrailingBackslashUnlessEmpty(q.SystemFolder());
  if (folder.empty()) return false;
  std::optional<FileVersionNumbers> v = q.FileVersion(folder + "shdocvw.dll");
  return v && AtLeast(Fields(*v), want);
}

bool IisAtLeast(SystemQueries& q, uint32_t major, uint32_t minor) {
  const std::string key = "SOFTWARE\\Microsoft\\INetStp";
  std::optional<uint32_t> haveMajor = q.ReadDword(RegistryRoot::kLocalMachine, key, "MajorVersion");
  std::optional<uint32_t> haveMinor = q.ReadDword(RegistryRoot::kLocalMachine, key, "MinorVersion");
  if (!haveMajor || !haveMinor) return false;
  return 10ull * *haveMajor + *haveMinor >= 10ull * major + minor;
}

std::optional<uint16_t> InterfaceLanguage(SystemQueries& q) {
  std::string folder = WithTrailingBackslashUnlessEmpty(q.SystemFolder());
  if (folder.empty()) return std::nullopt;
  return q.FileLanguage(folder + "winver.exe");
}

std::string RegisteredText(SystemQueries& q, const char* value) {
  const char* key = q.OsVersion().ntFamily ? "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\"
                                           : "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
  return q.ReadString(RegistryRoot::kLocalMachine, key, value).value_or("");
}

std::string GroupLevel(SystemQueries& q) {
  if (q.IsGroupMember(kAdministrators)) return "ADMIN";
  if (q.IsGroupMember(kPowerUsers)) return "POWER";
  if (q.IsGroupMember(kUsers)) return "USER";
  if (q.IsGroupMember(kGuests)) return "GUEST";
  return "ERROR";
}

}  // namespace

uint32_t ServicePackNumber(std::string_view text) {
  for (uint32_t n = 10; n >= 1; --n) {
    if (text.find(std::to_string(n)) != std::string_view::npos) return n;
  }
  return 0;
}

std::string OsLevelText(const OsVersionInfo& raw, bool systemName) {
  if (!systemName) return std::to_string(ServicePackNumber(raw.servicePackText));
  OsVersionInfo v = EffectiveVersion(raw);
  auto is = [&v](uint32_t major, uint32_t minor) { return v.major == major && v.minor == minor; };
  if (v.ntFamily) {
    if (is(4, 0)) return "NT4";
    if (is(5, 0)) return "2000";
    if (is(5, 1)) return "XP";
    if (is(5, 2)) return "2003";
    if (is(6, 0)) return v.server && v.servicePackMajor >= 1 ? "2008" : "VISTA";
  } else {
    if (is(4, 0)) return "95";
    if (is(4, 10)) return "98";
    if (is(4, 11)) return "98SE";
    if (is(4, 90)) return "ME";
  }
  return "UNKNOWN";
}

std::string SystemSettingText(SystemQueries& q, int32_t setting) {
  if (setting >= 1 && setting <= 7) {
    const uint64_t mib = 32ull << (setting - 1);
    return Truth(q.PhysicalMemoryBytes() >= (mib - 2) * 1024 * 1024);
  }
  if (setting >= 8 && setting <= 12) {
    static constexpr int kSizes[][2] = {
        {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}, {1920, 1440}};
    const int w = kSizes[setting - 8][0];
    const int h = kSizes[setting - 8][1];
    ScreenInfo screen = q.Screen();
    return Truth((screen.width >= w && screen.height >= h) ||
                 (screen.height >= w && screen.width >= h));
  }
  if (setting >= 13 && setting <= 16) return Truth(q.Screen().bitsPerPixel >= 8 * (setting - 12));
  if (setting >= 27 && setting <= 32) {
    return Truth(q.OsVersion().servicePackMajor >= static_cast<uint32_t>(setting - 26));
  }
  if (setting >= 37 && setting <= 52) {
    static constexpr std::array<uint32_t, 4> kIe[] = {
        {6, 0, 2800, 1106}, {6, 0, 2600, 0},     {5, 5, 4807, 2300}, {5, 5, 4522, 1800},
        {5, 5, 4134, 100},  {5, 0, 3502, 5400},  {5, 0, 3314, 2100}, {5, 0, 2919, 6307},
        {5, 0, 2014, 213},  {4, 72, 3612, 1707}, {4, 72, 3110, 3},   {4, 72, 2106, 7},
        {4, 71, 1712, 5},   {4, 70, 1300, 0},    {4, 70, 1215, 0},   {4, 70, 1155, 0}};
    return Truth(IeAtLeast(q, kIe[setting - 37]));
  }
  switch (setting) {
    case 0:
      return Truth(q.IsGroupMember(kAdministrators));
    case 17:
      return Truth(!q.OsVersion().ntFamily);
    case 18:
      return Truth(q.OsVersion().ntFamily);
    case 19:
      return Truth(VersionAtLeast(EffectiveVersion(q.OsVersion()), 4, 0));
    case 20:
      return Truth(VersionAtLeast(EffectiveVersion(q.OsVersion()), 4, 10));
    case 21:
      return Truth(VersionAtLeast(EffectiveVersion(q.OsVersion()), 4, 11));
    case 22:
      return Truth(VersionAtLeast(EffectiveVersion(q.OsVersion()), 4, 90));
    case 23:
      return Truth(VersionAtLeast(EffectiveVersion(q.OsVersion()), 4, 0));
    case 24:
      return Truth(VersionAtLeast(EffectiveVersion(q.OsVersion()), 5, 0));
    case 25:
      return Truth(VersionAtLeast(EffectiveVersion(q.OsVersion()), 5, 1));
    case 26:
      return Truth(VersionAtLeast(EffectiveVersion(q.OsVersion()), 5, 2));
    case 69:
      return Truth(VersionAtLeast(EffectiveVersion(q.OsVersion()), 6, 0));
    case 76: {
      OsVersionInfo v = q.OsVersion();
      return Truth(v.major >= 6 && v.servicePackMajor >= 1 && v.server);
    }
    case 33: {
      std::optional<uint16_t> language = InterfaceLanguage(q);
      return language ? std::to_string(*language) : std::string();
    }
    case 34: {
      std::optional<uint16_t> language = InterfaceLanguage(q);
      return language ? q.LanguageName(*language) : std::string();
    }
    case 35:
      return RegisteredText(q, "RegisteredOwner");
    case 36:
      return RegisteredText(q, "RegisteredOrganization");
    case 72: {
      std::optional<std::string> version = q.ReadString(
          RegistryRoot::kLocalMachine, "SOFTWARE\\Microsoft\\Internet Explorer", "Version");
      if (!version) return Truth(false);
      // A registry text that is no version at all counts as none rather than failing the statement.
      std::array<uint32_t, 4> have{};
      try {
        have = VersionTextFields(*version);
      } catch (const std::exception&) {
        return Truth(false);
      }
      return Truth(AtLeast(have, {7, 0, 5730, 11}));
    }
    case 53:
      return Truth(IisAtLeast(q, 6, 0));
    case 54:
      return Truth(IisAtLeast(q, 5, 1));
    case 55:
      return Truth(IisAtLeast(q, 5, 0));
    case 56:
      return Truth(IisAtLeast(q, 4, 0));
    case 57:
      return Truth(IisAtLeast(q, 3, 0));
    case 58:
      return Truth(IisAtLeast(q, 2, 0));
    case 73:
      return Truth(IisAtLeast(q, 7, 0));
    case 59:
      return q.IisAnonymousUser();
    case 60:
      return q.UserName();
    case 61:
      return q.ComputerName();
    case 62:
      return q.OsVersion().ntFamily ? q.UserDomain() : std::string();
    case 63:
      return GroupLevel(q);
    case 64:
      return std::to_string(q.Screen().logicalDpi);
    case 65:
      return Truth(q.IsWow64());
    case 66:
      return Truth(q.TabletPc());
    case 67:
      return Truth(q.MediaCenter());
    case 68:
      return Truth(q.OsVersion().server);
    case 70:
      return Truth(q.VmwareGuest());
    case 71:
      return Truth(q.VirtualPcGuest());
    case 74:
      return Truth(!q.VmwareGuest() && !q.VirtualPcGuest());
    case 75:
      return q.NativeArchitecture();
    case 77:
      return Truth(q.Elevated());
    default:
      return {};
  }
}

std::string FolderLocationText(SystemQueries& q, int32_t number, bool common) {
  // Shell folder identifiers: {common, per user}; one number for both when equal.
  static constexpr int kShell[][2] = {{32, 32}, {33, 33}, {46, 5},  {31, 6},  {53, 13}, {54, 39},
                                      {55, 14}, {19, 19}, {27, 27}, {-1, -1}, {-1, -1}, {47, 48},
                                      {22, 11}, {24, 7},  {23, 2},  {35, 26}, {59, 59}, {25, 0},
                                      {20, 20}, {62, 40}, {-1, -1}, {8, 8},   {9, 9},   {-1, -1},
                                      {21, 21}, {-1, -1}, {-1, -1}, {-1, -1}};
  if (number < 0 || number > 27) return {};
  std::string folder;
  const int id = kShell[number][common ? 0 : 1];
  if (id >= 0) {
    folder = q.ShellFolder(id);
  } else {
    switch (number) {
      case 9:
        folder = q.ReadString(RegistryRoot::kLocalMachine,
                              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup", "BootDir")
                     .value_or("");
        break;
      case 10:
        folder = q.FirstCdromDrive();
        break;
      case 20:
        folder = q.ReadString(RegistryRoot::kLocalMachine,
                              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                              common ? "CommonFilesDir" : "ProgramFilesDir")
                     .value_or("");
        break;
      case 23:
        if (q.IsWow64() && TargetPlatform() == kPlatformWin32) folder = q.Wow64SystemFolder();
        if (folder.empty()) folder = q.SystemFolder();
        break;
      case 25:
        folder = q.WindowsFolder();
        break;
      case 26: {
        std::optional<std::string> appData = q.ReadString(
            RegistryRoot::kCurrentUser,
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\", "AppData");
        if (appData) folder = *appData + "\\Microsoft\\Internet Explorer\\Quick Launch\\";
        break;
      }
      case 27: {
        folder = q.ExpandEnvironment(
            q.ReadString(RegistryRoot::kLocalMachine, "SOFTWARE\\Microsoft\\InetStp", "PathWWWRoot")
                .value_or(""));
        const std::string roots =
            "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots\\";
        if (folder.empty())
          folder = CutAtComma(q.ReadString(RegistryRoot::kLocalMachine, roots, "/").value_or(""));
        if (folder.empty())
          folder = CutAtComma(q.ReadString(RegistryRoot::kLocalMachine, roots, "/,").value_or(""));
        break;
      }
      default:
        break;
    }
  }
  return WithTrailingBackslashUnlessEmpty(folder);
}

std::array<uint32_t, 4> VersionTextFields(std::string_view text) {
  std::array<uint32_t, 4> fields{};
  for (uint32_t& field : fields) {
    if (text.empty()) break;
    size_t dot = text.find('.');
    std::string_view part = dot == std::string_view::npos ? text : text.substr(0, dot);
    // A field that is not a number ("2.0 beta") counts as 0, as in version comparisons.
    field = static_cast<uint32_t>(StrToIntDef(part, 0));
    text = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  }
  return fields;
}

std::string FileVersionText(const FileVersionNumbers& v) {
  char buffer[32];
  std::snprintf(buffer, sizeof(buffer), "%u.%u.%u.%u", static_cast<unsigned>(v.major),
                static_cast<unsigned>(v.minor), static_cast<unsigned>(v.build),
                static_cast<unsigned>(v.revision));
  return buffer;
}

void ExecuteGetSystemSettings(StatementContext& s, SystemQueries& q) {
  ExecuteGetSystemSettings(s, q, {});
}

void ExecuteGetSystemSettings(StatementContext& s, SystemQueries& q,
                              const AnonymousUserQuery& anonymousUser) {
  const std::string name = s.Parameter(1);
  const int32_t setting = StrToIntStrict(s.Parameter(2));
  std::unique_ptr<QueryScope> scope = q.NativeFileSystem();
  if (setting == kAnonymousUserSetting && anonymousUser) {
    Answer(s, name, anonymousUser(s));
    return;
  }
  Answer(s, name, SystemSettingText(q, setting));
}

void ExecuteGetOsLevel(StatementContext& s, SystemQueries& q) {
  const std::string name = s.Parameter(1);
  const bool systemName = TextToBool(s.Parameter(2));
  std::unique_ptr<QueryScope> scope = q.NativeFileSystem();
  Answer(s, name, OsLevelText(q.OsVersion(), systemName));
}

void ExecuteGetFolderLocation(StatementContext& s, SystemQueries& q) {
  const std::string name = s.Parameter(1);
  const int32_t number = StrToIntStrict(s.Parameter(2));
  const bool common = TextToBool(s.Parameter(3));
  std::unique_ptr<QueryScope> scope = q.NativeFileSystem();
  Answer(s, name, FolderLocationText(q, number, common));
}

void ExecuteCheckDiskSpace(StatementContext& s, SystemQueries& q) {
  const std::string name = UpperResultName(s.Parameter(1));
  const std::string path = s.vars.ExpandPath(s.Parameter(2));
  const bool free = TextToBool(s.Parameter(3));
  std::unique_ptr<QueryScope> scope = q.NativeFileSystem();
  std::optional<DiskSpaceInfo> space = q.DiskSpace(path);
  const uint64_t bytes = space ? (free ? space->freeForCaller : space->total) : 0;
  Answer(s, name, std::to_string(static_cast<int64_t>(bytes)));
}

void ExecuteCheckProcess(StatementContext& s, SystemQueries& q) {
  const std::string program = s.Expanded(1);
  const std::string name = s.Parameter(2);
  bool running = false;
  for (const std::string& path : q.ProcessNames()) {
    size_t slash = path.find_last_of("\\/");
    std::string_view file = slash == std::string::npos ? std::string_view(path)
                                                       : std::string_view(path).substr(slash + 1);
    if (EqualsIgnoreAsciiCase(file, program)) {
      running = true;
      break;
    }
  }
  Answer(s, name, Truth(running));
}

void ExecuteCheckService(StatementContext& s, SystemQueries& q) {
  static constexpr const char* kStates[] = {"NOTINSTALLED",  "STOPPED", "STARTING",
                                            "STOPPING",      "RUNNING", "CONTINUE_PENDING",
                                            "PAUSE_PENDING", "PAUSED"};
  const std::string service = s.Expanded(1);
  const std::string computer = s.Expanded(2);
  const std::string name = s.Parameter(3);
  uint32_t state = q.ServiceState(service, computer);
  Answer(s, name, kStates[state <= 7 ? state : 0]);
}

void ExecuteFileFolderExists(StatementContext& s, SystemQueries& q) {
  const std::string name = s.Parameter(1);
  const std::string path = s.vars.ExpandPath(s.Expanded(2));
  const bool file = TextToBool(s.Parameter(3));
  std::unique_ptr<QueryScope> scope = q.NativeFileSystem();
  Answer(s, name, Truth(file ? q.FileExists(path) : q.FolderExists(path)));
}

void ExecuteGetFileVersion(StatementContext& s, SystemQueries& q) {
  const std::string path = s.vars.ExpandPath(s.Expanded(1));
  const std::string name = UpperResultName(s.Parameter(2));
  std::unique_ptr<QueryScope> scope = q.NativeFileSystem();
  Answer(s, name, FileVersionText(q.FileVersion(path).value_or(FileVersionNumbers{})));
}

void ExecuteCheckFileVersion(StatementContext& s, SystemQueries& q) {
  const std::string name = s.Parameter(1);
  const std::string path = s.vars.ExpandPath(s.Expanded(2));
  const bool withFile = TextToBool(s.Parameter(3));
  std::unique_ptr<QueryScope> scope = q.NativeFileSystem();
  const FileVersionNumbers a = q.FileVersion(path).value_or(FileVersionNumbers{});
  std::array<uint32_t, 4> b{};
  if (withFile) {
    b = Fields(q.FileVersion(s.vars.ExpandPath(s.Expanded(4))).value_or(FileVersionNumbers{}));
  } else {
    b = VersionTextFields(s.Expanded(5));
  }
  // Greater exactly when "at least" holds one way and not the other: equal versions give FALSE.
  Answer(s, name, Truth(!AtLeast(b, Fields(a))));
}

void RegisterQueryStatements(StatementTable& table, SystemQueries& queries,
                             AnonymousUserQuery anonymousUser) {
  SystemQueries* q = &queries;
  auto bind = [q](void (*execute)(StatementContext&, SystemQueries&)) {
    return [q, execute](StatementContext& s) { execute(s, *q); };
  };
  table.Register("Get System Settings",
                 [q, anonymousUser = std::move(anonymousUser)](StatementContext& s) {
                   ExecuteGetSystemSettings(s, *q, anonymousUser);
                 });
  table.Register("Get OS or SP Level", bind(ExecuteGetOsLevel));
  table.Register("Get Folder Location", bind(ExecuteGetFolderLocation));
  table.Register("Check Disk Space", bind(ExecuteCheckDiskSpace));
  table.Register("Check Process", bind(ExecuteCheckProcess));
  table.Register("Check Service", bind(ExecuteCheckService));
  table.Register("Does File/Folder Exist", bind(ExecuteFileFolderExists));
  table.Register("Get File Version", bind(ExecuteGetFileVersion));
  table.Register("Check File Version", bind(ExecuteCheckFileVersion));
}

}  // namespace vantrell
