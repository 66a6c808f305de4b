// Shared plumbing of the exported functions: argument texts, handle lookup, the -1 rule.
#pragma once

#include <cstdint>
#include <string>

#include "exports/HandleTable.h"

namespace nuv::exports {

// A zero-terminated argument text; null reads as empty.
inline std::string Arg(const char* text) {
    return text ? std::string(text) : std::string();
}

// Runs `body` on the handle's session, one call at a time; an unknown handle or anything thrown
// gives -1.
template <class Body>
int32_t WithSession(int32_t handle, Body&& body) noexcept {
    try {
        THandleTable* table = THandleTable::Instance();
        auto slot = table ? table->Find(handle) : nullptr;
        if (!slot) return -1;
        std::lock_guard<std::mutex> guard(slot->CallLock);
        if (!slot->Port) return -1;
        return body(*slot->Port);
    } catch (...) {
        return -1;
    }
}

}  // namespace nuv::exports
