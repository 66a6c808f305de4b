// Reads the account profile into the client record.
#pragma once

#include "actions/ExtendServiceAction.h"

namespace nuv {

class TZpSwapUserInfoAction : public TZpExtendServiceAction {
  public:
    using TZpExtendServiceAction::TZpExtendServiceAction;
    void SetDefaults() override;
    void DecodeAnswer() override;

    std::string Profile;
};

// Stores the profile values of a Name=Value text into the client record; every field is written,
// a missing key giving its default.
void ApplyProfile(TZpClient& client, std::string_view profile);

}  // namespace nuv
