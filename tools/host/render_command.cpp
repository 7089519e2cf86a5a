// The render subcommand: audio files, or the built-in demo signal, through
// one program (or every one of them) into audio files, with a line of
// levels, timing and tail length per render.
#include <sndfile.h>

#include <CLI/CLI.hpp>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <system_error>
#include <vector>

#include "tools/host/audio_file.h"
#include "tools/host/audio_format.h"
#include "tools/host/commands.h"
#include "tools/host/demo_signal.h"
#include "tools/host/host_error.h"
#include "tools/host/interruption.h"
#include "tools/host/output_stage.h"
#include "tools/host/plugin_factory.h"
#include "tools/host/plugin_selection.h"
#include "tools/host/renderer.h"
#include "tools/host/setting_options.h"

namespace vardelline::host {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxBlockSize = 65536;
constexpr double kMaxTailSeconds = 600.0;
constexpr double kDefaultNormalizeDbfs = -1.0;
// Renders shorter than this finish before a progress bar would help.
constexpr double kProgressMinSeconds = 20.0;
constexpr int kDemoFormat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
constexpr const char* kDefaultOutDir = "vardelline-renders";  // for --all-programs

struct RenderOptions {
    std::vector<std::string> inputs;
    std::string output;
    std::string outDir;
    SettingOptions settings;
    std::string container;
    std::string encoding;
    bool floatOutput = false;
    std::string channels;
    int blockSize = 512;
    std::string tail = "auto";
    double gainDb = 0.0;
    std::string normalize;  // with normalizeGiven: the target peak in dBFS, or empty for the default
    bool normalizeGiven = false;
    bool allPrograms = false;
    bool noProgress = false;
};

std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

bool parseNumber(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(value);
}

// What the render's level options ask for, checked before any work.
struct Levels {
    double gain = 1.0;  // linear
    bool normalize = false;
    double normalizeDbfs = kDefaultNormalizeDbfs;
};

// One audio source to render, opened anew for each render.
struct Input {
    std::string path;  // empty for the demo signal
    std::function<std::unique_ptr<AudioSource>()> open;
    int format;
    std::string stem;  // file name without extension
};

Input demoInput() {
    auto demo = std::make_shared<StereoBuffer>(makeDemoSignal());
    return {"", [demo] { return std::make_unique<BufferSource>(*demo, kDemoSampleRate); }, kDemoFormat,
            "vardelline-demo"};
}

Input fileInput(const std::string& path, const ChannelChoice& channels) {
    const int format = AudioFileReader(path, channels).format();  // reports a bad file before anything else
    return {path, [path, channels] { return std::make_unique<AudioFileReader>(path, channels); }, format,
            fs::path(path).stem().string()};
}

// One render with a fresh instance, so no program inherits another's delay lines.
struct RenderJob {
    const Input* input;
    std::string program;  // number or name; empty keeps the settings' program
    std::string outputPath;
    int format = 0;
};

// Letters, digits, '-' and '_' of a program name; anything else becomes '_'.
std::string fileNamePart(const std::string& name) {
    std::string part;
    for (unsigned char c : name) part += std::isalnum(c) || c == '-' || c == '_' ? static_cast<char>(c) : '_';
    return part.empty() ? "program" : part;
}

TailPolicy parseTail(const std::string& text) {
    TailPolicy tail;
    if (text == "auto") return tail;
    double seconds = 0;
    if (!parseNumber(text, seconds))
        throw HostError("--tail " + text + ": give auto or a number of seconds (0 for none)");
    if (!(seconds >= 0.0 && seconds <= kMaxTailSeconds))
        throw HostError("tail of " + numberText(seconds) + " s is outside 0.." + numberText(kMaxTailSeconds) + " s");
    tail.automatic = false;
    tail.seconds = seconds;
    return tail;
}

Levels parseLevels(RenderOptions& options) {
    Levels levels;
    levels.gain = std::pow(10.0, options.gainDb / 20.0);
    if (!std::isfinite(options.gainDb) || std::fabs(options.gainDb) > 120.0)
        throw HostError("--gain " + numberText(options.gainDb) + ": give decibels within -120..120");
    if (!options.normalizeGiven) return levels;
    levels.normalize = true;
    if (!options.normalize.empty()) {
        double dbfs = 0;
        // "--normalize in.wav": the word after the option was the input, not a level.
        if (!parseNumber(options.normalize, dbfs)) {
            if (options.normalize.rfind('-', 0) == 0)
                throw HostError("--normalize " + options.normalize + ": give the peak level in dBFS");
            options.inputs.insert(options.inputs.begin(), options.normalize);
        } else if (dbfs > 0.0 || dbfs < -60.0) {
            throw HostError("--normalize " + options.normalize + ": give a peak level within -60..0 dBFS");
        } else {
            levels.normalizeDbfs = dbfs;
        }
    }
    return levels;
}

std::vector<RenderJob> planJobs(const std::vector<Input>& inputs, const RenderOptions& options,
                                const PluginFactory& plugins) {
    auto formatFor = [&](const Input& input, const std::string& path) {
        return chooseOutputFormat(path, input.format, options.container, options.encoding);
    };
    std::vector<std::pair<std::string, std::string>> programs{{options.settings.program, ""}};
    if (options.allPrograms) {
        programs.clear();
        const std::unique_ptr<HostedPlugin> instance = plugins.instantiate({kDemoSampleRate, options.blockSize});
        HostedPlugin& names = *instance;
        // A bank's own program names, when one is loaded.
        SettingOptions bankOnly;
        bankOnly.bank = options.settings.bank;
        applySettingOptions(names, bankOnly);
        for (int p = 0; p < names.programCount(); ++p) {
            char prefix[16];
            std::snprintf(prefix, sizeof prefix, "%02d-", p);
            programs.emplace_back(std::to_string(p), prefix + fileNamePart(names.programName(p)));
        }
    }
    const bool several = inputs.size() > 1;
    std::vector<RenderJob> jobs;
    for (const Input& input : inputs) {
        for (const auto& [program, programPart] : programs) {
            RenderJob job{&input, program, options.output, 0};
            if (job.outputPath.empty()) {
                const std::string extension = extensionFor(formatFor(input, ""));
                if (options.allPrograms) {
                    const std::string name = (several ? input.stem + "-" : "") + programPart + "." + extension;
                    job.outputPath = (fs::path(options.outDir.empty() ? kDefaultOutDir : options.outDir) / name).string();
                } else if (!options.outDir.empty()) {
                    job.outputPath = (fs::path(options.outDir) / (input.stem + "." + extension)).string();
                } else {
                    const fs::path folder = input.path.empty() ? fs::path() : fs::path(input.path).parent_path();
                    const std::string name = input.path.empty() ? input.stem : input.stem + "-vardelline";
                    job.outputPath = (folder / (name + "." + extension)).string();
                }
            }
            job.format = formatFor(input, job.outputPath);
            jobs.push_back(job);
        }
    }
    return jobs;
}

// Refuses outputs that would lose data: a folder, an input, or one file written twice.
void checkOutputs(const std::vector<RenderJob>& jobs, const std::vector<Input>& inputs) {
    std::set<std::string> seen;
    for (const RenderJob& job : jobs) {
        std::error_code error;
        if (fs::is_directory(job.outputPath, error))
            throw HostError(job.outputPath + ": is a folder; name a file to write (or use --out-dir)");
        for (const Input& input : inputs) {
            if (!input.path.empty() && fs::exists(job.outputPath, error) && fs::equivalent(input.path, job.outputPath, error))
                throw HostError(job.outputPath + ": is the input file; choose another output");
        }
        const std::string key = fs::absolute(job.outputPath, error).lexically_normal().string();
        if (!seen.insert(key).second)
            throw HostError(job.outputPath + ": more than one render would write this file");
    }
}

void printSummary(HostedPlugin& instance, const RenderStats& stats, const RenderOutcome& outcome, double rate,
                  const std::string& path) {
    char tail[48];
    std::snprintf(tail, sizeof tail, "tail %.2f s%s", static_cast<double>(outcome.tailFrames) / rate,
                  outcome.tailCapped ? " (cap)" : "");
    std::printf("%02d %-16s %s  %s  -> %s\n", instance.program(), instance.currentProgramName().c_str(),
                formatStats(stats).c_str(), tail, path.c_str());
    std::fflush(stdout);
}

void runJob(const PluginFactory& plugins, const RenderOptions& options, const TailPolicy& tail,
            const Levels& levels, const HostContext& context, const RenderJob& job) {
    std::unique_ptr<AudioSource> source = job.input->open();
    const double rate = source->sampleRate();
    const std::unique_ptr<HostedPlugin> plugin = plugins.instantiate({rate, options.blockSize});
    HostedPlugin& instance = *plugin;
    requireStereoEffect(instance);
    SettingOptions settings = options.settings;
    settings.program = job.program;
    applySettingOptions(instance, settings);

    AudioFileWriter writer(job.outputPath, job.format, rate);
    const bool clips = encodingClips(job.format);
    RenderOutcome outcome;
    std::unique_ptr<OutputStage> stage;
    {
        const double seconds = static_cast<double>(source->totalFrames()) / rate;
        ProgressBar progress(stderr, !options.noProgress && !context.quiet && seconds >= kProgressMinSeconds);
        if (levels.normalize) {
            // Two passes: the plug-in's output is measured first, then scaled into the file.
            ScratchAudio scratch(job.outputPath);
            outcome = renderStream(instance, *source, tail, [&](const float* l, const float* r, size_t n) { scratch.write(l, r, n); }, progress);
            const double gain = scratch.peak() > 0.0 && std::isfinite(scratch.peak())
                                    ? std::pow(10.0, levels.normalizeDbfs / 20.0) / scratch.peak()
                                    : 1.0;
            stage = std::make_unique<OutputStage>(writer, gain, clips);
            scratch.replay(*stage);
        } else {
            stage = std::make_unique<OutputStage>(writer, levels.gain, clips);
            outcome = renderStream(instance, *source, tail, [&](const float* l, const float* r, size_t n) { stage->write(l, r, n); }, progress);
        }
    }
    writer.commit();
    RenderStats& stats = stage->stats();
    stats.setSampleRate(rate);
    stats.addProcessingTime(outcome.processSeconds);
    if (!context.quiet) printSummary(instance, stats, outcome, rate, job.outputPath);
    if (outcome.tailCapped)
        std::fprintf(stderr, "warning: %s: the output still sounded after the %g s tail cap; it is cut there "
                             "(--tail SECONDS renders a longer one)\n", job.outputPath.c_str(), tail.capSeconds);
    if (stage->overs() > 0)
        std::fprintf(stderr, "warning: %s: %lld samples beyond full scale were clipped (peak %+.1f dBFS); "
                             "lower the level with --gain or --normalize, or keep them with --float\n",
                     job.outputPath.c_str(), static_cast<long long>(stage->overs()), stats.peakDbfs());
}

void runRender(const HostContext& context, RenderOptions options) {
    if (options.blockSize < 1 || options.blockSize > kMaxBlockSize)
        throw HostError("block size " + std::to_string(options.blockSize) + " is outside 1.." +
                        std::to_string(kMaxBlockSize));
    const TailPolicy tail = parseTail(options.tail);
    const Levels levels = parseLevels(options);
    checkSettingOptions(options.settings);
    if (options.floatOutput) options.encoding = "float";
    if (options.allPrograms && !options.settings.program.empty())
        throw HostError("--all-programs renders every program; leave out --program");
    if (!options.output.empty() && options.inputs.size() > 1)
        throw HostError("-o names one file; several inputs need --out-dir");
    const ChannelChoice channels = options.channels.empty() ? ChannelChoice() : ChannelChoice::parse(options.channels);

    std::vector<Input> inputs;
    if (options.inputs.empty()) inputs.push_back(demoInput());
    for (const std::string& path : options.inputs) inputs.push_back(fileInput(path, channels));

    const PluginFactory plugins(context.pluginPath);
    const std::vector<RenderJob> jobs = planJobs(inputs, options, plugins);
    checkOutputs(jobs, inputs);
    if (!options.outDir.empty() || options.allPrograms) {
        const std::string folder = options.outDir.empty() ? kDefaultOutDir : options.outDir;
        std::error_code error;
        fs::create_directories(folder, error);
        if (error) throw HostError(folder + ": cannot create folder: " + error.message());
    }
    InterruptionScope interruption;
    for (const RenderJob& job : jobs) runJob(plugins, options, tail, levels, context, job);
}

}  // namespace

void registerRenderCommand(CLI::App& app, const HostContext& context) {
    auto options = std::make_shared<RenderOptions>();
    CLI::App* render = app.add_subcommand(
        "render", "Render audio files, or the built-in demo signal when none is given, through the plug-in");
    render->add_option("inputs", options->inputs,
                       "Audio files to read (WAV, FLAC, AIFF, ...): mono feeds both inputs; several need --out-dir");
    CLI::Option* output = render->add_option(
        "-o,--output", options->output,
        "File to write; its extension chooses the format (default: <input>-vardelline.<ext>, or vardelline-demo.wav)");
    addSettingOptions(*render, options->settings);
    CLI::Option* all = render->add_flag("--all-programs", options->allPrograms,
                                        "Render once per program into --out-dir as NN-<Program>.<ext>");
    CLI::Option* outDir = render->add_option(
        "--out-dir", options->outDir, "Folder for several inputs or --all-programs (default: vardelline-renders)");
    all->excludes(output);
    outDir->excludes(output);
    render->add_option("--format", options->container, "Output file format: " + containerNames());
    CLI::Option* encoding =
        render->add_option("--encoding", options->encoding, "Output sample encoding: " + encodingNames());
    render->add_flag("--float", options->floatOutput, "Write 32-bit float samples, whatever the input was")
        ->excludes(encoding);
    render->add_option("--channels", options->channels,
                       "Input channels for the left and right inputs, numbered from 1: L,R, or N for both")
        ->type_name("L,R");
    render->add_option("-b,--block-size", options->blockSize, "Frames per processing block")->capture_default_str();
    render->add_option("--tail", options->tail,
                       "Silence rendered after the input: auto (until the output stays below -90 dBFS for 0.5 s, "
                       "at most 60 s), SECONDS, or 0")
        ->type_name("auto|SECONDS")
        ->capture_default_str();
    CLI::Option* gain = render->add_option("--gain", options->gainDb, "Gain in dB applied to the output")->type_name("DB");
    render
        ->add_option("--normalize", options->normalize,
                     "Scale the output so that its peak lies at DBFS (default -1), in a second pass over the "
                     "rendered audio")
        ->expected(0, 1)
        ->type_name("[DBFS]")
        ->excludes(gain);
    render->add_flag("--no-progress", options->noProgress, "Never draw a progress bar");
    render->callback([&context, options, render] {
        options->normalizeGiven = render->count("--normalize") > 0;
        runRender(context, *options);
    });
}

}  // namespace vardelline::host
