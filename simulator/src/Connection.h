// Serves one client connection: reads packets, answers them, applies injected faults.
#pragma once

#include <cstdint>

#include "Socket.h"
#include "State.h"

namespace nuvsim {

// Runs until the client closes, a packet is refused, a fault closes it, a time-out or Stop.
void ServeConnection(UniqueFd socket, std::uint64_t id, State& state, int stopFd,
                     const GatewayOptions& options);

}  // namespace nuvsim
