// Linux and other POSIX systems: dlopen/dlsym and isatty.
#include <dlfcn.h>
#include <unistd.h>

#include "tools/host/platform.h"

namespace vardelline::host::platform {

void* openLibrary(const std::string& path, std::string& error) {
    // RTLD_LOCAL keeps the plug-in's symbols out of the host's namespace, as hosts do.
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = dlerror();
        error = reason != nullptr ? reason : "unknown error";
        // dlerror starts with the path, which the caller already names.
        if (error.rfind(path + ": ", 0) == 0) error.erase(0, path.size() + 2);
    }
    return library;
}

void* findSymbol(void* library, const char* name) {
    return dlsym(library, name);
}

void closeLibrary(void* library) {
    dlclose(library);
}

bool isTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) != 0;
}

}  // namespace vardelline::host::platform
