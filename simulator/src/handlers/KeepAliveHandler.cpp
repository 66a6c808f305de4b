// Keep-alive (code 3): the gateway answers with an empty body.
#include "Handlers.h"

namespace nuvsim {

Reply HandleKeepAlive(Exchange&) {
    return {{}, "ok"};
}

}  // namespace nuvsim
