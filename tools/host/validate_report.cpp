// Runs the validator's groups and prints what each tried and found.
#include "tools/host/validate_report.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <functional>

#include "tools/host/host_error.h"
#include "tools/host/validate_groups.h"

namespace vardelline::host::validate {

bool GroupReport::check(bool ok, const std::string& message) {
    ++cases_;
    if (!ok) fail(message);
    return ok;
}

void GroupReport::fail(const std::string& message) {
    ++failures_;
    if (messages_.size() < kKeptMessages) messages_.push_back(message);
}

std::string format(const char* pattern, ...) {
    char text[512];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    return text;
}

const std::vector<Group>& allGroups() {
    static const std::vector<Group> groups = {
        {"lifecycle", runLifecycleGroup},
        {"dispatcher", runDispatcherGroup},
        {"parameters", runParameterEntryGroup},
        {"audio", runAudioFormatsGroup},
        {"extremes", runExtremesGroup},
        {"hostile-input", runHostileInputGroup},
        {"huge-input", runHugeInputGroup},
        {"automation", runAutomationGroup},
        {"program-threads", runProgramThreadsGroup},
        {"state", runStateGroup},
        {"realtime", runRealtimeGroup},
        {"long-run", runLongRunGroup},
    };
    return groups;
}

namespace {

bool listed(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool chosen(const Options& options, const std::string& name) {
    return (options.only.empty() || listed(options.only, name)) && !listed(options.skip, name);
}

uint64_t groupSeed(uint64_t seed, const std::string& name) {
    return seed ^ (std::hash<std::string>{}(name)*0x9E3779B97F4A7C15ull);
}

}  // namespace

int runValidation(const std::string& pluginPath, const Options& options) {
    std::vector<std::string> named = options.only;
    named.insert(named.end(), options.skip.begin(), options.skip.end());
    for (const std::string& name : named) {
        const auto& groups = allGroups();
        if (std::none_of(groups.begin(), groups.end(), [&](const Group& g) { return name == g.name; }))
            throw HostError("no test group named '" + name + "'");
    }
    auto library = PluginLibrary::open(pluginPath);
    std::printf("validating %s at level %d, seed %llu\n", pluginPath.c_str(), options.level,
                static_cast<unsigned long long>(options.seed));
    std::fflush(stdout);

    int passed = 0, failed = 0;
    for (const Group& group : allGroups()) {
        if (!chosen(options, group.name)) continue;
        GroupContext context{library, options, std::mt19937_64(groupSeed(options.seed, group.name))};
        GroupReport report;
        const auto start = std::chrono::steady_clock::now();
        try {
            group.run(context, report);
        } catch (const std::exception& e) {
            report.fail(std::string("stopped: ") + e.what());
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!report.skipped().empty() && report.failures() == 0) {
            std::printf("SKIP  %-15s %s\n", group.name, report.skipped().c_str());
        } else {
            const bool ok = report.failures() == 0;
            (ok ? passed : failed)++;
            std::printf("%s  %-15s %s: %ld cases, %ld failed (%.1f s)\n", ok ? "PASS" : "FAIL", group.name,
                        report.tried().c_str(), report.cases(), report.failures(), seconds);
            for (const std::string& message : report.messages()) std::printf("        %s\n", message.c_str());
        }
        std::fflush(stdout);
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed;
}

}  // namespace vardelline::host::validate
