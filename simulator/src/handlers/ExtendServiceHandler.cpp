// Text service channel (code 9): the account profile, the server state, and refusals.
#include "Handlers.h"

namespace nuvsim {
namespace {

// A success is "+OK" and 4 more bytes, then the payload.
std::string ServiceSuccess(std::string_view payload) {
    std::string text = "+OK\r\n\r\n";
    text += payload;
    return text;
}

std::string JoinProfile(const Profile& profile) {
    std::string text;
    for (const auto& [name, value] : profile) {
        if (!text.empty()) text += "\r\n";
        text += name + "=" + value;
    }
    return text;
}

Reply SwapUserInfo(Exchange& exchange) {
    const std::optional<Account> account = exchange.Accounts.FindAccount(exchange.Session.User);
    // The account may have been removed since the login.
    if (!account) return {ServiceFailure(Gbk("无此用户")), "no such user"};
    return {ServiceSuccess(JoinProfile(account->ProfileValues)), "ok"};
}

Reply QueryServerState(Exchange& exchange) {
    const std::string level = std::to_string(exchange.Accounts.BusyLevel());
    return {ServiceSuccess(Gbk("繁忙等级=") + level), "ok"};
}

}  // namespace

Reply HandleExtendService(Exchange& exchange) {
    const std::string& name = exchange.Record.Service->Name;
    if (name == "SwapUserInfo") return SwapUserInfo(exchange);
    if (name == "QueryServerState") return QueryServerState(exchange);
    return {ServiceFailure(Gbk("不支持的服务: ") + name), "unknown service"};
}

}  // namespace nuvsim
