// Per-account state that requests change: password, balance, received messages; and the
// content rules.
#include <algorithm>
#include <charconv>

#include "State.h"
#include "nuvsim/Text.h"

namespace nuvsim {
namespace {

// The key of the account map: what survives a login's 12 space-padded bytes.
std::string AccountKey(std::string_view user) {
    return TrimPadding(PadText(user, 12, ' '));
}

}  // namespace

std::int32_t ProfileBalance(const Profile& profile) {
    static const std::string key = Utf8ToGbk("剩余点数").value_or(std::string());
    const auto found = std::find_if(profile.begin(), profile.end(),
                                    [](const auto& entry) { return entry.first == key; });
    if (found == profile.end()) return 0;
    const std::string& text = found->second;
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

bool State::ChangePassword(std::string_view user, std::string password) {
    std::lock_guard lock(mutex_);
    const auto found = accounts_.find(AccountKey(user));
    if (found == accounts_.end()) return false;
    found->second.Password = std::move(password);
    return true;
}

bool State::Charge(std::string_view user, std::int32_t points) {
    std::lock_guard lock(mutex_);
    const auto found = accounts_.find(AccountKey(user));
    if (found == accounts_.end() || points < 0) return false;
    std::int32_t& balance = found->second.Balance.emplace(found->second.Balance.value_or(0));
    if (balance < points) return false;
    balance -= points;
    return true;
}

std::vector<std::string> State::TakeReceived(std::string_view user, std::size_t max) {
    std::lock_guard lock(mutex_);
    std::vector<std::string> taken;
    const auto found = received_.find(AccountKey(user));
    if (found == received_.end()) return taken;
    std::deque<std::string>& queue = found->second;
    while (!queue.empty() && taken.size() < max) {
        taken.push_back(std::move(queue.front()));
        queue.pop_front();
    }
    return taken;
}

std::vector<std::string> State::ForbiddenWords() const {
    std::lock_guard lock(mutex_);
    return forbiddenWords_;
}

bool State::SetBalance(std::string_view user, std::int32_t balance) {
    std::lock_guard lock(mutex_);
    const auto found = accounts_.find(AccountKey(user));
    if (found == accounts_.end()) return false;
    found->second.Balance = balance;
    return true;
}

void State::QueueReceived(std::string_view user, std::string text) {
    std::lock_guard lock(mutex_);
    received_[AccountKey(user)].push_back(std::move(text));
}

std::size_t State::QueuedReceived(std::string_view user) const {
    std::lock_guard lock(mutex_);
    const auto found = received_.find(AccountKey(user));
    return found == received_.end() ? 0 : found->second.size();
}

void State::SetForbiddenWords(std::vector<std::string> words) {
    std::lock_guard lock(mutex_);
    // An empty word would be found in every text.
    words.erase(std::remove(words.begin(), words.end(), std::string()), words.end());
    forbiddenWords_ = std::move(words);
}

}  // namespace nuvsim
