// Finding and reading windows of other processes: selectors over the visible
// top-level windows, control texts (read with WM_GETTEXT under a timeout),
// buttons, the default button and the kind of a message box's icon.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace vantrell::robot {

// Every field that is set must match; an empty selector matches nothing.
struct WindowSelector {
  std::wstring title;          // exact
  std::wstring titleContains;  // substring
  std::wstring className;      // exact, case-insensitive
  std::wstring withControl;    // class of a visible descendant, case-insensitive
  DWORD pid = 0;
  HWND hwnd = nullptr;

  bool Empty() const;
  bool Matches(HWND window) const;
};

std::vector<HWND> VisibleTopLevelWindows();
HWND FindWindowBy(const WindowSelector& selector);  // nullptr when none matches

std::wstring WindowText(HWND window);
std::wstring ClassOf(HWND window);
DWORD ProcessOf(HWND window);
std::vector<HWND> Children(HWND window);  // all descendants, in Z order

bool IsClass(HWND window, std::wstring_view name);
bool IsTextStatic(HWND control);
bool IsButton(HWND control);

// "&Next >" -> "Next >"; "&&" stays one "&".
std::wstring StripAccelerators(std::wstring_view text);

HWND FindButton(HWND window, std::wstring_view text);  // text compared without accelerators
HWND DefaultButton(HWND window);                       // nullptr when there is none

// "error", "warning", "information", "question", "none" or "other"; *method tells
// how a stock icon was recognised: "handle", "image" or "" when it was not.
std::string IconKind(HWND window, std::string* method);

std::string FormatHwnd(HWND window);  // "0x0001002a"

}  // namespace vantrell::robot
