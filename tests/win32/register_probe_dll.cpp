// register_probe.dll: a library with registration entries for the end-to-end
// test of "Register Library". Registering writes "Registered" and the
// current directory ("Folder") under HKCU\Software\VantrellRegisterProbe;
// unregistering removes "Registered" and fails when it was not there, so
// that a failing entry can be seen as well.
#include <windows.h>

namespace {

constexpr const char* kProbeKey = "Software\\VantrellRegisterProbe";

HKEY OpenProbeKey() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kProbeKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_QUERY_VALUE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return key;
}

bool SetText(HKEY key, const char* name, const char* text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(lstrlenA(text) + 1)) == ERROR_SUCCESS;
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI DllRegisterServer() {
  HKEY key = OpenProbeKey();
  if (key == nullptr) return E_FAIL;
  char folder[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(MAX_PATH, folder);
  const bool written = SetText(key, "Registered", "yes") && SetText(key, "Folder", folder);
  RegCloseKey(key);
  return written ? S_OK : E_FAIL;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllUnregisterServer() {
  HKEY key = OpenProbeKey();
  if (key == nullptr) return E_FAIL;
  const LONG status = RegDeleteValueA(key, "Registered");
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? S_OK : E_FAIL;
}
