// The network session's life cycle.
#include "net/Net.h"

namespace nuv {

// The base destructor can no longer reach this class's Disconnect, so the connection is closed
// here.
TZpNetPort::~TZpNetPort() {
    DisconnectIfConnected();
}

}  // namespace nuv
