// The charge calculation command: does the balance cover a given count?
#pragma once

#include "actions/Action.h"

namespace nuv {

//   request (8 bytes)          answer
//   0  4  enterprise id        0  1  result: 0 answered, anything else refused
//   4  4  count                on answer:  1 4 not used; 5 1 1 = the balance suffices
//                              on refusal: 1 .. the server's remark
class TZpCalcChargeAction : public TZpAction {
  public:
    using TZpAction::TZpAction;
    void SetDefaults() override;
    void EncodeRequest() override;
    void DecodeAnswer() override;

    int32_t ChargeCount = 0;
};

}  // namespace nuv
