// Fetches received messages; the arguments and the reply pass through unparsed.
#pragma once

#include "actions/ExtendServiceAction.h"

namespace nuv {

class TZpRecvMessageAction : public TZpExtendServiceAction {
  public:
    using TZpExtendServiceAction::TZpExtendServiceAction;
    void SetDefaults() override;
};

}  // namespace nuv
