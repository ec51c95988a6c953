// Scaling arithmetic of forms (form_scaling.h).
#include "dialogs/form_scaling.h"

#include <cstdlib>

#include "dialogs/form_runtime.h"

namespace vantrell {

int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator) {
  if (denominator == 0) return -1;
  int64_t product = static_cast<int64_t>(number) * numerator;
  bool negative = (product < 0) != (denominator < 0);
  uint64_t magnitude = static_cast<uint64_t>(std::llabs(product));
  uint64_t divisor = static_cast<uint64_t>(std::llabs(static_cast<int64_t>(denominator)));
  uint64_t quotient = (magnitude + divisor / 2) / divisor;
  if (quotient > (negative ? 0x80000000ULL : 0x7FFFFFFFULL)) return -1;
  return negative ? static_cast<int32_t>(-static_cast<int64_t>(quotient))
                  : static_cast<int32_t>(quotient);
}

Bounds Scale::Apply(const Bounds& b) const {
  Bounds s;
  s.left = Apply(b.left);
  s.top = Apply(b.top);
  s.width = Apply(b.left + b.width) - s.left;
  s.height = Apply(b.top + b.height) - s.top;
  return s;
}

Scale FormScale(const Form& form, int32_t dpi) {
  if (!form.Root().Truth("Scaled")) return {dpi, dpi};
  return {form.DesignPixelsPerInch(), dpi};
}

Bounds DesignBounds(const FormControl& control) {
  auto get = [&](const char* name) { return static_cast<int32_t>(control.Integer(name)); };
  if (control.Parent() == nullptr) {
    // The form: its client area, from ClientWidth/ClientHeight when the file
    // gives them, else from the outer size.
    bool client = control.IsStored("ClientWidth") || !control.IsStored("Width");
    return {0, 0, client ? get("ClientWidth") : get("Width"),
            client ? get("ClientHeight") : get("Height")};
  }
  return {get("Left"), get("Top"), get("Width"), get("Height")};
}

}  // namespace vantrell
