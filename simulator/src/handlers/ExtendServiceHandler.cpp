// Text service channel (code 9): the account profile, the server state, received messages, and
// refusals.
#include <charconv>
#include <limits>

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

// Received messages: each queued text followed by CR LF, oldest first, removed once handed out.
// An argument that is a decimal number limits how many are handed out; any other gets all.
Reply RecvMessage(Exchange& exchange) {
    const std::string& args = exchange.Record.Service->Args;
    std::size_t limit = std::numeric_limits<std::size_t>::max();
    std::size_t number = 0;
    const auto [end, error] = std::from_chars(args.data(), args.data() + args.size(), number);
    if (!args.empty() && error == std::errc() && end == args.data() + args.size()) limit = number;
    const std::vector<std::string> messages =
        exchange.Accounts.TakeReceived(exchange.Session.User, limit);
    std::string payload;
    for (const std::string& message : messages) payload += message + "\r\n";
    return {ServiceSuccess(payload), std::to_string(messages.size()) + " messages"};
}

}  // namespace

Reply HandleExtendService(Exchange& exchange) {
    const std::string& name = exchange.Record.Service->Name;
    if (name == "SwapUserInfo") return SwapUserInfo(exchange);
    if (name == "QueryServerState") return QueryServerState(exchange);
    if (name == "RecvMessageEx") return RecvMessage(exchange);
    return {ServiceFailure(Gbk("不支持的服务: ") + name), "unknown service"};
}

}  // namespace nuvsim
