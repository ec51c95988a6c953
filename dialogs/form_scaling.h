// Scaling of a form designed at one resolution (its PixelsPerInch) for a
// monitor of another: positions, sizes and font heights are multiplied by
// dpi / designed with the rounding of the platform's MulDiv. A control's right
// and bottom edges are scaled like its left and top, and its size is taken
// between them, so that controls that touch at design time still touch.
#pragma once

#include <cstdint>

namespace vantrell {

class Form;
class FormControl;

// number * numerator / denominator rounded to the nearest integer, halves away
// from zero; -1 when denominator is 0 or the result does not fit in 32 bits.
int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator);

struct Bounds {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const Bounds&) const = default;
};

struct Scale {
  int32_t designed = 96;  // the form's PixelsPerInch
  int32_t dpi = 96;       // the monitor's

  Bounds Apply(const Bounds& b) const;
  int32_t Apply(int32_t length) const { return MulDiv(length, dpi, designed); }
};

// The scale to show a form at dpi: none (dpi / dpi) when the form is not
// Scaled.
Scale FormScale(const Form& form, int32_t dpi);

// A control's bounds as designed (Left, Top, Width, Height, relative to its
// parent's client area); the form's are 0, 0, ClientWidth, ClientHeight.
Bounds DesignBounds(const FormControl& control);

}  // namespace vantrell
