// Token queries (see process_token.h).
#include "common/win32/process_token.h"

#include "common/win32/handle.h"

namespace vantrell {

HANDLE OpenQueryToken() {
  HANDLE token = nullptr;
  if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) return token;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return token;
  return nullptr;
}

std::vector<BYTE> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS cls) {
  DWORD size = 0;
  GetTokenInformation(token, cls, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token, cls, buffer.data(), size, &size)) return {};
  return buffer;
}

std::optional<AccountName> ProcessUserAccount() {
  FileHandle token(OpenQueryToken());
  if (!token.Valid()) return std::nullopt;
  std::vector<BYTE> buffer = TokenInformation(token.Get(), TokenUser);
  if (buffer.empty()) return std::nullopt;
  PSID sid = reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid;
  char name[256] = {};
  char domain[256] = {};
  DWORD nameSize = sizeof(name);
  DWORD domainSize = sizeof(domain);
  SID_NAME_USE use = SidTypeUnknown;
  if (!LookupAccountSidA(nullptr, sid, name, &nameSize, domain, &domainSize, &use))
    return std::nullopt;
  return AccountName{domain, name};
}

}  // namespace vantrell
