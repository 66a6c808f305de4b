// The text service channel: a named service with an argument text, answered by "+OK" and data.
#pragma once

#include "actions/Action.h"

namespace nuv {

//   request: ServiceName CR LF CR LF ServiceArgs (no length, no terminator)
//   answer:  "+OK" + 4 bytes + data on success; otherwise a text whose message starts at byte 11
class TZpExtendServiceAction : public TZpAction {
  public:
    using TZpAction::TZpAction;
    static constexpr size_t kDataOffset = 7;
    static constexpr size_t kFailureMessageOffset = 10;

    void SetDefaults() override;
    void EncodeRequest() override;
    void DecodeAnswer() override;

    std::string ServiceName;
    std::string ServiceArgs;
    std::string Reply;
};

// The value of the first Name=Value line whose name equals `key` (ASCII letters compared without
// case, no trimming); lines end at CR LF, CR or LF, and a zero byte ends the text. Empty when no
// line has the key.
std::string LookupValue(std::string_view text, std::string_view key);

}  // namespace nuv
