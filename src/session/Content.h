// Cutting a message text into numbered segments that fit one short message each.
#pragma once

#include <cstdint>
#include <string_view>

#include "session/Client.h"
#include "support/Text.h"

namespace nuv {

// The characters each segment reserves for its suffix "(i)" and, when the short name is shared
// and used, for the short name and ":" the gateway puts in front.
int32_t SegmentAllowance(const TZpClient& client, bool shareShortName);

// Fills Segments (cleared first) with Text cut into pieces of MaxLength minus the allowance
// UTF-16 units, each converted to GBK and followed by "(i)"; a text that fits stays one segment
// without a suffix. Without a usable piece length the text stays whole, so Segments is never
// empty.
void SplitContent(const TZpClient& client, std::u16string_view text, TZpStrings& segments,
                  bool shareShortName, int32_t maxLength);

}  // namespace nuv
