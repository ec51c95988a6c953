// zebx: console driver for zeb.lib, used by the Wine end-to-end test and the benchmark.
//   zebx x <archive> <dest> [password]   list, then extract everything
//   zebx l <archive> [password]          print one name per line
// Loads zeb.lib from %ZEB_LIB% or from its own folder; exit code 0 on success.
#include <windows.h>

#include <cstdio>
#include <string>

#include "zeb.h"

namespace {

using ExtractFn = decltype(&ExtractArchive);
using OpenListFn = decltype(&OpenListArchive);
using CloseListFn = decltype(&CloseListArchive);
using LastErrorFn = decltype(&GetLastArchiveError);

struct Library {
  HMODULE module = nullptr;
  ~Library() {
    if (module != nullptr) FreeLibrary(module);
  }
};

std::string LibraryPath() {
  char env[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableA("ZEB_LIB", env, sizeof(env));
  if (n > 0 && n < sizeof(env)) return env;
  char self[MAX_PATH * 2];
  const DWORD len = GetModuleFileNameA(nullptr, self, sizeof(self));
  if (len == 0 || len >= sizeof(self)) return "zeb.lib";
  std::string path(self, len);
  const size_t slash = path.find_last_of("\\/");
  return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "zeb.lib";
}

template <typename T>
bool Resolve(HMODULE module, const char* name, T* out) {
  *out = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  if (*out == nullptr) std::fprintf(stderr, "zebx: zeb.lib lacks %s\n", name);
  return *out != nullptr;
}

int Usage() {
  std::fprintf(stderr,
               "usage: zebx x <archive> <dest> [password]\n       zebx l <archive> [password]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string command = argv[1];
  if ((command != "x" && command != "l") || (command == "x" && argc < 4)) return Usage();

  Library lib;
  const std::string path = LibraryPath();
  lib.module = LoadLibraryA(path.c_str());
  if (lib.module == nullptr) {
    std::fprintf(stderr, "zebx: cannot load %s (error %lu)\n", path.c_str(), GetLastError());
    return 3;
  }
  ExtractFn extract = nullptr;
  OpenListFn openList = nullptr;
  CloseListFn closeList = nullptr;
  LastErrorFn lastError = nullptr;
  if (!Resolve(lib.module, "ExtractArchive", &extract) ||
      !Resolve(lib.module, "OpenListArchive", &openList) ||
      !Resolve(lib.module, "CloseListArchive", &closeList) ||
      !Resolve(lib.module, "GetLastArchiveError", &lastError))
    return 3;

  const char* archive = argv[2];
  const char* password = command == "x" ? (argc > 4 ? argv[4] : "") : (argc > 3 ? argv[3] : "");
  ZebListEntry* entries = nullptr;
  int32_t count = 0;
  const uintptr_t listing = openList(archive, 0, nullptr, 0, 0, 0, password, &entries, &count);
  if (listing == 0) {
    std::printf("error %d\n", static_cast<int>(lastError(0)));
    return 1;
  }
  if (command == "l") {
    for (int32_t i = 0; i < count; ++i) std::printf("%s\n", entries[i].name);
  }
  closeList(listing);
  if (command == "l") return 0;

  if (extract(archive, 1, argv[3], nullptr, 0, password, nullptr, nullptr, nullptr, nullptr) == 0) {
    std::printf("error %d\n", static_cast<int>(lastError(0)));
    return 1;
  }
  return 0;
}
