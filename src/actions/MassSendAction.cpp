// The mass send command, and the local rule for recipient numbers.
#include "actions/MassSendAction.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

#include "platform/Platform.h"
#include "session/Content.h"
#include "support/StatuCode.h"

namespace nuv {
namespace {

constexpr uint16_t kFlagScheduled = 1;
constexpr uint16_t kFlagSeveralSegments = 2;
constexpr uint16_t kFlagExtraNumber = 4;

// Days from 1601-01-01 to 1899-12-30, and 100-ns ticks per day, second and millisecond.
constexpr int64_t kDaysFrom1601 = 109205;
constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kTicksPerMillisecond = 10000;
constexpr int64_t kTicksPerDay = 86400 * kTicksPerSecond;

// Segment lengths the profile stands for when it gives none.
constexpr int32_t kDefaultMobileLength = 60;
constexpr int32_t kDefaultUnicomLength = 70;
constexpr int32_t kDefaultPhsLength = 45;

const std::string& ZeroPadding() {
    static const std::string zeros(TZpMassSendAction::kFirstSegmentWidth, '\0');
    return zeros;
}

// Whether every character of the text, and of the short name when it is used, is one GBK byte.
bool IsSingleByte(std::u16string_view content, const TZpClient& client) {
    if (platform::Utf16ToGbk(content).size() != content.size()) return false;
    return !client.UseShortName ||
           platform::GbkToUtf16(client.ShortName).size() == client.ShortName.size();
}

int32_t Doubled(int32_t length, bool twice) {
    const int64_t value = twice ? int64_t{length} * 2 : length;
    return static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

}  // namespace

std::string DigitsOnly(std::string_view text) {
    std::string digits;
    for (char c : text)
        if (c >= '0' && c <= '9') digits.push_back(c);
    return digits;
}

bool IsValidNumber(std::string_view text) {
    // The same rule as on DigitsOnly(text), without building the digit text.
    size_t count = 0;
    char first = 0, second = 0;
    for (char c : text) {
        if (c < '0' || c > '9') continue;
        if (count == 0) first = c;
        if (count == 1) second = c;
        if (++count > 12) return false;
    }
    if (count < 11) return false;
    if (first == '0') return true;
    return count == 11 && first == '1' && (second == '3' || second == '5' || second == '8');
}

void TZpMassSendAction::SetDefaults() {
    CommandCode = 6;
    Name = NUV_GBK("群发短信");
    Description = NUV_GBK("群发信息");
    MessageType = kDefaultMessageType;
    SendTime = Now();
}

uint16_t TZpMassSendAction::Flags(bool scheduled, size_t segmentCount, bool hasExtra) {
    uint16_t flags = 0;
    if (scheduled) flags |= kFlagScheduled;
    if (segmentCount >= 2) flags |= kFlagSeveralSegments;
    if (hasExtra) flags |= kFlagExtraNumber;
    return flags;
}

int64_t TZpMassSendAction::FileTimeTicks(TDateTime value) {
    const platform::CalendarTime t = DecodeDateTime(value);
    const auto days = static_cast<int64_t>(
        std::llround(EncodeDateTime(platform::CalendarTime{t.Year, t.Month, t.Day, 0, 0, 0, 0})));
    const int64_t seconds = (int64_t{t.Hour} * 60 + t.Minute) * 60 + t.Second;
    return (days + kDaysFrom1601) * kTicksPerDay + seconds * kTicksPerSecond +
           int64_t{t.Millisecond} * kTicksPerMillisecond;
}

void TZpMassSendAction::PrepareContent(std::u16string_view content, TZpCarrier carrier,
                                       bool doubleWidth) {
    Content = content;
    int32_t length = 0, fallback = 0;
    bool share = false, doubles = true;
    switch (carrier) {
        case CarrierMobile:
            length = Client.MobileLength, fallback = kDefaultMobileLength;
            share = Client.SharedShortName;
            break;
        case CarrierUnicom:
            length = Client.UnicomLength, fallback = kDefaultUnicomLength;
            share = Client.UnicomSharedShortName;
            break;
        case CarrierPhs:
            length = Client.PhsLength, fallback = kDefaultPhsLength;
            share = Client.PhsSharedShortName, doubles = false;
            break;
        default:
            return;
    }
    const bool twice = doubles && doubleWidth && IsSingleByte(content, Client);
    int32_t maxLength = Doubled(length, twice);
    // Before the profile is read (lengths 0), or with a length that leaves no room for text, the
    // class's usual length applies; a short name too long even for that is left out.
    if (maxLength <= SegmentAllowance(Client, share)) maxLength = Doubled(fallback, twice);
    if (maxLength <= SegmentAllowance(Client, share)) share = false;
    SplitContent(Client, Content, Segments, share, maxLength);
}

size_t TZpMassSendAction::NumberCapacity(size_t maxBody) const {
    size_t used = kFixedSize;
    for (size_t i = 1; i < Segments.size(); ++i) used += 4 + Segments[i].size();
    if (used >= maxBody) return 0;
    const size_t entries = (maxBody - used) / kEntryWidth;
    const size_t extra = ExtraNumber.empty() ? 0 : 1;
    return entries > extra ? entries - extra : 0;
}

void TZpMassSendAction::EncodeRequest() {
    FailedNumbers.clear();
    ValidNumbers.clear();
    RefusalCodes.clear();
    ValidNumbers.reserve(Numbers.size());
    for (const std::string& number : Numbers)
        (IsValidNumber(number) ? ValidNumbers : FailedNumbers).push_back(number);

    const bool hasExtra = !ExtraNumber.empty();
    const size_t entries = ValidNumbers.size() + (hasExtra ? 1 : 0);
    size_t further = 0;
    for (size_t i = 1; i < Segments.size(); ++i) further += 4 + Segments[i].size();
    Request.Reserve(kFixedSize + entries * kEntryWidth + further);

    auto writeFixed = [this](std::string_view text, size_t width) {
        text = text.substr(0, std::min(text.size(), width));
        WriteString(text);
        WriteString(std::string_view(ZeroPadding()).substr(0, width - text.size()));
    };
    WriteInt32(MessageType);
    WriteInt16(static_cast<int16_t>(Flags(Scheduled, Segments.size(), hasExtra)));
    WriteInt16(static_cast<int16_t>(Segments.empty() ? 0 : Segments.size() - 1));
    WriteInt64(FileTimeTicks(SendTime));
    WriteInt32(0);
    writeFixed(Segments.empty() ? std::string_view() : Segments.front(), kFirstSegmentWidth);
    WriteInt32(static_cast<int32_t>(entries));
    for (const std::string& number : ValidNumbers) writeFixed(number, kEntryWidth);
    if (hasExtra) writeFixed(ExtraNumber, kEntryWidth);
    for (size_t i = 1; i < Segments.size(); ++i) {
        WriteInt32(static_cast<int32_t>(Segments[i].size()));
        WriteString(Segments[i]);
    }
}

void TZpMassSendAction::DecodeAnswer() {
    // An answer without even its result byte confirms nothing.
    if (Answer.Remaining() == 0) {
        StatusCode = kStatusUnspecified;
        StatusText = ::nuv::StatusText(kStatusUnspecified);
        return;
    }
    const uint8_t result = ReadByte();
    if (result == 0) {
        StatusCode = kStatusOk;
        StatusText = NUV_GBK("群发短信成功");
        return;
    }
    if (result == 1) {
        StatusCode = kStatusSendRefused;
        StatusText = ::nuv::StatusText(kStatusSendRefused);
        FailedNumbers.insert(FailedNumbers.end(), Numbers.begin(), Numbers.end());
        return;
    }
    StatusCode = kStatusPartlyRefused;
    StatusText = ::nuv::StatusText(kStatusPartlyRefused);
    Skip(4);
    const int32_t count = ReadInt32();
    // The count is the server's word; only entries that are really there are read, and only
    // entries this command sent are taken, each once: the caller sizes the fail buffer by the
    // numbers it gave, so an answer must not be able to make the list longer.
    std::unordered_map<std::string, int> sent;
    for (const auto& number : ValidNumbers)
        ++sent[std::string(TrimControl(PadText(number, '\0', kEntryWidth)))];
    if (!ExtraNumber.empty())
        ++sent[std::string(TrimControl(PadText(ExtraNumber, '\0', kEntryWidth)))];
    int32_t lastCode = 0;
    std::string lastText = GetStatusInfo(CommandCode, 0, lastCode);
    for (int32_t i = 0; i < count && Answer.Remaining() > 0; ++i) {
        std::string number(TrimControl(ReadString(kEntryWidth)));
        lastText = GetStatusInfo(CommandCode, ReadByte(), lastCode);
        auto it = sent.find(number);
        if (it == sent.end() || it->second == 0) continue;
        --it->second;
        FailedNumbers.push_back(std::move(number));
        RefusalCodes.push_back(lastCode);
    }
    // A single recipient gets the precise reason instead of the general one.
    if (Numbers.size() == 1 && count > 0) {
        StatusCode = lastCode;
        StatusText = lastText;
    }
}

}  // namespace nuv
