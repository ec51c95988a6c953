// How the wrapper library turns the web server statements' values into the
// configuration of servers of version 7.0 and later: the texts it stores in
// the configuration's elements. The library carries no C++ runtime of its
// own, so these rules use plain character buffers: each text is written into
// the caller's buffer of `size` bytes, cut to fit and always terminated, and
// the buffer is returned. Shared by the library and the unit tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrell {

// The configuration path of the server's own settings.
inline constexpr const char* kAppHostPath = "MACHINE/WEBROOT/APPHOST";

// A site binding's "bindingInformation": address (all addresses, "*", when
// empty), port and host header, each after a ":".
char* BindingInformation(char* out, size_t size, const char* address, const char* port,
                         const char* hostHeader);

// A time-out of whole seconds as a time span "hh:mm:ss" (days as "d.hh:mm:ss").
char* TimeSpanText(char* out, size_t size, int32_t seconds);

// The connection limit: unlimited is the largest unsigned value; negative
// numbers count as unlimited too.
char* MaxConnectionsText(char* out, size_t size, bool unlimited, int32_t maxConnections);

// The handlers' "accessPolicy" flags for a folder's rights: read, write and
// script source as they are; execute code 1 adds "Script", 2 also "Execute";
// "None" without any.
char* AccessPolicy(char* out, size_t size, bool read, bool write, bool scriptSource,
                   int32_t execute);

// The virtual path of a folder below the site root: "/" or "/app/sub" ("\"
// counts as "/", repeated and trailing separators dropped).
char* VirtualPath(char* out, size_t size, const char* folderPath);

// The configuration location of a site or of a folder in it: "Site" or
// "Site/app/sub".
char* SiteLocation(char* out, size_t size, const char* siteName, const char* folderPath);

// The next name of a "," list from `cursor` on, blanks around it dropped and
// empty names skipped; false at the end. The cursor moves past the name.
bool NextListItem(const char*& cursor, char* out, size_t size);

// A MIME list entry "extension=type", split at the first "="; false when it has none.
bool SplitMimeEntry(const char* entry, char* extension, size_t extensionSize, char* type,
                    size_t typeSize);

// The state code of a site ("state": 0 starting, 1 started, 2 stopping, 3
// stopped, 4 unknown) as the metabase's server state (1 starting, 2
// started, 3 stopping, 4 stopped, 0 unknown).
int32_t MetabaseServerState(int32_t state);

// The site method of a control action: 0 start, 1 stop, 2 pause (stop: the
// newer server has no pause), 3 continue (start); nullptr for other codes.
const char* ControlMethod(int32_t action);

// The first number from 1 up that is not among the used site numbers.
int32_t NextFreeSiteNumber(const int64_t* used, size_t count);

// Copies text into a caller's buffer of `size` bytes (nothing for a buffer
// without room).
void CopyToBuffer(const char* text, char* buffer, int size);

}  // namespace vantrell
