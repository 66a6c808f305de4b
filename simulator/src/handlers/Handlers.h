// One handler per command code: each turns a decoded request into an answer body.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "State.h"
#include "nuvsim/Gateway.h"

namespace nuvsim {

// What one connection knows about its client.
struct SessionState {
    bool LoggedIn = false;
    std::string User;
    std::int32_t EnterpriseId = 0;
};

// The request being served, with its record (decoded fields already filled in) and session.
struct Exchange {
    RecordedRequest& Record;
    SessionState& Session;
    Directory& Accounts;
};

struct Reply {
    std::string Body;
    std::string Outcome;
};

// Decodes the fields the record shows for Code (login and service requests), then picks the
// handler; a session that has not logged in gets NotLoggedIn for all but login and logout.
Reply Dispatch(Exchange& exchange);

Reply HandleLogin(Exchange& exchange);
Reply HandleKeepAlive(Exchange& exchange);
Reply HandleLogout(Exchange& exchange);
Reply HandleExtendService(Exchange& exchange);
Reply HandleMassSend(Exchange& exchange);
Reply HandleModifyPwd(Exchange& exchange);
Reply HandleQueryAccu(Exchange& exchange);
Reply HandleCalcCharge(Exchange& exchange);
Reply HandleCheckContent(Exchange& exchange);
Reply HandleUnhandled(Exchange& exchange);
Reply HandleNotLoggedIn(Exchange& exchange);

// Fixed Chinese texts are written in UTF-8 here and reach the wire as GBK through this one call.
std::string Gbk(std::string_view utf8);

// Failure text of the service channel: a 10-byte prefix, then the message (from the 11th byte).
std::string ServiceFailure(std::string_view gbkMessage);

}  // namespace nuvsim
