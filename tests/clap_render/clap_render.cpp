// A host-like program that loads vardelline.clap by path, renders a fixed
// signal through fixed settings (a program, parameter events inside blocks
// at varying offsets, odd block sizes) and writes the output samples and
// the saved state as raw bytes. Built for Linux and for Windows, so that
// scripts/clap_windows.sh can compare the two editions byte for byte.
//
//   clap_render PLUGIN OUTPUT.raw STATE.bin
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "clap/abi/extensions.h"
#include "clap/abi/preset_discovery.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

const void* loadEntry(const char* path) {
#ifdef _WIN32
    HMODULE library = LoadLibraryA(path);
    return library != nullptr ? reinterpret_cast<const void*>(GetProcAddress(library, "clap_entry")) : nullptr;
#else
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    return library != nullptr ? dlsym(library, "clap_entry") : nullptr;
#endif
}

const void* VCLAP_ABI noExtension(const clap_host*, const char*) {
    return nullptr;
}
void VCLAP_ABI noRequest(const clap_host*) {}

struct Events {
    std::vector<clap_event_param_value> values;
    clap_input_events list{this, size, get};
    static uint32_t VCLAP_ABI size(const clap_input_events* l) {
        return static_cast<uint32_t>(static_cast<const Events*>(l->ctx)->values.size());
    }
    static const clap_event_header* VCLAP_ABI get(const clap_input_events* l, uint32_t i) {
        return &static_cast<const Events*>(l->ctx)->values[i].header;
    }
    void add(uint32_t time, clap_id id, double value) {
        clap_event_param_value e{};
        e.header = {sizeof e, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
        e.param_id = id;
        e.note_id = -1;
        e.port_index = e.channel = e.key = -1;
        e.value = value;
        values.push_back(e);
    }
};

bool VCLAP_ABI discard(const clap_output_events*, const clap_event_header*) {
    return true;
}

int64_t VCLAP_ABI collect(const clap_ostream* stream, const void* data, uint64_t size) {
    auto* bytes = static_cast<std::vector<unsigned char>*>(stream->ctx);
    bytes->insert(bytes->end(), static_cast<const unsigned char*>(data), static_cast<const unsigned char*>(data) + size);
    return static_cast<int64_t>(size);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: clap_render PLUGIN OUTPUT.raw STATE.bin\n");
        return 2;
    }
    const auto* entry = static_cast<const clap_plugin_entry*>(loadEntry(argv[1]));
    if (entry == nullptr || !entry->init(argv[1])) {
        std::fprintf(stderr, "%s: no clap_entry\n", argv[1]);
        return 1;
    }
    const auto* factory = static_cast<const clap_plugin_factory*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
    clap_host host{CLAP_VERSION_CURRENT, nullptr, "clap_render", "", "", "1", noExtension, noRequest, noRequest, noRequest};
    const clap_plugin* plugin = factory->create_plugin(factory, &host, factory->get_plugin_descriptor(factory, 0)->id);
    if (plugin == nullptr || !plugin->init(plugin)) return 1;
    const auto* presets = static_cast<const clap_plugin_preset_load*>(plugin->get_extension(plugin, CLAP_EXT_PRESET_LOAD));
    const auto* state = static_cast<const clap_plugin_state*>(plugin->get_extension(plugin, CLAP_EXT_STATE));
    presets->from_location(plugin, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, "4");
    if (!plugin->activate(plugin, 44100.0, 1, 4096) || !plugin->start_processing(plugin)) return 1;

    // Two seconds of a swept tone with clicks; blocks of 317 frames.
    const uint32_t total = 88200;
    const uint32_t blockSize = 317;
    std::vector<float> inL(total), inR(total), outL(total), outR(total);
    for (uint32_t i = 0; i < total; ++i) {
        const double t = i / 44100.0;
        inL[i] = static_cast<float>(0.5 * std::sin(6.283185307179586 * (200.0 + 900.0 * t) * t));
        inR[i] = (i % 2000 == 0) ? 0.9f : 0.0f;
    }
    // Fast oscillators, wide sweeps and feedback so that sin and exp matter.
    const struct {
        uint32_t block;
        uint32_t offset;
        clap_id id;
        double value;
    } changes[] = {{0, 0, 27, 1.0},   {0, 0, 28, 0.9},   {0, 0, 35, 1.0},   {0, 0, 43, 0.9},
                   {3, 100, 29, 0.75}, {3, 100, 36, 0.8}, {7, 316, 44, 0.6}, {12, 1, 51, 0.3},
                   {40, 200, 2, 0.4},  {90, 50, 20, 0.1}, {150, 316, 0, 0.2}};
    clap_output_events out{nullptr, discard};
    uint32_t block = 0;
    for (uint32_t start = 0; start < total; start += blockSize, ++block) {
        const uint32_t frames = total - start < blockSize ? total - start : blockSize;
        Events events;
        for (const auto& c : changes)
            if (c.block == block) events.add(c.offset, c.id, c.value);
        float* ins[2] = {inL.data() + start, inR.data() + start};
        float* outs[2] = {outL.data() + start, outR.data() + start};
        clap_audio_buffer input{ins, nullptr, 2, 0, 0};
        clap_audio_buffer output{outs, nullptr, 2, 0, 0};
        clap_process process{static_cast<int64_t>(start), frames, nullptr, &input, &output, 1, 1, &events.list, &out};
        if (plugin->process(plugin, &process) != CLAP_PROCESS_CONTINUE) return 1;
    }

    std::FILE* samples = std::fopen(argv[2], "wb");
    if (samples == nullptr) return 1;
    for (uint32_t i = 0; i < total; ++i) {
        std::fwrite(&outL[i], 4, 1, samples);
        std::fwrite(&outR[i], 4, 1, samples);
    }
    std::fclose(samples);
    std::vector<unsigned char> saved;
    clap_ostream stream{&saved, collect};
    if (!state->save(plugin, &stream)) return 1;
    std::FILE* stateFile = std::fopen(argv[3], "wb");
    if (stateFile == nullptr) return 1;
    std::fwrite(saved.data(), 1, saved.size(), stateFile);
    std::fclose(stateFile);

    plugin->stop_processing(plugin);
    plugin->deactivate(plugin);
    plugin->destroy(plugin);
    entry->deinit();
    std::printf("rendered %u frames, state %zu bytes\n", total, saved.size());
    return 0;
}
