// The X11 parent window, through libX11 loaded with dlopen.
#include "tools/host/validate_x11.h"

#if defined(__linux__)
#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>
#endif

namespace vardelline::host::validate {

#if defined(__linux__)

namespace {

// The few libX11 entry points used, with opaque types.
using XWindow = unsigned long;
struct X11 {
    void* library = nullptr;
    void* (*openDisplay)(const char*) = nullptr;
    int (*closeDisplay)(void*) = nullptr;
    int (*defaultScreen)(void*) = nullptr;
    XWindow (*rootWindow)(void*, int) = nullptr;
    XWindow (*createSimpleWindow)(void*, XWindow, int, int, unsigned, unsigned, unsigned, unsigned long,
                                  unsigned long) = nullptr;
    int (*mapWindow)(void*, XWindow) = nullptr;
    int (*destroyWindow)(void*, XWindow) = nullptr;
    int (*flush)(void*) = nullptr;
    int (*pending)(void*) = nullptr;
    int (*nextEvent)(void*, void*) = nullptr;

    template <typename F>
    bool find(F& function, const char* name) {
        function = reinterpret_cast<F>(dlsym(library, name));
        return function != nullptr;
    }
    bool load() {
        library = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        return library != nullptr && find(openDisplay, "XOpenDisplay") && find(closeDisplay, "XCloseDisplay") &&
               find(defaultScreen, "XDefaultScreen") && find(rootWindow, "XRootWindow") &&
               find(createSimpleWindow, "XCreateSimpleWindow") && find(mapWindow, "XMapWindow") &&
               find(destroyWindow, "XDestroyWindow") && find(flush, "XFlush") && find(pending, "XPending") &&
               find(nextEvent, "XNextEvent");
    }
};

}  // namespace

struct ParentWindow::Impl {
    X11 x;
    void* display = nullptr;
    XWindow window = 0;

    ~Impl() {
        if (display != nullptr) {
            if (window != 0) x.destroyWindow(display, window);
            x.closeDisplay(display);
        }
        if (x.library != nullptr) dlclose(x.library);
    }
};

std::unique_ptr<ParentWindow> ParentWindow::open(std::string& whyNot) {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        whyNot = "no DISPLAY";
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    if (!impl->x.load()) {
        whyNot = "libX11.so.6 not found";
        return nullptr;
    }
    impl->display = impl->x.openDisplay(nullptr);
    if (impl->display == nullptr) {
        whyNot = std::string("cannot open display ") + name;
        return nullptr;
    }
    const int screen = impl->x.defaultScreen(impl->display);
    impl->window =
        impl->x.createSimpleWindow(impl->display, impl->x.rootWindow(impl->display, screen), 0, 0, 731, 278, 0, 0, 0);
    impl->x.mapWindow(impl->display, impl->window);
    impl->x.flush(impl->display);
    return std::unique_ptr<ParentWindow>(new ParentWindow(std::move(impl)));
}

void* ParentWindow::handle() const {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(impl_->window));
}

void ParentWindow::pump() {
    alignas(16) char event[192];  // an XEvent is 24 longs
    while (impl_->x.pending(impl_->display) > 0) impl_->x.nextEvent(impl_->display, event);
}

#else

struct ParentWindow::Impl {};

std::unique_ptr<ParentWindow> ParentWindow::open(std::string& whyNot) {
    whyNot = "no X11 on this system";
    return nullptr;
}

void* ParentWindow::handle() const {
    return nullptr;
}
void ParentWindow::pump() {}

#endif

ParentWindow::ParentWindow(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
ParentWindow::~ParentWindow() = default;

}  // namespace vardelline::host::validate
