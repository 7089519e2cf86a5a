// The extension ids the plug-in answers to.
#include "clap/extensions.h"

#include <cstring>

namespace vardelline::clapfx {

const void* findExtension(const char* id) {
    if (id == nullptr) return nullptr;
    struct Entry {
        const char* id;
        const void* table;
    };
    const Entry entries[] = {
        {CLAP_EXT_PARAMS, paramsExtension()},
        {CLAP_EXT_STATE, stateExtension()},
        {CLAP_EXT_AUDIO_PORTS, audioPortsExtension()},
        {CLAP_EXT_LATENCY, latencyExtension()},
        {CLAP_EXT_RENDER, renderExtension()},
        {CLAP_EXT_PRESET_LOAD, presetLoadExtension()},
        {CLAP_EXT_PRESET_LOAD_COMPAT, presetLoadExtension()},
        {CLAP_EXT_GUI, guiExtension()},
        {CLAP_EXT_TIMER_SUPPORT, timerSupportExtension()},
        {CLAP_EXT_POSIX_FD_SUPPORT, posixFdSupportExtension()},
        {VARDELLINE_EXT_EDITOR_REMOTE, editorRemoteExtension()},
    };
    for (const Entry& entry : entries) {
        if (std::strcmp(id, entry.id) == 0) return entry.table;
    }
    return nullptr;
}

}  // namespace vardelline::clapfx
