// What the fixed-layout account commands share: their refusal answer and the account check.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "Handlers.h"

namespace nuvsim {

// Result byte of an accepted account request, and of a refused one.
inline constexpr char kAccountOk = 0;
inline constexpr char kAccountRefused = 1;

// A refusal: result byte 1, then the remark (GBK).
Reply AccountRefusal(std::string_view utf8Remark, std::string outcome);

// The logged-in account a request of at least MinSize bytes, starting with an enterprise id,
// speaks for; empty with the refusal set when the body is short, the enterprise id is not the
// session's, or the account is gone.
std::optional<Account> RequestAccount(const Exchange& exchange, std::size_t minSize,
                                      Reply& refusal);

}  // namespace nuvsim
