// A plug-in library loaded by path, the way a host loads one: the file is
// opened with the platform loader and its entry point looked up, VST 2's
// (VSTPluginMain or main) or CLAP's (clap_entry). The host never links the
// plug-in's code.
#pragma once

#include <memory>
#include <string>

#include "vst/aeffect.h"

namespace vardelline::host {

using PluginEntryProc = AEffect*(VST_CALL*)(audioMasterCallback);

enum class PluginFormat { Vst2, Clap };

class PluginLibrary {
public:
    // Throws HostError naming the path when the file is missing, cannot be
    // loaded, or exports no entry point of either format. A ".clap" file, or
    // one exporting clap_entry and no VST 2 entry, is taken as CLAP.
    static std::shared_ptr<PluginLibrary> open(const std::string& path);
    ~PluginLibrary();

    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    const std::string& path() const { return path_; }
    PluginFormat format() const { return format_; }
    PluginEntryProc entry() const { return entry_; }  // VST 2 only; null for CLAP

    // Any other exported symbol, or null.
    void* symbol(const char* name) const;

private:
    PluginLibrary(std::string path, void* handle, PluginFormat format, PluginEntryProc entry);

    std::string path_;
    void* handle_;
    PluginFormat format_;
    PluginEntryProc entry_;
};

}  // namespace vardelline::host
