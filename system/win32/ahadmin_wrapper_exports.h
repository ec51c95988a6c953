// The exports of the wrapper library "ahadmin_wrapper.dll", as the engine
// calls them and the library defines them: standard calls with undecorated
// names; texts in the system code page; truth values as BOOL (0 or 1); text
// results written into the caller's buffer with its size in bytes, always
// terminated; integer results through the out-parameter. Success flags are
// nonzero for success.
#pragma once

#include <windows.h>

namespace vantrell {

// The size of the buffer the engine passes for a text result.
inline constexpr int kWrapperTextBuffer = 102400;

extern "C" {
using CreateIISSiteExport = void(WINAPI*)(const char* description, const char* number,
                                          const char* address, const char* hostHeader,
                                          const char* port, const char* sslPort,
                                          int connectionTimeout, BOOL keepAlive, BOOL logVisits,
                                          BOOL allowAsp, BOOL allowExecutables, BOOL unlimited,
                                          BOOL autoStart, int maxConnections, int serverSize);
using CreateIISSiteFolderExport = BOOL(WINAPI*)(
    const char* path, int site, const char* physicalPath, BOOL scriptSource, BOOL read, BOOL write,
    BOOL browse, BOOL logVisits, BOOL indexed, int protection, int execute, BOOL defaultDocEnabled,
    const char* defaultDocuments, const char* footer, BOOL anonymous, BOOL windowsAuthentication,
    BOOL basicAuthentication, const char* mimeTypes, const char* poolName);
using DeleteIISSiteFolderExport = BOOL(WINAPI*)(int site, const char* path);
using DeleteIISSiteExport = BOOL(WINAPI*)(int site);
using ControlIISSiteExport = BOOL(WINAPI*)(int site, int action);
using GetIISSiteListExport = BOOL(WINAPI*)(char* buffer, int size);
using GetIISSiteIndexExport = BOOL(WINAPI*)(const char* description, int* index);
using GetIISPropertyExport = BOOL(WINAPI*)(int site, const char* path, const char* property,
                                           char* buffer, int size);
using SetIISPropertyExport = BOOL(WINAPI*)(int site, const char* path, const char* property,
                                           const char* value);
using GetIISAnonUserExport = BOOL(WINAPI*)(char* buffer, int size);
using GetIISUniqueAccountIDExport = BOOL(WINAPI*)(int* next);
using GetIISSiteStateExport = BOOL(WINAPI*)(int site, int* state);
}

}  // namespace vantrell
