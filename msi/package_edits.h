// The edits the engine makes to the installer package before a run, as data:
// each session is one direct-mode opening of the package, its steps run in
// order, then a commit. Values never enter SQL text unless they are literal-
// safe; texts that may hold a quote are written through records instead.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vantrell {

// Summary property ids and types used by the edits.
inline constexpr unsigned kSummaryTemplate = 7;
inline constexpr unsigned kSummaryRevisionNumber = 9;
inline constexpr unsigned kSummaryWordCount = 15;
// Long names, uncompressed sources, no administrative image, no elevation.
inline constexpr int kPackageWordCount = 8;
inline constexpr int kComponent64Bit = 0x100;

struct QueuedProperty {
  std::string name;
  std::string value;  // line breaks as "$NEWLINE$"
};

// key "P" + header + "_1"; name as short name + "~1|" + long name.
struct ShortcutText {
  std::string key;
  std::string name;
  std::string description;
};

// key as written in the script; the new programmatic identifier.
struct FileTypeText {
  std::string key;
  std::string identifier;
  std::string description;
};

namespace edit {
// Open a view on the text, execute it, close it; the result is ignored.
struct Query {
  std::string sql;
};
struct SummaryText {
  unsigned id;
  std::string text;
};
struct SummaryInteger {
  unsigned id;
  int value;
};
// Every row of the selection whose field 1 equals key gets fields 2, 3, ...
// set to texts and is written back (modify mode update).
struct RowTexts {
  std::string select;
  std::string key;
  std::vector<std::string> texts;
};
// Every component's attributes: the 64-bit flag set or cleared.
struct ComponentAttributes {
  bool set64;
};
// Every component gets a freshly created identity.
struct FreshComponentIds {};
}  // namespace edit

using PackageEdit =
    std::variant<edit::Query, edit::SummaryText, edit::SummaryInteger, edit::RowTexts,
                 edit::ComponentAttributes, edit::FreshComponentIds>;
using EditSession = std::vector<PackageEdit>;

// False when the text cannot stand between single quotes in an installer
// SQL statement: the dialect has no escape for a quote.
bool IsSqlLiteralSafe(std::string_view text);

// The Property-table value: "$NEWLINE$" back to CR LF, each "'" as "$QUOTE$".
std::string PropertyTableValue(std::string_view queuedValue);

std::string InsertPropertySql(std::string_view name, std::string_view value);
std::string UpdatePropertySql(std::string_view name, std::string_view value);

// The session that writes the queue. With a new instance, the last entry is
// preceded by the new revision number and product code. Names that cannot be
// an SQL literal are skipped.
struct NewInstanceIdentity {
  std::string productCode;
  std::string revisionCode;
};
EditSession PropertyQueueSession(const std::vector<QueuedProperty>& queue,
                                 const NewInstanceIdentity* newInstance);

EditSession LocalizedTextSession(const std::vector<ShortcutText>& shortcuts,
                                 const std::vector<FileTypeText>& fileTypes);

// The template's platform part wanted for "Win32", "ia64" or "x64" ("Intel",
// "Intel64", "x64"); an unknown platform keeps the part it has.
struct TemplateEdit {
  std::string text;      // wanted platform part + ";" + language part
  bool platformChanged;  // the components' 64-bit flags must follow
  bool set64;
};
TemplateEdit TemplateForPlatform(std::string_view currentTemplate, std::string_view platform);
int AttributesForPlatform(int attributes, bool set64);

EditSession WordCountSession();

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case, from a GUID's fields.
std::string FormatGuid(uint32_t data1, uint16_t data2, uint16_t data3, const uint8_t data4[8]);

// A shortcut's stored name: the first six characters of name, blanks around
// them removed, then "~1|" and the whole name.
std::string ShortcutStoredName(std::string_view name);

}  // namespace vantrell
