/* A C host that loads the shared library at run time, as hosts in other languages do. */
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

#include "nuv/nuv.h"

#define CHECK(cond)                                              \
    do {                                                         \
        if (!(cond)) {                                           \
            fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #cond); \
            return 1;                                            \
        }                                                        \
    } while (0)

typedef int32_t(NUV_CALL* OpenFn)(const char*, int32_t);
typedef int32_t(NUV_CALL* HandleFn)(int32_t);
typedef int32_t(NUV_CALL* TextFn)(int32_t, char*, int32_t);

int main(int argc, char** argv) {
    CHECK(argc == 2);
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    CHECK(library != NULL);
    OpenFn open = (OpenFn)dlsym(library, "ZpOpen");
    HandleFn code = (HandleFn)dlsym(library, "ZpGetLastErrorCode");
    TextFn text = (TextFn)dlsym(library, "ZpGetLastErrorText");
    HandleFn close = (HandleFn)dlsym(library, "ZpClose");
    CHECK(open && code && text && close);

    int32_t handle = open("127.0.0.1", 9900);
    CHECK(handle > 0);
    CHECK(code(handle) == 0);
    char buffer[4] = "xyz";
    CHECK(text(handle, buffer, sizeof buffer) == 0);
    CHECK(strcmp(buffer, "xyz") == 0);
    CHECK(close(handle) == 0);
    CHECK(close(handle) == -1);
    CHECK(code(handle) == -1);
    dlclose(library);
    printf("c host: ok\n");
    return 0;
}
