// libFuzzer target for the CLAP plug-in: turns its input into a sequence of
// host calls on one instance (activation at any rate and block size, process
// with any block length and any list of events, parameter texts both ways,
// state loaded from any bytes and saved into streams that fail, presets by
// any key) and checks that no buffer is written outside its bounds, that
// every output sample is finite and not subnormal and that every value the
// plug-in reports lies in 0..1.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "clap/abi/core.h"
#include "clap/abi/extensions.h"
#include "clap/abi/preset_discovery.h"
#include "fuzz/fuzz_input.h"

extern "C" const clap_plugin_entry clap_entry;

namespace {

using vardelline::fuzz::FuzzInput;
using vardelline::fuzz::require;

// The input, with the values this fuzzer picks from it.
class Input : public FuzzInput {
public:
    using FuzzInput::FuzzInput;
    // A parameter id: one of the plug-in's, a telling wrong one, or any.
    clap_id id() {
        const uint8_t pick = byte();
        return pick < 52 ? pick : pick < 60 ? 52 + (pick - 52) * 10 : pick < 64 ? CLAP_INVALID_ID : raw<clap_id>();
    }
    double number() {
        static const double kNumbers[] = {0.0,       1.0,    0.5,    -1.0,   NAN,     INFINITY,
                                          -INFINITY, 1e300,  -1e300, 1e-310, 44100.0, 192000.0};
        const uint8_t pick = byte();
        return pick < std::size(kNumbers) ? kNumbers[pick] : pick < 200 ? pick / 200.0 : raw<double>();
    }
    // A text of up to 64 bytes, terminated.
    std::vector<char> text() {
        std::vector<char> text(1 + byte() % 64);
        for (char& c : text) c = static_cast<char>(byte());
        text.back() = '\0';
        return text;
    }

};


constexpr char kGuardByte = static_cast<char>(0xA5);

const clap_host kHost = {CLAP_VERSION_CURRENT,
                         nullptr,
                         "fuzzer",
                         "",
                         "",
                         "1",
                         [](const clap_host*, const char*) -> const void* { return nullptr; },
                         [](const clap_host*) {},
                         [](const clap_host*) {},
                         [](const clap_host*) {}};

struct Instance {
    const clap_plugin* plugin = nullptr;
    const clap_plugin_params* params = nullptr;
    const clap_plugin_state* state = nullptr;
    const clap_plugin_preset_load* presets = nullptr;
    bool active = false;
    bool processing = false;
    uint32_t maxFrames = 0;
};

Instance create() {
    auto factory = static_cast<const clap_plugin_factory*>(clap_entry.get_factory(CLAP_PLUGIN_FACTORY_ID));
    Instance instance;
    instance.plugin = factory->create_plugin(factory, &kHost, "com.quorvane.vardelline");
    require(instance.plugin != nullptr && instance.plugin->init(instance.plugin));
    auto extension = [&](const char* id) { return instance.plugin->get_extension(instance.plugin, id); };
    instance.params = static_cast<const clap_plugin_params*>(extension(CLAP_EXT_PARAMS));
    instance.state = static_cast<const clap_plugin_state*>(extension(CLAP_EXT_STATE));
    instance.presets = static_cast<const clap_plugin_preset_load*>(extension(CLAP_EXT_PRESET_LOAD));
    require(instance.params && instance.state && instance.presets);
    return instance;
}

void stop(Instance& instance) {
    if (instance.processing) instance.plugin->stop_processing(instance.plugin);
    if (instance.active) instance.plugin->deactivate(instance.plugin);
    instance.processing = instance.active = false;
}

void destroy(Instance& instance) {
    stop(instance);
    instance.plugin->destroy(instance.plugin);
}

void activate(Instance& instance, Input& input) {
    stop(instance);
    const double rate = input.number();
    const uint32_t minFrames = input.byte();
    instance.maxFrames = input.byte() % 4 == 0 ? input.raw<uint32_t>() : 1u + input.raw<uint16_t>() % 4096;
    instance.active = instance.plugin->activate(instance.plugin, rate, minFrames, instance.maxFrames);
    if (instance.active) instance.processing = instance.plugin->start_processing(instance.plugin);
}

// Events as a host lays them out: each in its own allocation of the size
// its header claims (at least a header), so that a read past it is caught.
struct EventList {
    std::vector<std::unique_ptr<uint8_t[]>> events;
    static uint32_t size(const clap_input_events* list) {
        return static_cast<uint32_t>(static_cast<EventList*>(list->ctx)->events.size());
    }
    static const clap_event_header* get(const clap_input_events* list, uint32_t index) {
        auto& events = static_cast<EventList*>(list->ctx)->events;
        return index < events.size() ? reinterpret_cast<const clap_event_header*>(events[index].get()) : nullptr;
    }
};

void addEvent(EventList& list, Input& input, uint32_t frames) {
    clap_event_param_value event{};
    const uint8_t shape = input.byte();
    event.header.size = shape % 8 == 0 ? input.raw<uint8_t>() : static_cast<uint32_t>(sizeof event);
    event.header.time = shape % 5 == 0 ? input.raw<uint32_t>() : (frames > 0 ? input.byte() % frames : 0);
    event.header.space_id = shape % 11 == 0 ? input.raw<uint16_t>() : CLAP_CORE_EVENT_SPACE_ID;
    event.header.type = shape % 3 == 0 ? input.byte() % 14 : CLAP_EVENT_PARAM_VALUE;
    event.param_id = input.id();
    event.value = input.number();
    const size_t bytes = std::max<size_t>(event.header.size, sizeof(clap_event_header));
    auto memory = std::make_unique<uint8_t[]>(bytes);
    std::memcpy(memory.get(), &event, std::min(bytes, sizeof event));
    list.events.push_back(std::move(memory));
}

bool pushEvent(const clap_output_events* list, const clap_event_header* event) {
    require(event != nullptr && event->size >= sizeof(clap_event_header));
    return list->ctx != nullptr;  // a host whose queue is full says no
}

void process(Instance& instance, Input& input) {
    if (!instance.processing) return;
    const uint32_t frames = std::min<uint32_t>(input.raw<uint16_t>() % 1100, instance.maxFrames);
    constexpr uint32_t kGuard = 8;
    std::vector<float> in[2], out[2];
    for (int c = 0; c < 2; ++c) {
        in[c].assign(frames + 2 * kGuard, 77.0f);
        out[c].assign(frames + 2 * kGuard, 77.0f);
        const double level = input.number();
        for (uint32_t k = 0; k < frames; ++k)
            in[c][kGuard + k] = (k % 37 == 0 && std::isfinite(level)) ? static_cast<float>(std::fmod(level, 1e30))
                                                                      : std::sin(0.05f * static_cast<float>(k));
    }
    const uint8_t mode = input.byte();
    float* inputs[2] = {in[0].data() + kGuard, in[1].data() + kGuard};
    float* outputs[2] = {out[0].data() + kGuard, out[1].data() + kGuard};
    clap_audio_buffer inBuffer{inputs, nullptr, 2, 0, 0};
    clap_audio_buffer outBuffer{(mode & 1) ? inputs : outputs, nullptr, 2, 0, 0};
    EventList events;
    for (int n = input.byte() % 12; n > 0; --n) addEvent(events, input, frames);
    const clap_input_events inEvents{&events, EventList::size, EventList::get};
    const clap_output_events outEvents{(mode & 2) ? nullptr : &events, pushEvent};
    const clap_process block{0,         frames,     nullptr, &inBuffer, &outBuffer, (mode & 4) ? 0u : 1u,
                             (mode & 8) ? 0u : 1u, &inEvents, &outEvents};
    instance.plugin->process(instance.plugin, &block);
    float** target = outBuffer.data32;
    for (int c = 0; c < 2; ++c) {
        for (uint32_t k = 0; k < frames; ++k)
            require(std::isfinite(target[c][k]) && std::fpclassify(target[c][k]) != FP_SUBNORMAL);
        for (uint32_t k = 0; k < kGuard; ++k) {
            require(in[c][k] == 77.0f && in[c][kGuard + frames + k] == 77.0f);
            require(out[c][k] == 77.0f && out[c][kGuard + frames + k] == 77.0f);
        }
    }
}

void texts(Instance& instance, Input& input) {
    const clap_id id = input.id();
    const uint32_t capacity = input.byte() % 72;
    std::vector<char> buffer(capacity + 64, kGuardByte);
    const bool written = instance.params->value_to_text(instance.plugin, id, input.number(),
                                                        capacity ? buffer.data() : nullptr, capacity);
    for (size_t k = capacity; k < buffer.size(); ++k) require(buffer[k] == kGuardByte);
    if (written) require(capacity > 0 && std::memchr(buffer.data(), '\0', capacity) != nullptr);
    const std::vector<char> text = input.text();
    double value = 0.0;
    if (instance.params->text_to_value(instance.plugin, id, text.data(), &value)) require(value >= 0.0 && value <= 1.0);
    if (instance.params->get_value(instance.plugin, id, &value)) require(value >= 0.0 && value <= 1.0);
}

// A stream over the fuzzer's bytes that may hand them out a few at a time,
// or fail part way.
struct ByteStream {
    std::vector<uint8_t> bytes;
    size_t position = 0;
    uint8_t chunk = 0;  // 0: all that is asked for
    size_t failAt = SIZE_MAX;
    static int64_t read(const clap_istream* stream, void* buffer, uint64_t size) {
        auto& self = *static_cast<ByteStream*>(stream->ctx);
        if (self.position >= self.failAt) return -1;
        const uint64_t left = self.bytes.size() - self.position;
        const size_t count = std::min<uint64_t>({size, left, self.chunk ? uint64_t{self.chunk} : UINT64_MAX});
        if (count > 0) std::memcpy(buffer, self.bytes.data() + self.position, count);
        self.position += count;
        return static_cast<int64_t>(count);
    }
    static int64_t write(const clap_ostream* stream, const void* buffer, uint64_t size) {
        auto& self = *static_cast<ByteStream*>(stream->ctx);
        if (self.bytes.size() >= self.failAt) return -1;
        const size_t count = std::min<uint64_t>(size, self.chunk ? uint64_t{self.chunk} : UINT64_MAX);
        if (count > 0)
            self.bytes.insert(self.bytes.end(), static_cast<const uint8_t*>(buffer),
                              static_cast<const uint8_t*>(buffer) + count);
        return static_cast<int64_t>(count);
    }
};

void loadState(Instance& instance, Input& input) {
    ByteStream stream;
    const uint8_t shape = input.byte();
    if (shape & 1) {
        // A record the plug-in saved, with a few bytes changed.
        ByteStream saved;
        const clap_ostream out{&saved, ByteStream::write};
        require(instance.state->save(instance.plugin, &out));
        stream.bytes = saved.bytes;
        for (int n = input.byte() % 4; n > 0 && !stream.bytes.empty(); --n)
            stream.bytes[input.raw<uint16_t>() % stream.bytes.size()] = input.byte();
    } else {
        stream.bytes.resize(input.raw<uint16_t>() % 600);
        for (uint8_t& b : stream.bytes) b = input.byte();
    }
    stream.chunk = shape & 2 ? input.byte() % 8 : 0;
    stream.failAt = shape & 4 ? input.raw<uint16_t>() % 400 : SIZE_MAX;
    const clap_istream in{&stream, ByteStream::read};
    instance.state->load(instance.plugin, &in);
    for (clap_id id = 0; id < 52; ++id) {
        double value = -1.0;
        require(instance.params->get_value(instance.plugin, id, &value) && value >= 0.0 && value <= 1.0);
    }
}

void saveState(Instance& instance, Input& input) {
    ByteStream stream;
    stream.chunk = input.byte() % 8;
    stream.failAt = input.byte() & 1 ? input.raw<uint16_t>() % 400 : SIZE_MAX;
    const clap_ostream out{&stream, ByteStream::write};
    instance.state->save(instance.plugin, &out);
}

void loadPreset(Instance& instance, Input& input) {
    const uint32_t kind = input.byte() % 4 == 0 ? input.raw<uint32_t>() : CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN;
    const std::vector<char> location = input.text();
    const std::vector<char> key = input.text();
    instance.presets->from_location(instance.plugin, kind, input.byte() & 1 ? location.data() : nullptr,
                                    input.byte() & 1 ? key.data() : nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input input(data, size);
    require(clap_entry.init(""));
    Instance instance = create();
    for (int step = 0; step < 256 && !input.empty(); ++step) {
        switch (input.byte() % 9) {
            case 0: activate(instance, input); break;
            case 1:
            case 2: process(instance, input); break;
            case 3: texts(instance, input); break;
            case 4: loadState(instance, input); break;
            case 5: saveState(instance, input); break;
            case 6: loadPreset(instance, input); break;
            case 7: stop(instance); break;
            case 8:
                destroy(instance);
                instance = create();
                break;
        }
    }
    destroy(instance);
    clap_entry.deinit();
    return 0;
}
