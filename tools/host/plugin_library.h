// A plug-in library loaded by path, the way a host loads one: the file is
// opened with the platform loader and its VST 2 entry point looked up. The
// host never links the plug-in's code.
#pragma once

#include <memory>
#include <string>

#include "vst/aeffect.h"

namespace vardelline::host {

using PluginEntryProc = AEffect*(VST_CALL*)(audioMasterCallback);

class PluginLibrary {
public:
    // Throws HostError naming the path when the file is missing, cannot be
    // loaded, or exports neither VSTPluginMain nor main.
    static std::shared_ptr<PluginLibrary> open(const std::string& path);
    ~PluginLibrary();

    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    const std::string& path() const { return path_; }
    PluginEntryProc entry() const { return entry_; }

    // Any other exported symbol, or null.
    void* symbol(const char* name) const;

private:
    PluginLibrary(std::string path, void* handle, PluginEntryProc entry);

    std::string path_;
    void* handle_;
    PluginEntryProc entry_;
};

}  // namespace vardelline::host
