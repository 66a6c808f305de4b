// Accounts from text: the accounts file, the --account option and the demo account.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "nuvsim/Gateway.h"

namespace nuvsim {

// The account served when none is configured: demo / demo123, enterprise 1001, "NUV演示".
Account DemoAccount();

struct AccountsParse {
    std::vector<Account> Accounts;
    std::string Error;  // empty on success, else "line N: reason"
};

// Reads the accounts file format (UTF-8 text; every text becomes GBK):
//
//   # comment                          blank lines and lines starting with # are skipped
//   USER PASSWORD [ENTERPRISE_ID [SHORT NAME...]]
//     Key=Value                        indented lines: the profile of the account above
//
// An account with profile lines answers exactly those lines; one without gets DefaultProfile().
AccountsParse ParseAccounts(std::string_view utf8Text);

// Reads "USER:PASSWORD[:ENTERPRISE_ID[:SHORT_NAME]]" (UTF-8); Error set on failure.
AccountsParse ParseAccountOption(std::string_view utf8Option);

}  // namespace nuvsim
