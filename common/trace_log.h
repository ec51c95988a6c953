// The trace log: one tag line per start-up and run step, written to the path
// given by "/l=" (later refreshed from LOGGED). The first line of a run
// creates or empties the file; every line is then appended as UTF-16
// little-endian code units without byte-order mark, CR LF ended, opening and
// closing the file each time so the trace survives a crash. Failures are
// silent: the line is lost and the step goes on.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "common/file_system.h"

namespace vantrell {

class TraceLog {
 public:
  TraceLog(FileSystem& files, const TextCodec& codec) : files_(files), codec_(codec) {}

  void SetPath(std::string path);
  std::string Path() const;
  void Line(std::string_view text);

 private:
  FileSystem& files_;
  const TextCodec& codec_;
  mutable std::mutex mutex_;
  std::string path_;
  bool firstWrite_ = true;
};

// The engine-wide trace, installed by start-up for the length of the run.
void InstallTraceLog(TraceLog* log);
TraceLog* CurrentTraceLog();
void TraceLine(std::string_view text);

}  // namespace vantrell
