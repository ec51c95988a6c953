// The wrapper library's text rules (contract in web_admin_mapping.h).
#include "system/web_admin_mapping.h"

#include <cstdio>
#include <cstring>

namespace vantrell {
namespace {

// Appends text to the terminated buffer, as far as it fits.
void Append(char* out, size_t size, const char* text) {
  const size_t used = std::strlen(out);
  if (used + 1 >= size) return;
  std::snprintf(out + used, size - used, "%s", text);
}

char* Start(char* out, size_t size) {
  if (size > 0) out[0] = '\0';
  return out;
}

}  // namespace

char* BindingInformation(char* out, size_t size, const char* address, const char* port,
                         const char* hostHeader) {
  std::snprintf(out, size, "%s:%s:%s", *address != '\0' ? address : "*", port, hostHeader);
  return out;
}

char* TimeSpanText(char* out, size_t size, int32_t seconds) {
  const int64_t total = seconds > 0 ? seconds : 0;
  const int days = static_cast<int>(total / 86400);
  const int hours = static_cast<int>(total % 86400 / 3600);
  const int minutes = static_cast<int>(total % 3600 / 60);
  const int rest = static_cast<int>(total % 60);
  if (days > 0) {
    std::snprintf(out, size, "%d.%02d:%02d:%02d", days, hours, minutes, rest);
  } else {
    std::snprintf(out, size, "%02d:%02d:%02d", hours, minutes, rest);
  }
  return out;
}

char* MaxConnectionsText(char* out, size_t size, bool unlimited, int32_t maxConnections) {
  if (unlimited || maxConnections < 0) {
    std::snprintf(out, size, "4294967295");
  } else {
    std::snprintf(out, size, "%d", static_cast<int>(maxConnections));
  }
  return out;
}

char* AccessPolicy(char* out, size_t size, bool read, bool write, bool scriptSource,
                   int32_t execute) {
  Start(out, size);
  const struct {
    bool on;
    const char* flag;
  } flags[] = {{read, "Read"},
               {write, "Write"},
               {execute > 0, "Script"},
               {execute > 1, "Execute"},
               {scriptSource, "Source"}};
  for (const auto& flag : flags) {
    if (!flag.on) continue;
    if (out[0] != '\0') Append(out, size, ", ");
    Append(out, size, flag.flag);
  }
  if (out[0] == '\0') Append(out, size, "None");
  return out;
}

char* VirtualPath(char* out, size_t size, const char* folderPath) {
  if (size < 2) return Start(out, size);
  size_t length = 0;
  out[length++] = '/';
  for (const char* c = folderPath; *c != '\0' && length + 1 < size; ++c) {
    const char next = *c == '\\' ? '/' : *c;
    if (next == '/' && out[length - 1] == '/') continue;
    out[length++] = next;
  }
  if (length > 1 && out[length - 1] == '/') --length;
  out[length] = '\0';
  return out;
}

char* SiteLocation(char* out, size_t size, const char* siteName, const char* folderPath) {
  char path[1024];
  VirtualPath(path, sizeof(path), folderPath);
  std::snprintf(out, size, "%s%s", siteName, std::strcmp(path, "/") == 0 ? "" : path);
  return out;
}

bool NextListItem(const char*& cursor, char* out, size_t size) {
  while (*cursor != '\0') {
    const char* end = std::strchr(cursor, ',');
    if (end == nullptr) end = cursor + std::strlen(cursor);
    const char* first = cursor;
    const char* last = end;
    cursor = *end == ',' ? end + 1 : end;
    while (first < last && *first == ' ') ++first;
    while (last > first && last[-1] == ' ') --last;
    if (first == last) continue;
    std::snprintf(out, size, "%.*s", static_cast<int>(last - first), first);
    return true;
  }
  return false;
}

bool SplitMimeEntry(const char* entry, char* extension, size_t extensionSize, char* type,
                    size_t typeSize) {
  const char* equals = std::strchr(entry, '=');
  if (equals == nullptr) return false;
  std::snprintf(extension, extensionSize, "%.*s", static_cast<int>(equals - entry), entry);
  std::snprintf(type, typeSize, "%s", equals + 1);
  return true;
}

int32_t MetabaseServerState(int32_t state) {
  return state >= 0 && state <= 3 ? state + 1 : 0;
}

const char* ControlMethod(int32_t action) {
  switch (action) {
    case 0:
    case 3:
      return "Start";
    case 1:
    case 2:
      return "Stop";
    default:
      return nullptr;
  }
}

int32_t NextFreeSiteNumber(const int64_t* used, size_t count) {
  for (int32_t number = 1;; ++number) {
    bool taken = false;
    for (size_t i = 0; i < count && !taken; ++i) taken = used[i] == number;
    if (!taken) return number;
  }
}

void CopyToBuffer(const char* text, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return;
  std::snprintf(buffer, static_cast<size_t>(size), "%s", text);
}

}  // namespace vantrell
