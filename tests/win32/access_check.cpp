// Reads security back for the Wine tests of the share and access-control
// statements (tests/wine/t_access.sh), and calls the share functions of the
// Windows adapter directly to show what the platform answers.
//   access_check dacl KIND NAME    the DACL of the named object (KIND as the
//                                  platform numbers it: 1 file, 4 registry
//                                  key): "none", or one line per entry
//                                  "SID MASK FLAGS" (hexadecimal mask)
//   access_check user              the engine user's SID text
//   access_check account NAME      the SID text of an account name
//   access_check share-add NAME PATH / share-find NAME / share-del NAME
//                                  the platform's code (and the share type)
#include <windows.h>

#include <cstdio>
#include <string>

#include "system/access_list.h"
#include "system/win32/security_platform_win32.h"

namespace {

std::string Text(const std::optional<std::string>& sid) {
  return sid ? vantrell::SidToText(*sid) : "none";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string what = argv[1];
  vantrell::Win32SecurityPlatform platform;
  if (what == "dacl" && argc == 4) {
    const auto kind = static_cast<vantrell::SecuredObjectKind>(std::stoul(argv[2]));
    const vantrell::DaclRead read = platform.ReadDacl(kind, argv[3]);
    if (read.code != 0) {
      std::printf("error %u\n", read.code);
      return 1;
    }
    if (!read.acl) {
      std::printf("none\n");
      return 0;
    }
    const auto list = vantrell::AccessList::Parse(*read.acl);
    if (!list) return 1;
    if (list->Count() == 0) std::printf("empty\n");
    for (const std::string& entry : list->Entries()) {
      const auto sid = vantrell::AccessList::EntrySid(entry);
      std::printf("%s %X %u\n", sid ? vantrell::SidToText(*sid).c_str() : "?",
                  vantrell::AccessList::EntryMask(entry), vantrell::AccessList::EntryFlags(entry));
    }
    return 0;
  }
  if (what == "user") {
    std::printf("%s\n", Text(platform.ProcessUserSid()).c_str());
    return 0;
  }
  if (what == "account" && argc == 3) {
    std::printf("%s\n", Text(platform.AccountSid(argv[2])).c_str());
    return 0;
  }
  if (what == "share-add" && argc == 4) {
    std::printf("%u\n", platform.AddDiskShare(vantrell::DiskShare{"", argv[2], "remark", argv[3]}));
    return 0;
  }
  if (what == "share-find" && argc == 3) {
    const vantrell::ShareLookup found = platform.FindShare("", argv[2]);
    std::printf("%u %u\n", found.code, found.type);
    return 0;
  }
  if (what == "share-del" && argc == 3) {
    std::printf("%u\n", platform.DeleteShare("", argv[2]));
    return 0;
  }
  return 2;
}
