// A minimal check harness for test programs that run under Wine, where the
// native test framework is not available: each failed check prints a line
// and the program's exit code is the number of failures.
#pragma once

#include <cstdio>
#include <string>

namespace vantrell::wintest {

inline int& Failures() {
  static int failures = 0;
  return failures;
}

inline void Check(bool ok, const std::string& what) {
  std::printf("%s %s\n", ok ? "  ok  " : "  FAIL", what.c_str());
  if (!ok) ++Failures();
}

inline void CheckEqual(const std::string& got, const std::string& want, const std::string& what) {
  Check(got == want, what + (got == want ? "" : ": got [" + got + "], want [" + want + "]"));
}

}  // namespace vantrell::wintest
