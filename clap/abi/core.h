// Our definitions of the CLAP binary interface (version 1.x) that the
// plug-in uses: entry, plug-in factory, descriptor, plug-in and host
// tables, process block, audio buffers, events and streams. Hosts read and
// call these records directly, so every size and offset is pinned below for
// 64-bit builds, and for 32-bit Linux and Windows where they differ.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) || defined(__CYGWIN__)
#define VCLAP_ABI __cdecl
#else
#define VCLAP_ABI
#endif

extern "C" {

using clap_id = uint32_t;
constexpr clap_id CLAP_INVALID_ID = 0xFFFFFFFFu;
constexpr size_t CLAP_NAME_SIZE = 256;
constexpr size_t CLAP_PATH_SIZE = 1024;

struct clap_version {
    uint32_t major;
    uint32_t minor;
    uint32_t revision;
};
constexpr clap_version CLAP_VERSION_CURRENT = {1, 2, 10};

// ---- entry and plug-in factory ------------------------------------------------

struct clap_plugin_entry {
    ::clap_version clap_version;
    bool(VCLAP_ABI* init)(const char* plugin_path);
    void(VCLAP_ABI* deinit)(void);
    const void*(VCLAP_ABI* get_factory)(const char* factory_id);
};

constexpr const char* CLAP_PLUGIN_FACTORY_ID = "clap.plugin-factory";

struct clap_plugin_descriptor {
    ::clap_version clap_version;
    const char* id;
    const char* name;
    const char* vendor;
    const char* url;
    const char* manual_url;
    const char* support_url;
    const char* version;
    const char* description;
    const char* const* features;  // terminated by a null pointer
};

struct clap_host;
struct clap_plugin;
struct clap_process;

struct clap_plugin_factory {
    uint32_t(VCLAP_ABI* get_plugin_count)(const clap_plugin_factory* factory);
    const clap_plugin_descriptor*(VCLAP_ABI* get_plugin_descriptor)(const clap_plugin_factory* factory,
                                                                     uint32_t index);
    const clap_plugin*(VCLAP_ABI* create_plugin)(const clap_plugin_factory* factory, const clap_host* host,
                                                 const char* plugin_id);
};

// ---- plug-in and host -------------------------------------------------------------

using clap_process_status = int32_t;
constexpr clap_process_status CLAP_PROCESS_ERROR = 0;
constexpr clap_process_status CLAP_PROCESS_CONTINUE = 1;
constexpr clap_process_status CLAP_PROCESS_CONTINUE_IF_NOT_QUIET = 2;
constexpr clap_process_status CLAP_PROCESS_TAIL = 3;
constexpr clap_process_status CLAP_PROCESS_SLEEP = 4;

struct clap_plugin {
    const clap_plugin_descriptor* desc;
    void* plugin_data;
    bool(VCLAP_ABI* init)(const clap_plugin* plugin);
    void(VCLAP_ABI* destroy)(const clap_plugin* plugin);
    bool(VCLAP_ABI* activate)(const clap_plugin* plugin, double sample_rate, uint32_t min_frames_count,
                              uint32_t max_frames_count);
    void(VCLAP_ABI* deactivate)(const clap_plugin* plugin);
    bool(VCLAP_ABI* start_processing)(const clap_plugin* plugin);
    void(VCLAP_ABI* stop_processing)(const clap_plugin* plugin);
    void(VCLAP_ABI* reset)(const clap_plugin* plugin);
    clap_process_status(VCLAP_ABI* process)(const clap_plugin* plugin, const clap_process* process);
    const void*(VCLAP_ABI* get_extension)(const clap_plugin* plugin, const char* id);
    void(VCLAP_ABI* on_main_thread)(const clap_plugin* plugin);
};

struct clap_host {
    ::clap_version clap_version;
    void* host_data;
    const char* name;
    const char* vendor;
    const char* url;
    const char* version;
    const void*(VCLAP_ABI* get_extension)(const clap_host* host, const char* extension_id);
    void(VCLAP_ABI* request_restart)(const clap_host* host);
    void(VCLAP_ABI* request_process)(const clap_host* host);
    void(VCLAP_ABI* request_callback)(const clap_host* host);
};

// ---- events -------------------------------------------------------------------------

struct clap_event_header {
    uint32_t size;  // of the whole event
    uint32_t time;  // frame offset inside the block
    uint16_t space_id;
    uint16_t type;
    uint32_t flags;
};

constexpr uint16_t CLAP_CORE_EVENT_SPACE_ID = 0;
constexpr uint32_t CLAP_EVENT_IS_LIVE = 1;
constexpr uint32_t CLAP_EVENT_DONT_RECORD = 2;

constexpr uint16_t CLAP_EVENT_NOTE_ON = 0;
constexpr uint16_t CLAP_EVENT_NOTE_OFF = 1;
constexpr uint16_t CLAP_EVENT_NOTE_CHOKE = 2;
constexpr uint16_t CLAP_EVENT_NOTE_END = 3;
constexpr uint16_t CLAP_EVENT_NOTE_EXPRESSION = 4;
constexpr uint16_t CLAP_EVENT_PARAM_VALUE = 5;
constexpr uint16_t CLAP_EVENT_PARAM_MOD = 6;
constexpr uint16_t CLAP_EVENT_PARAM_GESTURE_BEGIN = 7;
constexpr uint16_t CLAP_EVENT_PARAM_GESTURE_END = 8;
constexpr uint16_t CLAP_EVENT_TRANSPORT = 9;
constexpr uint16_t CLAP_EVENT_MIDI = 10;
constexpr uint16_t CLAP_EVENT_MIDI_SYSEX = 11;
constexpr uint16_t CLAP_EVENT_MIDI2 = 12;

struct clap_event_param_value {
    clap_event_header header;
    clap_id param_id;
    void* cookie;
    int32_t note_id;
    int16_t port_index;
    int16_t channel;
    int16_t key;
    double value;
};

struct clap_event_param_gesture {
    clap_event_header header;
    clap_id param_id;
};

using clap_beattime = int64_t;
using clap_sectime = int64_t;

struct clap_event_transport {
    clap_event_header header;
    uint32_t flags;
    clap_beattime song_pos_beats;
    clap_sectime song_pos_seconds;
    double tempo;
    double tempo_inc;
    clap_beattime loop_start_beats;
    clap_beattime loop_end_beats;
    clap_sectime loop_start_seconds;
    clap_sectime loop_end_seconds;
    clap_beattime bar_start;
    int32_t bar_number;
    uint16_t tsig_num;
    uint16_t tsig_denom;
};

struct clap_input_events {
    void* ctx;
    uint32_t(VCLAP_ABI* size)(const clap_input_events* list);
    const clap_event_header*(VCLAP_ABI* get)(const clap_input_events* list, uint32_t index);
};

struct clap_output_events {
    void* ctx;
    bool(VCLAP_ABI* try_push)(const clap_output_events* list, const clap_event_header* event);
};

// ---- audio and the process block -------------------------------------------------

struct clap_audio_buffer {
    float** data32;
    double** data64;
    uint32_t channel_count;
    uint32_t latency;
    uint64_t constant_mask;
};

struct clap_process {
    int64_t steady_time;
    uint32_t frames_count;
    const clap_event_transport* transport;
    const clap_audio_buffer* audio_inputs;
    clap_audio_buffer* audio_outputs;
    uint32_t audio_inputs_count;
    uint32_t audio_outputs_count;
    const clap_input_events* in_events;
    const clap_output_events* out_events;
};

// ---- streams -------------------------------------------------------------------------

struct clap_istream {
    void* ctx;
    int64_t(VCLAP_ABI* read)(const clap_istream* stream, void* buffer, uint64_t size);
};

struct clap_ostream {
    void* ctx;
    int64_t(VCLAP_ABI* write)(const clap_ostream* stream, const void* buffer, uint64_t size);
};

}  // extern "C"

// ---- layout -------------------------------------------------------------------------

static_assert(sizeof(bool) == 1, "bool crosses the interface as one byte");
static_assert(sizeof(clap_version) == 12 && alignof(clap_version) == 4, "clap_version");
static_assert(sizeof(clap_event_header) == 16, "clap_event_header");
static_assert(sizeof(clap_event_param_gesture) == 20, "clap_event_param_gesture");

#if UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
static_assert(sizeof(clap_plugin_entry) == 40, "clap_plugin_entry");
static_assert(offsetof(clap_plugin_entry, init) == 16 && offsetof(clap_plugin_entry, get_factory) == 32,
              "clap_plugin_entry");
static_assert(sizeof(clap_plugin_factory) == 24, "clap_plugin_factory");
static_assert(sizeof(clap_plugin_descriptor) == 88, "clap_plugin_descriptor");
static_assert(offsetof(clap_plugin_descriptor, id) == 16 && offsetof(clap_plugin_descriptor, version) == 64 &&
                  offsetof(clap_plugin_descriptor, features) == 80,
              "clap_plugin_descriptor");
static_assert(sizeof(clap_plugin) == 96, "clap_plugin");
static_assert(offsetof(clap_plugin, init) == 16 && offsetof(clap_plugin, process) == 72 &&
                  offsetof(clap_plugin, on_main_thread) == 88,
              "clap_plugin");
static_assert(sizeof(clap_host) == 88, "clap_host");
static_assert(offsetof(clap_host, host_data) == 16 && offsetof(clap_host, get_extension) == 56 &&
                  offsetof(clap_host, request_callback) == 80,
              "clap_host");
static_assert(sizeof(clap_event_param_value) == 56, "clap_event_param_value");
static_assert(offsetof(clap_event_param_value, param_id) == 16 && offsetof(clap_event_param_value, cookie) == 24 &&
                  offsetof(clap_event_param_value, note_id) == 32 &&
                  offsetof(clap_event_param_value, port_index) == 36 &&
                  offsetof(clap_event_param_value, key) == 40 && offsetof(clap_event_param_value, value) == 48,
              "clap_event_param_value");
static_assert(sizeof(clap_event_transport) == 104, "clap_event_transport");
static_assert(offsetof(clap_event_transport, song_pos_beats) == 24 && offsetof(clap_event_transport, bar_start) == 88 &&
                  offsetof(clap_event_transport, bar_number) == 96 &&
                  offsetof(clap_event_transport, tsig_denom) == 102,
              "clap_event_transport");
static_assert(sizeof(clap_input_events) == 24 && sizeof(clap_output_events) == 16, "event lists");
static_assert(sizeof(clap_audio_buffer) == 32 && offsetof(clap_audio_buffer, channel_count) == 16 &&
                  offsetof(clap_audio_buffer, constant_mask) == 24,
              "clap_audio_buffer");
static_assert(sizeof(clap_process) == 64, "clap_process");
static_assert(offsetof(clap_process, frames_count) == 8 && offsetof(clap_process, transport) == 16 &&
                  offsetof(clap_process, audio_inputs_count) == 40 && offsetof(clap_process, in_events) == 48 &&
                  offsetof(clap_process, out_events) == 56,
              "clap_process");
static_assert(sizeof(clap_istream) == 16 && sizeof(clap_ostream) == 16, "streams");
#elif UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(clap_plugin_entry) == 24 && offsetof(clap_plugin_entry, init) == 12, "clap_plugin_entry");
static_assert(sizeof(clap_plugin_descriptor) == 48 && offsetof(clap_plugin_descriptor, features) == 44,
              "clap_plugin_descriptor");
static_assert(sizeof(clap_plugin) == 48, "clap_plugin");
static_assert(sizeof(clap_host) == 48 && offsetof(clap_host, get_extension) == 32, "clap_host");
#if defined(_WIN32)
static_assert(sizeof(clap_event_param_value) == 48 && offsetof(clap_event_param_value, value) == 40,
              "clap_event_param_value");
static_assert(sizeof(clap_event_transport) == 104 && offsetof(clap_event_transport, song_pos_beats) == 24,
              "clap_event_transport");
static_assert(sizeof(clap_audio_buffer) == 24 && alignof(clap_audio_buffer) == 8, "clap_audio_buffer");
#else
static_assert(sizeof(clap_event_param_value) == 44 && offsetof(clap_event_param_value, value) == 36,
              "clap_event_param_value");
static_assert(sizeof(clap_event_transport) == 100 && offsetof(clap_event_transport, song_pos_beats) == 20,
              "clap_event_transport");
static_assert(sizeof(clap_audio_buffer) == 24, "clap_audio_buffer");
#endif
#endif
