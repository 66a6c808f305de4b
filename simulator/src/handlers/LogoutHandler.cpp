// Logout (code 7): ends the login; the connection stays open for the client to close.
#include "Handlers.h"

namespace nuvsim {

Reply HandleLogout(Exchange& exchange) {
    const bool wasLoggedIn = exchange.Session.LoggedIn;
    exchange.Session = SessionState{};
    return {{}, wasLoggedIn ? "ok" : "ok (was not logged in)"};
}

}  // namespace nuvsim
