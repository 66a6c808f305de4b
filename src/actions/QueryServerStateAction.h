// Reads the server's busy level.
#pragma once

#include "actions/ExtendServiceAction.h"

namespace nuv {

class TZpQueryServerStateAction : public TZpExtendServiceAction {
  public:
    using TZpExtendServiceAction::TZpExtendServiceAction;
    void SetDefaults() override;
    void DecodeAnswer() override;

    int32_t BusyLevel = 0;  // -1 when an answer gives none
};

}  // namespace nuv
