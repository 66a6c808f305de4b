// Password change (code 4): checks the current password and stores the new one for later logins.
#include "AccountRequest.h"

namespace nuvsim {
namespace {

//   request: enterprise id(4) client type(8) current password(12) new password(12), zero-padded
//   answer:  result(1: 0 changed, 1 refused) then the remark
constexpr std::size_t kRequestSize = 36;
constexpr std::size_t kPasswordWidth = 12;

}  // namespace

Reply HandleModifyPwd(Exchange& exchange) {
    Reply refusal;
    const std::optional<Account> account = RequestAccount(exchange, kRequestSize, refusal);
    if (!account) return refusal;
    const std::string_view body = exchange.Record.Body;
    const std::string current = TrimPadding(Field(body, 12, kPasswordWidth));
    std::string next = TrimPadding(Field(body, 24, kPasswordWidth));
    // As at login, a password longer than the field matches on its first 12 bytes.
    if (current != TrimPadding(PadText(account->Password, kPasswordWidth, ' '))) {
        return AccountRefusal("原密码错误", "wrong current password");
    }
    if (next.empty()) return AccountRefusal("新密码不能为空", "empty new password");
    if (!exchange.Accounts.ChangePassword(exchange.Session.User, std::move(next))) {
        return AccountRefusal("无此用户", "no such user");
    }
    return {std::string(1, kAccountOk) + Gbk("密码修改成功"), "changed"};
}

}  // namespace nuvsim
