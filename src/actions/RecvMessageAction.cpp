// Fetches received messages.
#include "actions/RecvMessageAction.h"

#include "support/Text.h"

namespace nuv {

void TZpRecvMessageAction::SetDefaults() {
    TZpExtendServiceAction::SetDefaults();
    Name = NUV_GBK("接收短信");
    ServiceName = "RecvMessageEx";
}

}  // namespace nuv
