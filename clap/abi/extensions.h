// Our definitions of the CLAP extensions the plug-in offers or asks its host
// for: params, state, audio-ports, gui, timer-support, posix-fd-support,
// latency, render, preset-load, log and thread-check. Sizes and offsets are
// pinned below as for the core records.
#pragma once

#include "clap/abi/core.h"

extern "C" {

// ---- params -----------------------------------------------------------------------

constexpr const char* CLAP_EXT_PARAMS = "clap.params";

constexpr uint32_t CLAP_PARAM_IS_STEPPED = 1u << 0;
constexpr uint32_t CLAP_PARAM_IS_PERIODIC = 1u << 1;
constexpr uint32_t CLAP_PARAM_IS_HIDDEN = 1u << 2;
constexpr uint32_t CLAP_PARAM_IS_READONLY = 1u << 3;
constexpr uint32_t CLAP_PARAM_IS_BYPASS = 1u << 4;
constexpr uint32_t CLAP_PARAM_IS_AUTOMATABLE = 1u << 5;
constexpr uint32_t CLAP_PARAM_IS_MODULATABLE = 1u << 10;
constexpr uint32_t CLAP_PARAM_REQUIRES_PROCESS = 1u << 15;
constexpr uint32_t CLAP_PARAM_IS_ENUM = 1u << 16;

constexpr uint32_t CLAP_PARAM_RESCAN_VALUES = 1;
constexpr uint32_t CLAP_PARAM_RESCAN_TEXT = 2;
constexpr uint32_t CLAP_PARAM_RESCAN_INFO = 4;
constexpr uint32_t CLAP_PARAM_RESCAN_ALL = 8;

struct clap_param_info {
    clap_id id;
    uint32_t flags;
    void* cookie;
    char name[CLAP_NAME_SIZE];
    char module[CLAP_PATH_SIZE];
    double min_value;
    double max_value;
    double default_value;
};

struct clap_plugin_params {
    uint32_t(VCLAP_ABI* count)(const clap_plugin* plugin);
    bool(VCLAP_ABI* get_info)(const clap_plugin* plugin, uint32_t param_index, clap_param_info* param_info);
    bool(VCLAP_ABI* get_value)(const clap_plugin* plugin, clap_id param_id, double* out_value);
    bool(VCLAP_ABI* value_to_text)(const clap_plugin* plugin, clap_id param_id, double value, char* out_buffer,
                                   uint32_t out_buffer_capacity);
    bool(VCLAP_ABI* text_to_value)(const clap_plugin* plugin, clap_id param_id, const char* param_value_text,
                                   double* out_value);
    void(VCLAP_ABI* flush)(const clap_plugin* plugin, const clap_input_events* in, const clap_output_events* out);
};

struct clap_host_params {
    void(VCLAP_ABI* rescan)(const clap_host* host, uint32_t flags);
    void(VCLAP_ABI* clear)(const clap_host* host, clap_id param_id, uint32_t flags);
    void(VCLAP_ABI* request_flush)(const clap_host* host);
};

// ---- state --------------------------------------------------------------------------

constexpr const char* CLAP_EXT_STATE = "clap.state";

struct clap_plugin_state {
    bool(VCLAP_ABI* save)(const clap_plugin* plugin, const clap_ostream* stream);
    bool(VCLAP_ABI* load)(const clap_plugin* plugin, const clap_istream* stream);
};

struct clap_host_state {
    void(VCLAP_ABI* mark_dirty)(const clap_host* host);
};

// ---- audio-ports --------------------------------------------------------------------

constexpr const char* CLAP_EXT_AUDIO_PORTS = "clap.audio-ports";
constexpr const char* CLAP_PORT_STEREO = "stereo";
constexpr uint32_t CLAP_AUDIO_PORT_IS_MAIN = 1;

struct clap_audio_port_info {
    clap_id id;
    char name[CLAP_NAME_SIZE];
    uint32_t flags;
    uint32_t channel_count;
    const char* port_type;
    clap_id in_place_pair;
};

struct clap_plugin_audio_ports {
    uint32_t(VCLAP_ABI* count)(const clap_plugin* plugin, bool is_input);
    bool(VCLAP_ABI* get)(const clap_plugin* plugin, uint32_t index, bool is_input, clap_audio_port_info* info);
};

// ---- gui ------------------------------------------------------------------------------

constexpr const char* CLAP_EXT_GUI = "clap.gui";
constexpr const char* CLAP_WINDOW_API_WIN32 = "win32";
constexpr const char* CLAP_WINDOW_API_X11 = "x11";

struct clap_window {
    const char* api;
    union {
        void* cocoa;
        unsigned long x11;
        void* win32;
        void* ptr;
    };
};

struct clap_gui_resize_hints {
    bool can_resize_horizontally;
    bool can_resize_vertically;
    bool preserve_aspect_ratio;
    uint32_t aspect_ratio_width;
    uint32_t aspect_ratio_height;
};

struct clap_plugin_gui {
    bool(VCLAP_ABI* is_api_supported)(const clap_plugin* plugin, const char* api, bool is_floating);
    bool(VCLAP_ABI* get_preferred_api)(const clap_plugin* plugin, const char** api, bool* is_floating);
    bool(VCLAP_ABI* create)(const clap_plugin* plugin, const char* api, bool is_floating);
    void(VCLAP_ABI* destroy)(const clap_plugin* plugin);
    bool(VCLAP_ABI* set_scale)(const clap_plugin* plugin, double scale);
    bool(VCLAP_ABI* get_size)(const clap_plugin* plugin, uint32_t* width, uint32_t* height);
    bool(VCLAP_ABI* can_resize)(const clap_plugin* plugin);
    bool(VCLAP_ABI* get_resize_hints)(const clap_plugin* plugin, clap_gui_resize_hints* hints);
    bool(VCLAP_ABI* adjust_size)(const clap_plugin* plugin, uint32_t* width, uint32_t* height);
    bool(VCLAP_ABI* set_size)(const clap_plugin* plugin, uint32_t width, uint32_t height);
    bool(VCLAP_ABI* set_parent)(const clap_plugin* plugin, const clap_window* window);
    bool(VCLAP_ABI* set_transient)(const clap_plugin* plugin, const clap_window* window);
    void(VCLAP_ABI* suggest_title)(const clap_plugin* plugin, const char* title);
    bool(VCLAP_ABI* show)(const clap_plugin* plugin);
    bool(VCLAP_ABI* hide)(const clap_plugin* plugin);
};

struct clap_host_gui {
    void(VCLAP_ABI* resize_hints_changed)(const clap_host* host);
    bool(VCLAP_ABI* request_resize)(const clap_host* host, uint32_t width, uint32_t height);
    bool(VCLAP_ABI* request_show)(const clap_host* host);
    bool(VCLAP_ABI* request_hide)(const clap_host* host);
    void(VCLAP_ABI* closed)(const clap_host* host, bool was_destroyed);
};

// ---- timer-support and posix-fd-support ----------------------------------------------

constexpr const char* CLAP_EXT_TIMER_SUPPORT = "clap.timer-support";

struct clap_plugin_timer_support {
    void(VCLAP_ABI* on_timer)(const clap_plugin* plugin, clap_id timer_id);
};

struct clap_host_timer_support {
    bool(VCLAP_ABI* register_timer)(const clap_host* host, uint32_t period_ms, clap_id* timer_id);
    bool(VCLAP_ABI* unregister_timer)(const clap_host* host, clap_id timer_id);
};

constexpr const char* CLAP_EXT_POSIX_FD_SUPPORT = "clap.posix-fd-support";
constexpr uint32_t CLAP_POSIX_FD_READ = 1;
constexpr uint32_t CLAP_POSIX_FD_WRITE = 2;
constexpr uint32_t CLAP_POSIX_FD_ERROR = 4;

struct clap_plugin_posix_fd_support {
    void(VCLAP_ABI* on_fd)(const clap_plugin* plugin, int fd, uint32_t flags);
};

struct clap_host_posix_fd_support {
    bool(VCLAP_ABI* register_fd)(const clap_host* host, int fd, uint32_t flags);
    bool(VCLAP_ABI* modify_fd)(const clap_host* host, int fd, uint32_t flags);
    bool(VCLAP_ABI* unregister_fd)(const clap_host* host, int fd);
};

// ---- latency and render -----------------------------------------------------------

constexpr const char* CLAP_EXT_LATENCY = "clap.latency";

struct clap_plugin_latency {
    uint32_t(VCLAP_ABI* get)(const clap_plugin* plugin);
};

constexpr const char* CLAP_EXT_RENDER = "clap.render";
constexpr int32_t CLAP_RENDER_REALTIME = 0;
constexpr int32_t CLAP_RENDER_OFFLINE = 1;

struct clap_plugin_render {
    bool(VCLAP_ABI* has_hard_realtime_requirement)(const clap_plugin* plugin);
    bool(VCLAP_ABI* set)(const clap_plugin* plugin, int32_t mode);
};

// ---- preset-load ----------------------------------------------------------------------

constexpr const char* CLAP_EXT_PRESET_LOAD = "clap.preset-load/2";
constexpr const char* CLAP_EXT_PRESET_LOAD_COMPAT = "clap.preset-load.draft/2";

struct clap_plugin_preset_load {
    bool(VCLAP_ABI* from_location)(const clap_plugin* plugin, uint32_t location_kind, const char* location,
                                   const char* load_key);
};

struct clap_host_preset_load {
    void(VCLAP_ABI* on_error)(const clap_host* host, uint32_t location_kind, const char* location,
                              const char* load_key, int32_t os_error, const char* msg);
    void(VCLAP_ABI* loaded)(const clap_host* host, uint32_t location_kind, const char* location,
                            const char* load_key);
};

// ---- log and thread-check (host side) ----------------------------------------------

constexpr const char* CLAP_EXT_LOG = "clap.log";
constexpr int32_t CLAP_LOG_WARNING = 2;
constexpr int32_t CLAP_LOG_ERROR = 3;

struct clap_host_log {
    void(VCLAP_ABI* log)(const clap_host* host, int32_t severity, const char* msg);
};

constexpr const char* CLAP_EXT_THREAD_CHECK = "clap.thread-check";

struct clap_host_thread_check {
    bool(VCLAP_ABI* is_main_thread)(const clap_host* host);
    bool(VCLAP_ABI* is_audio_thread)(const clap_host* host);
};

}  // extern "C"

// ---- layout ---------------------------------------------------------------------------

static_assert(sizeof(clap_gui_resize_hints) == 12 && offsetof(clap_gui_resize_hints, aspect_ratio_width) == 4,
              "clap_gui_resize_hints");

#if UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
static_assert(sizeof(clap_param_info) == 1320, "clap_param_info");
static_assert(offsetof(clap_param_info, cookie) == 8 && offsetof(clap_param_info, name) == 16 &&
                  offsetof(clap_param_info, module) == 272 && offsetof(clap_param_info, min_value) == 1296 &&
                  offsetof(clap_param_info, default_value) == 1312,
              "clap_param_info");
static_assert(sizeof(clap_plugin_params) == 48 && sizeof(clap_host_params) == 24, "params tables");
static_assert(sizeof(clap_plugin_state) == 16 && sizeof(clap_host_state) == 8, "state tables");
static_assert(sizeof(clap_audio_port_info) == 288, "clap_audio_port_info");
static_assert(offsetof(clap_audio_port_info, name) == 4 && offsetof(clap_audio_port_info, flags) == 260 &&
                  offsetof(clap_audio_port_info, channel_count) == 264 &&
                  offsetof(clap_audio_port_info, port_type) == 272 &&
                  offsetof(clap_audio_port_info, in_place_pair) == 280,
              "clap_audio_port_info");
static_assert(sizeof(clap_plugin_audio_ports) == 16, "clap_plugin_audio_ports");
static_assert(sizeof(clap_window) == 16 && offsetof(clap_window, x11) == 8, "clap_window");
static_assert(sizeof(clap_plugin_gui) == 120 && offsetof(clap_plugin_gui, set_parent) == 80 &&
                  offsetof(clap_plugin_gui, hide) == 112,
              "clap_plugin_gui");
static_assert(sizeof(clap_host_gui) == 40, "clap_host_gui");
static_assert(sizeof(clap_host_timer_support) == 16 && sizeof(clap_host_posix_fd_support) == 24,
              "timer and fd tables");
static_assert(sizeof(clap_plugin_render) == 16 && sizeof(clap_plugin_latency) == 8, "render and latency");
static_assert(sizeof(clap_host_preset_load) == 16, "clap_host_preset_load");
#elif UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(clap_audio_port_info) == 276 && offsetof(clap_audio_port_info, port_type) == 268,
              "clap_audio_port_info");
static_assert(sizeof(clap_window) == 8, "clap_window");
static_assert(sizeof(clap_plugin_gui) == 60, "clap_plugin_gui");
#if defined(_WIN32)
static_assert(sizeof(clap_param_info) == 1320 && offsetof(clap_param_info, min_value) == 1296, "clap_param_info");
#else
static_assert(sizeof(clap_param_info) == 1316 && offsetof(clap_param_info, min_value) == 1292, "clap_param_info");
#endif
#endif
