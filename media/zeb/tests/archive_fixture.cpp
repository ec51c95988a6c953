// Test fixtures for zeb (see archive_fixture.h).
#include "archive_fixture.h"

#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

extern "C" {
#include "7zCrc.h"
}

namespace zeb::test {

TempDir::TempDir() {
  std::string tmpl = (fs::temp_directory_path() / "zeb-test-XXXXXX").string();
  if (mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::vector<uint8_t> NoiseBytes(size_t size, uint32_t seed) {
  std::mt19937 gen(seed);
  std::vector<uint8_t> out(size);
  for (auto& b : out) b = static_cast<uint8_t>(gen() >> 24);
  return out;
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& data) {
  fs::create_directories(path.parent_path());
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

void WriteText(const fs::path& path, const std::string& text) {
  WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)),
                              std::istreambuf_iterator<char>());
}

void MakeSampleTree(const fs::path& root) {
  std::string text;
  for (int i = 0; i < 4000; ++i)
    text += "line " + std::to_string(i * 7919 % 1000) + " of the sample text\n";
  WriteText(root / "readme.txt", text);
  WriteFile(root / "data" / "noise.bin", NoiseBytes(300000, 7));
  WriteFile(root / "data" / "deep" / "er" / "small.bin", NoiseBytes(17, 9));
  fs::create_directories(root / "bin");
  fs::copy_file("/bin/ls", root / "bin" / "ls.exe");
  WriteText(root / "empty.txt", "");
  fs::create_directories(root / "empty_folder" / "inner_empty");
  WriteText(root /
                "\xc3\xbc"
                "ber" /
                "caf\xc3\xa9.txt",
            "unicode names\n");
}

void MakeManyFiles(const fs::path& root, int count) {
  for (int i = 0; i < count; ++i) {
    std::string body;
    for (int j = 0; j <= i % 50; ++j)
      body += "file " + std::to_string(i) + " row " + std::to_string(j) + "\n";
    WriteText(root / ("dir" + std::to_string(i % 7)) / ("f" + std::to_string(i) + ".txt"), body);
  }
}

bool Pack(const fs::path& archive, const fs::path& source, const std::string& switches) {
  const std::string cmd = "cd '" + source.string() + "' && 7zz a -bd -bso0 -bsp0 '" +
                          archive.string() + "' " + switches + " . >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

std::string CompareTrees(const fs::path& expected, const fs::path& actual) {
  for (const auto& e : fs::recursive_directory_iterator(expected)) {
    const fs::path rel = fs::relative(e.path(), expected);
    const fs::path other = actual / rel;
    if (e.is_directory()) {
      if (!fs::is_directory(other)) return "missing folder " + rel.string();
    } else if (!fs::is_regular_file(other)) {
      return "missing file " + rel.string();
    } else if (ReadBytes(e.path()) != ReadBytes(other)) {
      return "content differs: " + rel.string();
    }
  }
  for (const auto& a : fs::recursive_directory_iterator(actual)) {
    if (!fs::exists(expected / fs::relative(a.path(), actual)))
      return "unexpected " + a.path().string();
  }
  return {};
}

int32_t ExtractAll(const fs::path& archive, const fs::path& dest, const char* password,
                   const std::vector<std::string>& selection) {
  std::vector<const char*> names;
  for (const auto& s : selection) names.push_back(s.c_str());
  ZebFileSelection sel{names.data(), static_cast<int32_t>(names.size())};
  const int32_t ok =
      ExtractArchive(archive.c_str(), 1, dest.c_str(), selection.empty() ? nullptr : &sel, 0,
                     password, nullptr, nullptr, nullptr, nullptr);
  return ok != 0 ? 0 : GetLastArchiveError(0);
}

bool PatchName(const fs::path& archive, const std::u16string& from, const std::u16string& to) {
  if (from.size() != to.size()) return false;
  std::vector<uint8_t> bytes = ReadBytes(archive);
  auto utf16 = [](const std::u16string& s) {
    std::vector<uint8_t> out;
    for (char16_t c : s) {
      out.push_back(static_cast<uint8_t>(c & 0xFF));
      out.push_back(static_cast<uint8_t>(c >> 8));
    }
    return out;
  };
  const std::vector<uint8_t> needle = utf16(from);
  const std::vector<uint8_t> replacement = utf16(to);
  auto read64 = [&](size_t at) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | bytes[at + static_cast<size_t>(i)];
    return v;
  };
  const uint64_t headerOffset = 32 + read64(12);
  const uint64_t headerSize = read64(20);
  if (headerOffset + headerSize > bytes.size()) return false;
  auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(headerOffset);
  auto end = begin + static_cast<std::ptrdiff_t>(headerSize);
  auto it = std::search(begin, end, needle.begin(), needle.end());
  if (it == end) return false;
  std::copy(replacement.begin(), replacement.end(), it);
  CrcGenerateTable();
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
      bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
  };
  put32(28, CrcCalc(bytes.data() + headerOffset, static_cast<size_t>(headerSize)));
  put32(8, CrcCalc(bytes.data() + 12, 20));
  WriteFile(archive, bytes);
  return true;
}

}  // namespace zeb::test
