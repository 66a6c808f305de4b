// Where the library's own file lives.
#include <dlfcn.h>

#include "platform/Platform.h"

namespace nuv::platform {

std::string ModuleFolder() {
    Dl_info info{};
    std::string path;
    if (::dladdr(reinterpret_cast<void*>(&ModuleFolder), &info) != 0 && info.dli_fname != nullptr) {
        path = info.dli_fname;
    }
    if (path.size() > 1024) path.resize(1024);
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

}  // namespace nuv::platform
