// Routes each request to the handler of its command code.
#include <utility>

#include "Handlers.h"
#include "nuvsim/Text.h"

namespace nuvsim {
namespace {

void DecodeLogin(RecordedRequest& record) {
    const std::string_view body = record.Body;
    LoginFields login;
    login.User = TrimPadding(Field(body, 0, 12));
    login.Password = TrimPadding(Field(body, 12, 12));
    login.ClientType = GetByte(body, 24);
    login.ClientCode = GetInt32(body, 25);
    login.VersionMajor = GetInt32(body, 29);
    login.VersionMinor = GetInt32(body, 33);
    record.Login = std::move(login);
}

void DecodeService(RecordedRequest& record) {
    static constexpr std::string_view kSeparator = "\r\n\r\n";
    const std::string_view body = record.Body;
    const std::size_t split = body.find(kSeparator);
    ServiceFields service;
    service.Name = body.substr(0, split);
    if (split != std::string_view::npos) service.Args = body.substr(split + kSeparator.size());
    record.Service = std::move(service);
}

bool ServedBeforeLogin(std::uint8_t code) {
    return code == command::kLogin || code == command::kLogout;
}

}  // namespace

Reply Dispatch(Exchange& exchange) {
    const std::uint8_t code = exchange.Record.CommandCode;
    if (code == command::kLogin) DecodeLogin(exchange.Record);
    if (code == command::kExtendService) DecodeService(exchange.Record);
    if (!exchange.Session.LoggedIn && !ServedBeforeLogin(code)) return HandleNotLoggedIn(exchange);
    switch (code) {
        case command::kLogin:
            return HandleLogin(exchange);
        case command::kKeepAlive:
            return HandleKeepAlive(exchange);
        case command::kLogout:
            return HandleLogout(exchange);
        case command::kExtendService:
            return HandleExtendService(exchange);
        case command::kMassSend:
            return HandleMassSend(exchange);
        case command::kModifyPwd:
            return HandleModifyPwd(exchange);
        case command::kQueryAccu:
            return HandleQueryAccu(exchange);
        case command::kCalcCharge:
            return HandleCalcCharge(exchange);
        case command::kCheckContent:
            return HandleCheckContent(exchange);
        default:
            return HandleUnhandled(exchange);
    }
}

std::string Gbk(std::string_view utf8) {
    // The texts passed here are fixed literals that all have a GBK form.
    return Utf8ToGbk(utf8).value_or(std::string(utf8));
}

std::string ServiceFailure(std::string_view gbkMessage) {
    std::string text = "-ERR\r\n\r\n\r\n";
    text += gbkMessage;
    return text;
}

std::string CommandName(std::uint8_t code) {
    switch (code) {
        case command::kLogin:
            return "login";
        case command::kCalcCharge:
            return "calc-charge";
        case command::kKeepAlive:
            return "keep-alive";
        case command::kModifyPwd:
            return "modify-password";
        case command::kQueryAccu:
            return "query-account";
        case command::kMassSend:
            return "mass-send";
        case command::kLogout:
            return "logout";
        case command::kCheckContent:
            return "check-content";
        case command::kExtendService:
            return "extend-service";
        default:
            return "code " + std::to_string(code);
    }
}

}  // namespace nuvsim
