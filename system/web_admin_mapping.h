// How the wrapper library turns the web server statements' values into the
// configuration of servers of version 7.0 and later: the texts it stores in
// the configuration's elements. Plain text rules, shared by the library and
// the unit tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrell {

// The configuration path of the server's own settings.
inline constexpr const char* kAppHostPath = "MACHINE/WEBROOT/APPHOST";

// A site binding's "bindingInformation": address (all addresses, "*", when
// empty), port and host header, each after a ":".
std::string BindingInformation(std::string_view address, std::string_view port,
                               std::string_view hostHeader);

// A time-out of whole seconds as a time span "hh:mm:ss" (days as "d.hh:mm:ss").
std::string TimeSpanText(int32_t seconds);

// The connection limit: unlimited is the largest unsigned value; negative
// numbers count as unlimited too.
std::string MaxConnectionsText(bool unlimited, int32_t maxConnections);

// The handlers' "accessPolicy" flags for a folder's rights: read, write and
// script source as they are; execute code 1 adds "Script", 2 also "Execute".
std::string AccessPolicy(bool read, bool write, bool scriptSource, int32_t execute);

// The configuration location of a site or of a folder in it ("Site" or
// "Site/app/sub"); back slashes in the folder path count as "/".
std::string SiteLocation(std::string_view siteName, std::string_view folderPath);

// The virtual path of a folder below the site root: "/" or "/app/sub".
std::string VirtualPath(std::string_view folderPath);

// The default document list split at ",", blanks around the names dropped.
std::vector<std::string> DocumentNames(std::string_view list);

// A MIME list entry "extension=type"; false when it has no "=".
bool SplitMimeEntry(std::string_view entry, std::string& extension, std::string& type);

// The state code of a site ("state": 0 starting, 1 started, 2 stopping, 3
// stopped, 4 unknown) as the metabase's server state (2 started, 4 stopped,
// 1 starting, 3 stopping, 0 unknown).
int32_t MetabaseServerState(int32_t state);

// The site methods for a control action: 0 start, 1 stop, 2 pause (stop:
// the newer server has no pause), 3 continue (start); empty for other codes.
std::string ControlMethod(int32_t action);

// The first number from 1 up that is not among the used site numbers.
int32_t NextFreeSiteNumber(const std::vector<int64_t>& used);

// Copies text into a caller's buffer of `size` bytes, cut to fit and always
// terminated (nothing for a buffer without room).
void CopyToBuffer(std::string_view text, char* buffer, int size);

}  // namespace vantrell
