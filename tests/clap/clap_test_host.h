// A CLAP host for tests: loads the built vardelline.clap by path, finds
// clap_entry and drives instances through the binary interface alone,
// recording what the plug-in asks of the host.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "clap/abi/extensions.h"
#include "clap/abi/preset_discovery.h"

#ifndef VARDELLINE_CLAP_PATH
#error "VARDELLINE_CLAP_PATH must name the built vardelline.clap"
#endif

namespace claptest {

// The loaded library and its entry; init'ed on load, deinit'ed on unload.
class ClapLibrary {
public:
    explicit ClapLibrary(const char* path = VARDELLINE_CLAP_PATH);
    ~ClapLibrary();
    ClapLibrary(const ClapLibrary&) = delete;
    ClapLibrary& operator=(const ClapLibrary&) = delete;

    const clap_plugin_entry* entry = nullptr;
    const clap_plugin_factory* factory = nullptr;

private:
    void* handle_ = nullptr;
};

// Events the host hands to process or flush: any bytes, in the order given.
class InputEvents {
public:
    InputEvents();
    void add(const clap_event_header& event);  // copies header.size bytes
    void addValue(uint32_t time, clap_id id, double value);
    void clear();
    // The list as the plug-in sees it (also for a copy of another list).
    const clap_input_events* list() const {
        list_.ctx = const_cast<InputEvents*>(this);
        return &list_;
    }
    // A size that lies, for hostile-list tests: get answers null past the real ones.
    uint32_t claimedSize = UINT32_MAX;

private:
    static uint32_t VCLAP_ABI size(const clap_input_events* list);
    static const clap_event_header* VCLAP_ABI get(const clap_input_events* list, uint32_t index);
    std::vector<std::vector<uint64_t>> events_;  // 8-byte aligned copies
    mutable clap_input_events list_{};
};

// What the plug-in pushed, as copies.
class OutputEvents {
public:
    OutputEvents();
    const clap_output_events* list() const { return &list_; }
    struct Event {
        clap_event_header header;
        clap_id paramId;
        double value;
    };
    std::vector<Event> events;
    bool refuse = false;  // answer false to every push

private:
    static bool VCLAP_ABI tryPush(const clap_output_events* list, const clap_event_header* event);
    clap_output_events list_{};
};

// The host's table and the extensions it offers, with every request counted.
class TestHost {
public:
    TestHost();
    const clap_host* table() const { return &host_; }
    static TestHost* of(const clap_host* host) { return static_cast<TestHost*>(host->host_data); }

    bool offerTimers = true;
    bool offerFds = true;
    int requestFlushes = 0;
    int rescans = 0;
    std::atomic<int> callbacksRequested{0};  // may come from another thread
    std::vector<std::string> logged;
    std::vector<clap_id> timers;  // registered and not yet unregistered
    std::vector<int> fds;
    int timersRegistered = 0;
    std::vector<std::string> presetsLoaded;  // load keys reported through preset-load
    int presetErrors = 0;

private:
    static const void* VCLAP_ABI extension(const clap_host* host, const char* id);
    static void VCLAP_ABI request(const clap_host*) {}
    static void VCLAP_ABI requestCallback(const clap_host* host);
    clap_host host_{};
};

// One instance, created and init'ed; destroyed (deactivated first) at the end.
class Instance {
public:
    Instance(ClapLibrary& library, TestHost& host);
    ~Instance();
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    template <typename T>
    const T* extension(const char* id) const {
        return static_cast<const T*>(plugin->get_extension(plugin, id));
    }
    bool activate(double rate = 48000.0, uint32_t maxFrames = 4096);
    void deactivate();

    // One block, out of place, stereo: returns the status.
    clap_process_status process(const float* inL, const float* inR, float* outL, float* outR, uint32_t frames,
                                const InputEvents* in = nullptr, OutputEvents* out = nullptr);

    const clap_plugin* plugin = nullptr;
    const clap_plugin_params* params = nullptr;
    const clap_plugin_state* state = nullptr;

private:
    bool active_ = false;
    bool processing_ = false;
};

// A memory stream for state, read or written in pieces of at most chunk bytes.
struct MemoryStream {
    std::vector<uint8_t> bytes;
    size_t position = 0;
    size_t chunk = SIZE_MAX;
    bool failWrites = false;
    clap_ostream out() const;
    clap_istream in() const;
};

// A test signal: a click train with noise, the same on every call.
std::vector<float> testSignal(size_t frames, uint32_t seed);

}  // namespace claptest
