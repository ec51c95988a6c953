// Test fixtures for zeb: temporary folders, sample source trees, archives made by 7zz,
// tree comparison, and a patcher that plants hostile names in a 7zz-made archive.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "zeb.h"

namespace zeb::test {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

// Deterministic pseudo-random bytes (incompressible).
std::vector<uint8_t> NoiseBytes(size_t size, uint32_t seed);
void WriteFile(const fs::path& path, const std::vector<uint8_t>& data);
void WriteText(const fs::path& path, const std::string& text);
std::vector<uint8_t> ReadBytes(const fs::path& path);

// A small tree: text, noise, an executable, nested folders, empty file and folder.
void MakeSampleTree(const fs::path& root);
// Many small text files for solid blocks.
void MakeManyFiles(const fs::path& root, int count);

// Runs 7zz a <archive> <switches> . inside source; true on success.
bool Pack(const fs::path& archive, const fs::path& source, const std::string& switches);

// Empty when equal, else a description of the first difference.
std::string CompareTrees(const fs::path& expected, const fs::path& actual);

// Calls ExtractArchive; returns 0 on success, else GetLastArchiveError().
int32_t ExtractAll(const fs::path& archive, const fs::path& dest, const char* password = nullptr,
                   const std::vector<std::string>& selection = {});

// Replaces a stored name (same length, UTF-16) inside an archive packed with an
// unencoded header (-mhc=off) and repairs the header CRCs. False if not found.
bool PatchName(const fs::path& archive, const std::u16string& from, const std::u16string& to);

}  // namespace zeb::test
