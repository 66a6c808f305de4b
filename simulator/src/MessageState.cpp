// The gateway's mass-send side of its state: refusal rules and the record of messages.
#include "State.h"

namespace nuvsim {

SendRules State::TakeSendRules() {
    std::lock_guard lock(mutex_);
    SendRules rules = sendRules_;
    rules.RefuseWhole = refuseSends_ != 0;
    if (refuseSends_ > 0) --refuseSends_;
    return rules;
}

void State::RecordMessage(RecordedMessage message) {
    std::function<void(const RecordedMessage&)> observer;
    {
        std::lock_guard lock(mutex_);
        observer = messageObserver_;
        messages_.push_back(std::move(message));
        if (observer) message = messages_.back();
    }
    changed_.notify_all();
    if (observer) {
        std::lock_guard lock(observerMutex_);
        observer(message);
    }
}

void State::RefuseSends(int count) {
    std::lock_guard lock(mutex_);
    refuseSends_ = count;
}

void State::RefuseSendsWith(const std::string& number) {
    std::lock_guard lock(mutex_);
    sendRules_.RefusingNumbers.push_back(TrimPadding(number));
}

void State::RefuseNumber(const std::string& number, std::uint8_t result) {
    std::lock_guard lock(mutex_);
    sendRules_.RefusedNumbers.insert_or_assign(TrimPadding(number), result);
}

void State::RejectContent(const std::string& text) {
    std::lock_guard lock(mutex_);
    sendRules_.RejectedContent.push_back(text);
}

void State::ClearSendRules() {
    std::lock_guard lock(mutex_);
    refuseSends_ = 0;
    sendRules_ = SendRules{};
}

std::vector<RecordedMessage> State::Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

void State::ClearMessages() {
    std::lock_guard lock(mutex_);
    messages_.clear();
}

bool State::WaitForMessages(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return messages_.size() >= count; });
}

void State::SetMessageObserver(std::function<void(const RecordedMessage&)> observer) {
    std::lock_guard lock(mutex_);
    messageObserver_ = std::move(observer);
}

}  // namespace nuvsim
