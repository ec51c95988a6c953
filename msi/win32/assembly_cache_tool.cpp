// The engine's assembly cache tool, written into the support folder by
// "Remove Assemblies": "gacutil /u NAME,Version=VERSION" removes that
// assembly from the global assembly cache through the framework's cache
// interface. Exit codes: 0 removed, 1 not removed (not in the cache, in use,
// or no framework), 2 bad usage.
#include <windows.h>
// fusion.h needs the types windows.h declares.
#include <fusion.h>

#include <cwchar>

namespace {

using CreateAssemblyCacheFn = HRESULT(WINAPI*)(IAssemblyCache**, DWORD);
using LoadLibraryShimFn = HRESULT(WINAPI*)(LPCWSTR, LPCWSTR, LPVOID, HMODULE*);

// The framework's cache library: through the runtime's loader where a
// framework is installed, else wherever the system finds it.
HMODULE LoadFusion() {
  if (HMODULE runtime = LoadLibraryW(L"mscoree.dll")) {
    auto shim = reinterpret_cast<LoadLibraryShimFn>(
        reinterpret_cast<void*>(GetProcAddress(runtime, "LoadLibraryShim")));
    HMODULE fusion = nullptr;
    if (shim != nullptr && SUCCEEDED(shim(L"fusion.dll", nullptr, nullptr, &fusion)) &&
        fusion != nullptr)
      return fusion;
  }
  return LoadLibraryW(L"fusion.dll");
}

int Uninstall(const wchar_t* displayName) {
  HMODULE fusion = LoadFusion();
  if (fusion == nullptr) return 1;
  auto create = reinterpret_cast<CreateAssemblyCacheFn>(
      reinterpret_cast<void*>(GetProcAddress(fusion, "CreateAssemblyCache")));
  IAssemblyCache* cache = nullptr;
  if (create == nullptr || FAILED(create(&cache, 0)) || cache == nullptr) return 1;
  ULONG disposition = 0;
  const HRESULT hr = cache->UninstallAssembly(0, displayName, nullptr, &disposition);
  cache->Release();
  // S_FALSE: nothing was removed (not in the cache, or still referenced).
  return hr == S_OK && (disposition == IASSEMBLYCACHE_UNINSTALL_DISPOSITION_UNINSTALLED ||
                        disposition == IASSEMBLYCACHE_UNINSTALL_DISPOSITION_ALREADY_UNINSTALLED)
             ? 0
             : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 || (std::wcscmp(argv[1], L"/u") != 0 && std::wcscmp(argv[1], L"-u") != 0)) {
    std::fputws(L"usage: gacutil /u NAME,Version=VERSION\n", stderr);
    return 2;
  }
  return Uninstall(argv[2]);
}
