// The file statements' platform calls (contract in file_statement_platform_win32.h).
#include "system/win32/file_statement_platform_win32.h"

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <string>
#include <vector>

#include "common/win32/fs_redirection.h"
#include "common/win32/handle.h"
#include "common/win32/process_affinity.h"
#include "common/win32/win32_file_system.h"

namespace vantrell {
namespace {

using UnRegisterTypeLibFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
using RegistrationEntryFn = HRESULT(STDAPICALLTYPE*)();

class ViewScope final : public FileStatementPlatform::Scope {
  FsRedirectionOff redirection_;
};

// The component library for the thread and the current directory, restored
// in reverse order.
class FolderScope final : public FileStatementPlatform::Scope {
 public:
  explicit FolderScope(const std::string& folder) {
    const HRESULT init = CoInitialize(nullptr);
    // S_FALSE: already initialised on this thread, and still to be balanced.
    comInitialised_ = SUCCEEDED(init);
    char saved[MAX_PATH + 1] = {};
    const DWORD n = GetCurrentDirectoryA(sizeof(saved), saved);
    if (n > 0 && n < sizeof(saved)) saved_.assign(saved, n);
    if (!saved_.empty() && !folder.empty()) changed_ = SetCurrentDirectoryA(folder.c_str()) != 0;
  }
  FolderScope(const FolderScope&) = delete;
  FolderScope& operator=(const FolderScope&) = delete;
  ~FolderScope() override {
    if (changed_) SetCurrentDirectoryA(saved_.c_str());
    if (comInitialised_) CoUninitialize();
  }

 private:
  std::string saved_;
  bool changed_ = false;
  bool comInitialised_ = false;
};

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() {
    if (p_ != nullptr) p_->Release();
  }
  T** Out() { return &p_; }
  T* operator->() const { return p_; }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  Bstr() = default;
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(b_); }
  BSTR* Out() { return &b_; }
  BSTR Get() const { return b_; }

 private:
  BSTR b_ = nullptr;
};

bool LoadTypeLibrary(const std::wstring& path, ComPtr<ITypeLib>& library) {
  return !path.empty() && SUCCEEDED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Out()));
}

}  // namespace

std::unique_ptr<FileStatementPlatform::Scope> Win32FileStatementPlatform::NativeFileView() {
  return std::make_unique<ViewScope>();
}

std::string Win32FileStatementPlatform::FullPath(const std::string& path) {
  const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::vector<char> buffer(needed + 1, '\0');
  const DWORD got =
      GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  if (got == 0 || got >= buffer.size()) return path;
  return std::string(buffer.data(), got);
}

std::unique_ptr<FileStatementPlatform::Scope> Win32FileStatementPlatform::EnterFolder(
    const std::string& folder) {
  return std::make_unique<FolderScope>(folder);
}

bool Win32FileStatementPlatform::RegisterTypeLibrary(const std::string& path) {
  std::wstring wide = AnsiToWide(path);
  ComPtr<ITypeLib> library;
  if (!LoadTypeLibrary(wide, library)) return false;
  Bstr helpFile;
  std::wstring helpFolder;
  if (SUCCEEDED(library->GetDocumentation(-1, nullptr, nullptr, nullptr, helpFile.Out())) &&
      helpFile.Get() != nullptr) {
    helpFolder.assign(helpFile.Get(), SysStringLen(helpFile.Get()));
    const size_t cut = helpFolder.find_last_of(L"\\/");
    helpFolder.erase(cut == std::wstring::npos ? 0 : cut);
  }
  return SUCCEEDED(RegisterTypeLib(library.operator->(), wide.data(),
                                   helpFolder.empty() ? nullptr : helpFolder.data()));
}

bool Win32FileStatementPlatform::UnregisterTypeLibrary(const std::string& path) {
  HMODULE oleaut = GetModuleHandleW(L"oleaut32.dll");
  auto unregister = oleaut == nullptr
                        ? nullptr
                        : reinterpret_cast<UnRegisterTypeLibFn>(
                              reinterpret_cast<void*>(GetProcAddress(oleaut, "UnRegisterTypeLib")));
  if (unregister == nullptr) return false;
  ComPtr<ITypeLib> library;
  if (!LoadTypeLibrary(AnsiToWide(path), library)) return false;
  TLIBATTR* attributes = nullptr;
  if (FAILED(library->GetLibAttr(&attributes)) || attributes == nullptr) return false;
  const HRESULT result =
      unregister(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                 attributes->lcid, attributes->syskind);
  library->ReleaseTLibAttr(attributes);
  return SUCCEEDED(result);
}

bool Win32FileStatementPlatform::StartProgram(const std::string& program,
                                              const std::string& commandLine) {
  std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE,
                      CREATE_SUSPENDED, nullptr, nullptr, &startup, &process)) {
    return false;
  }
  ResumeOnAllProcessors(process);
  const FileHandle thread(process.hThread);
  const FileHandle started(process.hProcess);
  return true;
}

bool Win32FileStatementPlatform::CallRegistrationEntry(const std::string& library,
                                                       const std::string& entry) {
  // The library's own folder comes first for its dependencies (the path is absolute).
  ModuleHandle module(LoadLibraryExA(library.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (module.Get() == nullptr) return false;
  auto function = reinterpret_cast<RegistrationEntryFn>(
      reinterpret_cast<void*>(GetProcAddress(module.Get(), entry.c_str())));
  return function != nullptr && function() == S_OK;
}

}  // namespace vantrell
