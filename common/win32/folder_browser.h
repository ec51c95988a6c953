// The folder selection dialog of the shell, in its newer style and limited
// to file-system folders, owned by a window of the setup.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace vantrell {

// The chosen folder, or nullopt when the user cancelled. `start` (when not
// empty and present) is selected when the dialog opens; `title` (when not
// empty) is the text above the tree.
std::optional<std::string> BrowseForFolder(HWND owner, const std::string& start = {},
                                           const std::string& title = {});

}  // namespace vantrell
