// The process-wide table that turns 32-bit handles into sessions.
#include "exports/HandleTable.h"

#include <limits>
#include <stdexcept>

namespace nuv {

int32_t THandleTable::Add(std::shared_ptr<TZpSessionSlot> slot) {
    std::lock_guard<std::mutex> guard(lock_);
    if (slots_.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max() - 1)) {
        throw std::runtime_error("no free handle");
    }
    while (slots_.count(next_) != 0)
        next_ = next_ == std::numeric_limits<int32_t>::max() ? 1 : next_ + 1;
    int32_t handle = next_;
    next_ = next_ == std::numeric_limits<int32_t>::max() ? 1 : next_ + 1;
    slots_.emplace(handle, std::move(slot));
    return handle;
}

std::shared_ptr<TZpSessionSlot> THandleTable::Find(int32_t handle) const {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = slots_.find(handle);
    return it == slots_.end() ? nullptr : it->second;
}

std::shared_ptr<TZpSessionSlot> THandleTable::Remove(int32_t handle) {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = slots_.find(handle);
    if (it == slots_.end()) return nullptr;
    auto slot = std::move(it->second);
    slots_.erase(it);
    return slot;
}

namespace {
// Plain data: still readable after the table itself is destroyed.
bool g_tableGone = false;
}  // namespace

THandleTable::~THandleTable() {
    g_tableGone = true;
    std::lock_guard<std::mutex> guard(lock_);
    for (auto& [handle, slot] : slots_) {
        std::lock_guard<std::mutex> call(slot->CallLock);
        if (slot->Port) slot->Port->CloseQuietly();
    }
}

THandleTable* THandleTable::Instance() {
    static THandleTable table;
    return g_tableGone ? nullptr : &table;
}

}  // namespace nuv
