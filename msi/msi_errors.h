// Errors of binding the Windows Installer library on first use: the library
// is missing ("Library not found: msi.dll") or lacks a function ("Function not
// found: msi.dll.<export>"). Both are ordinary engine errors.
#pragma once

#include <string>

#include "common/engine_error.h"

namespace vantrell {

class EJwaError : public EngineError {
 public:
  using EngineError::EngineError;
};

class EJwaLoadLibraryError : public EJwaError {
 public:
  explicit EJwaLoadLibraryError(const std::string& library)
      : EJwaError("Library not found: " + library) {}
};

class EJwaGetProcAddressError : public EJwaError {
 public:
  EJwaGetProcAddressError(const std::string& library, const std::string& function)
      : EJwaError("Function not found: " + library + "." + function) {}
};

}  // namespace vantrell
