// The window of the dialog shown at this moment, as a number so that the
// portable core can pass it on: the owner of the message boxes, browsers and
// installer windows that statements open. Zero while no dialog is shown.
#pragma once

#include <cstdint>

namespace vantrell {

inline uintptr_t& ShownWindowSlot() {
  static uintptr_t window = 0;
  return window;
}

inline uintptr_t ShownWindow() {
  return ShownWindowSlot();
}

inline void SetShownWindow(uintptr_t window) {
  ShownWindowSlot() = window;
}

}  // namespace vantrell
