// Every dispatcher opcode from -10 to 200 with hostile arguments: indices
// and values far out of range, null or guarded buffers, non-finite opt. No
// call may crash, write outside the buffer it was given or answer other
// than this plug-in answers; afterwards the instance must still work.
#include <climits>
#include <cmath>
#include <limits>
#include <optional>

#include "tools/host/opcode_buffers.h"
#include "tools/host/validate_groups.h"
#include "tools/host/validate_render.h"

namespace vardelline::host::validate {

namespace {

constexpr VstInt32 kFirstOpcode = -10;
constexpr VstInt32 kLastOpcode = 200;
constexpr VstInt32 kRemoteIndex = fourCharCode("vdLn");  // the editor's vendor-specific requests
// The buffer for opcodes that write nothing through ptr: it holds a long text.
constexpr size_t kGenericBuffer = 512;

struct Call {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    bool withBuffer;
    float opt;
};

bool writesText(VstInt32 opcode) {
    switch (opcode) {
        case effGetProgramName:
        case effGetProgramNameIndexed:
        case effGetParamLabel:
        case effGetParamDisplay:
        case effGetParamName:
        case effGetEffectName:
        case effGetVendorString:
        case effGetProductString: return true;
        default: return false;
    }
}

// The answer this plug-in gives; nullopt where it depends on state (checked apart).
std::optional<VstIntPtr> expectedAnswer(const Call& c) {
    const bool ptr = c.withBuffer;
    switch (c.opcode) {
        case effGetProgram: return std::nullopt;
        case effEditGetRect: return ptr ? 1 : 0;
        case effEditOpen: return 1;
        case effIdentify: return fourCharCode("NvEf");
        case effCanBeAutomated: return c.index >= 0 && c.index < 52 ? 1 : 0;
        case effProcessEvents:
        case effGetNumProgramCategories:
        case effConnectInput:
        case effConnectOutput:
        case effSetBlockSizeAndSampleRate:
        case effGetVendorVersion:
        case effKeysRequired: return 1;
        case effGetProgramNameIndexed: return ptr && c.index >= 0 && c.index < 8 ? 1 : 0;
        case effGetOutputProperties: return ptr && c.index >= 0 && c.index < 2 ? 1 : 0;
        case effGetEffectName:
        case effGetVendorString:
        case effGetProductString: return ptr ? 1 : 0;
        case effVendorSpecific:
            if (c.index == kRemoteIndex) return std::nullopt;
            return 0;
        case effCanDo:
        case effEditKeyDown:
        case effEditKeyUp:
        case effGetCurrentMidiProgram: return -1;
        case effGetVstVersion: return 2200;
        default: return 0;
    }
}

std::string describeCall(const Call& c) {
    return format("opcode %d index %d value %lld ptr %s opt %g", c.opcode, c.index, static_cast<long long>(c.value),
                  c.withBuffer ? "buffer" : "null", static_cast<double>(c.opt));
}

struct Arguments {
    std::vector<VstInt32> indices;
    std::vector<VstIntPtr> values;
    std::vector<float> opts;
};

Arguments hostileArguments(int level) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Arguments a;
    a.indices = {-1, 0, 80, 81, INT_MIN};
    a.values = {0, -1, INTPTR_MAX};
    a.opts = {0.0f, nan};
    if (level >= 2) {
        a.indices.insert(a.indices.end(), {1, 7, 8, 1000000, INT_MAX, kRemoteIndex});
        a.values.insert(a.values.end(), {1, 8, INT_MIN, INTPTR_MIN});
        a.opts.insert(a.opts.end(), {inf, -inf});
    }
    if (level >= 3) {
        a.indices.insert(a.indices.end(), {2, 79, -1000000});
        a.values.insert(a.values.end(), {INTPTR_MAX / 2 + 1, -1000000, fourCharCode("fbuf"), fourCharCode("mous"),
                                         fourCharCode("tick")});
        a.opts.insert(a.opts.end(), {-1e30f, 1e30f, -0.0f});
    }
    return a;
}

// One call with its checks; false when a check failed.
bool runCall(Subject& subject, const Call& c, GroupReport& report) {
    std::optional<GuardedBytes> buffer;
    if (c.withBuffer) {
        buffer.emplace(writeBound(c.opcode, kGenericBuffer));
        if (writesText(c.opcode)) buffer->fillUnterminated();
    }
    const int programBefore = subject.program();
    const VstIntPtr answer = subject.dispatch(c.opcode, c.index, c.value, buffer ? buffer->data() : nullptr, c.opt);

    bool ok = true;
    if (buffer && !buffer->guardsIntact()) {
        report.fail("wrote outside the buffer: " + describeCall(c));
        ok = false;
    }
    if (buffer && writesText(c.opcode) && answer != 0 && !buffer->terminated()) {
        report.fail("left an unterminated text: " + describeCall(c));
        ok = false;
    }
    const std::optional<VstIntPtr> expected = expectedAnswer(c);
    if (expected && answer != *expected) {
        report.fail(format("answered %lld, expected %lld: ", static_cast<long long>(answer),
                           static_cast<long long>(*expected)) +
                    describeCall(c));
        ok = false;
    }
    if (c.opcode == effGetProgram && (answer < 0 || answer > 7)) {
        report.fail(format("effGetProgram answered %lld", static_cast<long long>(answer)));
        ok = false;
    }
    if (c.opcode == effSetProgram) {
        const int wanted = c.value >= 0 && c.value < 8 ? static_cast<int>(c.value) : programBefore;
        if (subject.program() != wanted) {
            report.fail(format("program %d after ", subject.program()) + describeCall(c));
            ok = false;
        }
    }
    return ok;
}

// After the sweep the instance must still be itself and process sound audio.
void checkStillSound(Subject& subject, GroupContext& context, GroupReport& report) {
    AEffect& e = subject.effect();
    report.check(e.magic == kEffectMagic && e.numParams == 80 && e.numPrograms == 8 && e.numInputs == 2 &&
                     e.numOutputs == 2 && e.uniqueID == fourCharCode("vdLn"),
                 "the descriptor changed during the sweep");
    for (int i = 0; i < 80; ++i) {
        const float v = subject.getParameter(i);
        report.check(v >= 0.0f && v <= 1.0f,
                     format("parameter %d reads %g after the sweep", i, static_cast<double>(v)));
    }
    subject.start(48000.0f, 1024);
    TestSignal signal(7, 48000.0f);
    RenderResult result = render(subject, signal, 48000, {}, context.random);
    report.check(result.check.sound() && result.guardsIntact, "audio after the sweep: " + result.check.describe());
}

}  // namespace

void runDispatcherGroup(GroupContext& context, GroupReport& report) {
    const Arguments args = hostileArguments(context.level());
    report.describe(format("opcodes %d..%d x %zu indices x %zu values x null/guarded ptr x %zu opts", kFirstOpcode,
                           kLastOpcode, args.indices.size(), args.values.size(), args.opts.size()));
    auto subject = Subject::create(*context.library);
    if (!report.check(subject != nullptr, "no instance")) return;

    // Every call of one opcode; a few failure messages per opcode are enough.
    auto sweep = [&](VstInt32 opcode) {
        long failures = 0;
        for (VstInt32 index : args.indices)
            for (VstIntPtr value : args.values)
                for (int withBuffer = 0; withBuffer < 2; ++withBuffer) {
                    // effEditOpen's ptr is the host's parent window: a real one or none.
                    if (withBuffer && opcode == effEditOpen) continue;
                    for (float opt : args.opts) {
                        report.countCases(1);
                        if (!runCall(*subject, {opcode, index, value, withBuffer != 0, opt}, report) && ++failures >= 3)
                            return;
                    }
                }
    };
    for (VstInt32 opcode = kFirstOpcode; opcode <= kLastOpcode; ++opcode) {
        if (opcode == effClose) continue;  // destroys the instance: checked last
        // The editor's own requests reach it only while it is open.
        if (opcode == effVendorSpecific) subject->dispatch(effEditOpen);
        sweep(opcode);
        if (opcode == effVendorSpecific) subject->dispatch(effEditClose);
    }
    checkStillSound(*subject, context, report);

    const VstIntPtr closeAnswer = subject->close();
    report.check(closeAnswer == 1, format("effClose answered %lld", static_cast<long long>(closeAnswer)));
}

}  // namespace vardelline::host::validate
