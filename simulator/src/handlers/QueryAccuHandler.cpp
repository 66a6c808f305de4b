// Balance query (code 5): the account's points left.
#include "AccountRequest.h"

namespace nuvsim {
namespace {

//   request: enterprise id(4) client type(1)
//   answer:  0, enterprise id(4), then for client type 'C' (67) a legacy figure (always 0) and
//            the balance, for any other type the balance alone; a refusal is 1 and a remark
constexpr std::size_t kRequestSize = 5;
constexpr std::uint8_t kTwoBalanceType = 'C';

}  // namespace

Reply HandleQueryAccu(Exchange& exchange) {
    Reply refusal;
    const std::optional<Account> account = RequestAccount(exchange, kRequestSize, refusal);
    if (!account) return refusal;
    std::string body(1, kAccountOk);
    PutInt32(body, account->EnterpriseId);
    if (GetByte(exchange.Record.Body, 4) == kTwoBalanceType) PutInt32(body, 0);
    PutInt32(body, account->Balance.value_or(0));
    return {std::move(body), "balance " + std::to_string(account->Balance.value_or(0))};
}

}  // namespace nuvsim
