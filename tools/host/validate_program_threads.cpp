// Program changes from two host threads at once (say the host's GUI thread
// and its automation thread): each switch may leave the parameters of either
// program current, but no program may lose the values it keeps.
#include <thread>

#include "tools/host/validate_groups.h"
#include "tools/host/validate_render.h"

namespace vardelline::host::validate {

namespace {

// The values program p keeps, read through the interface.
std::vector<float> programValues(Subject& subject, int p) {
    subject.setProgram(p);
    std::vector<float> values;
    for (int i = 0; i < param::kCount; ++i) values.push_back(subject.getParameter(i));
    return values;
}

}  // namespace

void runProgramThreadsGroup(GroupContext& context, GroupReport& report) {
    const int switches = context.byLevel(1000, 5000, 20000);
    report.describe(
        format("two threads switching between programs 3 and 5, %d times each, while audio runs; "
               "every program must keep its values",
               switches));
    auto subject = Subject::create(*context.library);
    if (!report.check(subject != nullptr, "no instance")) return;
    subject->start(44100.0f, 512);
    std::vector<float> before[8];
    for (int p = 0; p < 8; ++p) before[p] = programValues(*subject, p);

    std::thread first([&] {
        for (int k = 0; k < switches; ++k) subject->setProgram(3);
    });
    std::thread second([&] {
        for (int k = 0; k < switches; ++k) subject->setProgram(5);
    });
    GuardedStereo block(512);
    for (int k = 0; k < switches / 20; ++k) subject->processReplacing(block.pointers(), block.pointers(), 512);
    first.join();
    second.join();

    for (int p = 0; p < 8; ++p)
        report.check(programValues(*subject, p) == before[p],
                     format("program %d lost values while two threads switched programs", p));
}

}  // namespace vardelline::host::validate
