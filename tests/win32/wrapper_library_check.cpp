// Calls every export of a wrapper library through the engine's loader and
// prints one line per export: "Name=value", or "Name=missing" when the
// loader finds no such export (or no library). Run by
// tests/wine/t_web_server.sh on the engine's wrapper library and on a
// library without the exports. Usage: wrapper_library_check LIBRARY
#include <cstdio>
#include <optional>
#include <string>

#include "system/win32/web_server_win32.h"

namespace {

template <typename T>
std::string Text(const std::optional<T>& value) {
  if (!value) return "missing";
  if constexpr (std::is_same_v<T, std::string>) {
    return *value;
  } else if constexpr (std::is_same_v<T, bool>) {
    return *value ? "TRUE" : "FALSE";
  } else {
    return std::to_string(*value);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: wrapper_library_check LIBRARY\n", stderr);
    return 2;
  }
  const std::string library = argv[1];
  vantrell::Win32AdminLibrary calls;
  vantrell::WrapperSite site{"Shop", "3", "", "www", "8080", "443", 120};
  vantrell::WrapperFolder folder{"app", 3, "C:\\www\\app"};
  auto line = [](const char* name, const std::string& value) {
    std::printf("%s=%s\n", name, value.c_str());
  };
  line("CreateIISSite", calls.CreateIISSite(library, site) ? "called" : "missing");
  line("CreateIISSiteFolder", Text(calls.CreateIISSiteFolder(library, folder)));
  line("DeleteIISSiteFolder", Text(calls.DeleteIISSiteFolder(library, 3, "app")));
  line("DeleteIISSite", Text(calls.DeleteIISSite(library, 3)));
  line("ControlIISSite", Text(calls.ControlIISSite(library, 3, 0)));
  line("GetIISSiteList", Text(calls.GetIISSiteList(library)));
  line("GetIISSiteIndex", Text(calls.GetIISSiteIndex(library, "Shop")));
  line("GetIISProperty", Text(calls.GetIISProperty(library, 3, "", "name")));
  line("SetIISProperty", Text(calls.SetIISProperty(library, 3, "", "name", "Shop")));
  line("GetIISAnonUser", Text(calls.GetIISAnonUser(library)));
  line("GetIISUniqueAccountID", Text(calls.GetIISUniqueAccountID(library)));
  line("GetIISSiteState", Text(calls.GetIISSiteState(library, 3)));
  return 0;
}
