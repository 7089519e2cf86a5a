// The validator's test groups, one function each; validate_report.cpp lists
// them in running order.
#pragma once

#include "tools/host/validate_report.h"

namespace vardelline::host::validate {

void runLifecycleGroup(GroupContext& context, GroupReport& report);
void runDispatcherGroup(GroupContext& context, GroupReport& report);
void runParameterEntryGroup(GroupContext& context, GroupReport& report);
void runAudioFormatsGroup(GroupContext& context, GroupReport& report);
void runExtremesGroup(GroupContext& context, GroupReport& report);
void runHostileInputGroup(GroupContext& context, GroupReport& report);
void runHugeInputGroup(GroupContext& context, GroupReport& report);
void runAutomationGroup(GroupContext& context, GroupReport& report);
void runStateGroup(GroupContext& context, GroupReport& report);
void runProgramThreadsGroup(GroupContext& context, GroupReport& report);
void runRealtimeGroup(GroupContext& context, GroupReport& report);
void runLongRunGroup(GroupContext& context, GroupReport& report);

// The groups' counterparts for a CLAP library (validate_clap_*.cpp).
void runClapLifecycleGroup(GroupContext& context, GroupReport& report);
void runClapParametersGroup(GroupContext& context, GroupReport& report);
void runClapAudioGroup(GroupContext& context, GroupReport& report);
void runClapExtremesGroup(GroupContext& context, GroupReport& report);
void runClapHostileInputGroup(GroupContext& context, GroupReport& report);
void runClapHugeInputGroup(GroupContext& context, GroupReport& report);
void runClapLongRunGroup(GroupContext& context, GroupReport& report);
void runClapAutomationGroup(GroupContext& context, GroupReport& report);
void runClapStateGroup(GroupContext& context, GroupReport& report);
void runClapRealtimeGroup(GroupContext& context, GroupReport& report);

}  // namespace vardelline::host::validate
