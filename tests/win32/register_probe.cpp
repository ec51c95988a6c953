// register_probe.exe: the server program and type library maker of the
// end-to-end test of "Register Library".
//   register_probe maketlb PATH   writes a type library (identifier below,
//                                 version 1.0, help file C:\ProbeHelp\probe.hlp)
//   register_probe ANYTHING...    a server program: records its command line
//                                 ("Server") and current directory
//                                 ("ServerFolder") under
//                                 HKCU\Software\VantrellRegisterProbe
// Exits with 0 on success.
#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <cstring>
#include <string>

namespace {

// {6F1D2C3B-4A59-4E68-9D7C-8B0A1F2E3D4C}
constexpr GUID kProbeLibrary = {
    0x6f1d2c3b, 0x4a59, 0x4e68, {0x9d, 0x7c, 0x8b, 0x0a, 0x1f, 0x2e, 0x3d, 0x4c}};

int MakeTypeLibrary(const char* path) {
  wchar_t wide[MAX_PATH + 1] = {};
  if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) == 0) return 2;
  ICreateTypeLib2* library = nullptr;
  if (FAILED(CreateTypeLib2(SYS_WIN32, wide, &library))) return 3;
  wchar_t name[] = L"VantrellProbeLibrary";
  wchar_t help[] = L"C:\\ProbeHelp\\probe.hlp";
  const bool made =
      SUCCEEDED(library->SetGuid(kProbeLibrary)) && SUCCEEDED(library->SetVersion(1, 0)) &&
      SUCCEEDED(library->SetName(name)) && SUCCEEDED(library->SetHelpFileName(help)) &&
      SUCCEEDED(library->SetLcid(LOCALE_NEUTRAL)) && SUCCEEDED(library->SaveAllChanges());
  library->Release();
  return made ? 0 : 4;
}

int RecordServerStart() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\VantrellRegisterProbe", 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return 5;
  }
  const std::string line = GetCommandLineA();
  char folder[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(MAX_PATH, folder);
  LONG status =
      RegSetValueExA(key, "Server", 0, REG_SZ, reinterpret_cast<const BYTE*>(line.c_str()),
                     static_cast<DWORD>(line.size() + 1));
  if (status == ERROR_SUCCESS) {
    status = RegSetValueExA(key, "ServerFolder", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder),
                            static_cast<DWORD>(std::strlen(folder) + 1));
  }
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? 0 : 6;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "maketlb") == 0) return MakeTypeLibrary(argv[2]);
  return RecordServerStart();
}
