// The network session: the device class the library creates for every handle.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "actions/Action.h"
#include "platform/Platform.h"
#include "session/Device.h"

namespace nuv {

class TZpNetPort : public TZpDevice {
  public:
    using TNotifyEvent = std::function<void(TZpNetPort* sender)>;

    TZpNetPort() = default;
    ~TZpNetPort() override;

    // Runs the command's EncodeRequest and frames the body into a packet stamped with the local
    // time. A body too large for the 16-bit length field is refused: the command's status is set
    // and false returned.
    bool PackRequest(TZpAction& action, std::string& packet);
    // Checks a received block (header first), unscrambles its body into the command's Answer and
    // lets the command decode it; a bad checksum or length sets the command's status instead.
    void UnpackAnswer(TZpAction& action, std::string_view block);

    void SetLastSentData(std::string data) { LastSentData = std::move(data); }
    void SetLastReceivedData(std::string data) { LastReceivedData = std::move(data); }

    platform::SocketHandle Socket = platform::kNoSocket;
    TNotifyEvent OnDisconnect;
    TNotifyEvent OnConnect;
    std::string LastSentData;
    std::string LastReceivedData;
};

}  // namespace nuv
