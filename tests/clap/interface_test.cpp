// The factory, descriptor, ports, small extensions and every parameter's
// info and texts, through the binary interface of the built library.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "clap_test_host.h"

using namespace claptest;

TEST(ClapEntry, FactoriesAndDescriptor) {
    ClapLibrary library;
    const clap_plugin_entry* entry = library.entry;
    EXPECT_EQ(entry->clap_version.major, 1u);
    EXPECT_TRUE(entry->init("again"));  // repeated init before deinit is allowed
    entry->deinit();
    EXPECT_EQ(entry->get_factory("clap.unknown"), nullptr);
    EXPECT_EQ(entry->get_factory(nullptr), nullptr);
    EXPECT_NE(entry->get_factory(CLAP_PRESET_DISCOVERY_FACTORY_ID), nullptr);
    EXPECT_EQ(entry->get_factory(CLAP_PRESET_DISCOVERY_FACTORY_ID),
              entry->get_factory(CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT));

    const clap_plugin_factory* factory = library.factory;
    ASSERT_NE(factory, nullptr);
    ASSERT_EQ(factory->get_plugin_count(factory), 1u);
    EXPECT_EQ(factory->get_plugin_descriptor(factory, 1), nullptr);
    const clap_plugin_descriptor* d = factory->get_plugin_descriptor(factory, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->clap_version.major, 1u);
    EXPECT_STREQ(d->id, "com.quorvane.vardelline");
    EXPECT_STREQ(d->name, "Vardelline");
    EXPECT_STREQ(d->vendor, "Quorvane");
    EXPECT_STREQ(d->version, "1.0.0");
    std::set<std::string> features;
    for (const char* const* f = d->features; *f != nullptr; ++f) features.insert(*f);
    EXPECT_EQ(features, (std::set<std::string>{"audio-effect", "delay", "chorus", "stereo"}));

    TestHost host;
    EXPECT_EQ(factory->create_plugin(factory, host.table(), "com.other.plugin"), nullptr);
    EXPECT_EQ(factory->create_plugin(factory, host.table(), nullptr), nullptr);
    EXPECT_EQ(factory->create_plugin(factory, nullptr, d->id), nullptr);
}

TEST(ClapExtensions, PortsLatencyRenderAndUnknownIds) {
    ClapLibrary library;
    TestHost host;
    Instance instance(library, host);
    const clap_plugin* plugin = instance.plugin;
    EXPECT_EQ(plugin->get_extension(plugin, "clap.nothing"), nullptr);
    EXPECT_EQ(plugin->get_extension(plugin, nullptr), nullptr);
    EXPECT_EQ(instance.extension<void>(CLAP_EXT_PRESET_LOAD), instance.extension<void>(CLAP_EXT_PRESET_LOAD_COMPAT));

    const auto* ports = instance.extension<clap_plugin_audio_ports>(CLAP_EXT_AUDIO_PORTS);
    ASSERT_NE(ports, nullptr);
    for (bool input : {true, false}) {
        ASSERT_EQ(ports->count(plugin, input), 1u);
        clap_audio_port_info info;
        std::memset(&info, 0x55, sizeof info);
        ASSERT_TRUE(ports->get(plugin, 0, input, &info));
        EXPECT_EQ(info.id, 0u);
        EXPECT_EQ(info.channel_count, 2u);
        EXPECT_EQ(info.flags, CLAP_AUDIO_PORT_IS_MAIN);
        EXPECT_STREQ(info.port_type, "stereo");
        EXPECT_NE(std::memchr(info.name, 0, sizeof info.name), nullptr);
        EXPECT_FALSE(ports->get(plugin, 1, input, &info));
        EXPECT_FALSE(ports->get(plugin, 0, input, nullptr));
    }

    const auto* latency = instance.extension<clap_plugin_latency>(CLAP_EXT_LATENCY);
    ASSERT_NE(latency, nullptr);
    ASSERT_TRUE(instance.activate());
    EXPECT_EQ(latency->get(plugin), 0u);
    const auto* render = instance.extension<clap_plugin_render>(CLAP_EXT_RENDER);
    ASSERT_NE(render, nullptr);
    EXPECT_FALSE(render->has_hard_realtime_requirement(plugin));
    EXPECT_TRUE(render->set(plugin, CLAP_RENDER_OFFLINE));
    EXPECT_TRUE(render->set(plugin, CLAP_RENDER_REALTIME));
    EXPECT_FALSE(render->set(plugin, 7));
}

TEST(ClapParams, InfoNamesAndDefaults) {
    ClapLibrary library;
    TestHost host;
    Instance instance(library, host);
    const clap_plugin* plugin = instance.plugin;
    const clap_plugin_params* params = instance.params;
    ASSERT_NE(params, nullptr);
    ASSERT_EQ(params->count(plugin), 52u);

    std::set<clap_id> ids;
    for (uint32_t i = 0; i < 52; ++i) {
        clap_param_info info;
        std::memset(&info, 0x55, sizeof info);
        ASSERT_TRUE(params->get_info(plugin, i, &info)) << i;
        ids.insert(info.id);
        EXPECT_EQ(info.id, i);
        EXPECT_EQ(info.flags, CLAP_PARAM_IS_AUTOMATABLE);
        EXPECT_EQ(info.min_value, 0.0);
        EXPECT_EQ(info.max_value, 1.0);
        EXPECT_NE(std::memchr(info.name, 0, sizeof info.name), nullptr);
        EXPECT_EQ(std::strchr(info.name, ':'), nullptr) << info.name;
        EXPECT_STREQ(info.module, "");
        // A fresh instance holds the first program, which gives the defaults.
        double current = -1.0;
        ASSERT_TRUE(params->get_value(plugin, info.id, &current));
        EXPECT_EQ(info.default_value, current) << info.name;
    }
    EXPECT_EQ(ids.size(), 52u);

    clap_param_info info;
    ASSERT_TRUE(params->get_info(plugin, 0, &info));
    EXPECT_STREQ(info.name, "Start Freq");
    ASSERT_TRUE(params->get_info(plugin, 21, &info));
    EXPECT_STREQ(info.name, "Band 3 Pan");
    ASSERT_TRUE(params->get_info(plugin, 51, &info));
    EXPECT_STREQ(info.name, "Delay / Chorus");

    double v = 0.0;
    EXPECT_FALSE(params->get_info(plugin, 52, &info));
    EXPECT_FALSE(params->get_info(plugin, UINT32_MAX, &info));
    EXPECT_FALSE(params->get_info(plugin, 0, nullptr));
    EXPECT_FALSE(params->get_value(plugin, 52, &v));
    EXPECT_FALSE(params->get_value(plugin, CLAP_INVALID_ID, &v));
    EXPECT_FALSE(params->get_value(plugin, 0, nullptr));
}

TEST(ClapParams, TextsRoundTripAndBoundedWrites) {
    ClapLibrary library;
    TestHost host;
    Instance instance(library, host);
    const clap_plugin* plugin = instance.plugin;
    const clap_plugin_params* params = instance.params;

    for (clap_id id = 0; id < 52; ++id) {
        for (int step = 0; step <= 200; ++step) {
            const double v = step / 200.0;
            char text[64];
            ASSERT_TRUE(params->value_to_text(plugin, id, v, text, sizeof text)) << id;
            double back = -1.0;
            ASSERT_TRUE(params->text_to_value(plugin, id, text, &back)) << id << " '" << text << "'";
            ASSERT_GE(back, 0.0);
            ASSERT_LE(back, 1.0);
            char again[64];
            ASSERT_TRUE(params->value_to_text(plugin, id, back, again, sizeof again));
            ASSERT_STREQ(again, text) << "id " << id << " value " << v << " read back as " << back;
        }
    }

    // Known texts, a plain number, and what is not a value.
    double v = -1.0;
    EXPECT_TRUE(params->text_to_value(plugin, 27, "Off", &v));
    EXPECT_EQ(v, 0.0);
    EXPECT_TRUE(params->text_to_value(plugin, 3, "0 ms", &v));
    EXPECT_EQ(v, 0.0);
    EXPECT_TRUE(params->text_to_value(plugin, 3, " 160 ms ", &v));
    EXPECT_EQ(v, 1.0);
    EXPECT_TRUE(params->text_to_value(plugin, 2, "0.25", &v));
    EXPECT_EQ(v, 0.25);
    for (const char* bad : {"", "abc", "12 parsecs", "1.5", "-0.1", "nan", "L/R : x%/1"})
        EXPECT_FALSE(params->text_to_value(plugin, 19, bad, &v)) << bad;
    EXPECT_FALSE(params->text_to_value(plugin, 2, nullptr, &v));
    EXPECT_FALSE(params->text_to_value(plugin, 52, "0.5", &v));
    EXPECT_FALSE(params->text_to_value(plugin, 2, "0.5", nullptr));

    // Bounded writes: never past the capacity, always terminated.
    char guarded[16];
    for (uint32_t capacity = 1; capacity < 8; ++capacity) {
        std::memset(guarded, '#', sizeof guarded);
        ASSERT_TRUE(params->value_to_text(plugin, 21, 0.3, guarded, capacity));
        EXPECT_NE(std::memchr(guarded, 0, capacity), nullptr) << capacity;
        for (size_t i = capacity; i < sizeof guarded; ++i) ASSERT_EQ(guarded[i], '#') << capacity;
    }
    EXPECT_FALSE(params->value_to_text(plugin, 21, 0.3, guarded, 0));
    EXPECT_FALSE(params->value_to_text(plugin, 21, 0.3, nullptr, 16));
    EXPECT_FALSE(params->value_to_text(plugin, 52, 0.3, guarded, sizeof guarded));
    EXPECT_FALSE(params->value_to_text(plugin, 21, std::nan(""), guarded, sizeof guarded));
}
