// The access token of the running thread (or of the process when the thread
// does not impersonate) and the account it belongs to.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace vantrell {

// A token opened for queries, or null; the caller closes it.
HANDLE OpenQueryToken();

// One class of the token's information, or empty when it cannot be read.
std::vector<BYTE> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS cls);

struct AccountName {
  std::string domain;
  std::string name;
};

// The account of the token's user, looked up on this computer.
std::optional<AccountName> ProcessUserAccount();

}  // namespace vantrell
