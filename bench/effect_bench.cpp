// Benchmarks: processReplacing per frame at several block sizes with every
// band modulated (and the plain scalar model at 512 for the ratio), sixteen
// instances on one and two threads, the cost of a parameter change, a
// program change and a construction, and the resident memory of one instance.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "bench_signal.h"
#include "modulated_settings.h"
#include "reference_vardelline.h"
#include "support/fake_host.h"

using namespace vardelline;

namespace {

// Frames per second through processReplacing, and the multiple of real time at 44.1 kHz.
void measureProcessReplacing(benchmark::State& state, APlugin& plugin, int frames) {
    Signal in(frames), out(frames);
    float* inputs[2] = {in.left.data(), in.right.data()};
    float* outputs[2] = {out.left.data(), out.right.data()};
    for (auto _ : state) {
        plugin.processReplacing(inputs, outputs, frames);
        benchmark::DoNotOptimize(out.left.data());
    }
    state.SetItemsProcessed(state.iterations() * frames);
    state.counters["x_realtime_44k1"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * frames / 44100.0, benchmark::Counter::kIsRate);
}

void BM_ProcessReplacing(benchmark::State& state) {
    auto plugin = makePlugin();
    modulateAllBands(*plugin);
    measureProcessReplacing(state, *plugin, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_ProcessReplacing)->Arg(32)->Arg(512)->Arg(4096);

// Each factory program untouched, 512 frames a block. Program 0, the
// default, has no delay, so every line feeds back within a run.
void BM_FactoryProgram(benchmark::State& state) {
    auto plugin = makePlugin();
    plugin->setProgram(static_cast<int>(state.range(0)));
    measureProcessReplacing(state, *plugin, 512);
}
BENCHMARK(BM_FactoryProgram)->DenseRange(0, kNumPrograms - 1);

void BM_PlainScalarModel(benchmark::State& state) {
    const int frames = static_cast<int>(state.range(0));
    auto model = reference::Model::make();
    auto plugin = makePlugin();
    modulateAllBands(*plugin);
    for (int i = 0; i < kNumParamSlots; ++i) model->setParameter(i, plugin->parameterValue(i));
    Signal in(frames), out(frames);
    for (auto _ : state) {
        model->processReplacing(in.left.data(), in.right.data(), out.left.data(), out.right.data(), frames);
        benchmark::DoNotOptimize(out.left.data());
    }
    state.SetItemsProcessed(state.iterations() * frames);
    state.counters["x_realtime_44k1"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * frames / 44100.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PlainScalarModel)->Arg(512);

// Many instances, as a session with the effect on sixteen tracks runs them:
// each thread processes its share of them in turn, 512 frames each, with
// buffers of its own. Items are instance-frames, so the figure compares
// directly with one instance's (BM_ProcessReplacing/512); two threads share
// nothing the instances write.
void BM_ManyInstances(benchmark::State& state) {
    const int share = static_cast<int>(state.range(0)) / state.threads();
    constexpr int kFrames = 512;
    std::vector<std::unique_ptr<APlugin>> plugins;
    for (int i = 0; i < share; ++i) {
        plugins.push_back(makePlugin());
        modulateAllBands(*plugins.back());
    }
    Signal in(kFrames), out(kFrames);
    float* inputs[2] = {in.left.data(), in.right.data()};
    float* outputs[2] = {out.left.data(), out.right.data()};
    for (auto _ : state) {
        for (auto& plugin : plugins) plugin->processReplacing(inputs, outputs, kFrames);
        benchmark::DoNotOptimize(out.left.data());
    }
    state.SetItemsProcessed(state.iterations() * kFrames * share);
}
BENCHMARK(BM_ManyInstances)->Arg(1)->UseRealTime();
BENCHMARK(BM_ManyInstances)->Arg(16)->Threads(1)->Threads(2)->UseRealTime();

// A parameter change as the audio thread pays for it: store, then the
// redesign at the next block start.
void BM_SetParameter(benchmark::State& state) {
    auto plugin = makePlugin();
    float sample[2] = {0.0f, 0.0f};
    float* io[2] = {&sample[0], &sample[1]};
    int i = 0;
    for (auto _ : state) {
        plugin->setParameter(kPan + (i++ & 7), 0.25f);
        plugin->processReplacing(io, io, 1);
    }
}
BENCHMARK(BM_SetParameter);

void BM_SetProgram(benchmark::State& state) {
    auto plugin = makePlugin();
    float sample[2] = {0.0f, 0.0f};
    float* io[2] = {&sample[0], &sample[1]};
    Signal warm(4096);
    float* warmIn[2] = {warm.left.data(), warm.right.data()};
    int p = 0;
    for (auto _ : state) {
        state.PauseTiming();
        plugin->processReplacing(warmIn, warmIn, 64);  // the chorus lines hold sound again
        state.ResumeTiming();
        plugin->setProgram(p++ & 7);
        plugin->processReplacing(io, io, 1);
    }
}
BENCHMARK(BM_SetProgram)->Unit(benchmark::kMicrosecond);

void BM_Construct(benchmark::State& state) {
    for (auto _ : state) {
        auto plugin = makePlugin();
        benchmark::DoNotOptimize(plugin.get());
    }
}
BENCHMARK(BM_Construct)->Unit(benchmark::kMillisecond);

long residentKiB() {
    long pages = 0, resident = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr) return 0;
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
    return resident * 4;
}

// Resident memory one instance adds after it has processed long enough to
// touch every line it uses.
void BM_ResidentMemoryPerInstance(benchmark::State& state) {
    const float rate = static_cast<float>(state.range(0));
    Signal in(4096);
    float* io[2] = {in.left.data(), in.right.data()};
    double kib = 0;
    for (auto _ : state) {
        long before = residentKiB();
        auto plugin = makePlugin();
        plugin->setSampleRate(rate);
        modulateAllBands(*plugin);
        for (int i = 0; i < 32; ++i) plugin->processReplacing(io, io, 4096);
        kib = static_cast<double>(residentKiB() - before);
    }
    state.counters["resident_MiB"] = kib / 1024.0;
}
BENCHMARK(BM_ResidentMemoryPerInstance)->Arg(44100)->Arg(48000)->Arg(96000)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
