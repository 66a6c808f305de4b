// The process-wide table that turns 32-bit handles into sessions.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "net/Net.h"

namespace nuv {

// A session and the lock that keeps it to one call at a time.
struct TZpSessionSlot {
    std::mutex CallLock;
    std::unique_ptr<TZpNetPort> Port;
};

// Handles are positive, distinct while alive, never -1. A lookup hands out a shared reference, so
// closing a handle never frees a session that another thread is still inside.
class THandleTable {
  public:
    int32_t Add(std::shared_ptr<TZpSessionSlot> slot);
    std::shared_ptr<TZpSessionSlot> Find(int32_t handle) const;
    std::shared_ptr<TZpSessionSlot> Remove(int32_t handle);

    // The process's table; null once it has been torn down while the library unloads or the
    // process ends, so that late calls (from a host's own static destructors) get -1.
    static THandleTable* Instance();

    THandleTable() = default;
    // Closes the connections of the handles still open, without logging: nobody can read the
    // logs any more, and the fixed texts may already be gone.
    ~THandleTable();

  private:
    mutable std::mutex lock_;
    std::unordered_map<int32_t, std::shared_ptr<TZpSessionSlot>> slots_;
    int32_t next_ = 1;
};

}  // namespace nuv
