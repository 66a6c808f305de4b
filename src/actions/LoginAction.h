// The login command: account name and password out, enterprise data back.
#pragma once

#include "actions/Action.h"

namespace nuv {

//   request (37 bytes)                      answer
//   0  12  user name, space-padded          0   1  result: 0 no user, 1 ok, 2 wrong password
//   12 12  password, space-padded           1   4  enterprise id
//   24 1   client type                      5   20 short name        } only on success
//   25 4   client code                      25  30 aux host[:port]   }
//   29 4   version major                    55  30 aux text 1        }
//   33 4   version minor                    85  30 aux text 2        }
//                                           115 (5 on failure) .. end: the server's remark
class TZpLoginAction : public TZpAction {
  public:
    using TZpAction::TZpAction;
    static constexpr int kNameWidth = 12;
    void SetDefaults() override;
    void EncodeRequest() override;
    void DecodeAnswer() override;
};

// Splits an auxiliary address "host:port" into its parts; the port is 21 without a colon or
// when it is not a number.
void SplitAuxAddress(const std::string& text, std::string& host, int32_t& port);

}  // namespace nuv
