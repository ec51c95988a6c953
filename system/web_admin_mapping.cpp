// The wrapper library's text rules (contract in web_admin_mapping.h).
#include "system/web_admin_mapping.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace vantrell {

std::string BindingInformation(std::string_view address, std::string_view port,
                               std::string_view hostHeader) {
  std::string text = address.empty() ? std::string("*") : std::string(address);
  text += ":";
  text += port;
  text += ":";
  text += hostHeader;
  return text;
}

std::string TimeSpanText(int32_t seconds) {
  const int64_t total = std::max<int64_t>(seconds, 0);
  const int64_t days = total / 86400;
  char text[32];
  std::snprintf(text, sizeof(text), "%02d:%02d:%02d", static_cast<int>(total % 86400 / 3600),
                static_cast<int>(total % 3600 / 60), static_cast<int>(total % 60));
  return days > 0 ? std::to_string(days) + "." + text : std::string(text);
}

std::string MaxConnectionsText(bool unlimited, int32_t maxConnections) {
  if (unlimited || maxConnections < 0) return "4294967295";
  return std::to_string(maxConnections);
}

std::string AccessPolicy(bool read, bool write, bool scriptSource, int32_t execute) {
  std::string flags;
  auto add = [&flags](const char* flag) {
    if (!flags.empty()) flags += ", ";
    flags += flag;
  };
  if (read) add("Read");
  if (write) add("Write");
  if (execute > 0) add("Script");
  if (execute > 1) add("Execute");
  if (scriptSource) add("Source");
  return flags.empty() ? std::string("None") : flags;
}

std::string SiteLocation(std::string_view siteName, std::string_view folderPath) {
  std::string location(siteName);
  const std::string path = VirtualPath(folderPath);
  if (path != "/") location += path;
  return location;
}

std::string VirtualPath(std::string_view folderPath) {
  std::string path = "/";
  for (char c : folderPath) path += c == '\\' ? '/' : c;
  // "/app/" and "//app" name the same folder as "/app".
  std::string clean;
  for (char c : path) {
    if (c == '/' && !clean.empty() && clean.back() == '/') continue;
    clean += c;
  }
  if (clean.size() > 1 && clean.back() == '/') clean.pop_back();
  return clean;
}

std::vector<std::string> DocumentNames(std::string_view list) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(',', start);
    if (end == std::string_view::npos) end = list.size();
    std::string_view name = list.substr(start, end - start);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    if (!name.empty()) names.emplace_back(name);
    start = end + 1;
  }
  return names;
}

bool SplitMimeEntry(std::string_view entry, std::string& extension, std::string& type) {
  const size_t equals = entry.find('=');
  if (equals == std::string_view::npos) return false;
  extension = std::string(entry.substr(0, equals));
  type = std::string(entry.substr(equals + 1));
  return true;
}

int32_t MetabaseServerState(int32_t state) {
  switch (state) {
    case 0:
      return 1;
    case 1:
      return 2;
    case 2:
      return 3;
    case 3:
      return 4;
    default:
      return 0;
  }
}

std::string ControlMethod(int32_t action) {
  switch (action) {
    case 0:
    case 3:
      return "Start";
    case 1:
    case 2:
      return "Stop";
    default:
      return {};
  }
}

int32_t NextFreeSiteNumber(const std::vector<int64_t>& used) {
  int32_t number = 1;
  while (std::find(used.begin(), used.end(), number) != used.end()) ++number;
  return number;
}

void CopyToBuffer(std::string_view text, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return;
  const size_t length = std::min(text.size(), static_cast<size_t>(size) - 1);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

}  // namespace vantrell
