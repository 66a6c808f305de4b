// The send operations of the network session: single, scheduled, mass and multi sends.
#include <array>
#include <unordered_set>
#include <vector>

#include "actions/MassSendAction.h"
#include "net/Carrier.h"
#include "net/Net.h"
#include "net/Packet.h"
#include "support/StatuCode.h"

namespace nuv {
namespace {

constexpr int32_t kUnreadableTime = -91;
constexpr int32_t kWideMessageType = 808;

char FoldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Number texts compared with letter case ignored.
struct CaseHash {
    size_t operator()(std::string_view text) const {
        size_t hash = 14695981039346656037ull;
        for (char c : text)
            hash = (hash ^ static_cast<unsigned char>(FoldCase(c))) * 1099511628211ull;
        return hash;
    }
};
struct CaseEqual {
    bool operator()(std::string_view a, std::string_view b) const {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (FoldCase(a[i]) != FoldCase(b[i])) return false;
        return true;
    }
};

// The non-empty lines of a recipient text (lines end at CR LF, LF or CR), as views into it.
std::vector<std::string_view> Recipients(std::string_view text) {
    std::vector<std::string_view> lines;
    lines.reserve(text.size() / 12 + 1);  // about one line per 11-digit number and its break
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
        if (i > start) lines.push_back(text.substr(start, i - start));
        if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    return lines;
}

// Moves numbers from Next on into the command until Capacity valid ones are in; returns where
// the next command starts. Invalid numbers take no room in the packet and go with the command
// they come up in. Without any room at all everything goes into one command, which the codec
// then refuses as too long.
size_t TakeChunk(const std::vector<std::string_view>& numbers, size_t next, size_t capacity,
                 TZpStrings& into) {
    const size_t end = numbers.size();
    if (capacity == 0) capacity = end;
    into.reserve(std::min(end - next, capacity));
    for (size_t valid = 0; next < end; ++next) {
        if (IsValidNumber(numbers[next]) && valid++ == capacity) break;
        into.emplace_back(numbers[next]);
    }
    return next;
}

// The command's numbers that are not among its failed ones.
void AppendAccepted(const TZpMassSendAction& action, TZpStrings& list) {
    if (action.FailedNumbers.empty()) {
        list.insert(list.end(), action.Numbers.begin(), action.Numbers.end());
        return;
    }
    const std::unordered_set<std::string_view, CaseHash, CaseEqual> failed(
        action.FailedNumbers.begin(), action.FailedNumbers.end());
    for (const std::string& number : action.Numbers)
        if (failed.find(number) == failed.end()) list.push_back(number);
}

// One command for every line of Mobile, segmented for the class of the first; a scheduled send
// carries AtTime whatever it is.
int32_t SendOne(TZpNetPort& port, const std::string& mobile, const std::string& content,
                const TDateTime* atTime) {
    const std::vector<std::string_view> numbers = Recipients(mobile);
    const TZpCarrier carrier = numbers.empty() ? CarrierOf(mobile) : CarrierOf(numbers.front());
    auto action = CreateAction<TZpMassSendAction>(port.GetClient());
    action->Numbers.assign(numbers.begin(), numbers.end());
    action->PrepareContent(platform::GbkToUtf16(content), carrier, false);
    if (atTime) {
        action->Scheduled = true;
        action->SendTime = *atTime;
    }
    return port.RunCommand(*action);
}

}  // namespace

bool TextToDateTime(std::string_view text, TDateTime& value) {
    platform::CalendarTime fields;
    if (!platform::ReadLocalDateTime(text, fields)) return false;
    value = EncodeDateTime(fields);
    return true;
}

int32_t TZpNetPort::SingleSend(const std::string& mobile, const std::string& content) {
    return SendOne(*this, mobile, content, nullptr);
}

int32_t TZpNetPort::SingleSendAtTime(const std::string& mobile, const std::string& content,
                                     TDateTime atTime) {
    return SendOne(*this, mobile, content, &atTime);
}

int32_t TZpNetPort::SendBatches(int32_t messageType, const std::string& mobiles,
                                const std::string& content, TZpStrings* successList,
                                TZpStrings* failList, const std::string& extraNumber,
                                TDateTime atTime, bool doubleWidth) {
    if (!GetConnected()) return kStatusNotConnected;
    const std::vector<std::string_view> recipients = Recipients(mobiles);
    std::array<std::vector<std::string_view>, 3> classes;
    for (auto& numbers : classes) numbers.reserve(recipients.size());
    for (std::string_view number : recipients) classes[CarrierOf(number)].push_back(number);
    if (successList) {
        successList->clear();
        successList->reserve(recipients.size());
    }
    if (failList) failList->clear();

    const std::u16string text = platform::GbkToUtf16(content);
    int32_t result = kStatusOk;
    for (TZpCarrier carrier : {CarrierMobile, CarrierUnicom, CarrierPhs}) {
        const std::vector<std::string_view>& numbers = classes[carrier];
        size_t next = 0;
        while (next < numbers.size() && GetConnected()) {
            auto action = CreateAction<TZpMassSendAction>(GetClient());
            action->MessageType = messageType;
            action->PrepareContent(text, carrier, doubleWidth);
            if (atTime != 0.0) {
                action->Scheduled = true;
                action->SendTime = atTime;
            }
            if (!extraNumber.empty()) action->ExtraNumber = extraNumber;
            // The packet's length field has 16 bits: a class too large for one packet goes out
            // in as many commands as it needs.
            next = TakeChunk(numbers, next, action->NumberCapacity(packet::kMaxBodySize),
                             action->Numbers);
            RunAction(*action);
            if (action->StatusCode != kStatusOk && result == kStatusOk) result = action->StatusCode;
            if (failList)
                failList->insert(failList->end(), action->FailedNumbers.begin(),
                                 action->FailedNumbers.end());
            if (successList) AppendAccepted(*action, *successList);
            TakeActionStatus(*action);
        }
    }
    return result == kStatusSendRefused ? kStatusPartlyRefused : result;
}

int32_t TZpNetPort::MassSend(const std::string& mobiles, const std::string& content,
                             TZpStrings* successList, TZpStrings* failList,
                             const TZpFinished& onFinished) {
    return MassSendAtTimeEx(std::string(), mobiles, 0.0, content, successList, failList,
                            onFinished);
}

int32_t TZpNetPort::MassSendEx(const std::string& extraNumber, const std::string& mobiles,
                               const std::string& content, TZpStrings* successList,
                               TZpStrings* failList, const TZpFinished& onFinished) {
    return MassSendAtTimeEx(extraNumber, mobiles, 0.0, content, successList, failList, onFinished);
}

int32_t TZpNetPort::MassSendAtTime(const std::string& mobiles, const std::string& content,
                                   TDateTime atTime, TZpStrings* successList, TZpStrings* failList,
                                   const TZpFinished& onFinished) {
    return MassSendAtTimeEx(std::string(), mobiles, atTime, content, successList, failList,
                            onFinished);
}

int32_t TZpNetPort::MassSendAtTimeEx(const std::string& extraNumber, const std::string& mobiles,
                                     TDateTime atTime, const std::string& content,
                                     TZpStrings* successList, TZpStrings* failList,
                                     const TZpFinished& onFinished) {
    const int32_t result = SendBatches(TZpMassSendAction::kDefaultMessageType, mobiles, content,
                                       successList, failList, extraNumber, atTime, false);
    if (onFinished) onFinished(nullptr);
    return result;
}

int32_t TZpNetPort::MultiSend(int32_t messageType, const std::string& timeText,
                              const std::string& extraNumber, const std::string& mobiles,
                              const std::string& content, TZpStrings* successList,
                              TZpStrings* failList, const TZpFinished& onFinished) {
    TDateTime atTime = 0.0;
    if (!timeText.empty() && !TextToDateTime(timeText, atTime)) return kUnreadableTime;
    const int32_t result = SendBatches(messageType, mobiles, content, successList, failList,
                                       extraNumber, atTime, messageType == kWideMessageType);
    if (onFinished) onFinished(nullptr);
    return result;
}

}  // namespace nuv
