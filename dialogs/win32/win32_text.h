// Text and file helpers of the dialog windows: the engine's texts are in the
// system code page unless a caller says otherwise, and support files are read
// whole, up to a size that no page of ours reaches.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace vantrell {

std::wstring Widen(std::string_view text, UINT codePage = CP_ACP);
std::string Narrow(std::wstring_view text, UINT codePage = CP_ACP);

// The file's bytes; nullopt when it cannot be read or is larger than mostBytes.
std::optional<std::string> ReadFileBytes(const std::string& path, LONGLONG mostBytes);

}  // namespace vantrell
