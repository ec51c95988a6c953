// Trace log writer (contract in trace_log.h).
#include "common/trace_log.h"

#include <atomic>

namespace vantrell {
namespace {
std::atomic<TraceLog*> installedLog{nullptr};
}  // namespace

void TraceLog::SetPath(std::string path) {
  std::lock_guard lock(mutex_);
  path_ = std::move(path);
}

std::string TraceLog::Path() const {
  std::lock_guard lock(mutex_);
  return path_;
}

void TraceLog::Line(std::string_view text) {
  std::lock_guard lock(mutex_);
  if (path_.empty()) return;
  if (firstWrite_) {
    firstWrite_ = false;
    files_.WriteWholeFile(path_, {});
  }
  std::u16string units = codec_.AnsiToUtf16(text);
  units.append(u"\r\n");
  std::string bytes;
  bytes.reserve(units.size() * 2);
  for (char16_t unit : units) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  files_.AppendToExistingFile(path_, bytes);
}

void InstallTraceLog(TraceLog* log) {
  installedLog.store(log);
}
TraceLog* CurrentTraceLog() {
  return installedLog.load();
}

void TraceLine(std::string_view text) {
  if (TraceLog* log = installedLog.load()) log->Line(text);
}

}  // namespace vantrell
