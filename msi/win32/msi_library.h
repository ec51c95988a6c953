// The Windows Installer library, bound function by function on first use so
// that the engine starts where msi.dll is missing or old. Each wrapper has the
// published signature (ANSI forms); a missing library or function raises
// EJwaLoadLibraryError / EJwaGetProcAddressError, and nothing is cached on
// failure. The library is never unloaded.
#pragma once

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

namespace vantrell::msi {

// Overrides the library name, so tests can bind a library that does not exist.
void SetLibraryNameForTests(const char* name);

INSTALLSTATE MsiQueryProductStateA(LPCSTR product);
UINT MsiGetProductInfoA(LPCSTR product, LPCSTR property, LPSTR value, LPDWORD length);
UINT MsiInstallProductA(LPCSTR package, LPCSTR commandLine);
UINT MsiApplyPatchA(LPCSTR patch, LPCSTR installPackage, INSTALLTYPE type, LPCSTR commandLine);
UINT MsiSourceListAddSourceA(LPCSTR product, LPCSTR user, DWORD reserved, LPCSTR source);
UINT MsiOpenPackageA(LPCSTR path, MSIHANDLE* handle);
UINT MsiSetPropertyA(MSIHANDLE handle, LPCSTR name, LPCSTR value);
UINT MsiDoActionA(MSIHANDLE handle, LPCSTR action);
BOOL MsiGetMode(MSIHANDLE handle, MSIRUNMODE mode);
UINT MsiCloseHandle(MSIHANDLE handle);
INSTALLUILEVEL MsiSetInternalUI(INSTALLUILEVEL level, HWND* window);
INSTALLUI_HANDLERA MsiSetExternalUIA(INSTALLUI_HANDLERA handler, DWORD filter, LPVOID context);
UINT MsiEnableLogA(DWORD mode, LPCSTR file, DWORD attributes);
UINT MsiOpenDatabaseA(LPCSTR path, LPCSTR persist, MSIHANDLE* handle);
UINT MsiDatabaseOpenViewA(MSIHANDLE database, LPCSTR query, MSIHANDLE* view);
UINT MsiViewExecute(MSIHANDLE view, MSIHANDLE record);
UINT MsiViewFetch(MSIHANDLE view, MSIHANDLE* record);
UINT MsiViewModify(MSIHANDLE view, MSIMODIFY mode, MSIHANDLE record);
UINT MsiViewClose(MSIHANDLE view);
int MsiRecordGetInteger(MSIHANDLE record, UINT field);
UINT MsiRecordSetInteger(MSIHANDLE record, UINT field, int value);
UINT MsiRecordSetStringA(MSIHANDLE record, UINT field, LPCSTR value);
UINT MsiRecordGetStringA(MSIHANDLE record, UINT field, LPSTR value, LPDWORD length);
UINT MsiGetSummaryInformationA(MSIHANDLE database, LPCSTR path, UINT updateCount, MSIHANDLE* info);
UINT MsiSummaryInfoGetPropertyA(MSIHANDLE info, UINT property, PUINT type, LPINT intValue,
                                FILETIME* time, LPSTR text, LPDWORD length);
UINT MsiSummaryInfoSetPropertyA(MSIHANDLE info, UINT property, UINT type, INT intValue,
                                FILETIME* time, LPCSTR text);
UINT MsiSummaryInfoPersist(MSIHANDLE info);
UINT MsiDatabaseCommit(MSIHANDLE database);

}  // namespace vantrell::msi
