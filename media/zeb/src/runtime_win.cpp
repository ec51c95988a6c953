// Stand-ins for members of the C++ runtime that the Windows DLL links statically, where
// the runtime's own versions would bring in code this library never uses. Should another
// symbol still pull such a member in, the link fails on the duplicate definitions
// instead of changing behaviour unnoticed.
#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <typeinfo>

namespace {

// The API answers any exception but std::bad_alloc with kZebErrorDamaged, as it did for
// the std::logic_error family this replaces.
class LibraryError final : public std::exception {
 public:
  explicit LibraryError(const char* what) : what_(what) {}
  const char* what() const noexcept override { return what_; }

 private:
  const char* what_;
};

}  // namespace

// The containers' error raisers. The runtime's throw the std::logic_error family, whose
// constructors bring two complete std::string implementations along (about 80 KB).
namespace std {

void __throw_bad_alloc() {
  throw bad_alloc();
}

void __throw_bad_array_new_length() {
  throw bad_array_new_length();
}

void __throw_length_error(const char* what) {
  throw LibraryError(what);
}

void __throw_logic_error(const char* what) {
  throw LibraryError(what);
}

void __throw_out_of_range_fmt(const char* format, ...) {
  throw LibraryError(format);
}

}  // namespace std

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
