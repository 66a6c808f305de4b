// The mass send command: one message text to a group of recipients of one carrier class.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "actions/Action.h"
#include "net/Carrier.h"
#include "support/Text.h"

namespace nuv {

//   request                                               answer
//   0    4   message type                                 0  1   0 all accepted, 1 all refused,
//   4    2   flags: 1 scheduled, 2 several segments,                other: some refused
//            4 extra number                               1  4   (some refused) not used
//   6    2   further segments (segment count - 1)         5  4   (some refused) M
//   8    8   send time, 100-ns ticks since 1601-01-01     9  16*M (some refused) per entry:
//            from the local calendar fields                       number (15), result byte (1)
//   16   4   reserved, 0
//   20   140 first segment, zero-padded
//   160  4   N: valid numbers (+1 with an extra number)
//   164  15*N entries, zero-padded: valid numbers as written, then the extra number
//   ...      per further segment: int32 byte length, then its bytes
class TZpMassSendAction : public TZpAction {
  public:
    using TZpAction::TZpAction;

    static constexpr int32_t kDefaultMessageType = 101;
    static constexpr size_t kFirstSegmentWidth = 140;
    static constexpr size_t kEntryWidth = 15;
    static constexpr size_t kFixedSize = 20 + kFirstSegmentWidth + 4;  // up to the first entry

    void SetDefaults() override;
    void EncodeRequest() override;
    void DecodeAnswer() override;

    // Stores Content and cuts it into Segments by the carrier's length and short-name setting;
    // with DoubleWidth a single-byte text of class 0 or 1 gets twice the length.
    void PrepareContent(std::u16string_view content, TZpCarrier carrier, bool doubleWidth);

    // How many valid numbers fit beside the current segments and extra number in a body of at
    // most maxBody bytes; 0 when not even one does.
    size_t NumberCapacity(size_t maxBody) const;

    // The flags field of a request.
    static uint16_t Flags(bool scheduled, size_t segmentCount, bool hasExtra);
    // Calendar fields of a local date-time as 100-ns ticks since 1601-01-01 00:00:00.
    static int64_t FileTimeTicks(TDateTime value);

    TZpStrings Segments;
    int32_t MessageType = kDefaultMessageType;
    TDateTime SendTime = 0;
    TZpStrings Numbers;
    TZpStrings ValidNumbers;
    bool Scheduled = false;
    TZpStrings FailedNumbers;
    std::u16string Content;
    std::string ExtraNumber;
    // The server's reason for each number it refused, in the order they were added to
    // FailedNumbers by the answer.
    std::vector<int32_t> RefusalCodes;
};

// The digit bytes 0-9 of a text, in order.
std::string DigitsOnly(std::string_view text);
// 11 or 12 digits with a leading 0, or 11 digits beginning 13, 15 or 18.
bool IsValidNumber(std::string_view text);

}  // namespace nuv
