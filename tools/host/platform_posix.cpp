// Linux and other POSIX systems: dlopen/dlsym, isatty and execv.
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

bool runSibling(const std::string& name, const std::vector<std::string>& args) {
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return false;
    std::string path(self, static_cast<size_t>(length));
    path = path.substr(0, path.rfind('/') + 1) + name;
    if (access(path.c_str(), X_OK) != 0) return false;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::fflush(nullptr);
    execv(path.c_str(), argv.data());
    return false;
}

}  // namespace vardelline::host::platform
