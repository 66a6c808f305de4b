// Charge calculation (code 1): says whether the balance covers a count; charges nothing.
#include "AccountRequest.h"

namespace nuvsim {
namespace {

//   request: enterprise id(4) count(4)
//   answer:  0, the balance(4), 1 when it covers the count else 0; a refusal is 1 and a remark
constexpr std::size_t kRequestSize = 8;

}  // namespace

Reply HandleCalcCharge(Exchange& exchange) {
    Reply refusal;
    const std::optional<Account> account = RequestAccount(exchange, kRequestSize, refusal);
    if (!account) return refusal;
    const std::int32_t count = GetInt32(exchange.Record.Body, 4);
    const std::int32_t balance = account->Balance.value_or(0);
    const bool covered = balance >= count;
    std::string body(1, kAccountOk);
    PutInt32(body, balance);
    body.push_back(covered ? 1 : 0);
    return {std::move(body), covered ? "covered" : "not covered"};
}

}  // namespace nuvsim
