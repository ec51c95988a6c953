// Rules for archive entry names before anything is written: a name must stay inside the
// destination on every system the archive may be extracted on.
#pragma once

#include <string>

namespace zeb {

// True when name is a relative path of plain segments separated by '/' or '\': no root,
// drive, colon, '..' or dot-only segment, no device name (CON, NUL, COM1...), no
// control or wildcard characters. A single trailing separator is tolerated.
bool IsSafeEntryName(const std::u16string& name);

// Name with '\' turned into '/' and a trailing separator removed.
std::u16string NormalizeEntryName(const std::u16string& name);

}  // namespace zeb
