// Functions of system libraries that the engine does not import statically.
// The loader looks for an imported library that is not on its list of known
// system libraries in the program's own folder first, and a downloaded
// setup.exe may share its folder with anything; these libraries are loaded
// by their full path in the system folder when first needed instead.
#pragma once

#include <windows.h>

#include <string>

namespace vantrell {

// The library of that name in the system folder, loaded once and kept
// (nullptr when it cannot be loaded).
inline HMODULE LoadSystemLibrary(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\" + name;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// The function of that name in the system library (nullptr when missing).
// Callers keep the answer in a static: each call loads the library again.
template <typename Fn>
Fn SystemFunction(const wchar_t* library, const char* name) {
  HMODULE module = LoadSystemLibrary(library);
  return module == nullptr
             ? nullptr
             : reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace vantrell
