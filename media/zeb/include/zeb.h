// Public interface of the archive library zeb.lib: lists and extracts 7z archives.
// All functions are extern "C", __stdcall on Windows, with ANSI names ('\' separated on
// Windows, UTF-8 and '/' elsewhere). Failures leave a code for GetLastArchiveError.
#pragma once

#include <stdint.h>

#if defined(_WIN32)
#define ZEB_CALL __stdcall
#else
#define ZEB_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Codes returned by GetLastArchiveError.
enum {
  kZebOk = 0,
  kZebErrorFileNotFound = 1001,      // the archive file does not exist
  kZebErrorIllegalSelection = 1002,  // a selected name is not in the archive
  kZebErrorCannotOpen = 1003,        // not an archive, unsupported method, wrong/missing password
  kZebErrorDamaged = 1004,           // damaged data, CRC mismatch, truncated archive
  kZebErrorWrite = 1005,             // cannot create a folder or write a file
  kZebErrorUnsafePath = 1006,        // an entry would land outside the destination
  kZebErrorStopped = 1007,           // the progress callback asked to stop
  kZebErrorNoMemory = 1008,          // an allocation failed (e.g. a dictionary too large)
  kZebErrorRead = 1009,              // the archive file cannot be read
  kZebErrorBadArgument = 1010,       // a null or invalid argument
};

enum { kZebPasswordMax = 1024 };  // bytes of the password callback's buffer, terminator included

typedef struct ZebFileSelection {
  const char* const* names;
  int32_t count;
} ZebFileSelection;

// Fills buffer (kZebPasswordMax bytes) and returns 1, or returns 0 when there is no password.
typedef int32_t(ZEB_CALL* ZebPasswordCallback)(char* buffer);
// Returns 0 to stop the extraction.
typedef int32_t(ZEB_CALL* ZebProgressCallback)(const char* currentFile, uint64_t bytesDone,
                                               uint64_t bytesTotal);
typedef int32_t(ZEB_CALL* ZebNotifyCallback)(uint32_t, uint32_t);
typedef int32_t(ZEB_CALL* ZebQuestionCallback)(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                               uint32_t, uint32_t, uint32_t, uint32_t, uint32_t);

// One listed entry: 48 bytes, entries are contiguous.
typedef struct ZebListEntry {
  union {
    const char* name;  // zero-terminated, lives until CloseListArchive
    uint64_t namePad;
  };
  uint64_t size;
  uint64_t packedSize;  // 0 when not known per entry (solid blocks)
  uint32_t attributes;
  uint32_t isFolder;
  uint32_t modifiedLow;  // FILETIME, 0 when absent
  uint32_t modifiedHigh;
  uint32_t crc;
  uint32_t reserved;
} ZebListEntry;

// Returns non-zero on success. one must be 1; option is accepted and ignored.
int32_t ZEB_CALL ExtractArchive(const char* archivePath, int32_t one, const char* destFolder,
                                const ZebFileSelection* selection, uint32_t option,
                                const char* password, ZebPasswordCallback passwordCb,
                                ZebProgressCallback progressCb, ZebNotifyCallback notifyCb,
                                ZebQuestionCallback questionCb);

// Returns a handle (0 on failure); *entries and *count describe the listing until
// CloseListArchive(handle).
uintptr_t ZEB_CALL OpenListArchive(const char* archivePath, int32_t zero,
                                   ZebPasswordCallback passwordCb, int32_t, int32_t, int32_t,
                                   const char* password, ZebListEntry** entries, int32_t* count);

int32_t ZEB_CALL CloseListArchive(uintptr_t handle);

// Code of the calling thread's last failure (kZebOk after a success).
int32_t ZEB_CALL GetLastArchiveError(int32_t zero);

#ifdef __cplusplus
}  // extern "C"

#include <cstddef>
static_assert(sizeof(ZebListEntry) == 48);
static_assert(offsetof(ZebListEntry, size) == 8);
static_assert(offsetof(ZebListEntry, packedSize) == 16);
static_assert(offsetof(ZebListEntry, attributes) == 24);
static_assert(offsetof(ZebListEntry, isFolder) == 28);
static_assert(offsetof(ZebListEntry, modifiedLow) == 32);
static_assert(offsetof(ZebListEntry, crc) == 40);
#endif
