// The edit subcommand: opens the plug-in's editor inside a top-level X11
// window of our own, idles it the way a host's GUI loop does and prints
// every automation request the plug-in sends, with the begin and end of each
// gesture (the drag that makes them), until the window is closed,
// Ctrl-C is pressed or the given time is up. libX11 is loaded at run time,
// so the host builds and runs without it; only this command needs it.
#include <CLI/CLI.hpp>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tools/host/commands.h"
#include "tools/host/editor_scale.h"
#include "tools/host/host_error.h"
#include "tools/host/plugin_instance.h"
#include "tools/host/preset_file.h"
#include "tools/host/setting_options.h"

#if defined(__linux__) && __has_include(<X11/Xlib.h>)
#define VARDELLINE_EDIT_X11 1
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#endif

namespace vardelline::host {

namespace {

struct EditOptions {
    SettingOptions settings;
    std::string save;  // .fxp written with the final settings on close
    double seconds = 0.0;  // 0: until the window is closed
    int idleRate = 60;     // effEditIdle calls per second
    double scale = 0.0;    // 0: the plug-in's own choice
};

#ifdef VARDELLINE_EDIT_X11

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) {
    interrupted = 1;
}

// The libX11 functions used, looked up by name; the declarations in the
// headers give their types.
struct Xlib {
    void* library = nullptr;
    decltype(&XOpenDisplay) openDisplay = nullptr;
    decltype(&XCloseDisplay) closeDisplay = nullptr;
    decltype(&XCreateSimpleWindow) createSimpleWindow = nullptr;
    decltype(&XDestroyWindow) destroyWindow = nullptr;
    decltype(&XStoreName) storeName = nullptr;
    decltype(&XSetClassHint) setClassHint = nullptr;
    decltype(&XInternAtom) internAtom = nullptr;
    decltype(&XSetWMProtocols) setWMProtocols = nullptr;
    decltype(&XAllocSizeHints) allocSizeHints = nullptr;
    decltype(&XSetWMNormalHints) setWMNormalHints = nullptr;
    decltype(&XFree) free = nullptr;
    decltype(&XSelectInput) selectInput = nullptr;
    decltype(&XMapWindow) mapWindow = nullptr;
    decltype(&XFlush) flush = nullptr;
    decltype(&XPending) pending = nullptr;
    decltype(&XNextEvent) nextEvent = nullptr;

    Xlib() {
        library = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) throw HostError("edit needs libX11.so.6, which is not installed");
        find(openDisplay, "XOpenDisplay");
        find(closeDisplay, "XCloseDisplay");
        find(createSimpleWindow, "XCreateSimpleWindow");
        find(destroyWindow, "XDestroyWindow");
        find(storeName, "XStoreName");
        find(setClassHint, "XSetClassHint");
        find(internAtom, "XInternAtom");
        find(setWMProtocols, "XSetWMProtocols");
        find(allocSizeHints, "XAllocSizeHints");
        find(setWMNormalHints, "XSetWMNormalHints");
        find(free, "XFree");
        find(selectInput, "XSelectInput");
        find(mapWindow, "XMapWindow");
        find(flush, "XFlush");
        find(pending, "XPending");
        find(nextEvent, "XNextEvent");
    }
    ~Xlib() { dlclose(library); }
    Xlib(const Xlib&) = delete;
    Xlib& operator=(const Xlib&) = delete;

    template <typename F>
    void find(F& function, const char* name) {
        function = reinterpret_cast<F>(dlsym(library, name));
        if (function == nullptr) throw HostError(std::string("libX11.so.6 lacks ") + name);
    }
};

// Shell quoting of one word.
std::string quoted(const std::string& word) {
    std::string text = "'";
    for (char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
}

// Writes the instance's current program to path and prints a render command
// that sets the same values from the program the session started with.
void saveSettings(PluginInstance& instance, int startProgram, const std::string& path, const std::string& plugin) {
    const PresetProgram settings = captureProgram(instance);
    writeWholeFile(path, encodeProgram(settings, identityOf(instance)));
    std::printf("settings saved -> %s\n", path.c_str());

    PluginInstance reference(PluginLibrary::open(plugin), HostSettings{});
    reference.setProgram(startProgram);
    std::string command = "vardelline-host render IN.wav -o OUT.wav --program " + std::to_string(startProgram);
    for (size_t i = 0; i < settings.values.size(); ++i) {
        const int index = static_cast<int>(i);
        if (reference.getParameter(index) == settings.values[i]) continue;
        // Plain values with nine digits give back the same float exactly.
        char value[32];
        std::snprintf(value, sizeof value, "%.9g", static_cast<double>(settings.values[i]));
        const std::string name = reference.parameterName(index);
        command += " --param " + quoted((name.empty() ? std::to_string(index) : name) + "=" + value);
    }
    std::printf("%s\n", command.c_str());
}

// A fixed-size top-level window on the current display that the window
// manager may close.
class TopLevelWindow {
public:
    TopLevelWindow(const Xlib& x, const std::string& title, int width, int height) : x_(x) {
        display_ = x.openDisplay(nullptr);
        if (display_ == nullptr) throw HostError("cannot open the X display (is DISPLAY set?)");
        const int screen = DefaultScreen(display_);
        window_ = x.createSimpleWindow(display_, RootWindow(display_, screen), 0, 0, static_cast<unsigned>(width),
                                       static_cast<unsigned>(height), 0, BlackPixel(display_, screen),
                                       BlackPixel(display_, screen));
        x.storeName(display_, window_, title.c_str());
        // WM_CLASS lets window managers and task bars group and match the window.
        char instanceName[] = "vardelline-host", className[] = "Vardelline";
        XClassHint classHint{instanceName, className};
        x.setClassHint(display_, window_, &classHint);
        deleteAtom_ = x.internAtom(display_, "WM_DELETE_WINDOW", False);
        x.setWMProtocols(display_, window_, &deleteAtom_, 1);
        if (XSizeHints* hints = x.allocSizeHints()) {
            hints->flags = PMinSize | PMaxSize;
            hints->min_width = hints->max_width = width;
            hints->min_height = hints->max_height = height;
            x.setWMNormalHints(display_, window_, hints);
            x.free(hints);
        }
        x.selectInput(display_, window_, StructureNotifyMask);
        x.mapWindow(display_, window_);
        x.flush(display_);
    }
    ~TopLevelWindow() {
        if (!destroyed_) x_.destroyWindow(display_, window_);
        x_.closeDisplay(display_);
    }
    TopLevelWindow(const TopLevelWindow&) = delete;
    TopLevelWindow& operator=(const TopLevelWindow&) = delete;

    void* handle() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(window_)); }
    unsigned long id() const { return window_; }

    // Handles our window's events; false once the user has closed it.
    bool pump() {
        while (!destroyed_ && x_.pending(display_) > 0) {
            XEvent event;
            x_.nextEvent(display_, &event);
            if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteAtom_)
                closeRequested_ = true;
            if (event.type == DestroyNotify && event.xdestroywindow.window == window_) destroyed_ = true;
        }
        return !closeRequested_ && !destroyed_;
    }

private:
    const Xlib& x_;
    Display* display_ = nullptr;
    Window window_ = 0;
    Atom deleteAtom_ = 0;
    bool closeRequested_ = false;
    bool destroyed_ = false;
};

// Opens the editor in parent and closes it again on the way out.
class OpenEditor {
public:
    OpenEditor(PluginInstance& instance, void* parent) : instance_(instance) {
        if (instance.dispatch(effEditOpen, 0, 0, parent) == 0) throw HostError("the plug-in's editor did not open");
    }
    ~OpenEditor() { instance_.dispatch(effEditClose); }
    OpenEditor(const OpenEditor&) = delete;
    OpenEditor& operator=(const OpenEditor&) = delete;

private:
    PluginInstance& instance_;
};

std::pair<int, int> editorSize(PluginInstance& instance) {
    ERect* rect = nullptr;
    if (instance.dispatch(effEditGetRect, 0, 0, &rect) == 0 || rect == nullptr) return {731, 278};
    const int width = rect->right - rect->left;
    const int height = rect->bottom - rect->top;
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192) return {731, 278};
    return {width, height};
}

void runEdit(const HostContext& context, const EditOptions& options) {
    if (options.idleRate < 1 || options.idleRate > 1000) throw HostError("--idle-rate must lie within 1..1000");
    checkSettingOptions(options.settings);
    checkScale(options.scale);
    PluginInstance instance(PluginLibrary::open(context.pluginPath), HostSettings{});
    if ((instance.effect().flags & effFlagsHasEditor) == 0) throw HostError("the plug-in has no editor");
    applySettingOptions(instance, options.settings);
    tellEditorScale(instance, options.scale);
    const int startProgram = instance.program();

    // Requests arrive inside the plug-in's idle; they are printed after it.
    struct Request {
        enum { kAutomate, kBegin, kEnd } kind;
        int index;
        float value;
    };
    std::vector<Request> requests;
    instance.setAutomationListener(
        [&requests](int index, float value) { requests.push_back({Request::kAutomate, index, value}); });
    instance.setEditListener([&requests](int index, bool begins) {
        requests.push_back({begins ? Request::kBegin : Request::kEnd, index, 0.0f});
    });

    const Xlib x;
    const auto [width, height] = editorSize(instance);
    TopLevelWindow window(x, instance.effectName() + " - " + instance.currentProgramName(), width, height);
    OpenEditor editor(instance, window.handle());
    std::printf("editor open in window 0x%lx (%d x %d); close it or press Ctrl-C to quit\n", window.id(), width,
                height);
    std::fflush(stdout);

    interrupted = 0;
    auto previous = std::signal(SIGINT, onInterrupt);
    const auto start = std::chrono::steady_clock::now();
    const auto period = std::chrono::microseconds(1000000 / options.idleRate);
    unsigned total = 0;
    for (auto next = start; window.pump() && !interrupted;) {
        instance.dispatch(effEditIdle);
        for (const Request& r : requests) {
            const std::string name = instance.parameterName(r.index);
            switch (r.kind) {
                case Request::kAutomate:
                    std::printf("automate %2d %-20s %.6f\n", r.index, name.c_str(), r.value);
                    ++total;
                    break;
                case Request::kBegin: std::printf("begin    %2d %s\n", r.index, name.c_str()); break;
                case Request::kEnd: std::printf("end      %2d %s\n", r.index, name.c_str()); break;
            }
        }
        requests.clear();
        std::fflush(stdout);
        next += period;
        if (options.seconds > 0 && next - start > std::chrono::duration<double>(options.seconds)) break;
        std::this_thread::sleep_until(next);
    }
    std::signal(SIGINT, previous);
    std::printf("editor closed; %u automation requests\n", total);
    if (!options.save.empty()) saveSettings(instance, startProgram, options.save, context.pluginPath);
}

#else

void runEdit(const HostContext&, const EditOptions&) {
    throw HostError("edit needs X11, which this host lacks");
}

#endif

}  // namespace

void registerEditCommand(CLI::App& app, const HostContext& context) {
    auto options = std::make_shared<EditOptions>();
    CLI::App* edit = app.add_subcommand(
        "edit", "Open the plug-in's editor in a window on the X display and print its automation requests");
    addSettingOptions(*edit, options->settings);
    edit->add_option("--save", options->save, "On close, write the final settings to this program file (.fxp)");
    edit->add_option("--seconds", options->seconds, "Close the editor after this many seconds (default: when closed)");
    edit->add_option("--idle-rate", options->idleRate, "effEditIdle calls per second")->capture_default_str();
    addScaleOption(*edit, options->scale);
    edit->callback([&context, options] { runEdit(context, *options); });
}

}  // namespace vardelline::host
