// X11 presentation of the editor: one display connection and one child
// window per open editor, driven entirely from the host's idle calls. X
// errors on our connection (a parent the host already destroyed, a bad
// handle) are swallowed per connection; a lost server ends only our
// connection, through a handler that is in place just while we use it.
#include "editor/x11/x11_window.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

#include "editor/form.h"

// Xlib last: its macros (None, Bool, Status, ...) must not meet our headers.
#include <X11/Xlib.h>
#include <X11/Xlibint.h>
#include <X11/Xutil.h>

namespace vardelline::gui {

namespace {

using Clock = std::chrono::steady_clock;

// Longest stretch of time handed to the timers at once, so that a host that
// stalls for seconds gets one tick afterwards, not a burst.
constexpr int kMaxElapseMs = 1000;

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            LeaveWindowMask | StructureNotifyMask;

constexpr unsigned kAnyButtonMask = Button1Mask | Button2Mask | Button3Mask | Button4Mask | Button5Mask;

// Where one 8-bit colour channel goes in a true-colour pixel.
struct Channel {
    int shift = 0;
    int bits = 0;

    static Channel of(unsigned long mask) {
        Channel c;
        if (mask == 0) return c;
        while ((mask & 1) == 0) {
            mask >>= 1;
            ++c.shift;
        }
        while ((mask & 1) != 0) {
            mask >>= 1;
            ++c.bits;
        }
        return c;
    }
    unsigned long pack(int value) const {
        const unsigned long v = static_cast<unsigned long>(value);
        return (bits <= 8 ? v >> (8 - bits) : v << (bits - 8)) << shift;
    }
};

// Swallows every error of the connection it is installed on; the request
// that failed answers 0 where it has an answer.
int swallowError(Display*, xError*, XExtCodes*, int* result) {
    *result = 0;
    return 1;
}

// Xlib's handler for a lost connection is process-wide and, by default,
// ends the process. While one of our windows talks to the server, this
// guard lets a loss of our connection pass (the connection's own exit
// handler then marks it broken) and hands any other to the host's handler.
// Nothing that can call back into the host runs under it.
class LostServerGuard {
public:
    explicit LostServerGuard(Display* display) : lock_(mutex()) {
        guarded().store(display);
        previous().store(XSetIOErrorHandler(&LostServerGuard::onLost));
    }
    ~LostServerGuard() {
        XSetIOErrorHandler(previous().load());
        guarded().store(nullptr);
    }
    LostServerGuard(const LostServerGuard&) = delete;
    LostServerGuard& operator=(const LostServerGuard&) = delete;

private:
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    // Read by the handler, which may run on any thread that uses Xlib.
    static std::atomic<Display*>& guarded() {
        static std::atomic<Display*> display{nullptr};
        return display;
    }
    static std::atomic<XIOErrorHandler>& previous() {
        static std::atomic<XIOErrorHandler> handler{nullptr};
        return handler;
    }
    static int onLost(Display* display) {
        const XIOErrorHandler host = previous().load();
        if (display != guarded().load() && host != nullptr) return host(display);
        return 0;
    }

    std::lock_guard<std::mutex> lock_;
};

bool nativeLsbFirst() {
    const uint16_t probe = 1;
    unsigned char first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

class X11Window final : public PlatformWindow {
public:
    X11Window(Display* display, Form& form) : display_(display), form_(form), lastTick_(Clock::now()) {
        // Errors and a lost server stay within this connection.
        XExtCodes* codes = XAddExtension(display_);
        if (codes != nullptr) XESetError(display_, codes->extension, swallowError);
        XSetIOErrorExitHandler(display_, &X11Window::connectionLost, this);
    }

    ~X11Window() override {
        LostServerGuard guard(display_);
        if (!broken_) {
            if (window_ != 0 && !windowGone_) XDestroyWindow(display_, window_);
            if (gc_ != nullptr) XFreeGC(display_, gc_);
            if (ownColormap_ != 0) XFreeColormap(display_, ownColormap_);
        }
        if (image_ != nullptr) {
            image_->data = nullptr;  // the bits belong to bits_
            XDestroyImage(image_);
        }
        XCloseDisplay(display_);
    }

    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    // Creates the window at (0, 0) of parent with the form's size; false if
    // the parent is not a window or no suitable visual exists.
    bool build(Window parent) {
        LostServerGuard guard(display_);
        XWindowAttributes parentAttributes;
        if (XGetWindowAttributes(display_, parent, &parentAttributes) == 0) return false;
        const int screen = XScreenNumberOfScreen(parentAttributes.screen);
        if (XMatchVisualInfo(display_, screen, 24, TrueColor, &visual_) == 0) return false;

        colormap_ = DefaultColormap(display_, screen);
        if (visual_.visual != DefaultVisual(display_, screen)) {
            ownColormap_ = XCreateColormap(display_, RootWindow(display_, screen), visual_.visual, AllocNone);
            colormap_ = ownColormap_;
        }
        const int width = form_.framebuffer().width();
        const int height = form_.framebuffer().height();
        image_ = XCreateImage(display_, visual_.visual, static_cast<unsigned>(visual_.depth), ZPixmap, 0, nullptr,
                              static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
        if (image_ == nullptr) return false;
        bits_.assign(static_cast<size_t>(image_->bytes_per_line) * static_cast<size_t>(height), 0);
        image_->data = bits_.data();
        red_ = Channel::of(visual_.red_mask);
        green_ = Channel::of(visual_.green_mask);
        blue_ = Channel::of(visual_.blue_mask);
        directCopy_ = image_->bits_per_pixel == 32 && visual_.red_mask == 0xFF0000 && visual_.green_mask == 0xFF00 &&
                      visual_.blue_mask == 0xFF && (image_->byte_order == LSBFirst) == nativeLsbFirst();
        return createWindow(parent);
    }

    void present(const Surface& frame, const Rect& area) override {
        const Rect copy = area.intersect(frame.bounds()).intersect(Rect::sized(0, 0, image_->width, image_->height));
        if (copy.empty()) return;
        LostServerGuard guard(display_);
        convert(frame, copy);
        putImage(copy);
        flush();
    }

    void setVisible(bool visible) override {
        if (!usable()) return;
        LostServerGuard guard(display_);
        if (visible) {
            XMapRaised(display_, window_);
        } else {
            XUnmapWindow(display_, window_);
        }
        shown_ = visible;
        flush();
    }

    void moveTo(int x, int y) override {
        if (!usable()) return;
        LostServerGuard guard(display_);
        XMoveWindow(display_, window_, x, y);
        flush();
    }

    void* nativeHandle() const override { return reinterpret_cast<void*>(static_cast<uintptr_t>(window_)); }

    void adoptParent(void* handle) override {
        const auto parent = static_cast<Window>(reinterpret_cast<uintptr_t>(handle));
        if (parent == 0 || broken_ || (parent == parent_ && !windowGone_)) return;
        LostServerGuard guard(display_);
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display_, parent, &attributes) == 0) return;  // not a window: stay
        if (windowGone_) {
            createWindow(parent);
        } else {
            XReparentWindow(display_, window_, parent, 0, 0);
            parent_ = parent;
        }
        flush();
    }

    int eventDescriptor() const override { return broken_ ? -1 : ConnectionNumber(display_); }

    void processEvents() override {
        // The form's handlers may reach the host, which may close the editor
        // from inside its callback and so release the form, and this window
        // with it: the scope keeps both whole until it ends, as the last
        // thing of this call, and nothing here goes on once it is released.
        Form::EventScope scope(form_);
        {
            LostServerGuard guard(display_);
            readEvents();
        }
        deliverPointerEvents();
        if (!form_.released()) letTimePass();
    }

    void releasePointer() override {
        if (!pressed_) return;
        pressed_ = false;
        if (broken_) return;
        LostServerGuard guard(display_);
        XUngrabPointer(display_, CurrentTime);
        flush();
    }

private:
    static void connectionLost(Display*, void* self) { static_cast<X11Window*>(self)->broken_ = true; }

    // A new window in parent, shown by the next setVisible and painted from
    // the image on its first exposure; false if the server refused it.
    bool createWindow(Window parent) {
        XSetWindowAttributes attributes{};
        attributes.background_pixmap = 0;  // no background: every pixel is painted by us
        attributes.border_pixel = 0;
        attributes.colormap = colormap_;
        attributes.event_mask = kEventMask;
        window_ = XCreateWindow(display_, parent, 0, 0, static_cast<unsigned>(image_->width),
                                static_cast<unsigned>(image_->height), 0, visual_.depth, InputOutput, visual_.visual,
                                CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask, &attributes);
        if (gc_ == nullptr) gc_ = XCreateGC(display_, window_, 0, nullptr);
        parent_ = parent;
        windowGone_ = false;
        // A round trip, so that a window the server refused (a parent that
        // vanished meanwhile, or one that cannot hold it) shows up now.
        XWindowAttributes created;
        if (XGetWindowAttributes(display_, window_, &created) == 0) windowGone_ = true;
        readEvents();
        return !broken_ && !windowGone_;
    }

    bool usable() const { return !broken_ && !windowGone_ && window_ != 0; }

    void flush() {
        if (!broken_) XFlush(display_);
    }

    // Takes everything the server has sent so far, without waiting:
    // exposures are repainted at once, mouse events kept for delivery.
    void readEvents() {
        while (!broken_ && XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            switch (event.type) {
                case Expose: {
                    const XExposeEvent& e = event.xexpose;
                    putImage(Rect::sized(e.x, e.y, e.width, e.height));
                    if (e.count == 0) flush();
                    break;
                }
                case ButtonPress:
                case ButtonRelease: keepButton(event.xbutton); break;
                case MotionNotify:
                    keep(PointerKind::Move, event.xmotion.x, event.xmotion.y, MouseButton::Left, event.xmotion.state);
                    break;
                case LeaveNotify:
                    // While a button is down the pointer leaves us either on
                    // its way out of a drag (the grab goes on) or because
                    // the window stopped being viewable, which ends the grab.
                    if (pressed_ && (event.xcrossing.mode == NotifyUngrab || !viewable())) loseGrab();
                    break;
                case UnmapNotify:
                    if (event.xunmap.window == window_ && pressed_) loseGrab();
                    break;
                case DestroyNotify:
                    // The host destroyed its window, and ours with it.
                    if (event.xdestroywindow.window == window_) {
                        windowGone_ = true;
                        if (pressed_) loseGrab();
                    }
                    break;
                default: break;
            }
        }
    }

    void keepButton(const XButtonEvent& e) {
        MouseButton button;
        switch (e.button) {
            case Button1: button = MouseButton::Left; break;
            case Button2: button = MouseButton::Middle; break;
            case Button3: button = MouseButton::Right; break;
            default: return;  // wheel steps and extra buttons are not clicks
        }
        // The server's implicit grab lasts from the first press to the
        // release of the last button held (e.state is from before the event).
        if (e.type == ButtonPress) {
            pressed_ = true;
        } else if ((e.state & kAnyButtonMask & ~(Button1Mask << (e.button - Button1))) == 0) {
            pressed_ = false;
        }
        keep(e.type == ButtonPress ? PointerKind::Press : PointerKind::Release, e.x, e.y, button, e.state);
    }

    // The grab ended without a release reaching us: the form ends the drag.
    void loseGrab() {
        pressed_ = false;
        keep(PointerKind::CaptureLost, 0, 0, MouseButton::Left, 0);
    }

    bool viewable() {
        XWindowAttributes attributes;
        return usable() && XGetWindowAttributes(display_, window_, &attributes) != 0 &&
               attributes.map_state == IsViewable;
    }

    // Positions are in our window's coordinates, also outside it while the
    // server's implicit grab of a pressed button sends the moves to us.
    void keep(PointerKind kind, int x, int y, MouseButton button, unsigned modifiers) {
        PointerEvent pointer;
        pointer.kind = kind;
        pointer.x = x;
        pointer.y = y;
        pointer.button = button;
        pointer.shift.shift = (modifiers & ShiftMask) != 0;
        pointer.shift.ctrl = (modifiers & ControlMask) != 0;
        pointer.shift.alt = (modifiers & Mod1Mask) != 0;
        // A burst of moves becomes one: the latest position is all a drag needs.
        if (kind == PointerKind::Move && !pointerEvents_.empty() && pointerEvents_.back().kind == PointerKind::Move) {
            pointerEvents_.back() = pointer;
            return;
        }
        pointerEvents_.push_back(pointer);
    }

    // The form's handlers reach the effect and through it the host, so they
    // run outside the guard, on a batch of their own in case the host idles
    // us again from inside its automation callback. Once the host has closed
    // the editor, the rest of the batch is dropped.
    void deliverPointerEvents() {
        std::vector<PointerEvent> batch;
        batch.swap(pointerEvents_);
        for (const PointerEvent& event : batch) {
            if (form_.released()) return;
            form_.dispatchPointer(event);
        }
    }

    // Hands the whole milliseconds since the last call to the form's timers.
    void letTimePass() {
        const Clock::time_point now = Clock::now();
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - lastTick_).count();
        if (ms <= 0) return;
        lastTick_ += std::chrono::milliseconds(ms);
        form_.elapse(static_cast<int>(std::min<long long>(ms, kMaxElapseMs)));
    }

    // Copies area of frame into the image, in the visual's pixel format.
    void convert(const Surface& frame, const Rect& area) {
        for (int y = area.top; y < area.bottom; ++y) {
            const uint32_t* source = frame.pixels() + static_cast<size_t>(y) * frame.stride();
            if (directCopy_) {
                char* row = image_->data + static_cast<size_t>(y) * image_->bytes_per_line;
                std::memcpy(row + static_cast<size_t>(area.left) * 4, source + area.left,
                            static_cast<size_t>(area.width()) * 4);
                continue;
            }
            for (int x = area.left; x < area.right; ++x) {
                const Color c = source[x];
                XPutPixel(image_, x, y, red_.pack(redOf(c)) | green_.pack(greenOf(c)) | blue_.pack(blueOf(c)));
            }
        }
    }

    void putImage(const Rect& area) {
        // A hidden window gets its picture from the exposure that showing it brings.
        const Rect bounded = area.intersect(Rect::sized(0, 0, image_->width, image_->height));
        if (!usable() || !shown_ || bounded.empty()) return;
        XPutImage(display_, window_, gc_, image_, bounded.left, bounded.top, bounded.left, bounded.top,
                  static_cast<unsigned>(bounded.width()), static_cast<unsigned>(bounded.height()));
    }

    Display* display_;
    Form& form_;  // outlives every call but the destructor, which leaves it alone
    Window window_ = 0;
    Window parent_ = 0;
    XVisualInfo visual_{};
    GC gc_ = nullptr;
    Colormap colormap_ = 0;
    Colormap ownColormap_ = 0;  // when the visual is not the screen's default
    // The picture last presented, kept for exposures.
    XImage* image_ = nullptr;
    std::vector<char> bits_;
    Channel red_, green_, blue_;
    bool directCopy_ = false;
    bool shown_ = false;
    bool pressed_ = false;     // a button is down: the server grabs the pointer for us
    bool windowGone_ = false;  // destroyed by the server along with the parent
    bool broken_ = false;      // the connection to the server is lost
    Clock::time_point lastTick_;
    // Mouse events read but not yet handed to the form.
    std::vector<PointerEvent> pointerEvents_;
};

}  // namespace

std::unique_ptr<PlatformWindow> createX11Window(unsigned long parent, Form& form) {
    if (parent == 0) return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return nullptr;
    auto window = std::make_unique<X11Window>(display, form);
    if (!window->build(parent)) return nullptr;
    return window;
}

}  // namespace vardelline::gui
