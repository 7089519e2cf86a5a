// Our definitions of CLAP's preset discovery factory: the provider a host
// creates to learn which presets exist, and the host's indexer and metadata
// receiver it reports to. Sizes and offsets are pinned as for the core.
#pragma once

#include "clap/abi/core.h"

extern "C" {

constexpr const char* CLAP_PRESET_DISCOVERY_FACTORY_ID = "clap.preset-discovery-factory/2";
constexpr const char* CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT = "clap.preset-discovery-factory/draft-2";

constexpr uint32_t CLAP_PRESET_DISCOVERY_LOCATION_FILE = 0;
constexpr uint32_t CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN = 1;

constexpr uint32_t CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT = 1;
constexpr uint32_t CLAP_PRESET_DISCOVERY_IS_USER_CONTENT = 2;

using clap_timestamp = uint64_t;

struct clap_universal_plugin_id {
    const char* abi;
    const char* id;
};

struct clap_preset_discovery_filetype {
    const char* name;
    const char* description;
    const char* file_extension;
};

struct clap_preset_discovery_location {
    uint32_t flags;
    const char* name;
    uint32_t kind;
    const char* location;
};

struct clap_preset_discovery_soundpack {
    uint32_t flags;
    const char* id;
    const char* name;
    const char* description;
    const char* homepage_url;
    const char* vendor;
    const char* image_path;
    clap_timestamp release_timestamp;
};

struct clap_preset_discovery_provider_descriptor {
    ::clap_version clap_version;
    const char* id;
    const char* name;
    const char* vendor;
};

struct clap_preset_discovery_metadata_receiver {
    void* receiver_data;
    void(VCLAP_ABI* on_error)(const clap_preset_discovery_metadata_receiver* receiver, int32_t os_error,
                              const char* error_message);
    bool(VCLAP_ABI* begin_preset)(const clap_preset_discovery_metadata_receiver* receiver, const char* name,
                                  const char* load_key);
    void(VCLAP_ABI* add_plugin_id)(const clap_preset_discovery_metadata_receiver* receiver,
                                   const clap_universal_plugin_id* plugin_id);
    void(VCLAP_ABI* set_soundpack_id)(const clap_preset_discovery_metadata_receiver* receiver,
                                      const char* soundpack_id);
    void(VCLAP_ABI* set_flags)(const clap_preset_discovery_metadata_receiver* receiver, uint32_t flags);
    void(VCLAP_ABI* add_creator)(const clap_preset_discovery_metadata_receiver* receiver, const char* creator);
    void(VCLAP_ABI* set_description)(const clap_preset_discovery_metadata_receiver* receiver,
                                     const char* description);
    void(VCLAP_ABI* set_timestamps)(const clap_preset_discovery_metadata_receiver* receiver,
                                    clap_timestamp creation_time, clap_timestamp modification_time);
    void(VCLAP_ABI* add_feature)(const clap_preset_discovery_metadata_receiver* receiver, const char* feature);
    void(VCLAP_ABI* add_extra_info)(const clap_preset_discovery_metadata_receiver* receiver, const char* key,
                                    const char* value);
};

struct clap_preset_discovery_indexer {
    ::clap_version clap_version;
    const char* name;
    const char* vendor;
    const char* url;
    const char* version;
    void* indexer_data;
    bool(VCLAP_ABI* declare_filetype)(const clap_preset_discovery_indexer* indexer,
                                      const clap_preset_discovery_filetype* filetype);
    bool(VCLAP_ABI* declare_location)(const clap_preset_discovery_indexer* indexer,
                                      const clap_preset_discovery_location* location);
    bool(VCLAP_ABI* declare_soundpack)(const clap_preset_discovery_indexer* indexer,
                                       const clap_preset_discovery_soundpack* soundpack);
    const void*(VCLAP_ABI* get_extension)(const clap_preset_discovery_indexer* indexer, const char* extension_id);
};

struct clap_preset_discovery_provider {
    const clap_preset_discovery_provider_descriptor* desc;
    void* provider_data;
    bool(VCLAP_ABI* init)(const clap_preset_discovery_provider* provider);
    void(VCLAP_ABI* destroy)(const clap_preset_discovery_provider* provider);
    bool(VCLAP_ABI* get_metadata)(const clap_preset_discovery_provider* provider, uint32_t location_kind,
                                  const char* location,
                                  const clap_preset_discovery_metadata_receiver* metadata_receiver);
    const void*(VCLAP_ABI* get_extension)(const clap_preset_discovery_provider* provider, const char* extension_id);
};

struct clap_preset_discovery_factory {
    uint32_t(VCLAP_ABI* count)(const clap_preset_discovery_factory* factory);
    const clap_preset_discovery_provider_descriptor*(VCLAP_ABI* get_descriptor)(
        const clap_preset_discovery_factory* factory, uint32_t index);
    const clap_preset_discovery_provider*(VCLAP_ABI* create)(const clap_preset_discovery_factory* factory,
                                                             const clap_preset_discovery_indexer* indexer,
                                                             const char* provider_id);
};

}  // extern "C"

#if UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
static_assert(sizeof(clap_universal_plugin_id) == 16, "clap_universal_plugin_id");
static_assert(sizeof(clap_preset_discovery_filetype) == 24, "filetype");
static_assert(sizeof(clap_preset_discovery_location) == 32 && offsetof(clap_preset_discovery_location, kind) == 16 &&
                  offsetof(clap_preset_discovery_location, location) == 24,
              "location");
static_assert(sizeof(clap_preset_discovery_soundpack) == 64 &&
                  offsetof(clap_preset_discovery_soundpack, release_timestamp) == 56,
              "soundpack");
static_assert(sizeof(clap_preset_discovery_provider_descriptor) == 40 &&
                  offsetof(clap_preset_discovery_provider_descriptor, id) == 16,
              "provider descriptor");
static_assert(sizeof(clap_preset_discovery_metadata_receiver) == 88 &&
                  offsetof(clap_preset_discovery_metadata_receiver, begin_preset) == 16 &&
                  offsetof(clap_preset_discovery_metadata_receiver, add_extra_info) == 80,
              "metadata receiver");
static_assert(sizeof(clap_preset_discovery_indexer) == 88 &&
                  offsetof(clap_preset_discovery_indexer, indexer_data) == 48 &&
                  offsetof(clap_preset_discovery_indexer, declare_location) == 64,
              "indexer");
static_assert(sizeof(clap_preset_discovery_provider) == 48, "provider");
static_assert(sizeof(clap_preset_discovery_factory) == 24, "factory");
#elif UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(clap_preset_discovery_location) == 16, "location");
static_assert(sizeof(clap_preset_discovery_provider_descriptor) == 24, "provider descriptor");
static_assert(sizeof(clap_preset_discovery_indexer) == 48, "indexer");
static_assert(sizeof(clap_preset_discovery_metadata_receiver) == 44, "metadata receiver");
#if defined(_WIN32)
static_assert(sizeof(clap_preset_discovery_soundpack) == 40, "soundpack");
#else
static_assert(sizeof(clap_preset_discovery_soundpack) == 36, "soundpack");
#endif
#endif
