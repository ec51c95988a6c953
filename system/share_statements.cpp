// Shares and access control (contract in share_statements.h).
#include "system/share_statements.h"

#include <array>
#include <utility>

#include "common/ascii.h"
#include "vars/variable_manager.h"

namespace vantrell {
namespace {

constexpr size_t kLegacyShareNameLength = 12;
// Recorded when a list has more entries than one list can hold.
constexpr uint32_t kListTooLong = 0xFFFFFFFF;

struct RootName {
  std::string_view canonical;
  std::array<std::string_view, 2> aliases;
};

constexpr std::array<RootName, 5> kRegistryRoots = {{
    {"MACHINE", {"HKLM", "LOCAL_MACHINE"}},
    {"USERS", {"HKU", ""}},
    {"CURRENT_USER", {"HKCU", "USER"}},
    {"CONFIG", {"HKCC", "CURRENT_CONFIG"}},
    {"CLASSES_ROOT", {"HKCR", "CLASSES"}},
}};

// Replacement of a character that share names may not hold; 0 keeps it.
char ShareNameReplacement(char c) {
  switch (c) {
    case '"':
      return '\'';
    case '*':
      return static_cast<char>(215);
    case '+':
      return '&';
    case ',':
    case ':':
    case ';':
      return static_cast<char>(183);
    case '/':
    case '\\':
    case '|':
      return static_cast<char>(166);
    case '<':
      return '{';
    case '>':
      return '}';
    case '=':
      return '~';
    case '?':
      return static_cast<char>(191);
    case '[':
      return '(';
    case ']':
      return ')';
    default:
      return 0;
  }
}

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A text line expanded, translated while a language is current (expanded
// again), then path-expanded.
std::string TranslatedLine(const StatementContext& s, const ShareServices& services, int line,
                           int slot) {
  std::string text = s.Expanded(line);
  if (services.translate) {
    if (auto translated = services.translate(text, s.identifier, slot))
      text = s.vars.ExpandVariables(*translated);
  }
  return text;
}

bool Flag(const StatementContext& s, int line) {
  return TextToBool(s.vars.ExpandPath(s.Parameter(line)));
}

// Line 1 of the share statements: the text before the first "|" and after it.
std::pair<std::string, std::string> SplitAtBar(const std::string& text) {
  const size_t bar = text.find('|');
  if (bar == std::string::npos) return {text, std::string()};
  return {text.substr(0, bar), text.substr(bar + 1)};
}

}  // namespace

std::string RegistryObjectName(std::string_view name) {
  if (name.size() >= 5 && EqualsIgnoreCase(name.substr(0, 5), "HKEY_")) name.remove_prefix(5);
  const size_t slash = name.find('\\');
  const std::string_view root = name.substr(0, slash);
  const std::string_view rest = slash == std::string_view::npos ? "" : name.substr(slash);
  for (const RootName& row : kRegistryRoots) {
    bool match = EqualsIgnoreCase(root, row.canonical);
    for (std::string_view alias : row.aliases)
      match = match || (!alias.empty() && EqualsIgnoreCase(root, alias));
    if (match) return std::string(row.canonical) + std::string(rest);
  }
  return AsciiUpper(root) + std::string(rest);
}

std::string RepairShareName(std::string_view name, bool ntSecurity) {
  if (name.find('\\') != std::string_view::npos) return std::string(name);
  std::string repaired = ntSecurity ? std::string(name) : AsciiUpper(Trimmed(name));
  for (char& c : repaired) {
    if (const char replacement = ShareNameReplacement(c)) c = replacement;
  }
  if (!ntSecurity && repaired.size() > kLegacyShareNameLength)
    repaired.resize(kLegacyShareNameLength);
  return repaired;
}

bool IsSharedFolder(std::string_view path) {
  return path.find_first_of("\\:") != std::string_view::npos;
}

std::string SharedFolderPath(std::string_view path) {
  std::string folder = AsciiUpper(path);
  if (folder.size() == 2 && folder[1] == ':') return folder + "\\";
  if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::string EveryoneSid() {
  return *MakeSid(1, {0});
}

std::string AuthenticatedUsersSid() {
  return *MakeSid(5, {11});
}

SecuredObject::SecuredObject(SecurityPlatform& platform, SecuredObjectKind kind, std::string name)
    : platform_(platform), kind_(kind), name_(std::move(name)) {}

bool SecuredObject::Load() {
  if (loaded_) return readable_;
  loaded_ = true;
  DaclRead read = platform_.ReadDacl(kind_, name_);
  if (read.code != kSecurityOk) {
    failures_.push_back(read.code);
    return false;
  }
  if (read.acl) {
    list_ = AccessList::Parse(*read.acl);
    // A list this layer cannot read back whole must not be written over.
    if (!list_) return false;
    stored_ = list_->Bytes();
  }
  readable_ = true;
  return true;
}

void SecuredObject::Grant(std::string_view sid, bool full) {
  if (!Load()) return;
  if (!list_) list_.emplace();
  list_->RemoveEntriesOf(sid);
  if (kind_ == SecuredObjectKind::kPrinter) {
    if (full) {
      list_->AddAllowed(sid, kManagePrinterAccess, 0);
      list_->AddAllowed(sid, kManageDocumentsAccess, kInheritToDocumentsOnly);
    } else {
      list_->AddAllowed(sid, kPrintAccess, 0);
    }
  } else {
    list_->AddAllowed(sid, full ? kFullAccess : kReadAccess, kInheritToFilesAndFolders);
  }
}

void SecuredObject::EnsureList() {
  if (!Load() || list_) return;
  list_.emplace();
}

void SecuredObject::RemoveList() {
  if (!Load() || !list_) return;
  list_.reset();
}

void SecuredObject::ClearList() {
  if (!Load() || !list_) return;
  list_->Clear();
}

void SecuredObject::WriteBack() {
  if (!readable_) return;
  std::optional<std::string> bytes;
  if (list_) {
    bytes = list_->Bytes();
    if (!bytes) {
      failures_.push_back(kListTooLong);
      return;
    }
  }
  if (bytes == stored_) return;  // unchanged since read or last written
  const uint32_t code = platform_.WriteDacl(kind_, name_, bytes);
  if (code != kSecurityOk) {
    failures_.push_back(code);
    return;
  }
  stored_ = std::move(bytes);
}

void ExecuteCreateShare(StatementContext& s, ShareServices& services) {
  SecurityPlatform& platform = services.platform;
  const auto view = platform.NativeFileView();
  const auto [first, second] = SplitAtBar(s.Parameter(1));
  std::string path = s.vars.ExpandPath(first);
  const std::string computer = s.vars.ExpandPath(second);
  const std::string name = RepairShareName(s.vars.ExpandPath(TranslatedLine(s, services, 2, 1)));
  const std::string remark = s.vars.ExpandPath(TranslatedLine(s, services, 3, 2));

  uint32_t code = kSecurityOk;
  if (IsSharedFolder(path)) {
    code = platform.AddDiskShare(DiskShare{computer, name, remark, SharedFolderPath(path)});
  } else {
    path = path.substr(0, path.find(','));
    code = platform.SharePrinter(path, name, remark);
  }
  if (code != kSecurityOk) return;
  // Makes the new share known to the local network client.
  const std::string unc = "\\\\" + platform.LocalComputerName() + "\\" + name;
  if (!platform.Touch(unc)) platform.Touch(unc);
}

void ExecuteDeleteShare(StatementContext& s, ShareServices& services) {
  SecurityPlatform& platform = services.platform;
  const auto view = platform.NativeFileView();
  const auto [first, second] = SplitAtBar(TranslatedLine(s, services, 1, 1));
  const std::string name = s.vars.ExpandPath(first);
  const std::string computer = s.vars.ExpandPath(second);
  const ShareLookup share = platform.FindShare(computer, name);
  if (share.code != kSecurityOk) return;  // nothing to delete
  if (share.type == kSharePrinterQueue) {
    platform.UnsharePrinter(share.path.substr(0, share.path.find(',')));
    return;
  }
  platform.DeleteShare(computer, name);
}

void ExecuteSetAccessControl(StatementContext& s, ShareServices& services) {
  SecurityPlatform& platform = services.platform;
  const auto view = platform.NativeFileView();
  const std::string objectName = s.vars.ExpandPath(TranslatedLine(s, services, 1, 1));
  const std::string account = s.vars.ExpandPath(TranslatedLine(s, services, 6, 2));

  constexpr std::array<std::pair<int, SecuredObjectKind>, 5> kKinds = {{
      {12, SecuredObjectKind::kFile},
      {13, SecuredObjectKind::kShare},
      {14, SecuredObjectKind::kRegistryKey},
      {15, SecuredObjectKind::kService},
      {16, SecuredObjectKind::kPrinter},
  }};
  std::optional<SecuredObjectKind> kind;
  for (const auto& [line, candidate] : kKinds) {
    if (Flag(s, line)) kind = candidate;
  }
  if (!kind) return;  // no object named
  SecuredObject object(
      platform, *kind,
      *kind == SecuredObjectKind::kRegistryKey ? RegistryObjectName(objectName) : objectName);

  if (Flag(s, 9)) {
    const bool read = Flag(s, 7);
    const bool full = Flag(s, 8);
    if (!read && !full) return;
    // Each account is looked up afresh for every entry; one that cannot be
    // found gets none.
    const std::array<std::pair<int, std::function<std::optional<std::string>()>>, 4> accounts = {{
        {2, [] { return std::optional<std::string>(EveryoneSid()); }},
        {3, [&platform] { return platform.ProcessUserSid(); }},
        {4, [] { return std::optional<std::string>(AuthenticatedUsersSid()); }},
        {5,
         [&platform, &account]() -> std::optional<std::string> {
           if (auto sid = SidFromText(account)) return sid;
           if (account.empty()) return std::nullopt;
           return platform.AccountSid(account);
         }},
    }};
    for (const auto& [line, lookup] : accounts) {
      if (!Flag(s, line)) continue;
      for (const bool grantFull : {false, true}) {
        if (!(grantFull ? full : read)) continue;
        const std::optional<std::string> sid = lookup();
        if (!sid) continue;
        object.Grant(*sid, grantFull);
        object.WriteBack();
      }
    }
  } else if (Flag(s, 10)) {
    // Straight to the empty list: passing through "no list" would leave the
    // object open to everyone in between.
    object.EnsureList();
    object.ClearList();
    object.WriteBack();
  } else if (Flag(s, 11)) {
    object.EnsureList();
    object.WriteBack();
    object.RemoveList();
    object.WriteBack();
  }
}

void RegisterShareStatements(StatementTable& table, ShareServices services) {
  table.Register("Create Share",
                 [services](StatementContext& s) mutable { ExecuteCreateShare(s, services); });
  table.Register("Delete Share",
                 [services](StatementContext& s) mutable { ExecuteDeleteShare(s, services); });
  table.Register("Set Access Control",
                 [services](StatementContext& s) mutable { ExecuteSetAccessControl(s, services); });
}

}  // namespace vantrell
