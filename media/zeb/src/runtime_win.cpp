// Stand-ins for members of the C++ runtime that the Windows DLL links statically, where
// the runtime's own versions would bring in code this library never uses. Should another
// symbol still pull such a member in, the link fails on the duplicate definitions
// instead of changing behaviour unnoticed.
#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <typeinfo>

// The terminate handler. The runtime's demangles the exception's type name, with a
// demangler and printf of about 70 KB; this one writes the same report with the name as
// the compiler spells it.
namespace __gnu_cxx {

void __verbose_terminate_handler() {
  static bool terminating = false;
  if (terminating) {
    std::fputs("terminate called recursively\n", stderr);
    std::abort();
  }
  terminating = true;
  const std::type_info* type = abi::__cxa_current_exception_type();
  if (type == nullptr) {
    std::fputs("terminate called without an active exception\n", stderr);
    std::abort();
  }
  std::fputs("terminate called after throwing an instance of '", stderr);
  std::fputs(type->name(), stderr);
  std::fputs("'\n", stderr);
  try {
    throw;
  } catch (const std::exception& e) {
    std::fputs("  what():  ", stderr);
    std::fputs(e.what(), stderr);
    std::fputs("\n", stderr);
  } catch (...) {
  }
  std::abort();
}

}  // namespace __gnu_cxx
