// The reading order of the engine's windows in the current setup language:
// message boxes of a right-to-left language read and align from the right.
#pragma once

#include <windows.h>

#include "lang/language_table.h"
#include "lang/translations.h"

namespace vantrell {

inline bool RightToLeftNow() {
  return IsRightToLeftLanguage(Translations().Current());
}

// A message box style with the reading order of the current language.
inline UINT MessageBoxReadingOrder(UINT style) {
  return RightToLeftNow() ? style | MB_RTLREADING | MB_RIGHT : style;
}

}  // namespace vantrell
