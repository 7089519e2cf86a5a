// Time to open the editor at a scale factor (argument: percent), headless:
// from effEditOpen to a window with every strip drawn, and back closed.
// "Warm" finds the factor's pictures already drawn (every open after the
// first in a process); "FirstOpen" draws them too, as the first open at a
// factor does.
#include <benchmark/benchmark.h>

#include "editor/skin.h"
#include "support/fake_host.h"

using namespace vardelline;

namespace {

void openAndClose(APlugin& plugin) {
    plugin.dispatcher(effEditOpen, 0, 0, nullptr, 0.0f);
    plugin.dispatcher(effEditClose, 0, 0, nullptr, 0.0f);
}

void tellScale(APlugin& plugin, double factor) {
    plugin.dispatcher(effVendorSpecific, fourCharCode("PreS"), fourCharCode("AeCs"), nullptr,
                      static_cast<float>(factor));
}

void BM_OpenEditorWarm(benchmark::State& state) {
    auto plugin = makePlugin();
    tellScale(*plugin, state.range(0) / 100.0);
    openAndClose(*plugin);  // draws the pictures once
    for (auto _ : state) openAndClose(*plugin);
}
BENCHMARK(BM_OpenEditorWarm)->Arg(100)->Arg(150)->Arg(200)->Unit(benchmark::kMillisecond);

// The pictures of a factor drawn from the artwork, plus an open and close.
void BM_OpenEditorFirstOpen(benchmark::State& state) {
    auto plugin = makePlugin();
    const double factor = state.range(0) / 100.0;
    tellScale(*plugin, factor);
    for (auto _ : state) {
        gui::Skin drawn(factor);
        benchmark::DoNotOptimize(drawn.background.pixels());
        openAndClose(*plugin);
    }
}
BENCHMARK(BM_OpenEditorFirstOpen)->Arg(150)->Arg(200)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
