// What info prints first for a VST 2 plug-in: the descriptor, identity
// strings, pins and the editor's size.
#include <cstdio>

#include "tools/host/plugin_instance.h"

namespace vardelline::host {

namespace {

std::string fourCharText(VstInt32 code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<unsigned char>((static_cast<uint32_t>(code) >> shift) & 0xFF);
        text += c >= 32 && c < 127 ? static_cast<char>(c) : '?';
    }
    return text;
}

std::string flagNames(VstInt32 flags) {
    static const struct {
        VstInt32 bit;
        const char* name;
    } kFlags[] = {{effFlagsHasEditor, "editor"},
                  {effFlagsHasClip, "clip"},
                  {effFlagsHasVu, "vu"},
                  {effFlagsCanMono, "mono"},
                  {effFlagsCanReplacing, "replacing"},
                  {effFlagsProgramChunks, "chunks"},
                  {effFlagsIsSynth, "synth"},
                  {effFlagsNoSoundInStop, "no-tail"},
                  {effFlagsExtIsAsync, "async"},
                  {effFlagsExtHasBuffer, "external-buffer"}};
    std::string names;
    for (const auto& flag : kFlags)
        if (flags & flag.bit) names += (names.empty() ? "" : ", ") + std::string(flag.name);
    return names.empty() ? "none" : names;
}

}  // namespace

void PluginInstance::printDescription() {
    const AEffect& e = effect();
    std::printf("Plug-in:      %s\n", library().path().c_str());
    std::printf("Effect:       %s\n", effectName().c_str());
    std::printf("Vendor:       %s (version %ld)\n", vendorString().c_str(),
                static_cast<long>(dispatch(effGetVendorVersion)));
    std::printf("Product:      %s\n", productString().c_str());
    std::printf("Unique ID:    '%s' (0x%08X)  version %d\n", fourCharText(e.uniqueID).c_str(),
                static_cast<unsigned>(e.uniqueID), e.version);
    std::printf("VST version:  %ld  category %ld\n", static_cast<long>(dispatch(effGetVstVersion)),
                static_cast<long>(dispatch(effGetPlugCategory)));
    std::printf("Channels:     %d in, %d out  initial delay %d\n", e.numInputs, e.numOutputs, e.initialDelay);
    std::printf("Flags:        0x%X (%s)\n", static_cast<unsigned>(e.flags), flagNames(e.flags).c_str());
    for (int pin = 0; pin < e.numOutputs; ++pin) {
        VstPinProperties properties{};
        if (dispatch(effGetOutputProperties, pin, 0, &properties) == 0) continue;
        properties.label[sizeof properties.label - 1] = '\0';
        std::printf("Output %d:     %s (flags %d)\n", pin, properties.label, properties.flags);
    }
    ERect* rect = nullptr;
    if ((e.flags & effFlagsHasEditor) && dispatch(effEditGetRect, 0, 0, &rect) != 0 && rect != nullptr)
        std::printf("Editor:       %d x %d pixels\n", rect->right - rect->left, rect->bottom - rect->top);
}

}  // namespace vardelline::host
