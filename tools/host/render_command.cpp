// The render subcommand: an audio file, or the built-in demo signal, through
// one factory program (or every one of them) into audio files, with a line
// of levels and timing per render.
#include <sndfile.h>

#include <CLI/CLI.hpp>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <system_error>
#include <vector>

#include "tools/host/audio_file.h"
#include "tools/host/audio_format.h"
#include "tools/host/commands.h"
#include "tools/host/demo_signal.h"
#include "tools/host/host_error.h"
#include "tools/host/plugin_selection.h"
#include "tools/host/renderer.h"

namespace vardelline::host {

namespace {

constexpr int kMaxBlockSize = 65536;
constexpr double kMaxTailSeconds = 600.0;
// Renders shorter than this finish before a progress bar would help.
constexpr double kProgressMinSeconds = 20.0;
constexpr int kDemoFormat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;

struct RenderOptions {
    std::string input;
    std::string output;
    std::string outDir = "vardelline-renders";
    std::string program;
    std::vector<std::string> settings;
    std::string container;
    std::string encoding;
    int blockSize = 512;
    double tailSeconds = 0.0;
    bool allPrograms = false;
    bool noProgress = false;
};

std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// The audio to render, opened anew for each render.
struct Input {
    std::function<std::unique_ptr<AudioSource>()> open;
    int format;
    std::string defaultOutputStem;  // output path without extension when none is given
};

Input chooseInput(const RenderOptions& options) {
    if (options.input.empty()) {
        auto demo = std::make_shared<StereoBuffer>(makeDemoSignal());
        return {[demo] { return std::make_unique<BufferSource>(*demo, kDemoSampleRate); }, kDemoFormat,
                "vardelline-demo"};
    }
    const std::string path = options.input;
    const int format = AudioFileReader(path).format();  // reports a bad file before anything else
    std::filesystem::path stem(path);
    stem.replace_extension();
    return {[path] { return std::make_unique<AudioFileReader>(path); }, format, stem.string() + "-vardelline"};
}

// One render with a fresh instance, so no program inherits another's delay lines.
struct RenderJob {
    std::string program;  // number or name; empty keeps the plug-in's own first program
    std::string outputPath;
    int format = 0;
};

void printLine(int program, const std::string& programName, const RenderStats& stats, const std::string& path) {
    std::printf("%02d %-16s %s  -> %s\n", program, programName.c_str(), formatStats(stats).c_str(), path.c_str());
    std::fflush(stdout);
}

void runJob(const std::shared_ptr<PluginLibrary>& library, const Input& input, const RenderOptions& options,
            const std::vector<ParameterSetting>& settings, const RenderJob& job) {
    std::unique_ptr<AudioSource> source = input.open();
    PluginInstance instance(library, {source->sampleRate(), options.blockSize});
    requireStereoEffect(instance);
    if (!job.program.empty()) instance.setProgram(findProgram(instance, job.program));
    for (const ParameterSetting& setting : settings) applyParameterSetting(instance, setting);

    const auto tailFrames = static_cast<int64_t>(std::llround(options.tailSeconds * source->sampleRate()));
    AudioFileWriter writer(job.outputPath, job.format, source->sampleRate());
    RenderStats stats;
    {
        const double seconds = static_cast<double>(source->totalFrames() + tailFrames) / source->sampleRate();
        ProgressBar progress(stderr, !options.noProgress && seconds >= kProgressMinSeconds);
        stats = renderStream(instance, *source, writer, tailFrames, progress);
    }
    writer.commit();
    printLine(instance.program(), instance.currentProgramName(), stats, job.outputPath);
}

// Letters, digits, '-' and '_' of a program name; anything else becomes '_'.
std::string fileNamePart(const std::string& name) {
    std::string part;
    for (unsigned char c : name) part += std::isalnum(c) || c == '-' || c == '_' ? static_cast<char>(c) : '_';
    return part.empty() ? "program" : part;
}

std::vector<RenderJob> allProgramJobs(const std::shared_ptr<PluginLibrary>& library, const Input& input,
                                      const RenderOptions& options) {
    const int format = chooseOutputFormat("", input.format, options.container, options.encoding);
    std::error_code error;
    std::filesystem::create_directories(options.outDir, error);
    if (error) throw HostError(options.outDir + ": cannot create folder: " + error.message());

    PluginInstance names(library, {kDemoSampleRate, options.blockSize});
    std::vector<RenderJob> jobs;
    for (int p = 0; p < names.effect().numPrograms; ++p) {
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "%02d-", p);
        const std::string file = prefix + fileNamePart(names.programName(p)) + "." + extensionFor(format);
        jobs.push_back({std::to_string(p), (std::filesystem::path(options.outDir) / file).string(), format});
    }
    return jobs;
}

RenderJob singleJob(const Input& input, const RenderOptions& options) {
    RenderJob job{options.program, options.output, 0};
    if (job.outputPath.empty()) {
        const int format = chooseOutputFormat("", input.format, options.container, options.encoding);
        job.outputPath = input.defaultOutputStem + "." + extensionFor(format);
    }
    job.format = chooseOutputFormat(job.outputPath, input.format, options.container, options.encoding);
    return job;
}

void runRender(const HostContext& context, const RenderOptions& options) {
    if (options.blockSize < 1 || options.blockSize > kMaxBlockSize)
        throw HostError("block size " + std::to_string(options.blockSize) + " is outside 1.." +
                        std::to_string(kMaxBlockSize));
    if (!(options.tailSeconds >= 0.0 && options.tailSeconds <= kMaxTailSeconds))
        throw HostError("tail of " + numberText(options.tailSeconds) + " s is outside 0.." +
                        numberText(kMaxTailSeconds) + " s");
    std::vector<ParameterSetting> settings;
    for (const std::string& text : options.settings) settings.push_back(parseParameterSetting(text));

    const Input input = chooseInput(options);
    const std::shared_ptr<PluginLibrary> library = PluginLibrary::open(context.pluginPath);
    const std::vector<RenderJob> jobs =
        options.allPrograms ? allProgramJobs(library, input, options) : std::vector{singleJob(input, options)};
    for (const RenderJob& job : jobs) runJob(library, input, options, settings, job);
}

}  // namespace

void registerRenderCommand(CLI::App& app, const HostContext& context) {
    auto options = std::make_shared<RenderOptions>();
    CLI::App* render = app.add_subcommand(
        "render", "Render an audio file, or the built-in demo signal when none is given, through the plug-in");
    render->add_option("input", options->input, "Stereo audio file to read (WAV, FLAC, AIFF, ...)");
    CLI::Option* output = render->add_option("-o,--output", options->output,
                                             "File to write (default: <input>-vardelline.<ext>, or "
                                             "vardelline-demo.wav)");
    CLI::Option* program = render->add_option("-p,--program", options->program, "Factory program by number or name");
    render
        ->add_option("-s,--set,--param", options->settings,
                     "Set a parameter, by index or name: NAME=VALUE, VALUE in 0..1")
        ->allow_extra_args(false);
    CLI::Option* all = render->add_flag("--all-programs", options->allPrograms,
                                        "Render once per factory program into --out-dir as NN-<Program>.<ext>");
    CLI::Option* outDir =
        render->add_option("--out-dir", options->outDir, "Folder for --all-programs")->capture_default_str();
    all->excludes(output)->excludes(program);
    outDir->needs(all);
    render->add_option("--format", options->container, "Output file format: " + containerNames());
    render->add_option("--encoding", options->encoding, "Output sample encoding: " + encodingNames());
    render->add_option("-b,--block-size", options->blockSize, "Frames per processing block")->capture_default_str();
    render->add_option("--tail", options->tailSeconds, "Seconds of silence to render after the input")
        ->capture_default_str();
    render->add_flag("--no-progress", options->noProgress, "Never draw a progress bar");
    render->callback([&context, options] { runRender(context, *options); });
}

}  // namespace vardelline::host
