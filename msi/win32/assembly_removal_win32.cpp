// The Windows side of "Remove Assemblies" (see assembly_removal_win32.h).
#include "msi/win32/assembly_removal_win32.h"

#include <windows.h>

#include "common/engine_error.h"
#include "msi/win32/msi_library.h"
#include "msi/win32/msi_records.h"

namespace vantrell {
namespace {

// Persist mode of MsiOpenDatabaseA: read only.
const LPCSTR kReadOnly = reinterpret_cast<LPCSTR>(0);  // NOLINT(performance-no-int-to-ptr)
constexpr DWORD kNameBuffer = 10240;

// The value of one MsiAssemblyName row, read with the fixed buffer of the
// query; empty when the row is missing.
std::string AssemblyNameValue(MSIHANDLE database, const std::string& component, const char* name) {
  View view(database, "SELECT `Value` FROM  `MsiAssemblyName` WHERE `Component_`='" + component +
                          "' AND `Name`='" + name + "'");
  Handle record;
  if (!view.Fetch(record)) return {};
  std::vector<char> buffer(kNameBuffer);
  DWORD length = kNameBuffer;
  if (msi::MsiRecordGetStringA(record.Get(), 1, buffer.data(), &length) != ERROR_SUCCESS) return {};
  return std::string(buffer.data(), length);
}

bool WriteResource(const char* name, const std::string& path) {
  HRSRC found = FindResourceA(nullptr, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(nullptr, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(nullptr, found);
  if (bytes == nullptr) return false;
  // An earlier copy may be read-only; it is overwritten all the same.
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes, size, &written, nullptr) && written == size;
  CloseHandle(file);
  return ok;
}

void ReadInto(const std::string& packagePath, std::vector<CacheAssembly>& assemblies);

}  // namespace

std::vector<CacheAssembly> ReadPackageAssemblies(const std::string& packagePath) {
  std::vector<CacheAssembly> assemblies;
  try {
    ReadInto(packagePath, assemblies);
  } catch (const EngineError&) {
    // Without the installer library the package cannot be read: nothing to remove.
  }
  return assemblies;
}

namespace {

void ReadInto(const std::string& packagePath, std::vector<CacheAssembly>& assemblies) {
  Handle database;
  if (msi::MsiOpenDatabaseA(packagePath.c_str(), kReadOnly, database.Out()) != ERROR_SUCCESS)
    return;
  std::vector<std::string> components;
  {
    View view(database.Get(), "SELECT * FROM  `MsiAssembly`");
    Handle record;
    std::string component;
    while (view.Fetch(record)) {
      if (RecordText(record.Get(), 1, component)) components.push_back(component);
    }
  }
  for (const std::string& component : components) {
    assemblies.push_back({AssemblyNameValue(database.Get(), component, "Name"),
                          AssemblyNameValue(database.Get(), component, "Version")});
  }
}

}  // namespace

std::string WriteAssemblyCacheTool(const std::string& folder) {
  const std::string tool = folder + "gacutil.exe";
  WriteResource(kCacheToolResource, tool);
  WriteResource(kCacheToolConfigResource, tool + ".config");
  return tool;
}

}  // namespace vantrell
