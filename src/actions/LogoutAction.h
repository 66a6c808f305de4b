// The logout command: an empty request; any answer counts as success.
#pragma once

#include "actions/Action.h"

namespace nuv {

class TZpLogoutAction : public TZpAction {
  public:
    using TZpAction::TZpAction;
    void SetDefaults() override;
    void DecodeAnswer() override;
};

}  // namespace nuv
