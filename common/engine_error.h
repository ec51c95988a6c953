// The engine's one error type: a message for the user, plus the platform or
// installer code behind it where there is one. Statements raise it; the
// interpreter's and start-up's error paths report it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vantrell {

class EngineError : public std::runtime_error {
 public:
  explicit EngineError(const std::string& message, uint32_t code = 0)
      : std::runtime_error(message), code_(code) {}
  uint32_t Code() const { return code_; }

 private:
  uint32_t code_;
};

}  // namespace vantrell
