// Owning wrappers for Windows handles.
#pragma once

#include <windows.h>

#include <utility>

namespace vantrell {

class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(HANDLE h) : h_(h) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  FileHandle(FileHandle&& other) noexcept : h_(std::exchange(other.h_, INVALID_HANDLE_VALUE)) {}
  FileHandle& operator=(FileHandle&& other) noexcept {
    if (this != &other) {
      Close();
      h_ = std::exchange(other.h_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  ~FileHandle() { Close(); }

  bool Valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE Get() const { return h_; }

 private:
  void Close() {
    if (Valid()) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

class FindHandle {
 public:
  explicit FindHandle(HANDLE h) : h_(h) {}
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  ~FindHandle() {
    if (h_ != INVALID_HANDLE_VALUE) FindClose(h_);
  }
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return h_; }

 private:
  HANDLE h_;
};

class ModuleHandle {
 public:
  explicit ModuleHandle(HMODULE h) : h_(h) {}
  ModuleHandle(const ModuleHandle&) = delete;
  ModuleHandle& operator=(const ModuleHandle&) = delete;
  ~ModuleHandle() {
    if (h_ != nullptr) FreeLibrary(h_);
  }
  HMODULE Get() const { return h_; }

 private:
  HMODULE h_;
};

class ServiceHandle {
 public:
  explicit ServiceHandle(SC_HANDLE h) : h_(h) {}
  ServiceHandle(const ServiceHandle&) = delete;
  ServiceHandle& operator=(const ServiceHandle&) = delete;
  ~ServiceHandle() {
    if (h_ != nullptr) CloseServiceHandle(h_);
  }
  SC_HANDLE Get() const { return h_; }

 private:
  SC_HANDLE h_;
};

}  // namespace vantrell
