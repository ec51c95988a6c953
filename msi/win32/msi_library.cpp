// Binding slots and wrappers of the Windows Installer library (contract in msi_library.h).
#include "msi/win32/msi_library.h"

#include <atomic>
#include <string>

#include "msi/msi_errors.h"

namespace vantrell::msi {
namespace {

const char* libraryName = "msi.dll";

// Finds the already-loaded library or loads it by name (system folder only,
// as the process restricts its search path).
HMODULE Library() {
  HMODULE module = GetModuleHandleA(libraryName);
  if (module == nullptr) module = LoadLibraryA(libraryName);
  if (module == nullptr) throw EJwaLoadLibraryError(libraryName);
  return module;
}

// One slot per function: filled once, never cleared; two threads filling it
// store the same address.
template <typename Fn>
Fn Bound(std::atomic<void*>& slot, const char* name) {
  void* address = slot.load(std::memory_order_acquire);
  if (address == nullptr) {
    address = reinterpret_cast<void*>(GetProcAddress(Library(), name));
    if (address == nullptr) throw EJwaGetProcAddressError(libraryName, name);
    slot.store(address, std::memory_order_release);
  }
  return reinterpret_cast<Fn>(address);
}

#define VANTRELL_MSI_BIND(function)        \
  static std::atomic<void*> slot{nullptr}; \
  auto bound = Bound<decltype(&::function)>(slot, #function)

}  // namespace

void SetLibraryNameForTests(const char* name) {
  libraryName = name;
}

INSTALLSTATE MsiQueryProductStateA(LPCSTR product) {
  VANTRELL_MSI_BIND(MsiQueryProductStateA);
  return bound(product);
}
UINT MsiGetProductInfoA(LPCSTR product, LPCSTR property, LPSTR value, LPDWORD length) {
  VANTRELL_MSI_BIND(MsiGetProductInfoA);
  return bound(product, property, value, length);
}
UINT MsiInstallProductA(LPCSTR package, LPCSTR commandLine) {
  VANTRELL_MSI_BIND(MsiInstallProductA);
  return bound(package, commandLine);
}
UINT MsiApplyPatchA(LPCSTR patch, LPCSTR installPackage, INSTALLTYPE type, LPCSTR commandLine) {
  VANTRELL_MSI_BIND(MsiApplyPatchA);
  return bound(patch, installPackage, type, commandLine);
}
UINT MsiSourceListAddSourceA(LPCSTR product, LPCSTR user, DWORD reserved, LPCSTR source) {
  VANTRELL_MSI_BIND(MsiSourceListAddSourceA);
  return bound(product, user, reserved, source);
}
UINT MsiOpenPackageA(LPCSTR path, MSIHANDLE* handle) {
  VANTRELL_MSI_BIND(MsiOpenPackageA);
  return bound(path, handle);
}
UINT MsiSetPropertyA(MSIHANDLE handle, LPCSTR name, LPCSTR value) {
  VANTRELL_MSI_BIND(MsiSetPropertyA);
  return bound(handle, name, value);
}
UINT MsiDoActionA(MSIHANDLE handle, LPCSTR action) {
  VANTRELL_MSI_BIND(MsiDoActionA);
  return bound(handle, action);
}
BOOL MsiGetMode(MSIHANDLE handle, MSIRUNMODE mode) {
  VANTRELL_MSI_BIND(MsiGetMode);
  return bound(handle, mode);
}
UINT MsiCloseHandle(MSIHANDLE handle) {
  VANTRELL_MSI_BIND(MsiCloseHandle);
  return bound(handle);
}
INSTALLUILEVEL MsiSetInternalUI(INSTALLUILEVEL level, HWND* window) {
  VANTRELL_MSI_BIND(MsiSetInternalUI);
  return bound(level, window);
}
INSTALLUI_HANDLERA MsiSetExternalUIA(INSTALLUI_HANDLERA handler, DWORD filter, LPVOID context) {
  VANTRELL_MSI_BIND(MsiSetExternalUIA);
  return bound(handler, filter, context);
}
UINT MsiEnableLogA(DWORD mode, LPCSTR file, DWORD attributes) {
  VANTRELL_MSI_BIND(MsiEnableLogA);
  return bound(mode, file, attributes);
}
UINT MsiOpenDatabaseA(LPCSTR path, LPCSTR persist, MSIHANDLE* handle) {
  VANTRELL_MSI_BIND(MsiOpenDatabaseA);
  return bound(path, persist, handle);
}
UINT MsiDatabaseOpenViewA(MSIHANDLE database, LPCSTR query, MSIHANDLE* view) {
  VANTRELL_MSI_BIND(MsiDatabaseOpenViewA);
  return bound(database, query, view);
}
UINT MsiViewExecute(MSIHANDLE view, MSIHANDLE record) {
  VANTRELL_MSI_BIND(MsiViewExecute);
  return bound(view, record);
}
UINT MsiViewFetch(MSIHANDLE view, MSIHANDLE* record) {
  VANTRELL_MSI_BIND(MsiViewFetch);
  return bound(view, record);
}
UINT MsiViewModify(MSIHANDLE view, MSIMODIFY mode, MSIHANDLE record) {
  VANTRELL_MSI_BIND(MsiViewModify);
  return bound(view, mode, record);
}
UINT MsiViewClose(MSIHANDLE view) {
  VANTRELL_MSI_BIND(MsiViewClose);
  return bound(view);
}
int MsiRecordGetInteger(MSIHANDLE record, UINT field) {
  VANTRELL_MSI_BIND(MsiRecordGetInteger);
  return bound(record, field);
}
UINT MsiRecordSetInteger(MSIHANDLE record, UINT field, int value) {
  VANTRELL_MSI_BIND(MsiRecordSetInteger);
  return bound(record, field, value);
}
UINT MsiRecordSetStringA(MSIHANDLE record, UINT field, LPCSTR value) {
  VANTRELL_MSI_BIND(MsiRecordSetStringA);
  return bound(record, field, value);
}
UINT MsiRecordGetStringA(MSIHANDLE record, UINT field, LPSTR value, LPDWORD length) {
  VANTRELL_MSI_BIND(MsiRecordGetStringA);
  return bound(record, field, value, length);
}
UINT MsiGetSummaryInformationA(MSIHANDLE database, LPCSTR path, UINT updateCount, MSIHANDLE* info) {
  VANTRELL_MSI_BIND(MsiGetSummaryInformationA);
  return bound(database, path, updateCount, info);
}
UINT MsiSummaryInfoGetPropertyA(MSIHANDLE info, UINT property, PUINT type, LPINT intValue,
                                FILETIME* time, LPSTR text, LPDWORD length) {
  VANTRELL_MSI_BIND(MsiSummaryInfoGetPropertyA);
  return bound(info, property, type, intValue, time, text, length);
}
UINT MsiSummaryInfoSetPropertyA(MSIHANDLE info, UINT property, UINT type, INT intValue,
                                FILETIME* time, LPCSTR text) {
  VANTRELL_MSI_BIND(MsiSummaryInfoSetPropertyA);
  return bound(info, property, type, intValue, time, text);
}
UINT MsiSummaryInfoPersist(MSIHANDLE info) {
  VANTRELL_MSI_BIND(MsiSummaryInfoPersist);
  return bound(info);
}
UINT MsiDatabaseCommit(MSIHANDLE database) {
  VANTRELL_MSI_BIND(MsiDatabaseCommit);
  return bound(database);
}

}  // namespace vantrell::msi
