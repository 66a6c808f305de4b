// The content check command: the server checks a text against its content rules.
#pragma once

#include "actions/Action.h"

namespace nuv {

//   request (4 + L bytes)          answer
//   0  4  L, the text's length     0  1  result: 0 acceptable, 1 refused (others: no verdict)
//   4  L  the text, no terminator  1  .. the server's remark
class TZpCheckContentAction : public TZpAction {
  public:
    using TZpAction::TZpAction;
    void SetDefaults() override;
    void EncodeRequest() override;
    void DecodeAnswer() override;

    std::string Content;
};

}  // namespace nuv
