// What info prints first for a CLAP plug-in: the descriptor, ports and the
// editor's size.
#include <cstdio>

#include "tools/host/clap_instance.h"

namespace vardelline::host {

namespace {

const char* orEmpty(const char* text) {
    return text != nullptr ? text : "";
}

}  // namespace

void ClapInstance::printDescription() {
    const clap_plugin_descriptor& d = module_->descriptor();
    std::printf("Plug-in:      %s (CLAP %u.%u.%u)\n", path().c_str(), d.clap_version.major, d.clap_version.minor,
                d.clap_version.revision);
    std::printf("Effect:       %s\n", orEmpty(d.name));
    std::printf("Vendor:       %s (version %s)\n", orEmpty(d.vendor), orEmpty(d.version));
    std::printf("Id:           %s\n", orEmpty(d.id));
    std::string features;
    for (const char* const* f = d.features; f != nullptr && *f != nullptr; ++f)
        features += (features.empty() ? "" : ", ") + std::string(*f);
    std::printf("Features:     %s\n", features.empty() ? "none" : features.c_str());
    std::printf("Channels:     %d in, %d out\n", inputCount(), outputCount());
    auto gui = static_cast<const clap_plugin_gui*>(extension(CLAP_EXT_GUI));
    uint32_t width = 0, height = 0;
    if (gui != nullptr && gui->get_size(plugin_, &width, &height))
        std::printf("Editor:       %u x %u pixels\n", width, height);
}

}  // namespace vardelline::host
