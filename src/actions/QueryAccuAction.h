// The balance query command: the account's balance into the client record.
#pragma once

#include "actions/Action.h"

namespace nuv {

//   request (5 bytes)          answer
//   0  4  enterprise id        0  1  result: 0 success, anything else refused
//   4  1  client type          on success:  1 4 not interpreted; 5 4 balance;
//                                           9 4 balance for client type 67, replacing the one
//                                           before
//                              on refusal:  1 .. the server's remark
class TZpQueryAccuAction : public TZpAction {
  public:
    using TZpAction::TZpAction;
    static constexpr char kTwoBalanceType = 'C';  // 67: this client type gets a second balance

    void SetDefaults() override;
    void EncodeRequest() override;
    void DecodeAnswer() override;
};

}  // namespace nuv
