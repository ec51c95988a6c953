// "Create Share", "Delete Share" and "Set Access Control": shares of folders
// and printers, and the DACL of a file or folder, share, registry key,
// service or printer, through SecurityPlatform. None of them writes a
// variable or fails: the platform's error codes are recorded in the objects
// below and the script goes on.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/statements.h"
#include "system/access_list.h"
#include "system/security_platform.h"

namespace vantrell {

// Access masks and entry flags of the granted entries.
inline constexpr uint32_t kReadAccess = 0x1200A9;
inline constexpr uint32_t kFullAccess = 0x1F01FF;
inline constexpr uint8_t kInheritToFilesAndFolders = 3;
inline constexpr uint32_t kPrintAccess = 0x20008;
inline constexpr uint32_t kManagePrinterAccess = 0xF000C;
inline constexpr uint32_t kManageDocumentsAccess = 0xF0010;
inline constexpr uint8_t kInheritToDocumentsOnly = 9;

// A registry key's name as the named-object calls take it: a leading
// "HKEY_" dropped, the root replaced by its canonical name ("hklm" and
// "LOCAL_MACHINE" become "MACHINE") or upper-cased when it has none; the
// rest unchanged.
std::string RegistryObjectName(std::string_view name);

// A share name the platform accepts: the characters it refuses replaced (in
// the system code page). Without NT security the name is also trimmed,
// upper-cased and cut to 12 characters. A name with "\" is left as it is.
std::string RepairShareName(std::string_view name, bool ntSecurity = true);

// Whether the first part of "Create Share" names a folder (it has "\" or
// ":"), and the folder as shared: upper-case, a drive alone with "\", a
// longer path without its trailing "\".
bool IsSharedFolder(std::string_view path);
std::string SharedFolderPath(std::string_view path);

// The well-known accounts.
std::string EveryoneSid();
std::string AuthenticatedUsersSid();

// One named object's DACL: read on first use, changed in memory, written
// back only when it differs from the list as read or last written. A list that
// cannot be read is never written. Codes of failed calls are kept.
class SecuredObject {
 public:
  SecuredObject(SecurityPlatform& platform, SecuredObjectKind kind, std::string name);

  // Removes the account's entries and adds the read or the full entries of
  // the object's kind.
  void Grant(std::string_view sid, bool full);
  // Gives the object an empty list when it has none.
  void EnsureList();
  void RemoveList();
  void ClearList();
  void WriteBack();

  const std::vector<uint32_t>& Failures() const { return failures_; }

 private:
  bool Load();

  SecurityPlatform& platform_;
  SecuredObjectKind kind_;
  std::string name_;
  bool loaded_ = false;
  bool readable_ = false;
  std::optional<AccessList> list_;     // nullopt: no list
  std::optional<std::string> stored_;  // the list as read or last written
  std::vector<uint32_t> failures_;
};

struct ShareServices {
  SecurityPlatform& platform;
  // The translation of a parameter's text while a language is current; unset
  // or nullopt: the text stays.
  std::function<std::optional<std::string>(const std::string& text, const std::string& identifier,
                                           int slot)>
      translate;
};

void ExecuteCreateShare(StatementContext& s, ShareServices& services);
void ExecuteDeleteShare(StatementContext& s, ShareServices& services);
void ExecuteSetAccessControl(StatementContext& s, ShareServices& services);

// The services' references must outlive the registrations.
void RegisterShareStatements(StatementTable& table, ShareServices services);

}  // namespace vantrell
