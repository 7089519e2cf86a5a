// What the validate command runs and what it found: the options every test
// group reads, the per-group tally of cases and failures, and the group list.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tools/host/plugin_factory.h"
#include "tools/host/plugin_library.h"

namespace vardelline::host::validate {

// 1 is a quick smoke run, 3 the full run CI makes.
constexpr int kLowestLevel = 1;
constexpr int kHighestLevel = 3;

struct Options {
    int level = kHighestLevel;
    uint64_t seed = 1;
    bool wrap = false;              // also run the sample counter across its 2^31 wrap (minutes)
    std::vector<std::string> only;  // run only these groups
    std::vector<std::string> skip;  // and none of these
};

// The tally of one group. Failures keep their first few messages.
class GroupReport {
public:
    // Counts one case; records a failure with the message when ok is false.
    bool check(bool ok, const std::string& message);
    void fail(const std::string& message);
    void countCases(long n) { cases_ += n; }
    // What the group tried, for its summary line.
    void describe(const std::string& what) { tried_ = what; }
    // A group that cannot run here (no display, a sanitizer build) says why.
    void skip(const std::string& reason) { skipped_ = reason; }

    long cases() const { return cases_; }
    long failures() const { return failures_; }
    const std::string& tried() const { return tried_; }
    const std::string& skipped() const { return skipped_; }
    const std::vector<std::string>& messages() const { return messages_; }

private:
    static constexpr size_t kKeptMessages = 8;
    long cases_ = 0;
    long failures_ = 0;
    std::string tried_;
    std::string skipped_;
    std::vector<std::string> messages_;
};

// What a group needs: the library under test (and its instances, whatever
// its format), the options and its own
// random sequence (seeded from the run's seed and the group's name, so one
// group's cases do not change when another group changes).
struct GroupContext {
    std::shared_ptr<PluginLibrary> library;
    std::shared_ptr<PluginFactory> plugins;
    const Options& options;
    std::mt19937_64 random;

    int level() const { return options.level; }
    // The amount for this run's level: low at 1, middle at 2, high at 3.
    template <typename T>
    T byLevel(T low, T middle, T high) const {
        return level() >= 3 ? high : level() == 2 ? middle : low;
    }
    // A number in [0, 1).
    double uniform() { return std::uniform_real_distribution<double>(0.0, 1.0)(random); }
    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
};

struct Group {
    const char* name;
    const char* description;  // one sentence for --list
    void (*run)(GroupContext& context, GroupReport& report);
    // The same for a CLAP library; where null, the group is skipped on CLAP saying clapSkip.
    void (*runClap)(GroupContext& context, GroupReport& report);
    const char* clapSkip;
};

// Lines of at most width columns; every line after the first starts with indent blanks.
std::string wrapText(const std::string& text, size_t width, size_t indent);

// Every group, in the order they run.
const std::vector<Group>& allGroups();

// Runs the chosen groups, prints one line per group and the closing
// "N passed, M failed" line; returns the number of failed groups.
int runValidation(const std::string& pluginPath, const Options& options);

// printf into a std::string, for messages (C99 formats, %zu included, on MinGW too).
#if defined(__MINGW32__)
std::string format(const char* pattern, ...) __attribute__((format(gnu_printf, 1, 2)));
#else
// mingw's printf family follows the GNU format rules once its ANSI stdio is on.
#if defined(__MINGW32__)
#define VALIDATE_PRINTF_FORMAT __MINGW_PRINTF_FORMAT
#else
#define VALIDATE_PRINTF_FORMAT printf
#endif
std::string format(const char* pattern, ...) __attribute__((format(VALIDATE_PRINTF_FORMAT, 1, 2)));
#endif

}  // namespace vardelline::host::validate
