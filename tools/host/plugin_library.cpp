// Opens a plug-in library and finds its entry point.
#include "tools/host/plugin_library.h"

#include <filesystem>
#include <system_error>

#include "tools/host/host_error.h"
#include "tools/host/platform.h"

namespace vardelline::host {

std::shared_ptr<PluginLibrary> PluginLibrary::open(const std::string& path) {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored)) throw HostError(path + ": no such plug-in file");

    // An absolute path: a bare file name would send the loader searching the system's library folders.
    std::string reason;
    void* handle = platform::openLibrary(std::filesystem::absolute(path, ignored).string(), reason);
    if (handle == nullptr) throw HostError(path + ": cannot load plug-in: " + reason);

    // VST 2.4 names the entry VSTPluginMain; older plug-ins export only main.
    void* entry = platform::findSymbol(handle, "VSTPluginMain");
    if (entry == nullptr) entry = platform::findSymbol(handle, "main");
    const bool clapNamed = std::filesystem::path(path).extension() == ".clap";
    if (platform::findSymbol(handle, "clap_entry") != nullptr && (clapNamed || entry == nullptr))
        return std::shared_ptr<PluginLibrary>(new PluginLibrary(path, handle, PluginFormat::Clap, nullptr));
    if (entry == nullptr) {
        platform::closeLibrary(handle);
        throw HostError(path + (clapNamed ? ": not a CLAP plug-in (exports no clap_entry)"
                                          : ": not a VST 2 plug-in (exports neither VSTPluginMain nor main)"));
    }
    return std::shared_ptr<PluginLibrary>(
        new PluginLibrary(path, handle, PluginFormat::Vst2, reinterpret_cast<PluginEntryProc>(entry)));
}

PluginLibrary::PluginLibrary(std::string path, void* handle, PluginFormat format, PluginEntryProc entry)
    : path_(std::move(path)), handle_(handle), format_(format), entry_(entry) {}

PluginLibrary::~PluginLibrary() {
    platform::closeLibrary(handle_);
}

void* PluginLibrary::symbol(const char* name) const {
    return platform::findSymbol(handle_, name);
}

}  // namespace vardelline::host
