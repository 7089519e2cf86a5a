// The plot subcommand: a picture of what a setting does to the spectrum. The
// eight band-pass responses on a logarithmic frequency axis, worked out from
// the filter design at the chosen sample rate, their sum, and a row per band
// with its delays, pan and modulation in the plug-in's own texts.
#include <CLI/CLI.hpp>
#include <cmath>
#include <complex>
#include <cstdio>
#include <memory>
#include <string>

#include "tools/host/band_response.h"
#include "tools/host/canvas.h"
#include "tools/host/commands.h"
#include "tools/host/host_error.h"
#include "tools/host/picture_file.h"
#include "tools/host/plugin_factory.h"
#include "tools/host/setting_options.h"

namespace vardelline::host {

namespace {

struct PlotOptions {
    std::string output;
    double sampleRate = 44100.0;
    SettingOptions settings;
};

// Parameter indices of the plug-in's layout.
enum : int {
    kStart = 0, kFinish = 1, kWidth = 2, kLeftDelay = 3, kRightDelay = 11, kPan = 19,
    kSpeed = 27, kDepth = 35, kFeedback = 43, kBalance = 51, kUsedParameters = 52
};

constexpr int kWidthPx = 1000, kHeightPx = 640;
constexpr int kPlotLeft = 60, kPlotTop = 50, kPlotWidth = 900, kPlotHeight = 330;
constexpr double kTopDb = 6.0, kBottomDb = -48.0, kLowestHz = 20.0, kHighestHz = 22050.0;

constexpr Colour kBackground{255, 255, 255}, kInk{30, 30, 30}, kGrid{222, 222, 222}, kSum{0, 0, 0};
constexpr Colour kBandColours[kBandCount] = {{200, 40, 40},  {220, 120, 0}, {170, 150, 0},  {40, 150, 40},
                                             {0, 150, 150},  {40, 80, 210}, {120, 50, 200}, {200, 40, 150}};

struct Axes {
    double lowHz, highHz;
    double x(double hz) const { return kPlotLeft + kPlotWidth * std::log(hz / lowHz) / std::log(highHz / lowHz); }
    double hzAt(double px) const { return lowHz * std::pow(highHz / lowHz, (px - kPlotLeft) / kPlotWidth); }
    static double y(double db) {
        const double clamped = std::fmin(kTopDb, std::fmax(kBottomDb, db));
        return kPlotTop + kPlotHeight * (kTopDb - clamped) / (kTopDb - kBottomDb);
    }
};

double decibels(std::complex<double> response) {
    return 20.0 * std::log10(std::fmax(std::abs(response), 1e-9));
}

std::string hzText(double hz) {
    char text[32];
    if (hz >= 1000.0)
        std::snprintf(text, sizeof text, "%gk", hz / 1000.0);
    else
        std::snprintf(text, sizeof text, "%g", hz);
    return text;
}

void drawGrid(Canvas& canvas, const Axes& axes) {
    for (double db = kTopDb; db >= kBottomDb; db -= 6.0) {
        const int y = static_cast<int>(Axes::y(db));
        canvas.fillRect(kPlotLeft, y, kPlotWidth, 1, db == 0.0 ? Colour{170, 170, 170} : kGrid);
        char label[16];
        std::snprintf(label, sizeof label, "%+.0f dB", db);
        canvas.text(kPlotLeft - 8 - Canvas::textWidth(label), y - 3, label, kInk);
    }
    for (double decade = 10.0; decade <= axes.highHz; decade *= 10.0) {
        for (double step : {1.0, 2.0, 5.0}) {
            const double hz = decade * step;
            if (hz < axes.lowHz || hz > axes.highHz) continue;
            const int x = static_cast<int>(axes.x(hz));
            canvas.fillRect(x, kPlotTop, 1, kPlotHeight, kGrid);
            const std::string label = hzText(hz);
            canvas.text(x - Canvas::textWidth(label) / 2, kPlotTop + kPlotHeight + 6, label, kInk);
        }
    }
    canvas.text(kPlotLeft + kPlotWidth - 20, kPlotTop + kPlotHeight + 18, "Hz", kInk);
    // Frame.
    canvas.fillRect(kPlotLeft, kPlotTop, kPlotWidth, 1, kInk);
    canvas.fillRect(kPlotLeft, kPlotTop + kPlotHeight, kPlotWidth + 1, 1, kInk);
    canvas.fillRect(kPlotLeft, kPlotTop, 1, kPlotHeight, kInk);
    canvas.fillRect(kPlotLeft + kPlotWidth, kPlotTop, 1, kPlotHeight, kInk);
}

void drawResponses(Canvas& canvas, const Axes& axes, const std::array<BandFilter, kBandCount>& bands, double rate) {
    std::complex<double> previousSum;
    for (int px = 0; px <= kPlotWidth; ++px) {
        const double hz = axes.hzAt(kPlotLeft + px);
        const double hzBefore = axes.hzAt(kPlotLeft + px - 1);
        std::complex<double> sum;
        for (int b = 0; b < kBandCount; ++b) {
            const std::complex<double> response = bandResponse(bands[static_cast<size_t>(b)], hz, rate);
            sum += response;
            if (px > 0)
                canvas.line(kPlotLeft + px - 1, Axes::y(decibels(bandResponse(bands[static_cast<size_t>(b)], hzBefore, rate))),
                            kPlotLeft + px, Axes::y(decibels(response)), kBandColours[b], 2);
        }
        if (px > 0) canvas.line(kPlotLeft + px - 1, Axes::y(decibels(previousSum)), kPlotLeft + px, Axes::y(decibels(sum)), kSum, 2);
        previousSum = sum;
    }
    // Each band's number above its peak.
    for (int b = 0; b < kBandCount; ++b) {
        const double fc = bands[static_cast<size_t>(b)].centreHz;
        if (fc < axes.lowHz || fc > axes.highHz) continue;
        const std::string number = std::to_string(b + 1);
        canvas.text(static_cast<int>(axes.x(fc)) - Canvas::textWidth(number, 2) / 2,
                    static_cast<int>(Axes::y(decibels(bandResponse(bands[static_cast<size_t>(b)], fc, rate)))) - 20, number,
                    kBandColours[b], 2);
    }
}

void drawLegend(Canvas& canvas, HostedPlugin& instance, const std::array<BandFilter, kBandCount>& bands) {
    int y = kPlotTop + kPlotHeight + 36;
    const std::string top = "Start " + instance.parameterDisplay(kStart) + "   Finish " +
                            instance.parameterDisplay(kFinish) + "   width (Q) " + instance.parameterDisplay(kWidth) +
                            "   delay/chorus " + instance.parameterDisplay(kBalance) +
                            "   black: sum of the bands before delays and pans";
    canvas.text(kPlotLeft, y, top, kInk);
    y += 18;
    const char* const headings[] = {"band", "centre", "left delay", "right delay", "pan", "speed", "width", "feedback"};
    const int columns[] = {0, 50, 140, 240, 340, 470, 560, 640};
    for (int c = 0; c < 8; ++c) canvas.text(kPlotLeft + columns[c], y, headings[c], kInk);
    y += 16;
    for (int b = 0; b < kBandCount; ++b, y += 16) {
        char centre[32];
        const double fc = bands[static_cast<size_t>(b)].centreHz;
        std::snprintf(centre, sizeof centre, fc >= 1000.0 ? "%.2f kHz" : "%.1f Hz", fc >= 1000.0 ? fc / 1000.0 : fc);
        const std::string cells[] = {std::to_string(b + 1), centre, instance.parameterDisplay(kLeftDelay + b),
                                     instance.parameterDisplay(kRightDelay + b), instance.parameterDisplay(kPan + b),
                                     instance.parameterDisplay(kSpeed + b), instance.parameterDisplay(kDepth + b),
                                     instance.parameterDisplay(kFeedback + b)};
        canvas.fillRect(kPlotLeft - 22, y, 14, 8, kBandColours[b]);
        for (int c = 0; c < 8; ++c) canvas.text(kPlotLeft + columns[c], y, cells[c], c == 0 ? kBandColours[b] : kInk);
    }
}

void runPlot(const HostContext& context, const PlotOptions& options) {
    pictureFormatFor(options.output);  // refuses an unknown extension before any work
    if (!(options.sampleRate >= 8000.0 && options.sampleRate <= 384000.0))
        throw HostError("--rate must lie within 8000..384000 Hz");
    checkSettingOptions(options.settings);
    const std::unique_ptr<HostedPlugin> plugin = openPlugin(context.pluginPath, {options.sampleRate, 512});
    HostedPlugin& instance = *plugin;
    if (instance.parameterCount() < kUsedParameters)
        throw HostError(instance.path() + ": not a Vardelline plug-in (too few parameters to plot)");
    applySettingOptions(instance, options.settings);

    const auto bands = designBands(instance.getParameter(kStart), instance.getParameter(kFinish),
                                   instance.getParameter(kWidth), options.sampleRate);
    const Axes axes{kLowestHz, std::fmin(kHighestHz, options.sampleRate * 0.499)};
    Canvas canvas(kWidthPx, kHeightPx, kBackground);
    char title[128];
    std::snprintf(title, sizeof title, "%s: the eight bands at %g Hz", instance.currentProgramName().c_str(),
                  options.sampleRate);
    canvas.text(kPlotLeft, 16, title, kInk, 2);
    drawGrid(canvas, axes);
    drawResponses(canvas, axes, bands, options.sampleRate);
    drawLegend(canvas, instance, bands);
    writePicture(options.output, canvas.width(), canvas.height(), canvas.rgb());
    if (!context.quiet) std::printf("bands of %s -> %s\n", instance.currentProgramName().c_str(), options.output.c_str());
}

}  // namespace

void registerPlotCommand(CLI::App& app, const HostContext& context) {
    auto options = std::make_shared<PlotOptions>();
    CLI::App* plot = app.add_subcommand("plot", "Draw the eight band-pass responses of a setting, with each band's values");
    plot->add_option("-o,--output", options->output, "Picture to write: .png, or .jpg for JPEG")->required();
    plot->add_option("--rate", options->sampleRate, "Sample rate the filters are designed for")->capture_default_str();
    addSettingOptions(*plot, options->settings);
    plot->callback([&context, options] { runPlot(context, *options); });
}

}  // namespace vardelline::host
