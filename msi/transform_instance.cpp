// "Transform Instance" (contract in transform_instance.h).
#include "msi/transform_instance.h"

#include <mutex>
#include <random>

#include "msi/install_statements.h"
#include "msi/package_edits.h"
#include "script/run_identity.h"

namespace vantrell {

std::string NewGuid() {
  static std::mutex mutex;
  static std::mt19937_64 generator{std::random_device{}()};
  std::lock_guard lock(mutex);
  const uint64_t high = generator();
  const uint64_t low = generator();
  uint8_t tail[8];
  for (int i = 0; i < 8; ++i) tail[i] = static_cast<uint8_t>(low >> (8 * i));
  tail[0] = static_cast<uint8_t>((tail[0] & 0x3F) | 0x80);                     // the variant
  const auto data3 = static_cast<uint16_t>(((high >> 48) & 0x0FFF) | 0x4000);  // version 4
  return FormatGuid(static_cast<uint32_t>(high), static_cast<uint16_t>(high >> 32), data3, tail);
}

void ExecuteTransformInstance(StatementContext& statement, bool patchPresent,
                              const std::function<void()>& rebootstrap) {
  if (!TextToBool(statement.vars.GetVariable("NEWINSTANCE"))) return;
  if (patchPresent) return;  // a patch keeps the product's identity
  RunIdentity& run = CurrentRun();
  run.productCode = NewGuid();
  run.revisionCode = NewGuid();
  RequestNewInstance(run.productCode, run.revisionCode);
  if (rebootstrap) rebootstrap();
}

}  // namespace vantrell
