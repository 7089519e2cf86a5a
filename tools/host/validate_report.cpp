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
    va_list args, again;
    va_start(args, pattern);
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, pattern, args);
    va_end(args);
    std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    std::vsnprintf(text.data(), text.size() + 1, pattern, again);
    va_end(again);
    return text;
}

namespace {

constexpr const char* kVst2Only = "VST 2 only";
// A CLAP host loads presets from its main thread only.
constexpr const char* kPresetsOnMainThread = "CLAP loads presets on the main thread only";

}  // namespace

const std::vector<Group>& allGroups() {
    static const std::vector<Group> groups = {
        {"lifecycle", "hosts that refuse or answer nothing; many instances created and closed in every order, also "
                      "while others process audio", runLifecycleGroup, runClapLifecycleGroup, nullptr},
        {"dispatcher", "every opcode with hostile indices, values, pointers and floats; the instance must stay intact",
         runDispatcherGroup, nullptr, kVst2Only},
        {"parameters", "hostile values and indices for set/getParameter; names, labels and displays into exact-size "
                       "buffers", runParameterEntryGroup, runClapParametersGroup, nullptr},
        {"audio", "sample rates from 44.1 to 192 kHz with many block sizes through both process calls: finite, "
                  "bounded output, nothing written outside the buffers", runAudioFormatsGroup, runClapAudioGroup, nullptr},
        {"extremes", "every control at its ends and random extreme settings with loud test signals: bounded output",
         runExtremesGroup, runClapExtremesGroup, nullptr},
        {"hostile-input", "NaN, Inf, huge, subnormal and DC input between ordinary audio: finite output, sound again "
                          "afterwards", runHostileInputGroup, runClapHostileInputGroup, nullptr},
        {"huge-input", "finite input up to the largest float: limited, finite output", runHugeInputGroup,
         runClapHugeInputGroup, nullptr},
        {"automation", "random automation on the audio thread while other threads change programs and work the "
                       "editor; afterwards it must equal a fresh instance", runAutomationGroup, runClapAutomationGroup, nullptr},
        {"program-threads", "two threads switching programs at once while audio runs", runProgramThreadsGroup, nullptr,
         kPresetsOnMainThread},
        {"state", "programs and names saved through the interface and restored into a fresh instance: identical",
         runStateGroup, runClapStateGroup, nullptr},
        {"realtime", "no allocation, lock or blocking call inside the audio and parameter calls (Linux)",
         runRealtimeGroup, runClapRealtimeGroup, nullptr},
        {"long-run", "an hour of audio with random automation; with --wrap, 2^31 samples across the counter's wrap",
         runLongRunGroup, runClapLongRunGroup, nullptr},
    };
    return groups;
}

namespace {

// Report lines are kept to this many columns.
constexpr size_t kLineWidth = 100;
constexpr size_t kContinuationIndent = 8;

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

std::string wrapText(const std::string& text, size_t width, size_t indent) {
    std::string wrapped, line;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(start, end - start);
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            wrapped += line + "\n";
            line = std::string(indent, ' ') + word;
        } else {
            line += (line.empty() ? "" : " ") + word;
        }
        start = end + 1;
    }
    return wrapped + line;
}

int runValidation(const std::string& pluginPath, const Options& options) {
    std::vector<std::string> named = options.only;
    named.insert(named.end(), options.skip.begin(), options.skip.end());
    for (const std::string& name : named) {
        const auto& groups = allGroups();
        if (std::none_of(groups.begin(), groups.end(), [&](const Group& g) { return name == g.name; }))
            throw HostError("no test group named '" + name + "'");
    }
    auto plugins = std::make_shared<PluginFactory>(pluginPath);
    const bool clap = plugins->format() == PluginFormat::Clap;
    std::printf("validating %s%s at level %d, seed %llu\n", pluginPath.c_str(), clap ? " (CLAP)" : "", options.level,
                static_cast<unsigned long long>(options.seed));
    std::fflush(stdout);

    int passed = 0, failed = 0;
    for (const Group& group : allGroups()) {
        if (!chosen(options, group.name)) continue;
        GroupContext context{plugins->library(), plugins, options, std::mt19937_64(groupSeed(options.seed, group.name))};
        GroupReport report;
        const auto start = std::chrono::steady_clock::now();
        try {
            if (!clap)
                group.run(context, report);
            else if (group.runClap != nullptr)
                group.runClap(context, report);
            else
                report.skip(group.clapSkip);
        } catch (const std::exception& e) {
            report.fail(std::string("stopped: ") + e.what());
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!report.skipped().empty() && report.failures() == 0) {
            std::printf("%s\n", wrapText(format("SKIP  %-15s %s", group.name, report.skipped().c_str()), kLineWidth,
                                          kContinuationIndent).c_str());
        } else {
            const bool ok = report.failures() == 0;
            (ok ? passed : failed)++;
            const std::string line = format("%s  %-15s %s: %ld cases, %ld failed (%.1f s)", ok ? "PASS" : "FAIL",
                                            group.name, report.tried().c_str(), report.cases(), report.failures(),
                                            seconds);
            std::printf("%s\n", wrapText(line, kLineWidth, kContinuationIndent).c_str());
            for (const std::string& message : report.messages())
                std::printf("        %s\n", wrapText(message, kLineWidth - 8, kContinuationIndent + 4).c_str());
        }
        std::fflush(stdout);
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed;
}

}  // namespace vardelline::host::validate
