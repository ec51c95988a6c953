// The package edits as data (contract in package_edits.h).
#include "msi/package_edits.h"

#include <cstdio>

#include "vars/variable_manager.h"

namespace vantrell {
namespace {

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

bool IsSqlLiteralSafe(std::string_view text) {
  return text.find('\'') == std::string_view::npos && text.find('\0') == std::string_view::npos;
}

std::string PropertyTableValue(std::string_view queuedValue) {
  std::string value = TVariableManager::DecodeNewlines(queuedValue);
  ReplaceAll(value, "'", "$QUOTE$");
  // A NUL would cut the SQL text short; the rest of the value goes with it.
  if (size_t nul = value.find('\0'); nul != std::string::npos) value.resize(nul);
  return value;
}

std::string InsertPropertySql(std::string_view name, std::string_view value) {
  return "INSERT INTO `Property` ( `Property` , `Value` ) VALUES ( '" + std::string(name) +
         "' , '" + std::string(value) + "' )";
}

std::string UpdatePropertySql(std::string_view name, std::string_view value) {
  return "UPDATE `Property` SET `Value`='" + std::string(value) + "' WHERE `Property`='" +
         std::string(name) + "'";
}

EditSession PropertyQueueSession(const std::vector<QueuedProperty>& queue,
                                 const NewInstanceIdentity* newInstance) {
  EditSession session;
  for (size_t i = 0; i < queue.size(); ++i) {
    if (i + 1 == queue.size() && newInstance != nullptr) {
      session.push_back(edit::SummaryText{kSummaryRevisionNumber, newInstance->revisionCode});
      if (IsSqlLiteralSafe(newInstance->productCode)) {
        session.push_back(edit::Query{UpdatePropertySql("ProductCode", newInstance->productCode)});
      }
    }
    const QueuedProperty& entry = queue[i];
    if (entry.name.empty() || !IsSqlLiteralSafe(entry.name)) continue;
    const std::string value = PropertyTableValue(entry.value);
    session.push_back(edit::Query{InsertPropertySql(entry.name, value)});
    session.push_back(edit::Query{UpdatePropertySql(entry.name, value)});
  }
  return session;
}

EditSession LocalizedTextSession(const std::vector<ShortcutText>& shortcuts,
                                 const std::vector<FileTypeText>& fileTypes) {
  EditSession session;
  for (const ShortcutText& s : shortcuts) {
    session.push_back(edit::RowTexts{"SELECT `Directory_`, `Name`, `Description` FROM `Shortcut`",
                                     s.key,
                                     {s.name, s.description}});
  }
  for (const FileTypeText& f : fileTypes) {
    // The description first, while the row still has its old key.
    session.push_back(
        edit::RowTexts{"SELECT `ProgId`, `Description` FROM `ProgId`", f.key, {f.description}});
    // The rename can only be SQL text; installers that refuse UPDATE on a
    // primary key column fail it, and the row keeps its key.
    if (f.key != f.identifier && IsSqlLiteralSafe(f.key) && IsSqlLiteralSafe(f.identifier)) {
      session.push_back(edit::Query{"UPDATE `ProgId` SET `ProgId`='" + f.identifier +
                                    "' WHERE `ProgId`='" + f.key + "'"});
    }
  }
  return session;
}

TemplateEdit TemplateForPlatform(std::string_view currentTemplate, std::string_view platform) {
  const size_t semicolon = currentTemplate.find(';');
  const std::string_view current = currentTemplate.substr(0, semicolon);
  const std::string_view language = semicolon == std::string_view::npos
                                        ? std::string_view()
                                        : currentTemplate.substr(semicolon + 1);
  std::string_view wanted = current;
  if (platform == "Win32") wanted = "Intel";
  if (platform == "ia64") wanted = "Intel64";
  if (platform == "x64") wanted = "x64";
  return TemplateEdit{std::string(wanted) + ";" + std::string(language), wanted != current,
                      platform != "Win32"};
}

int AttributesForPlatform(int attributes, bool set64) {
  return set64 ? (attributes | kComponent64Bit) : (attributes & ~kComponent64Bit);
}

EditSession WordCountSession() {
  return {edit::SummaryInteger{kSummaryWordCount, kPackageWordCount}};
}

std::string FormatGuid(uint32_t data1, uint16_t data2, uint16_t data3, const uint8_t data4[8]) {
  char text[40];
  std::snprintf(text, sizeof(text), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(data1), data2, data3, data4[0], data4[1], data4[2], data4[3],
                data4[4], data4[5], data4[6], data4[7]);
  return text;
}

std::string ShortcutStoredName(std::string_view name) {
  return std::string(TrimBlanks(name.substr(0, 6))) + "~1|" + std::string(name);
}

}  // namespace vantrell
