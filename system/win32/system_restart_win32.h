// The real system restart: the process's shutdown privilege is enabled and
// Windows is asked for a normal restart (programs are asked to close, none
// is closed by force). Only the engine uses it; tests hand in twins.
#pragma once

#include "system/reboot_statements.h"

namespace vantrell {

class Win32SystemRestart final : public SystemRestart {
 public:
  bool RequestRestart() override;
};

}  // namespace vantrell
