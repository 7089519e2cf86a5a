// Saved state the way hosts keep it for a plug-in without chunks: random
// parameters and program names are read back through the interface, restored
// into a fresh instance (programs, then parameters, then names), and both
// instances must then read back alike and give identical output.
#include "tools/host/validate_groups.h"
#include "tools/host/validate_render.h"

namespace vardelline::host::validate {

namespace {

constexpr int kPrograms = 8;

struct SavedProgram {
    std::vector<float> values;
    std::string name;
};

struct SavedState {
    int current = 0;
    std::vector<SavedProgram> programs;
};

std::string programName(Subject& subject) {
    char text[kVstMaxProgNameLen] = {};
    subject.dispatch(effGetProgramName, 0, 0, text);
    text[sizeof text - 1] = '\0';
    return text;
}

SavedState save(Subject& subject) {
    SavedState state;
    state.current = subject.program();
    for (int p = 0; p < kPrograms; ++p) {
        subject.setProgram(p);
        SavedProgram program;
        for (int i = 0; i < param::kCount; ++i) program.values.push_back(subject.getParameter(i));
        program.name = programName(subject);
        state.programs.push_back(std::move(program));
    }
    subject.setProgram(state.current);
    return state;
}

void restore(Subject& subject, const SavedState& state) {
    for (int p = 0; p < kPrograms; ++p) {
        const SavedProgram& program = state.programs[static_cast<size_t>(p)];
        subject.setProgram(p);
        for (int i = 0; i < param::kCount; ++i) subject.setParameter(i, program.values[static_cast<size_t>(i)]);
        std::vector<char> name(program.name.begin(), program.name.end());
        name.push_back('\0');
        subject.dispatch(effSetProgramName, 0, 0, name.data());
    }
    subject.setProgram(state.current);
}

bool same(const SavedState& a, const SavedState& b) {
    if (a.current != b.current) return false;
    for (int p = 0; p < kPrograms; ++p) {
        const SavedProgram& x = a.programs[static_cast<size_t>(p)];
        const SavedProgram& y = b.programs[static_cast<size_t>(p)];
        if (x.values != y.values || x.name != y.name) return false;
    }
    return true;
}

// Random edits the way a user makes them: program by program, some values, a
// new name. Returns the names given.
std::vector<std::string> edit(Subject& subject, GroupContext& context) {
    std::vector<std::string> names;
    for (int p = 0; p < kPrograms; ++p) {
        subject.setProgram(p);
        const int edits = context.between(1, param::kCount);
        for (int e = 0; e < edits; ++e)
            subject.setParameter(context.between(0, param::kCount - 1), static_cast<float>(context.uniform()));
        std::string name = format("Saved %d", context.between(0, 99999));
        name.resize(static_cast<size_t>(context.between(1, static_cast<int>(kVstMaxProgNameLen) - 1)), '#');
        subject.dispatch(effSetProgramName, 0, 0, name.data());
        names.push_back(name);
    }
    subject.setProgram(context.between(0, kPrograms - 1));
    return names;
}

std::vector<float> output(Subject& subject, float rate) {
    subject.start(rate, 1000);
    TestSignal signal(21, rate);
    std::mt19937_64 random(1);
    RenderSetup setup;
    setup.blockSize = 1000;
    setup.keep = true;
    return render(subject, signal, static_cast<long>(rate / 2), setup, random).output;
}

}  // namespace

void runStateGroup(GroupContext& context, GroupReport& report) {
    const int rounds = context.byLevel(1, 4, 12);
    report.describe(
        format("%d %s: random edits of 8 programs and names, saved through the interface, restored "
               "into a fresh instance, read back and rendered for 0.5 s",
               rounds, rounds == 1 ? "round" : "rounds"));
    for (int round = 0; round < rounds; ++round) {
        const float rate = round % 2 ? 96000.0f : 44100.0f;
        auto original = Subject::create(*context.library, HostBehaviour::Full, rate);
        auto restored = Subject::create(*context.library, HostBehaviour::Full, rate);
        if (!report.check(original && restored, "no instance")) return;
        const std::vector<std::string> names = edit(*original, context);
        const SavedState saved = save(*original);
        for (int p = 0; p < kPrograms; ++p)
            report.check(
                saved.programs[static_cast<size_t>(p)].name == names[static_cast<size_t>(p)],
                format("round %d: program %d reads back the name '%s', not '%s'", round, p,
                       saved.programs[static_cast<size_t>(p)].name.c_str(), names[static_cast<size_t>(p)].c_str()));
        restore(*restored, saved);
        report.check(same(saved, save(*restored)),
                     format("round %d: the restored instance reads back otherwise", round));
        report.check(output(*original, rate) == output(*restored, rate),
                     format("round %d: the restored instance sounds otherwise", round));
    }
}

}  // namespace vardelline::host::validate
