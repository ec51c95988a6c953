// Binding the installer library on first use, against Wine's msi.dll: a
// missing library and a missing function raise their errors every time, and
// the real library answers once it can be found.
#include <string>

#include "msi/msi_errors.h"
#include "msi/win32/msi_library.h"
#include "tests/win32/check.h"

using vantrell::wintest::Check;
using vantrell::wintest::CheckEqual;

namespace {

std::string ErrorOf(void (*call)()) {
  try {
    call();
  } catch (const vantrell::EJwaError& e) {
    return e.what();
  }
  return "no error";
}

void Query() {
  vantrell::msi::MsiQueryProductStateA("{00000000-0000-0000-0000-000000000000}");
}

}  // namespace

int main() {
  vantrell::msi::SetLibraryNameForTests("vantrell_no_such_msi.dll");
  CheckEqual(ErrorOf(Query), "Library not found: vantrell_no_such_msi.dll", "missing library");
  CheckEqual(ErrorOf(Query), "Library not found: vantrell_no_such_msi.dll",
             "missing library, again");

  vantrell::msi::SetLibraryNameForTests("kernel32.dll");
  CheckEqual(ErrorOf(Query), "Function not found: kernel32.dll.MsiQueryProductStateA",
             "missing function");

  vantrell::msi::SetLibraryNameForTests("msi.dll");
  CheckEqual(ErrorOf(Query), "no error", "bound from msi.dll");
  Check(vantrell::msi::MsiQueryProductStateA("{00000000-0000-0000-0000-000000000000}") ==
            INSTALLSTATE_UNKNOWN,
        "unknown product is not installed");
  return vantrell::wintest::Failures();
}
