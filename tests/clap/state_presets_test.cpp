// State through the host's streams, and the factory programs through
// preset discovery and preset-load.
#include <gtest/gtest.h>

#include <string>

#include "clap_test_host.h"

using namespace claptest;

namespace {

std::vector<double> values(const Instance& instance) {
    std::vector<double> all;
    for (clap_id id = 0; id < 52; ++id) {
        double v = -1.0;
        EXPECT_TRUE(instance.params->get_value(instance.plugin, id, &v));
        all.push_back(v);
    }
    return all;
}

// Sets a spread of values through flush, as a host applying automation does.
void setValues(Instance& instance, uint32_t seed) {
    InputEvents events;
    for (clap_id id = 0; id < 52; ++id) events.addValue(0, id, ((id * 37 + seed * 11) % 101) / 100.0);
    instance.params->flush(instance.plugin, events.list(), nullptr);
}

MemoryStream saved(Instance& instance, size_t chunk = SIZE_MAX) {
    MemoryStream stream;
    stream.chunk = chunk;
    const clap_ostream out = stream.out();
    EXPECT_TRUE(instance.state->save(instance.plugin, &out));
    return stream;
}

bool load(Instance& instance, std::vector<uint8_t> bytes, size_t chunk = SIZE_MAX) {
    MemoryStream stream;
    stream.bytes = std::move(bytes);
    stream.chunk = chunk;
    const clap_istream in = stream.in();
    return instance.state->load(instance.plugin, &in);
}

}  // namespace

TEST(ClapState, RoundTripInPiecesOfAnySize) {
    ClapLibrary library;
    TestHost host;
    Instance source(library, host);
    const auto* presets = source.extension<clap_plugin_preset_load>(CLAP_EXT_PRESET_LOAD);
    ASSERT_TRUE(presets->from_location(source.plugin, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, "5"));
    setValues(source, 3);
    const MemoryStream whole = saved(source);
    EXPECT_EQ(saved(source, 1).bytes, whole.bytes);  // a stream that takes one byte at a time

    for (size_t chunk : {SIZE_MAX, size_t{1}, size_t{7}}) {
        Instance copy(library, host);
        const int rescansBefore = host.rescans;
        ASSERT_TRUE(load(copy, whole.bytes, chunk)) << chunk;
        EXPECT_EQ(values(copy), values(source));
        EXPECT_GT(host.rescans, rescansBefore);  // the host re-reads the values
        EXPECT_EQ(saved(copy).bytes, whole.bytes);  // save, load, save: the same bytes
    }

    MemoryStream failing;
    failing.failWrites = true;
    const clap_ostream out = failing.out();
    EXPECT_FALSE(source.state->save(source.plugin, &out));
    EXPECT_FALSE(source.state->save(source.plugin, nullptr));
}

TEST(ClapState, RefusesForeignTruncatedAndDamagedStreamsWithoutChangingAnything) {
    ClapLibrary library;
    TestHost host;
    Instance source(library, host);
    setValues(source, 1);
    const std::vector<uint8_t> good = saved(source).bytes;

    Instance target(library, host);
    setValues(target, 2);
    const std::vector<double> before = values(target);
    const MemoryStream targetState = saved(target);

    std::vector<std::vector<uint8_t>> refused = {{}, {'V'}, {'V', 'd', 'L', 'n'}};
    for (size_t cut : {size_t{8}, size_t{16}, good.size() / 2, good.size() - 1})
        refused.emplace_back(good.begin(), good.begin() + static_cast<long>(cut));
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    refused.push_back(longer);
    std::vector<uint8_t> foreign(good.size(), 0x42);
    refused.push_back(foreign);
    for (size_t at : {size_t{5}, size_t{12}, size_t{40}, good.size() - 1}) {
        std::vector<uint8_t> damaged = good;
        damaged[at] ^= 0x10;
        refused.push_back(damaged);
    }
    std::vector<uint8_t> newer = good;
    newer[4] = 2;  // a later version of the record
    refused.push_back(newer);

    const size_t logsBefore = host.logged.size();
    for (size_t i = 0; i < refused.size(); ++i) {
        EXPECT_FALSE(load(target, refused[i])) << "case " << i;
        EXPECT_EQ(values(target), before) << "case " << i;
    }
    EXPECT_EQ(saved(target).bytes, targetState.bytes);
    EXPECT_EQ(host.logged.size() - logsBefore, refused.size());  // each refusal says why

    EXPECT_FALSE(target.state->load(target.plugin, nullptr));
    ASSERT_TRUE(load(target, good));
    EXPECT_EQ(values(target), values(source));
}

namespace {

struct Found {
    std::string name;
    std::string key;
    std::string pluginId;
    uint32_t flags = 0;
};

struct Indexer {
    clap_preset_discovery_indexer table{};
    std::vector<clap_preset_discovery_location> locations;
    Indexer() {
        table.clap_version = CLAP_VERSION_CURRENT;
        table.name = "claptest";
        table.indexer_data = this;
        table.declare_filetype = [](const clap_preset_discovery_indexer*, const clap_preset_discovery_filetype*) {
            return true;
        };
        table.declare_location = [](const clap_preset_discovery_indexer* i, const clap_preset_discovery_location* l) {
            static_cast<Indexer*>(i->indexer_data)->locations.push_back(*l);
            return true;
        };
        table.declare_soundpack = [](const clap_preset_discovery_indexer*, const clap_preset_discovery_soundpack*) {
            return true;
        };
        table.get_extension = [](const clap_preset_discovery_indexer*, const char*) -> const void* { return nullptr; };
    }
};

struct Receiver {
    clap_preset_discovery_metadata_receiver table{};
    std::vector<Found> found;
    size_t stopAfter = SIZE_MAX;
    static Receiver* of(const clap_preset_discovery_metadata_receiver* r) {
        return static_cast<Receiver*>(r->receiver_data);
    }
    Receiver() {
        table.receiver_data = this;
        table.on_error = [](const clap_preset_discovery_metadata_receiver*, int32_t, const char*) {};
        table.begin_preset = [](const clap_preset_discovery_metadata_receiver* r, const char* name, const char* key) {
            Receiver* self = of(r);
            if (self->found.size() >= self->stopAfter) return false;
            self->found.push_back({name, key, "", 0});
            return true;
        };
        table.add_plugin_id = [](const clap_preset_discovery_metadata_receiver* r, const clap_universal_plugin_id* id) {
            of(r)->found.back().pluginId = std::string(id->abi) + ":" + id->id;
        };
        table.set_soundpack_id = [](const clap_preset_discovery_metadata_receiver*, const char*) {};
        table.set_flags = [](const clap_preset_discovery_metadata_receiver* r, uint32_t flags) {
            of(r)->found.back().flags = flags;
        };
        table.add_creator = [](const clap_preset_discovery_metadata_receiver*, const char*) {};
        table.set_description = [](const clap_preset_discovery_metadata_receiver*, const char*) {};
        table.set_timestamps = [](const clap_preset_discovery_metadata_receiver*, clap_timestamp, clap_timestamp) {};
        table.add_feature = [](const clap_preset_discovery_metadata_receiver*, const char*) {};
        table.add_extra_info = [](const clap_preset_discovery_metadata_receiver*, const char*, const char*) {};
    }
};

}  // namespace

TEST(ClapPresets, DiscoveryDeclaresTheEightProgramsInsideThePlugin) {
    ClapLibrary library;
    const auto* factory = static_cast<const clap_preset_discovery_factory*>(
        library.entry->get_factory(CLAP_PRESET_DISCOVERY_FACTORY_ID));
    ASSERT_NE(factory, nullptr);
    ASSERT_EQ(factory->count(factory), 1u);
    EXPECT_EQ(factory->get_descriptor(factory, 1), nullptr);
    const clap_preset_discovery_provider_descriptor* d = factory->get_descriptor(factory, 0);
    ASSERT_NE(d, nullptr);
    Indexer indexer;
    EXPECT_EQ(factory->create(factory, &indexer.table, "no.such.provider"), nullptr);
    EXPECT_EQ(factory->create(factory, nullptr, d->id), nullptr);
    const clap_preset_discovery_provider* provider = factory->create(factory, &indexer.table, d->id);
    ASSERT_NE(provider, nullptr);
    ASSERT_TRUE(provider->init(provider));
    ASSERT_EQ(indexer.locations.size(), 1u);
    EXPECT_EQ(indexer.locations[0].kind, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN);
    EXPECT_EQ(indexer.locations[0].location, nullptr);
    EXPECT_EQ(indexer.locations[0].flags, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT);

    Receiver receiver;
    ASSERT_TRUE(provider->get_metadata(provider, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, &receiver.table));
    const char* names[] = {"Default", "DefaultSpread", "AlterSpread", "Panned",
                           "Extreme", "HighSpread",    "Expanding",   "Narrow"};
    ASSERT_EQ(receiver.found.size(), 8u);
    for (size_t p = 0; p < 8; ++p) {
        EXPECT_EQ(receiver.found[p].name, names[p]);
        EXPECT_EQ(receiver.found[p].key, std::to_string(p));
        EXPECT_EQ(receiver.found[p].pluginId, "clap:com.quorvane.vardelline");
        EXPECT_EQ(receiver.found[p].flags, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT);
    }
    Receiver stopping;
    stopping.stopAfter = 2;
    EXPECT_TRUE(provider->get_metadata(provider, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, &stopping.table));
    EXPECT_EQ(stopping.found.size(), 2u);
    EXPECT_FALSE(provider->get_metadata(provider, CLAP_PRESET_DISCOVERY_LOCATION_FILE, "/tmp/x", &receiver.table));
    provider->destroy(provider);
}

TEST(ClapPresets, LoadAppliesTheProgramAndTellsTheHost) {
    ClapLibrary library;
    TestHost host;
    Instance instance(library, host);
    const auto* presets = instance.extension<clap_plugin_preset_load>(CLAP_EXT_PRESET_LOAD);
    ASSERT_NE(presets, nullptr);
    const clap_plugin* plugin = instance.plugin;
    ASSERT_TRUE(presets->from_location(plugin, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, "3"));
    ASSERT_EQ(host.presetsLoaded, std::vector<std::string>{"3"});
    double pan = -1.0;
    ASSERT_TRUE(instance.params->get_value(plugin, 20, &pan));  // "Panned": band 2 hard right
    EXPECT_EQ(pan, 1.0);
    const std::vector<double> panned = values(instance);

    for (const char* bad : {"8", "-1", "03", "", "x"})
        EXPECT_FALSE(presets->from_location(plugin, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, bad)) << bad;
    EXPECT_FALSE(presets->from_location(plugin, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, nullptr));
    EXPECT_FALSE(presets->from_location(plugin, CLAP_PRESET_DISCOVERY_LOCATION_FILE, "/tmp/3", "3"));
    EXPECT_EQ(host.presetErrors, 7);
    EXPECT_EQ(values(instance), panned);  // a refused load changes nothing
}
