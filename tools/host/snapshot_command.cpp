// The snapshot subcommand: opens the plug-in's editor without any window
// system, optionally sets a program and parameters and plays mouse actions
// on its sliders, then writes the window as a PNG picture. It drives the
// editor only through the binary interface: for VST 2, effEditOpen and the
// editor's vendor-specific requests of vst/editor_remote.h; for CLAP, our
// editor-remote extension of clap/abi/editor_remote.h.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tools/host/commands.h"
#include "tools/host/host_error.h"
#include "tools/host/picture_file.h"
#include "tools/host/editor_scale.h"
#include "tools/host/plugin_factory.h"
#include "tools/host/setting_options.h"


namespace vardelline::host {

namespace {

namespace remote = vardelline::remote;

struct SnapshotOptions {
    std::string output;
    SettingOptions settings;
    std::vector<std::string> mouse;
    double scale = 0.0;  // 0: the plug-in's own choice
};

const char* const kMouseHelp =
    "Mouse action on a slider, in order given: KIND:CONTROL:X[:X2][:MOD...]. KIND is press, move, release, "
    "hover (move only), click (press and release) or drag (press at X, move to X2, release); CONTROL a "
    "slider's name: HsLeft1..8 and HsRight1..8 (delays), HsPan1..8, HsSpeed1..8, HsWidth1..8, HsFeed1..8, "
    "Hstart, HFinish, HQ and HWet (any case); X in the slider's layout pixels (0..99; 10 is 0.0, 90 is 1.0) "
    "at any --scale; MOD shift, ctrl, alt, right or middle";

std::vector<std::string> splitColons(const std::string& text) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, ':');) parts.push_back(part);
    return parts;
}

int pixelNumber(const std::string& text, const std::string& action) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < -10000 || value > 10000)
        throw HostError("mouse action '" + action + "': '" + text + "' is not a pixel position");
    return static_cast<int>(value);
}

// The editor events of one --mouse action.
std::vector<remote::EditorMouseEvent> parseMouseAction(const std::string& action) {
    const std::vector<std::string> parts = splitColons(action);
    if (parts.size() < 3) throw HostError("mouse action '" + action + "' needs the form KIND:CONTROL:X");
    const std::string& kind = parts[0];
    const bool twoPositions = kind == "drag";
    if (twoPositions && parts.size() < 4) throw HostError("mouse action '" + action + "' needs drag:CONTROL:X:X2");

    remote::EditorMouseEvent event{};
    if (parts[1].empty() || parts[1].size() >= sizeof event.control)
        throw HostError("mouse action '" + action + "': '" + parts[1] + "' is not a control name");
    parts[1].copy(event.control, sizeof event.control - 1);
    event.button = remote::kButtonLeft;
    event.y = 6;  // the middle row of a slider
    const int from = pixelNumber(parts[2], action);
    const int to = twoPositions ? pixelNumber(parts[3], action) : from;
    for (size_t i = twoPositions ? 4 : 3; i < parts.size(); ++i) {
        const std::string& mod = parts[i];
        if (mod == "shift")
            event.modifiers |= remote::kModifierShift;
        else if (mod == "ctrl")
            event.modifiers |= remote::kModifierCtrl;
        else if (mod == "alt")
            event.modifiers |= remote::kModifierAlt;
        else if (mod == "right")
            event.button = remote::kButtonRight;
        else if (mod == "middle")
            event.button = remote::kButtonMiddle;
        else
            throw HostError("mouse action '" + action + "': unknown modifier '" + mod + "'");
    }

    auto at = [&event](int32_t eventKind, int x) {
        remote::EditorMouseEvent e = event;
        e.kind = eventKind;
        e.x = x;
        return e;
    };
    if (kind == "press") return {at(remote::kMousePress, from)};
    if (kind == "move" || kind == "hover") return {at(remote::kMouseMove, from)};
    if (kind == "release") return {at(remote::kMouseRelease, from)};
    if (kind == "click") return {at(remote::kMousePress, from), at(remote::kMouseRelease, from)};
    if (kind == "drag") {
        std::vector<remote::EditorMouseEvent> events{at(remote::kMousePress, from)};
        const int step = to >= from ? 1 : -1;
        for (int x = from; x != to;) {
            x += step;
            events.push_back(at(remote::kMouseMove, x));
        }
        events.push_back(at(remote::kMouseRelease, to));
        return events;
    }
    throw HostError("mouse action '" + action + "': unknown kind '" + kind + "'");
}

void writeFramebuffer(const remote::EditorFramebuffer& frame, const std::string& path) {
    if (frame.pixels == nullptr || frame.width <= 0 || frame.height <= 0 || frame.width > 16384 ||
        frame.height > 16384 || frame.stride < frame.width)
        throw HostError("the editor described an unusable picture");
    std::vector<unsigned char> rgb;
    rgb.reserve(static_cast<size_t>(frame.width) * frame.height * 3);
    for (int y = 0; y < frame.height; ++y) {
        const uint32_t* row = frame.pixels + static_cast<size_t>(y) * frame.stride;
        for (int x = 0; x < frame.width; ++x) {
            rgb.push_back(static_cast<unsigned char>(row[x] >> 16));
            rgb.push_back(static_cast<unsigned char>(row[x] >> 8));
            rgb.push_back(static_cast<unsigned char>(row[x]));
        }
    }
    writePicture(path, frame.width, frame.height, rgb);
}

void runSnapshot(const HostContext& context, const SnapshotOptions& options) {
    std::vector<remote::EditorMouseEvent> events;
    for (const std::string& action : options.mouse) {
        for (const remote::EditorMouseEvent& event : parseMouseAction(action)) events.push_back(event);
    }
    pictureFormatFor(options.output);  // refuses an unknown extension before any work
    checkSettingOptions(options.settings);
    checkScale(options.scale);
    const std::unique_ptr<HostedPlugin> instance = openPlugin(context.pluginPath, HostSettings{});
    applySettingOptions(*instance, options.settings);

    const std::unique_ptr<HeadlessEditor> editor = instance->openHeadlessEditor(options.scale);
    for (remote::EditorMouseEvent& event : events) {
        // The editor takes device pixels: the layout pixel given, scaled.
        event.x = devicePixel(event.x, options.scale);
        event.y = devicePixel(event.y, options.scale);
        if (!editor->mouse(event))
            throw HostError(std::string("the editor has no control '") + event.control + "'");
    }
    // One timer tick, so that the sliders show what the mouse changed.
    editor->tick();
    remote::EditorFramebuffer frame{};
    if (!editor->framebuffer(frame))
        throw HostError("the plug-in's editor gave no picture (is it a Vardelline build with the editor?)");
    writeFramebuffer(frame, options.output);
    if (!context.quiet) std::printf("editor: %d x %d pixels -> %s\n", frame.width, frame.height, options.output.c_str());
}

}  // namespace

void registerSnapshotCommand(CLI::App& app, const HostContext& context) {
    auto options = std::make_shared<SnapshotOptions>();
    CLI::App* snapshot =
        app.add_subcommand("snapshot", "Draw the plug-in's editor without a window system and save it as PNG or JPEG");
    snapshot->add_option("-o,--output", options->output, "Picture to write: .png, or .jpg for JPEG")->required();
    addSettingOptions(*snapshot, options->settings);
    snapshot->add_option("-m,--mouse", options->mouse, kMouseHelp)->allow_extra_args(false);
    addScaleOption(*snapshot, options->scale);
    snapshot->callback([&context, options] { runSnapshot(context, *options); });
}

}  // namespace vardelline::host
