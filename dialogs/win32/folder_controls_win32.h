// The folder controls' windows: file and directory list boxes, drive and
// filter combo boxes, and the shell's tree, list and combo, filled from the
// file system and the shell's namespace. Each window keeps its own state
// (its folder, the paths and shell items behind its entries) until it is
// destroyed. Paths are in the system code page.
#pragma once

#include <windows.h>

#include <string>

#include "dialogs/form_runtime.h"

namespace vantrell {

// The classes filled here.
bool IsFolderClass(const FormControl& control);
// Fills a newly created window of a folder class: drives, filter names, the
// shell tree's desktop; file, directory and shell lists and the shell combo
// show the current directory.
void AttachFolderControl(HWND window, const FormControl& control);
// Moves the control to an existing path (a file list box lists a file's
// folder and selects the file; a drive box selects the path's drive).
void ShowFolderIn(HWND window, const std::string& path);
// The selected file or shell item with its folder, the folder shown by a
// directory list, shell tree or combo, the drive box's root ("d:\");
// empty when there is none.
std::string FolderPathOf(HWND window);
// A command (LBN_*, CBN_*) or notification (WM_NOTIFY) that the control
// sent its parent: true when the user moved the control to a new place.
bool FolderCommand(HWND window, UINT code);
bool FolderNotify(HWND window, const NMHDR& header);

}  // namespace vantrell
