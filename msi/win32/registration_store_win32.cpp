// Registry writes, folder moves and deletion at restart through the Windows
// API (contract in registration_store_win32.h).
#include "msi/win32/registration_store_win32.h"

#include <windows.h>

#include <vector>

#include "common/ascii.h"
#include "common/win32/handle.h"
#include "common/win32/registry_key.h"
#include "common/win32/win32_file_system.h"

namespace vantrell {
namespace {

// Whole-file reads and writes through the system rather than file streams, which
// would bring the C++ runtime's locale support into the image for this one use.
std::string ReadWholeFile(const std::string& path) {
  std::string text;
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file.Get(), buffer, sizeof(buffer), &got, nullptr) && got != 0)
    text.append(buffer, got);
  return text;
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file.Valid() &&
         WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

bool IsWindows9x() {
  return (GetVersion() & 0x80000000u) != 0;
}

// The Windows 95 family deletes at start-up what "NUL=path" lines of the
// [Rename] section of wininit.ini name; several such lines may coexist, so
// the line is inserted rather than written as a profile key.
bool ScheduleInWininit(const std::string& shortPath) {
  char windows[MAX_PATH] = {};
  UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  std::string file = windows;
  if (file.back() != '\\') file.push_back('\\');
  file += "wininit.ini";
  std::string text = ReadWholeFile(file);
  const std::string line = "NUL=" + shortPath + "\r\n";
  size_t header = FindIgnoreCase(text, "[Rename]");
  if (header == std::string::npos) {
    if (!text.empty() && text.back() != '\n') text += "\r\n";
    text += "[Rename]\r\n" + line;
  } else {
    size_t end = text.find('\n', header);
    if (end == std::string::npos) {
      text += "\r\n" + line;
    } else {
      text.insert(end + 1, line);
    }
  }
  return WriteWholeFile(file, text);
}

}  // namespace

bool Win32RegistrationStore::WriteString(RegistryRoot root, const std::string& key,
                                         const std::string& value, const std::string& data) {
  RegistryKey created = RegistryKey::Create(RootKey(root), key, KEY_SET_VALUE);
  if (created.Get() == nullptr) return false;
  return RegSetValueExA(created.Get(), value.empty() ? nullptr : value.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

bool Win32RegistrationStore::DeleteKey(RegistryRoot root, const std::string& key) {
  // Not recursive: a key that has gained sub-keys of someone else's stays.
  LONG status = RegDeleteKeyA(RootKey(root), key.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ||
         status == ERROR_PATH_NOT_FOUND;
}

bool Win32CacheFolderSystem::MoveFolder(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), 0) != 0;
}

bool Win32CacheFolderSystem::DeleteAtRestart(const std::string& path) {
  if (IsWindows9x()) return ScheduleInWininit(ShortPath(path));
  return MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

void Win32CacheFolderSystem::SetCompression(const std::string& folder, bool compressed) {
  SetFolderCompression(folder, compressed);
}

std::string Win32CacheFolderSystem::ShortPath(const std::string& path) {
  DWORD needed = GetShortPathNameA(path.c_str(), nullptr, 0);
  if (needed == 0) return path;
  std::vector<char> buffer(needed + 1, '\0');
  DWORD got = GetShortPathNameA(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (got == 0 || got >= buffer.size()) return path;
  return std::string(buffer.data(), got);
}

PlatformFamily CurrentPlatformFamily() {
  PlatformFamily family;
  const DWORD version = GetVersion();
  family.windows9x = (version & 0x80000000u) != 0;
  family.windows2000OrLater = !family.windows9x && LOBYTE(LOWORD(version)) >= 5;
  return family;
}

}  // namespace vantrell
