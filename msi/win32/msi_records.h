// Installer database handles, executed views and record texts, each
// released in the right order when it goes out of scope.
#pragma once

#include <windows.h>
// msiquery.h needs the types windows.h declares.
#include <msiquery.h>

#include <string>
#include <vector>

#include "msi/win32/msi_library.h"

namespace vantrell {

// Closes an installer handle when it goes out of scope; a failing close
// leaves nothing to undo, so its result is not acted on.
class Handle {
 public:
  Handle() = default;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Reset(); }
  MSIHANDLE* Out() {
    Reset();
    return &handle_;
  }
  MSIHANDLE Get() const { return handle_; }

 private:
  void Reset() {
    if (handle_ != 0) msi::MsiCloseHandle(handle_);
    handle_ = 0;
  }
  MSIHANDLE handle_ = 0;
};

// An executed view, closed before its handle.
class View {
 public:
  View(MSIHANDLE database, const std::string& sql) {
    if (msi::MsiDatabaseOpenViewA(database, sql.c_str(), handle_.Out()) != ERROR_SUCCESS) return;
    executed_ = msi::MsiViewExecute(handle_.Get(), 0) == ERROR_SUCCESS;
  }
  View(const View&) = delete;
  View& operator=(const View&) = delete;
  ~View() {
    if (executed_) msi::MsiViewClose(handle_.Get());
  }
  bool Executed() const { return executed_; }
  // The next row, or false at the end or on the first failure.
  bool Fetch(Handle& record) {
    return executed_ && msi::MsiViewFetch(handle_.Get(), record.Out()) == ERROR_SUCCESS;
  }
  bool Update(const Handle& record) {
    return msi::MsiViewModify(handle_.Get(), MSIMODIFY_UPDATE, record.Get()) == ERROR_SUCCESS;
  }

 private:
  Handle handle_;
  bool executed_ = false;
};

inline bool RecordText(MSIHANDLE record, UINT field, std::string& text) {
  std::vector<char> buffer(256);
  for (;;) {
    DWORD length = static_cast<DWORD>(buffer.size());
    const UINT result = msi::MsiRecordGetStringA(record, field, buffer.data(), &length);
    if (result == ERROR_MORE_DATA) {
      buffer.resize(static_cast<size_t>(length) + 1);
      continue;
    }
    if (result != ERROR_SUCCESS) return false;
    text.assign(buffer.data(), length);
    return true;
  }
}

}  // namespace vantrell
