// Automation stress: the audio thread sets every parameter to random values
// every 32 samples while it processes, a control thread changes programs,
// names and parameters and suspends and resumes during blocks, and an editor
// thread opens, drives and closes the editor (headless, then inside an X11
// window where there is a display). Output must stay sound throughout, and
// afterwards the instance must hold exactly the state the interface set.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "vst/editor_remote.h"
#include "tools/host/validate_groups.h"
#include "tools/host/validate_render.h"
#include "tools/host/validate_stress_state.h"
#include "tools/host/validate_x11.h"

namespace vardelline::host::validate {

namespace {

namespace remote = vardelline::remote;

constexpr float kRate = kStressRate;

enum class EditorMode { None, Headless, X11 };

const char* modeName(EditorMode mode) {
    return mode == EditorMode::None ? "no editor" : mode == EditorMode::Headless ? "headless editor" : "X11 editor";
}

// The audio thread: random block sizes through both entry points, all
// parameters random every 32 samples, suspend and resume between blocks.
void audioThread(Subject& subject, uint64_t seed, const std::atomic<bool>& stop, OutputCheck& check, bool& guards) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    GuardedStereo in(kLargestBlock), out(kLargestBlock);
    TestSignal signal(seed, kRate);
    guards = true;
    for (long block = 0; !stop.load(std::memory_order_relaxed); ++block) {
        const int n = std::uniform_int_distribution<int>(1, kLargestBlock)(random);
        signal.fill(in.channel(0), in.channel(1), n);
        const bool replacing = (block & 1) == 0;
        for (int done = 0; done < n; done += kAutomationStep) {
            for (int i = 0; i < param::kCount; ++i) subject.setParameter(i, value(random));
            const int step = std::min(kAutomationStep, n - done);
            float* inputs[2] = {in.channel(0) + done, in.channel(1) + done};
            float* outputs[2] = {out.channel(0) + done, out.channel(1) + done};
            if (replacing)
                subject.processReplacing(inputs, outputs, step);
            else
                subject.process(inputs, outputs, step);
            for (int i = 0; i < param::kCount; i += 7) (void)subject.getParameter(i);
        }
        for (int c = 0; c < 2; ++c) check.add(out.channel(c), n, kJumpingControlsBound);
        // Program changes come from one host thread, the control thread.
        if (random() % 8 == 0) {
            subject.dispatch(effMainsChanged, 0, 0);
            subject.dispatch(effMainsChanged, 0, 1);
        }
    }
    guards = in.guardsIntact() && out.guardsIntact();
}

// Another host thread: programs, names, texts, parameters and suspend/resume during blocks.
void controlThread(Subject& subject, uint64_t seed, const std::atomic<bool>& stop) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    char text[kVstMaxParamStrLen + kVstMaxProgNameLen];
    while (!stop.load(std::memory_order_relaxed)) {
        switch (random() % 6) {
            case 0: subject.setProgram(static_cast<int>(random() % 8)); break;
            case 1: subject.dispatch(effMainsChanged, 0, static_cast<VstIntPtr>(random() % 2)); break;
            case 2: {
                std::snprintf(text, sizeof text, "Stress %u", static_cast<unsigned>(random() % 1000));
                subject.dispatch(effSetProgramName, 0, 0, text);
                subject.dispatch(effGetProgramName, 0, 0, text);
                break;
            }
            case 3:
                subject.dispatch(effGetParamDisplay, static_cast<VstInt32>(random() % 80), 0, text);
                subject.dispatch(effGetProgramNameIndexed, static_cast<VstInt32>(random() % 8), -1, text);
                break;
            default:
                for (int k = 0; k < 8; ++k) subject.setParameter(static_cast<VstInt32>(random() % 80), value(random));
                break;
        }
        std::this_thread::yield();
    }
    subject.dispatch(effMainsChanged, 0, 1);
}

// The editor thread: opens the editor, drags across it, ticks its timer,
// reads its picture, and closes it again, over and over.
void editorThread(Subject& subject, uint64_t seed, const std::atomic<bool>& stop, ParentWindow* parent,
                  std::atomic<long>& failures) {
    std::mt19937_64 random(seed);
    while (!stop.load(std::memory_order_relaxed)) {
        if (subject.dispatch(effEditOpen, 0, 0, parent ? parent->handle() : nullptr) != 1) failures.fetch_add(1);
        for (int step = 0; step < 20 && !stop.load(std::memory_order_relaxed); ++step) {
            randomDrag(random, [&subject](remote::EditorMouseEvent event) {
                subject.dispatch(effVendorSpecific, remote::kEditorRemote, remote::kCommandMouse, &event);
            });
            subject.dispatch(effVendorSpecific, remote::kEditorRemote, remote::kCommandTick);
            subject.dispatch(effEditIdle);
            if (parent) parent->pump();
            if (step % 5 == 0) {
                remote::EditorFramebuffer frame{};
                if (subject.dispatch(effVendorSpecific, remote::kEditorRemote, remote::kCommandFramebuffer, &frame) ==
                        1 &&
                    (frame.pixels == nullptr || frame.width != 731 || frame.height != 278))
                    failures.fetch_add(1);
            }
        }
        subject.dispatch(effEditClose);
    }
}

// Starts the instance at four times the rate for one block and then at the
// test rate: two changes of ring size, which silence every line and filter
// history, the only way a host clears the band filters' running state.
void silenceEverything(Subject& subject) {
    subject.start(4 * kRate, 64);
    std::vector<float> silence(64, 0.0f);
    float* channels[2] = {silence.data(), silence.data() + 32};
    subject.processReplacing(channels, channels, 32);
    subject.start(kRate, 512);
}

void checkStateAfterStress(Subject& stressed, GroupContext& context, GroupReport& report, const std::string& what) {
    auto fresh = Subject::create(*context.library, HostBehaviour::Full, kRate);
    if (!report.check(fresh != nullptr, "no instance")) return;
    checkStateAgainstFresh<Subject>(stressed, *fresh, param::kCount, context, report, what, silenceEverything,
                                    [](Subject& subject) {
                                        return BlockProcessor([&subject](float** in, float** out, int n) {
                                            subject.processReplacing(in, out, n);
                                        });
                                    });
}

// Many hosts send every value again at every block. Two instances of each
// program, one left alone and one given all 80 of its own values before
// every block, through both entry points: their output must be identical.
void checkResentValues(GroupContext& context, GroupReport& report, double seconds) {
    const long frames = static_cast<long>(seconds * kRate);
    for (int program = 0; program < 8; ++program) {
        for (bool replacing : {true, false}) {
            std::vector<float> outputs[2];
            for (int resend = 0; resend < 2; ++resend) {
                auto subject = Subject::create(*context.library, HostBehaviour::Full, kRate);
                if (!report.check(subject != nullptr, "no instance")) return;
                subject->setProgram(program);
                subject->start(kRate, 256);
                Subject& s = *subject;
                RenderSetup setup;
                setup.blockSize = 256;
                setup.replacing = replacing;
                setup.keep = true;
                TestSignal signal(program, kRate);
                outputs[resend] = render(s, signal, frames, setup, context.random, [&](long) {
                    if (resend == 0) return;
                    for (int i = 0; i < param::kCount; ++i) s.setParameter(i, s.getParameter(i));
                }).output;
            }
            report.countCases(1);
            report.check(outputs[0] == outputs[1], format("program %d, %s: re-sending unchanged values changed the output",
                                                          program, replacing ? "processReplacing" : "process"));
        }
    }
}

}  // namespace

void runAutomationGroup(GroupContext& context, GroupReport& report) {
    const double seconds = context.byLevel(0.4, 1.5, 4.0);
    std::string whyNoX11;
    std::unique_ptr<ParentWindow> parent = ParentWindow::open(whyNoX11);
    report.describe(
        format("all parameters random every %d samples on the audio thread, programs, names, "
               "suspend/resume from a control thread, editor driven from a third: %.1f s each with no "
               "editor, headless%s; every value re-sent before every block in 8 programs x 2 entry points",
               kAutomationStep, seconds, parent ? ", X11 editor" : (" (no X11 editor: " + whyNoX11 + ")").c_str()));
    for (EditorMode mode : {EditorMode::None, EditorMode::Headless, EditorMode::X11}) {
        if (mode == EditorMode::X11 && !parent) continue;
        auto subject = Subject::create(*context.library, HostBehaviour::Full, kRate, kLargestBlock);
        if (!report.check(subject != nullptr, "no instance")) return;
        subject->start(kRate, kLargestBlock);
        std::atomic<bool> stop{false};
        std::atomic<long> editorFailures{0};
        OutputCheck check;
        bool guards = true;
        std::thread audio(audioThread, std::ref(*subject), context.random(), std::cref(stop), std::ref(check),
                          std::ref(guards));
        std::thread control(controlThread, std::ref(*subject), context.random(), std::cref(stop));
        std::thread editor;
        if (mode != EditorMode::None)
            editor = std::thread(editorThread, std::ref(*subject), context.random(), std::cref(stop),
                                 mode == EditorMode::X11 ? parent.get() : nullptr, std::ref(editorFailures));
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        stop.store(true);
        audio.join();
        control.join();
        if (editor.joinable()) editor.join();

        const std::string what = modeName(mode);
        report.countCases(check.samples / kAutomationStep);
        report.check(check.sound(), what + ": " + check.describe());
        report.check(guards, what + ": wrote outside the buffers");
        report.check(editorFailures.load() == 0,
                     format("%s: %ld editor requests failed", what.c_str(), editorFailures.load()));
        checkStateAfterStress(*subject, context, report, what);
    }
    checkResentValues(context, report, context.byLevel(0.1, 0.3, 1.0));
}

}  // namespace vardelline::host::validate
