// Windows Installer's knowledge of installed products, through the bound
// installer library.
#pragma once

#include "common/system_facts.h"

namespace vantrell {

class Win32InstallerQueries final : public InstallerQueries {
 public:
  int QueryProductState(const std::string& productCode) override;
  std::optional<std::string> ProductInfo(const std::string& productCode,
                                         const std::string& property) override;
};

}  // namespace vantrell
