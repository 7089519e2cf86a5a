// The validate command run as users run it: the real plug-in passes, and
// every deliberately broken stand-in fails exactly the group aimed at its
// fault, with a non-zero exit code and the closing "N passed, M failed" line.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <memory>
#include <regex>
#include <string>
#include "support/sanitized.h"

namespace {

// Sanitizer builds skip the realtime group: they intercept the same calls themselves.
using testsupport::kSanitized;

struct HostRun {
    int exitCode;
    std::string out;
};

HostRun runCommand(const std::string& line) {
    const std::string command = line + " 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    HostRun run{-1, ""};
    if (!pipe) return run;
    std::array<char, 4096> chunk;
    size_t n;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe.get())) > 0) run.out.append(chunk.data(), n);
    const int status = pclose(pipe.release());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

HostRun runHost(const std::string& args) {
    return runCommand("'" HOST_EXECUTABLE "' " + args);
}

std::string lastLine(const std::string& text) {
    std::string trimmed = text.substr(0, text.find_last_not_of('\n') + 1);
    return trimmed.substr(trimmed.find_last_of('\n') + 1);
}

std::string broken(const std::string& fault) {
    return std::string(BROKEN_PLUGIN_DIR) + "/broken_" + fault + ".so";
}

TEST(Validate, RealPluginPassesEveryGroupAtTheQuickLevel) {
    const HostRun run = runHost("--plugin '" REAL_PLUGIN "' validate --level 1");
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_TRUE(std::regex_match(lastLine(run.out), std::regex("[0-9]+ passed, 0 failed"))) << run.out;
    EXPECT_EQ(run.out.find("FAIL"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("SKIP  realtime") != std::string::npos, kSanitized) << run.out;
}

struct Fault {
    const char* name;
    const char* group;  // the group that must catch it
};

class BrokenPlugin : public ::testing::TestWithParam<Fault> {};

TEST_P(BrokenPlugin, FailsTheGroupAimedAtItsFault) {
    const Fault fault = GetParam();
    if (kSanitized && std::string(fault.group) == "realtime") GTEST_SKIP() << "no realtime group in this build";
    const HostRun run = runHost("--plugin '" + broken(fault.name) + "' validate --level 1 --only " + fault.group);
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_NE(run.out.find(std::string("FAIL  ") + fault.group), std::string::npos) << run.out;
    EXPECT_EQ(lastLine(run.out), "0 passed, 1 failed") << run.out;
}

INSTANTIATE_TEST_SUITE_P(Faults, BrokenPlugin,
                         ::testing::Values(Fault{"overrun", "dispatcher"}, Fault{"overrun", "parameters"},
                                           Fault{"allocate", "realtime"}, Fault{"poison", "hostile-input"},
                                           Fault{"names", "state"}, Fault{"shared", "lifecycle"}),
                         [](const auto& info) {
                             return std::string(info.param.name) + "_" +
                                    (info.param.group[0] == 'h' ? "hostile" : info.param.group);
                         });

TEST(Validate, BrokenPluginPassesTheGroupsNotAimedAtItsFault) {
    const HostRun run = runHost("--plugin '" + broken("allocate") + "' validate --level 1 --only audio,state");
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(lastLine(run.out), "2 passed, 0 failed") << run.out;
}

TEST(Validate, ListsItsGroupsAndRefusesUnknownOnes) {
    const HostRun list = runHost("validate --list");
    EXPECT_EQ(list.exitCode, 0);
    for (const char* group : {"lifecycle", "dispatcher", "automation", "realtime", "long-run"})
        EXPECT_NE(list.out.find(group), std::string::npos) << group;
    const HostRun unknown = runHost("--plugin '" REAL_PLUGIN "' validate --only nonsense");
    EXPECT_NE(unknown.exitCode, 0);
    EXPECT_NE(unknown.out.find("no test group named 'nonsense'"), std::string::npos) << unknown.out;
    EXPECT_NE(runHost("validate --level 4").exitCode, 0);
}

// The everyday host renders on the C library's own malloc: only the
// validator beside it intercepts calls. Alone, it validates in place and says
// why the realtime group is skipped.
TEST(Validate, OnlyTheValidatorInterceptsCalls) {
    const auto exportsMalloc = [](const std::string& executable) {
        return runCommand("nm -D --defined-only '" + executable + "' | grep -qw malloc").exitCode == 0;
    };
    if (!kSanitized) {  // a sanitizer's runtime brings its own malloc into both
        EXPECT_FALSE(exportsMalloc(HOST_EXECUTABLE));
        EXPECT_TRUE(exportsMalloc(VALIDATOR_EXECUTABLE));
    }

    const std::string alone = ::testing::TempDir() + "vardelline-host-alone";
    ASSERT_EQ(runCommand("cp '" HOST_EXECUTABLE "' '" + alone + "'").exitCode, 0);
    const HostRun run = runCommand("'" + alone + "' --plugin '" REAL_PLUGIN "' validate --level 1 --only realtime");
    std::remove(alone.c_str());
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("SKIP  realtime"), std::string::npos) << run.out;
}

}  // namespace
