/* Opens a session handle, shows its settings and last status, and closes it. */
#include <stdio.h>

#include "nuv/nuv.h"

int main(void) {
    int32_t handle = ZpOpen("127.0.0.1", 9900);
    if (handle == -1) {
        fprintf(stderr, "ZpOpen failed\n");
        return 1;
    }
    printf("ZpOpen(\"127.0.0.1\", 9900) -> handle %d\n", handle);
    printf("ZpSetTimeout(%d, 5000) -> %d\n", handle, ZpSetTimeout(handle, 5000));
    printf("ZpSetProxy(%d, NUV_PROXY_NONE, ...) -> %d\n", handle,
           ZpSetProxy(handle, NUV_PROXY_NONE, NULL, 0, NULL, NULL));
    char text[256];
    int32_t length = ZpGetLastErrorText(handle, text, sizeof text);
    printf("last status: code %d, text of %d bytes\n", ZpGetLastErrorCode(handle), length);
    printf("ZpClose(%d) -> %d\n", handle, ZpClose(handle));
    printf("ZpClose(%d) again -> %d (handle no longer valid)\n", handle, ZpClose(handle));
    return 0;
}
