// The text statements' Windows side under Wine's 64-bit prefix: the 64-bit
// file-system bracket (switched only for a non-"Win32" target platform, only
// for the calling thread, and restored), and the refusal of devices and the
// clean abandoning of a replacement in Win32TextSystem. The test script puts
// a marker file into the 64-bit system folder before this runs.
#include <windows.h>

#include <string>
#include <thread>

#include "common/target_platform.h"
#include "common/win32/fs_redirection.h"
#include "tests/win32/check.h"
#include "text/win32/text_system_win32.h"

using vantrell::wintest::Check;

namespace {

// A 64-bit process sees one file system: there is no redirection to bracket.
#ifndef _WIN64
const char* const kMarker = "C:\\windows\\system32\\vantrell_redirection_marker.txt";

bool MarkerVisible() {
  return GetFileAttributesA(kMarker) != INVALID_FILE_ATTRIBUTES;
}
#endif

std::string TempFolder() {
  char buffer[MAX_PATH + 1] = {};
  DWORD n = GetTempPathA(MAX_PATH, buffer);
  return n == 0 ? std::string("C:\\") : std::string(buffer, n);
}

}  // namespace

int main() {
  using vantrell::TextSystem;
#ifndef _WIN64
  Check(vantrell::RunningUnderWow64(), "a 32-bit process on 64-bit Windows");
  Check(!MarkerVisible(), "redirected: the 64-bit system folder is hidden");
  {
    vantrell::FsRedirectionOff bracket;
    Check(!bracket.Active() && !MarkerVisible(), "target Win32: redirection stays on");
  }
  vantrell::SetTargetPlatform("x64");
  {
    vantrell::Win32TextSystem system;
    auto view = system.NativeFileView();
    Check(MarkerVisible(), "target x64: the bracket shows the 64-bit system folder");
    Check(system.Probe(kMarker) == TextSystem::PathKind::kFile,
          "target x64: the text system sees it");
    bool otherThread = true;
    std::thread([&otherThread] { otherThread = MarkerVisible(); }).join();
    Check(!otherThread, "the bracket holds for its own thread only");
  }
  Check(!MarkerVisible(), "redirection restored after the bracket");
  vantrell::SetTargetPlatform(vantrell::kPlatformWin32);
#endif

  vantrell::Win32TextSystem system;
  for (const char* device : {"NUL", "CON", "\\\\.\\pipe\\vantrell_none"}) {
    Check(system.Probe(device) != TextSystem::PathKind::kFile,
          std::string("not a file: ") + device);
    Check(system.OpenForReading(device) == nullptr, std::string("not read: ") + device);
  }
  Check(system.Probe("C:\\windows") == TextSystem::PathKind::kFolder, "a folder");
  Check(system.Probe("C:\\no_such_file.txt") == TextSystem::PathKind::kMissing, "missing");

  const std::string target = TempFolder() + "vantrell_replace_check.txt";
  DeleteFileA(target.c_str());
  {
    auto replacement = system.BeginReplacement(target);
    Check(replacement != nullptr && replacement->Write("abandoned"), "replacement written");
  }
  Check(GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES,
        "abandoned replacement makes no file");
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((TempFolder() + "zeb*.tmp").c_str(), &data);
  bool leftover = false;
  if (find != INVALID_HANDLE_VALUE) {
    do {
      // Only files of this check: made within the last minute.
      FILETIME now;
      GetSystemTimeAsFileTime(&now);
      ULARGE_INTEGER a{{now.dwLowDateTime, now.dwHighDateTime}};
      ULARGE_INTEGER b{{data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime}};
      if (a.QuadPart - b.QuadPart < 600000000ULL) leftover = true;
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  Check(!leftover, "abandoned replacement leaves no temporary file");
  {
    auto replacement = system.BeginReplacement(target);
    Check(replacement != nullptr && replacement->Write("kept\r\n") && replacement->Commit(),
          "replacement committed");
  }
  auto reader = system.OpenForReading(target);
  char buffer[16] = {};
  auto n = reader ? reader->Read(buffer, sizeof(buffer)) : std::nullopt;
  Check(n && std::string(buffer, *n) == "kept\r\n", "committed contents read back");
  reader.reset();
  DeleteFileA(target.c_str());
  return vantrell::wintest::Failures();
}
