// Links against zeb_import only: its import table shows how the engine binds to zeb.lib.
// Running it is not needed; it refers to each export so all four are imported.
#include <cstdio>

#include "zeb.h"

int main(int argc, char**) {
  if (argc > 5) {  // never true in practice: keeps the calls without running them
    ZebListEntry* entries = nullptr;
    int32_t count = 0;
    const uintptr_t h = OpenListArchive("a.7z", 0, nullptr, 0, 0, 0, "", &entries, &count);
    CloseListArchive(h);
    ExtractArchive("a.7z", 1, "out", nullptr, 0, "", nullptr, nullptr, nullptr, nullptr);
  }
  std::printf("%d\n", static_cast<int>(GetLastArchiveError(0)));
  return 0;
}
