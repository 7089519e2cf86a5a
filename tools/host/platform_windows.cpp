// Windows: LoadLibrary/GetProcAddress and _isatty.
#include <io.h>
#include <windows.h>

#include "tools/host/platform.h"

namespace vardelline::host::platform {

namespace {

std::string lastErrorText() {
    char text[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(),
                                  0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' '))
        text[--length] = '\0';
    return length > 0 ? text : "unknown error";
}

}  // namespace

void* openLibrary(const std::string& path, std::string& error) {
    HMODULE library = LoadLibraryA(path.c_str());
    if (library == nullptr) error = lastErrorText();
    return reinterpret_cast<void*>(library);
}

void* findSymbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void closeLibrary(void* library) {
    FreeLibrary(static_cast<HMODULE>(library));
}

bool isTerminal(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

// Windows has no call interception to hand over to: validate runs in place.
bool runSibling(const std::string& /*name*/, const std::vector<std::string>& /*args*/) {
    return false;
}

}  // namespace vardelline::host::platform
