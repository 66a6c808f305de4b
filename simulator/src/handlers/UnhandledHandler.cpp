// Answers for commands the gateway does not serve yet and for sessions without a login.
#include "Handlers.h"

namespace nuvsim {
namespace {

// A single 0xFF byte is a refusal in every fixed-layout answer a client reads.
const std::string kRefusalByte(1, '\xFF');

}  // namespace

Reply HandleUnhandled(Exchange&) {
    return {kRefusalByte, "unhandled command"};
}

Reply HandleNotLoggedIn(Exchange& exchange) {
    if (exchange.Record.CommandCode == command::kExtendService) {
        return {ServiceFailure(Gbk("未登录")), "not logged in"};
    }
    return {kRefusalByte, "not logged in"};
}

}  // namespace nuvsim
