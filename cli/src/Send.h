// Sending one message to many numbers through the mass-send exports, in chunks.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "Session.h"

namespace nuvcli {

// What to send; texts are GBK.
struct SendRequest {
    std::string Text;
    std::optional<std::string> At;     // send time text (ZpMassSendAtTime...)
    std::optional<std::string> Extra;  // extra number (ZpMassSendEx...)
    std::optional<int32_t> Type;       // message type (ZpMultiSend)
};

struct SendOutcome {
    int32_t Status = 0;
    std::vector<std::string> Accepted;  // UTF-8
    std::vector<std::string> Refused;   // UTF-8, each number once
};

// One mass-send call for Numbers (GBK), with the export that Request's options select.
SendOutcome SendChunk(const Session& session, const SendRequest& request,
                      const std::vector<std::string>& numbers);

// Sends to Numbers in calls of at most Chunk numbers and prints the status lines and lists to
// Out; returns the exit code. A status other than a partial refusal stops the run.
int SendInChunks(const Session& session, const SendRequest& request,
                 const std::vector<std::string>& numbers, std::size_t chunk, std::ostream& out);

}  // namespace nuvcli
