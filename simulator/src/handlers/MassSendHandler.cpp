// Mass send (code 6): checks the request's layout, records the message and answers by the rules.
#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>

#include "Handlers.h"

namespace nuvsim {
namespace {

//   request                                      answer
//   0    4   message type                        0  1   0 all taken, 1 all refused, 2 some refused
//   4    2   flags: 1 scheduled, 2 several       1  4   (some refused) 0
//            segments, 4 extra number            5  4   (some refused) M
//   6    2   further segments                    9  16*M number (15, zero-padded), result byte
//   8    8   send time, 100-ns ticks since 1601
//   16   4   reserved, 0
//   20   140 first segment, zero-padded
//   160  4   N entries
//   164  15*N entries: recipients, then the extra number
//   ...      per further segment: int32 length, bytes
constexpr std::size_t kFirstSegment = 20;
constexpr std::size_t kFirstSegmentWidth = 140;
constexpr std::size_t kEntryCount = 160;
constexpr std::size_t kEntries = 164;
constexpr std::size_t kEntryWidth = 15;
constexpr unsigned kScheduled = 1, kSeveralSegments = 2, kExtraNumber = 4;

constexpr std::uint8_t kAllTaken = 0, kAllRefused = 1, kSomeRefused = 2;
constexpr std::uint8_t kNoBalance = 5, kIllegalContent = 10;

unsigned GetUInt16(std::string_view body, std::size_t offset) {
    return GetByte(body, offset) | (GetByte(body, offset + 1) << 8);
}

std::int64_t GetInt64(std::string_view body, std::size_t offset) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8; ++i)
        value |= static_cast<std::uint64_t>(GetByte(body, offset + i)) << (8 * i);
    return static_cast<std::int64_t>(value);
}

std::string WithoutZeros(std::string_view text) {
    while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
    return std::string(text);
}

// "YYYY-MM-DD hh:mm:ss.mmm" of a tick count, read as calendar fields (no time zone).
std::string TicksText(std::int64_t ticks) {
    if (ticks < 0) return "before 1601";
    const std::int64_t ms = ticks / 10000;
    std::int64_t z = ms / 86400000 - 134774 + 719468;  // days since 0000-03-01
    const std::int64_t era = z / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yoe + era * 400 + (month <= 2);
    const std::int64_t inDay = ms % 86400000;
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld.%03lld",
                  static_cast<long long>(year), static_cast<long long>(month),
                  static_cast<long long>(day), static_cast<long long>(inDay / 3600000),
                  static_cast<long long>(inDay / 60000 % 60),
                  static_cast<long long>(inDay / 1000 % 60), static_cast<long long>(inDay % 1000));
    return text;
}

// Reads the request into Message; the reason when its layout does not hold together.
std::optional<std::string> Parse(std::string_view body, RecordedMessage& message) {
    if (body.size() < kEntries) {
        return "body of " + std::to_string(body.size()) + " bytes, at least 164 needed";
    }
    message.MessageType = GetInt32(body, 0);
    const unsigned flags = GetUInt16(body, 4);
    const unsigned further = GetUInt16(body, 6);
    message.SendTimeTicks = GetInt64(body, 8);
    message.SendTime = TicksText(message.SendTimeTicks);
    message.Scheduled = (flags & kScheduled) != 0;
    if ((flags & ~(kScheduled | kSeveralSegments | kExtraNumber)) != 0) return "unknown flags";
    if (((flags & kSeveralSegments) != 0) != (further > 0)) {
        return "flag 2 disagrees with " + std::to_string(further) + " further segments";
    }
    if (GetInt32(body, 16) != 0) return "reserved field not 0";
    message.Segments.push_back(WithoutZeros(Field(body, kFirstSegment, kFirstSegmentWidth)));

    const std::int32_t count = GetInt32(body, kEntryCount);
    const bool hasExtra = (flags & kExtraNumber) != 0;
    if (count < (hasExtra ? 1 : 0)) return "entry count " + std::to_string(count);
    const std::size_t entries = static_cast<std::size_t>(count);
    if (entries > (body.size() - kEntries) / kEntryWidth) {
        return std::to_string(entries) + " entries run past the body";
    }
    message.Recipients.reserve(entries);
    for (std::size_t i = 0; i < entries; ++i)
        message.Recipients.push_back(
            TrimPadding(Field(body, kEntries + i * kEntryWidth, kEntryWidth)));
    if (hasExtra) {
        message.ExtraNumber = std::move(message.Recipients.back());
        message.Recipients.pop_back();
    }

    std::size_t position = kEntries + entries * kEntryWidth;
    for (unsigned i = 0; i < further; ++i) {
        if (body.size() - position < 4) return "segment " + std::to_string(i + 2) + " missing";
        const std::int32_t length = GetInt32(body, position);
        position += 4;
        if (length < 0 || static_cast<std::size_t>(length) > body.size() - position) {
            return "segment " + std::to_string(i + 2) + " length " + std::to_string(length);
        }
        message.Segments.emplace_back(body.substr(position, static_cast<std::size_t>(length)));
        position += static_cast<std::size_t>(length);
    }
    if (position != body.size()) {
        return std::to_string(body.size() - position) + " bytes after the last segment";
    }
    return std::nullopt;
}

bool HasRejectedContent(const RecordedMessage& message, const SendRules& rules) {
    for (const std::string& text : rules.RejectedContent)
        for (const std::string& segment : message.Segments)
            if (segment.find(text) != std::string::npos) return true;
    return false;
}

// A rule that refuses this send whole.
bool RefusesWhole(const RecordedMessage& message, const SendRules& rules) {
    if (rules.RefuseWhole) return true;
    for (const std::string& number : rules.RefusingNumbers)
        if (std::find(message.Recipients.begin(), message.Recipients.end(), number) !=
            message.Recipients.end())
            return true;
    return false;
}

// Decides every recipient's fate: content rules refuse all, number rules some, and what is left
// must be paid for (recipients x segments).
void Decide(Exchange& exchange, const SendRules& rules, RecordedMessage& message) {
    if (RefusesWhole(message, rules)) {
        message.Result = kAllRefused;
        return;
    }
    const bool badContent = HasRejectedContent(message, rules);
    std::vector<std::size_t> taken;
    for (std::size_t i = 0; i < message.Recipients.size(); ++i) {
        const std::string& number = message.Recipients[i];
        const auto rule = rules.RefusedNumbers.find(number);
        if (badContent) {
            message.Refused.emplace_back(number, kIllegalContent);
        } else if (rule != rules.RefusedNumbers.end()) {
            message.Refused.emplace_back(number, rule->second);
        } else {
            taken.push_back(i);
        }
    }
    const std::int64_t points = static_cast<std::int64_t>(taken.size()) *
                                static_cast<std::int64_t>(message.Segments.size());
    const auto charge = static_cast<std::int32_t>(
        std::min<std::int64_t>(points, std::numeric_limits<std::int32_t>::max()));
    if (!taken.empty() && !exchange.Accounts.Charge(exchange.Session.User, charge)) {
        for (std::size_t i : taken) message.Refused.emplace_back(message.Recipients[i], kNoBalance);
    }
    message.Result = message.Refused.empty() ? kAllTaken : kSomeRefused;
}

std::string AnswerBody(const RecordedMessage& message) {
    std::string body(1, static_cast<char>(message.Result));
    if (message.Result != kSomeRefused) return body;
    PutInt32(body, 0);
    PutInt32(body, static_cast<std::int32_t>(message.Refused.size()));
    body.reserve(body.size() + message.Refused.size() * (kEntryWidth + 1));
    for (const auto& [number, result] : message.Refused) {
        body += PadText(number, kEntryWidth, '\0');
        body += static_cast<char>(result);
    }
    return body;
}

std::string Outcome(const RecordedMessage& message) {
    const std::size_t total = message.Recipients.size();
    switch (message.Result) {
        case kAllTaken:
            return "accepted " + std::to_string(total);
        case kAllRefused:
            return "refused whole";
        default:
            return "refused " + std::to_string(message.Refused.size()) + " of " +
                   std::to_string(total);
    }
}

}  // namespace

Reply HandleMassSend(Exchange& exchange) {
    RecordedMessage message;
    message.ConnectionId = exchange.Record.ConnectionId;
    message.User = exchange.Session.User;
    if (const std::optional<std::string> error = Parse(exchange.Record.Body, message)) {
        return {std::string(1, static_cast<char>(kAllRefused)), "malformed: " + *error};
    }
    Decide(exchange, exchange.Accounts.TakeSendRules(), message);
    Reply reply{AnswerBody(message), Outcome(message)};
    exchange.Accounts.RecordMessage(std::move(message));
    return reply;
}

}  // namespace nuvsim
