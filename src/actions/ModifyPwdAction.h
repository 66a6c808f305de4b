// The password change command: the current and the new password out, a verdict back.
#pragma once

#include "actions/Action.h"

namespace nuv {

//   request (36 bytes)                           answer
//   0  4   enterprise id                         0  1  result: 0 changed, anything else refused
//   4  8   client type byte, zero-padded         1  .. the server's remark
//   12 12  current password, zero-padded
//   24 12  new password, zero-padded (cut at 12 bytes)
class TZpModifyPwdAction : public TZpAction {
  public:
    using TZpAction::TZpAction;
    static constexpr int kTypeWidth = 8;
    static constexpr int kPasswordWidth = 12;

    void SetDefaults() override;
    void EncodeRequest() override;
    void DecodeAnswer() override;

    std::string NewPassword;
};

}  // namespace nuv
