// libFuzzer entry for zeb: the input is written as an archive file, then listed and
// extracted (with a password, so encrypted paths run too) through the exported API into a
// scratch folder that is removed after every run.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "zeb.h"

namespace {

const std::filesystem::path& Scratch() {
  static const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("zeb-fuzz-" + std::to_string(getpid()));
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::create_directories(Scratch(), ec);
  const fs::path archive = Scratch() / "in.7z";
  const fs::path out = Scratch() / "out";
  if (FILE* f = std::fopen(archive.c_str(), "wb")) {
    if (size != 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
  } else {
    return 0;
  }
  ZebListEntry* entries = nullptr;
  int32_t count = 0;
  const uintptr_t h = OpenListArchive(archive.c_str(), 0, nullptr, 0, 0, 0, "pw", &entries, &count);
  if (h != 0) {
    size_t names = 0;
    for (int32_t i = 0; i < count; ++i) names += std::char_traits<char>::length(entries[i].name);
    (void)names;
    CloseListArchive(h);
    ExtractArchive(archive.c_str(), 1, out.c_str(), nullptr, 0, "pw", nullptr, nullptr, nullptr,
                   nullptr);
  }
  fs::remove_all(out, ec);
  return 0;
}
