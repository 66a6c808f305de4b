// The refusal answer and the account check of the fixed-layout account commands.
#include "AccountRequest.h"

#include <string>
#include <utility>

namespace nuvsim {

Reply AccountRefusal(std::string_view utf8Remark, std::string outcome) {
    return {std::string(1, kAccountRefused) + Gbk(utf8Remark), std::move(outcome)};
}

std::optional<Account> RequestAccount(const Exchange& exchange, std::size_t minSize,
                                      Reply& refusal) {
    const std::string_view body = exchange.Record.Body;
    if (body.size() < minSize) {
        refusal = AccountRefusal("请求格式错误", "short request");
        return std::nullopt;
    }
    if (GetInt32(body, 0) != exchange.Session.EnterpriseId) {
        refusal = AccountRefusal("企业ID不符", "wrong enterprise id");
        return std::nullopt;
    }
    std::optional<Account> account = exchange.Accounts.FindAccount(exchange.Session.User);
    // The account may have been removed since the login.
    if (!account) refusal = AccountRefusal("无此用户", "no such user");
    return account;
}

}  // namespace nuvsim
