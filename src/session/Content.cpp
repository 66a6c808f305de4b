// Cutting a message text into numbered segments.
#include "session/Content.h"

#include <string>

#include "platform/Platform.h"

namespace nuv {

int32_t SegmentAllowance(const TZpClient& client, bool shareShortName) {
    constexpr int32_t kSuffix = 3;  // "(1)"
    if (!shareShortName || !client.UseShortName) return kSuffix;
    const auto nameLength = static_cast<int32_t>(platform::GbkToUtf16(client.ShortName).size());
    return nameLength + 1 + kSuffix;  // name, ":", "(1)"
}

void SplitContent(const TZpClient& client, std::u16string_view text, TZpStrings& segments,
                  bool shareShortName, int32_t maxLength) {
    segments.clear();
    const int64_t piece =
        static_cast<int64_t>(maxLength) - SegmentAllowance(client, shareShortName);
    const auto n = static_cast<int64_t>(text.size());
    if (piece <= 0 || n <= piece + 3) {
        segments.push_back(platform::Utf16ToGbk(text));
        return;
    }
    const int64_t count = (piece + n - 1) / piece;
    segments.reserve(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i) {
        std::string segment = platform::Utf16ToGbk(
            text.substr(static_cast<size_t>(i * piece), static_cast<size_t>(piece)));
        segment += '(' + std::to_string(i + 1) + ')';
        segments.push_back(std::move(segment));
    }
}

}  // namespace nuv
