// Login (code 0): checks user and password and answers the session data of the account.
#include "Handlers.h"

namespace nuvsim {
namespace {

// Result bytes of the login answer.
constexpr char kNoSuchUser = 0;
constexpr char kSuccess = 1;
constexpr char kWrongPassword = 2;

// Answer layout: result(1) enterprise id(4) then, only on success, short name(20)
// aux server(30) aux text 1(30) aux text 2(30); the remark text fills the rest.
std::string SuccessBody(const Account& account) {
    std::string body(1, kSuccess);
    PutInt32(body, account.EnterpriseId);
    body += PadText(account.ShortName, 20, '\0');
    body += PadText(account.AuxServer, 30, '\0');
    body += PadText(account.AuxText1, 30, '\0');
    body += PadText(account.AuxText2, 30, '\0');
    body += Gbk("欢迎使用NUV网关模拟器");
    return body;
}

std::string RefusalBody(char result, std::int32_t enterpriseId, std::string_view remark) {
    std::string body(1, result);
    PutInt32(body, enterpriseId);
    body += remark;
    return body;
}

}  // namespace

Reply HandleLogin(Exchange& exchange) {
    const LoginFields& login = *exchange.Record.Login;
    SessionState& session = exchange.Session;
    // Any login attempt ends the previous login of this connection.
    session = SessionState{};
    const std::optional<Account> account = exchange.Accounts.FindAccount(login.User);
    if (!account) {
        return {RefusalBody(kNoSuchUser, 0, Gbk("无此用户")), "no such user"};
    }
    // The login carries at most 12 bytes, so a longer password matches on its first 12.
    if (TrimPadding(PadText(account->Password, 12, ' ')) != login.Password) {
        return {RefusalBody(kWrongPassword, account->EnterpriseId, Gbk("密码错误")),
                "wrong password"};
    }
    session = SessionState{true, login.User, account->EnterpriseId};
    return {SuccessBody(*account), "success"};
}

}  // namespace nuvsim
