// Ratios between two ways of running the effect, for the figures that
// compare settings rather than builds: the plain model against the engine,
// each factory program against the modulated setting, 32-frame blocks
// against 512-frame ones, sixteen instances on one thread and on two
// against one instance. The two are timed
// in turn, 8192 frames each, iteration after iteration, so that the
// machine's changing pace falls on both alike; each counter is the median
// of the per-iteration ratios of time per frame (per instance-frame for
// many instances), the second over the first.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "bench_signal.h"
#include "modulated_settings.h"
#include "reference_vardelline.h"
#include "support/fake_host.h"

using namespace vardelline;

namespace {

constexpr int kFramesPerTurn = 8192;
constexpr int kWarmUpFrames = 2048;

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Seconds that play(kFramesPerTurn) takes, after play(kWarmUpFrames)
// untimed, so that what the other side of a ratio left in the caches does
// not count against this one.
template <class Play>
double timedTurn(Play&& play) {
    play(kWarmUpFrames);
    const auto start = std::chrono::steady_clock::now();
    play(kFramesPerTurn);
    return secondsSince(start);
}

// Blocks of one size through instances processed in turn, as a host does.
struct Player {
    Player(int blockFrames, int instances, void (*prepare)(APlugin&))
        : frames(blockFrames), count(instances), setUp(prepare), in(blockFrames), out(blockFrames) {
        renew();
    }
    // Fresh instances, which land elsewhere in memory and so in the caches.
    void renew() {
        plugins.clear();
        for (int i = 0; i < count; ++i) {
            plugins.push_back(makePlugin());
            setUp(*plugins.back());
        }
    }
    // Seconds per instance for a turn of every instance.
    double turn() {
        return timedTurn([this](int frames) { play(frames); }) / static_cast<double>(plugins.size());
    }
    void play(int count) {
        float* inputs[2] = {in.left.data(), in.right.data()};
        float* outputs[2] = {out.left.data(), out.right.data()};
        for (int done = 0; done < count; done += frames)
            for (auto& plugin : plugins) plugin->processReplacing(inputs, outputs, frames);
        benchmark::DoNotOptimize(out.left.data());
    }
    int frames, count;
    void (*setUp)(APlugin&);
    Signal in, out;
    std::vector<std::unique_ptr<APlugin>> plugins;
};

void modulated(APlugin& plugin) {
    modulateAllBands(plugin);
}

// Where an instance's lines fall in the caches changes its speed by a few
// per cent, so both sides start over with fresh instances every so many
// turns, in alternating order.
template <class First, class Second>
void measureRatio(benchmark::State& state, const char* counter, First& first, Second& second) {
    constexpr int kTurnsPerPlacement = 32;
    std::vector<double> ratios;
    for (auto _ : state) {
        if (!ratios.empty() && ratios.size() % kTurnsPerPlacement == 0) {
            if (ratios.size() / kTurnsPerPlacement % 2 == 0) {
                first.renew();
                second.renew();
            } else {
                second.renew();
                first.renew();
            }
        }
        const double a = first.turn();
        ratios.push_back(second.turn() / a);
    }
    std::sort(ratios.begin(), ratios.end());
    state.counters[counter] = ratios.empty() ? 0.0 : ratios[ratios.size() / 2];
}

// The plain model, with the modulated setting's values, in turns like a Player's.
struct PlainPlayer {
    explicit PlainPlayer(const APlugin& settings) : in(512), out(512) {
        for (int i = 0; i < kNumParamSlots; ++i) values[i] = settings.parameterValue(i);
        renew();
    }
    void renew() {
        model = reference::Model::make();
        for (int i = 0; i < kNumParamSlots; ++i) model->setParameter(i, values[i]);
    }
    double turn() {
        return timedTurn([this](int frames) { play(frames); });
    }
    void play(int count) {
        for (int done = 0; done < count; done += 512)
            model->processReplacing(in.left.data(), in.right.data(), out.left.data(), out.right.data(), 512);
        benchmark::DoNotOptimize(out.left.data());
    }
    float values[kNumParamSlots];
    Signal in, out;
    std::unique_ptr<reference::Model> model;
};

void BM_Ratio_PlainModelOverEngine(benchmark::State& state) {
    Player engine(512, 1, modulated);
    PlainPlayer plain(*engine.plugins[0]);
    measureRatio(state, "plain_over_engine", engine, plain);
}
BENCHMARK(BM_Ratio_PlainModelOverEngine)->MinTime(2.0);

void BM_Ratio_ProgramOverModulated(benchmark::State& state) {
    static int program;
    program = static_cast<int>(state.range(0));
    Player reference(512, 1, modulated);
    Player untouched(512, 1, [](APlugin& plugin) { plugin.setProgram(program); });
    measureRatio(state, "program_over_modulated", reference, untouched);
}
BENCHMARK(BM_Ratio_ProgramOverModulated)->DenseRange(0, kNumPrograms - 1)->MinTime(1.0);

void BM_Ratio_SmallBlocksOverLarge(benchmark::State& state) {
    Player large(512, 1, modulated);
    Player small(32, 1, modulated);
    measureRatio(state, "blocks32_over_blocks512", large, small);
}
BENCHMARK(BM_Ratio_SmallBlocksOverLarge)->MinTime(2.0);

void BM_Ratio_InstancesOverOne(benchmark::State& state) {
    Player one(512, 1, modulated);
    Player many(512, static_cast<int>(state.range(0)), modulated);
    measureRatio(state, "per_instance_over_one", one, many);
}
BENCHMARK(BM_Ratio_InstancesOverOne)->Arg(4)->Arg(16)->MinTime(2.0);

// Instances shared by two threads, half each, played at the same time as a
// host with two audio threads does; a turn's time is per instance of a half.
class TwoThreads {
public:
    explicit TwoThreads(int instances)
        : halves{Player(512, instances / 2, modulated), Player(512, instances / 2, modulated)},
          helper([this] { serve(); }) {}
    ~TwoThreads() {
        stopping = true;
        go.fetch_add(1, std::memory_order_release);
        helper.join();
    }
    // Only between turns, while the helper waits.
    void renew() {
        for (Player& half : halves) half.renew();
    }
    double turn() {
        finished = false;
        arrived = 0;
        go.fetch_add(1, std::memory_order_release);
        halves[0].play(kWarmUpFrames);
        arrive();
        const auto start = std::chrono::steady_clock::now();
        halves[0].play(kFramesPerTurn);
        while (!finished.load(std::memory_order_acquire)) std::this_thread::yield();
        return secondsSince(start) / static_cast<double>(halves[0].plugins.size());
    }

private:
    void serve() {
        for (int seen = 0;;) {
            while (go.load(std::memory_order_acquire) == seen) std::this_thread::yield();
            seen = go.load(std::memory_order_acquire);
            if (stopping) return;
            halves[1].play(kWarmUpFrames);
            arrive();
            halves[1].play(kFramesPerTurn);
            finished.store(true, std::memory_order_release);
        }
    }
    // Both threads start timing together.
    void arrive() {
        arrived.fetch_add(1);
        while (arrived.load() < 2) std::this_thread::yield();
    }
    Player halves[2];
    std::atomic<int> go{0}, arrived{0};
    std::atomic<bool> finished{false}, stopping{false};
    std::thread helper;
};

void BM_Ratio_InstancesOnTwoThreadsOverOne(benchmark::State& state) {
    Player one(512, 1, modulated);
    TwoThreads many(static_cast<int>(state.range(0)));
    measureRatio(state, "per_instance_over_one", one, many);
}
BENCHMARK(BM_Ratio_InstancesOnTwoThreadsOverOne)->Arg(16)->MinTime(2.0);

}  // namespace
