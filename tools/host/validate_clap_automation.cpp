// Automation stress for a CLAP library, as a CLAP host may drive it: the
// audio thread sends every parameter as events every 32 samples while it
// processes, and the main thread meanwhile loads presets, reads values and
// their texts and drives the headless editor. Output must stay sound, and
// afterwards the instance must sound as a fresh one in the same state. Then
// every value re-sent before every block must change nothing.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "tools/host/host_error.h"
#include "tools/host/validate_clap.h"
#include "tools/host/validate_groups.h"
#include "tools/host/validate_stress_state.h"

namespace vardelline::host::validate {

namespace {

constexpr float kRate = kStressRate;

void audioThread(ClapInstance& instance, uint64_t seed, const std::atomic<bool>& stop, OutputCheck& check,
                 bool& guards) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    GuardedStereo in(kLargestBlock), out(kLargestBlock);
    TestSignal signal(seed, kRate);
    const int count = instance.parameterCount();
    while (!stop.load(std::memory_order_relaxed)) {
        const int n = std::uniform_int_distribution<int>(1, kLargestBlock)(random);
        signal.fill(in.channel(0), in.channel(1), n);
        for (int done = 0; done < n; done += kAutomationStep) {
            for (int i = 0; i < count; ++i) instance.setParameter(i, value(random));
            float* inputs[2] = {in.channel(0) + done, in.channel(1) + done};
            float* outputs[2] = {out.channel(0) + done, out.channel(1) + done};
            instance.processReplacing(inputs, outputs, std::min(kAutomationStep, n - done));
        }
        for (int c = 0; c < 2; ++c) check.add(out.channel(c), n, kJumpingControlsBound);
    }
    guards = in.guardsIntact() && out.guardsIntact();
}

// The main thread's part: presets, values and texts read through the params
// extension itself (the instance's own reads belong to the audio thread),
// and the editor opened, dragged across, ticked, read and closed.
long mainThreadWork(ClapInstance& instance, uint64_t seed, double seconds) {
    std::mt19937_64 random(seed);
    const clap_plugin& plugin = instance.plugin();
    const clap_plugin_params& params = instance.params();
    long failures = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        switch (random() % 3) {
            case 0: instance.setProgram(static_cast<int>(random() % 8)); break;
            case 1:
                for (int k = 0; k < 8; ++k) {
                    const clap_id id = instance.parameterId(static_cast<int>(random() % instance.parameterCount()));
                    double value = -1.0;
                    char text[64];
                    if (!params.get_value(&plugin, id, &value) || !(value >= 0.0 && value <= 1.0) ||
                        !params.value_to_text(&plugin, id, value, text, sizeof text))
                        ++failures;
                }
                break;
            default: {
                std::unique_ptr<HeadlessEditor> editor;
                try {
                    editor = instance.openHeadlessEditor(1.0);
                } catch (const HostError&) {
                    ++failures;
                    break;
                }
                for (int step = 0; step < 20; ++step) {
                    randomDrag(random, [&editor](const remote::EditorMouseEvent& event) { editor->mouse(event); });
                    editor->tick();
                    remote::EditorFramebuffer frame{};
                    if (step % 5 == 0 && (!editor->framebuffer(frame) || frame.pixels == nullptr ||
                                          frame.width != 731 || frame.height != 278))
                        ++failures;
                }
            }
        }
        std::this_thread::yield();
    }
    return failures;
}

// Deactivated and activated at four times the rate for one block and then
// at the test rate: two changes of ring size.
void silenceEverything(ClapInstance& instance) {
    instance.configure({4.0 * kRate, 64});
    instance.resume();
    std::vector<float> silence(64, 0.0f);
    float* channels[2] = {silence.data(), silence.data() + 32};
    instance.processReplacing(channels, channels, 32);
    instance.configure({kRate, kLargestBlock});
    instance.resume();
}

// Two instances of each program, one left alone and one given all its own
// values again as events before every block: their output must be identical.
void checkResentValues(GroupContext& context, GroupReport& report, double seconds) {
    for (int program = 0; program < 8; ++program) {
        std::vector<float> outputs[2];
        for (int resend = 0; resend < 2; ++resend) {
            auto instance = clapInstance(context, kRate, 256);
            instance->setProgram(program);
            instance->resume();
            std::vector<float> values(static_cast<size_t>(instance->parameterCount()));
            for (size_t i = 0; i < values.size(); ++i) values[i] = instance->getParameter(static_cast<int>(i));
            RenderSetup setup;
            setup.blockSize = 256;
            setup.keep = true;
            TestSignal signal(program, kRate);
            outputs[resend] = render(
                processorOf(*instance), [&signal](float* l, float* r, int n) { signal.fill(l, r, n); },
                static_cast<long>(seconds * kRate), setup, context.random, [&](long) {
                    if (resend == 1)
                        for (size_t i = 0; i < values.size(); ++i) instance->setParameter(static_cast<int>(i), values[i]);
                }).output;
        }
        report.countCases(1);
        report.check(outputs[0] == outputs[1], format("program %d: re-sending unchanged values changed the output", program));
    }
}

}  // namespace

void runClapAutomationGroup(GroupContext& context, GroupReport& report) {
    const double seconds = context.byLevel(0.4, 1.5, 4.0);
    report.describe(format("all parameters as events every %d samples on the audio thread while the main thread "
                           "loads presets, reads values and texts and drives the headless editor, %.1f s; every "
                           "value re-sent before every block in 8 programs",
                           kAutomationStep, seconds));
    auto instance = clapInstance(context, kRate);
    instance->resume();
    std::atomic<bool> stop{false};
    OutputCheck check;
    bool guards = true;
    std::thread audio(audioThread, std::ref(*instance), context.random(), std::cref(stop), std::ref(check),
                      std::ref(guards));
    const long failures = mainThreadWork(*instance, context.random(), seconds);
    stop.store(true);
    audio.join();
    report.countCases(check.samples / kAutomationStep);
    report.check(check.sound(), "during the stress: " + check.describe());
    report.check(guards, "wrote outside the buffers");
    report.check(failures == 0, format("%ld requests of the main thread failed", failures));
    auto fresh = clapInstance(context, kRate);
    fresh->resume();
    checkStateAgainstFresh<ClapInstance>(*instance, *fresh, instance->parameterCount(), context, report,
                                         "after the stress", silenceEverything,
                                         [](ClapInstance& i) { return processorOf(i); });
    checkResentValues(context, report, context.byLevel(0.1, 0.3, 1.0));
}

}  // namespace vardelline::host::validate
