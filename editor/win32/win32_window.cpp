// Win32 presentation of the editor. The window class is registered while at
// least one editor window exists and unregistered with the last; each window
// has one timer, killed before the window goes; painting borrows device
// contexts only for the duration of a call, so no GDI object outlives it.
#include "editor/win32/win32_window.h"

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <mutex>

#include "editor/form.h"
#include "editor/win32/win32_dpi.h"

namespace vardelline::gui {

namespace {

constexpr wchar_t kClassName[] = L"VardellineEditorWindow";
constexpr UINT_PTR kTimerId = 1;
// The window timer's period: that of the editor's synchronisation timer
// (Timer2). The form's timers are handed the time that really passed.
constexpr UINT kTickMs = 25;
// Longest stretch handed to the timers at once, so that a stalled message
// loop gives one tick afterwards, not a burst.
constexpr int kMaxElapseMs = 1000;

// This DLL's module handle (or the program's, when linked in statically).
HINSTANCE ownModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ownModule), &module);
    return module;
}

LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Counts the windows of our class, so that the class lives exactly as long
// as one of them does. Editors of several instances may open on different
// threads, hence the lock (never taken on the audio thread).
class WindowClass {
public:
    static bool acquire() {
        std::lock_guard<std::mutex> lock(mutex());
        if (users() == 0) {
            WNDCLASSEXW description{};
            description.cbSize = sizeof description;
            description.lpfnWndProc = windowProcedure;
            description.hInstance = ownModule();
            description.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
            description.lpszClassName = kClassName;
            if (RegisterClassExW(&description) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
        }
        ++users();
        return true;
    }

    static void release() {
        std::lock_guard<std::mutex> lock(mutex());
        if (users() > 0 && --users() == 0) UnregisterClassW(kClassName, ownModule());
    }

private:
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static int& users() {
        static int count = 0;
        return count;
    }
};

class Win32Window final : public PlatformWindow {
public:
    explicit Win32Window(Form& form) : form_(&form), lastTick_(GetTickCount()) {}

    ~Win32Window() override {
        // The form may already be gone: nothing below may reach it.
        form_ = nullptr;
        if (hwnd_ != nullptr) {
            KillTimer(hwnd_, kTimerId);
            DestroyWindow(hwnd_);  // clears hwnd_ through WM_NCDESTROY
        }
        if (classHeld_) WindowClass::release();
    }

    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    bool build(HWND parent) {
        if (!IsWindow(parent)) return false;
        classHeld_ = WindowClass::acquire();
        if (!classHeld_) return false;
        const Surface& frame = form_->framebuffer();
        // Drawn at the scale the desktop asks for, so Windows must not
        // stretch it again: our window alone is per-monitor DPI aware.
        PerMonitorDpiScope dpiAware;
        // WS_CLIPSIBLINGS: the host may put controls of its own beside us.
        CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, frame.width(), frame.height(), parent,
                        nullptr, ownModule(), this);
        if (hwnd_ == nullptr) return false;
        SetTimer(hwnd_, kTimerId, kTickMs, nullptr);
        return true;
    }

    void present(const Surface& frame, const Rect& area) override {
        if (hwnd_ == nullptr) return;
        HDC dc = GetDC(hwnd_);
        if (dc == nullptr) return;
        paint(dc, frame, area);
        ReleaseDC(hwnd_, dc);
    }

    void setVisible(bool visible) override {
        if (hwnd_ != nullptr) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
    }

    void* nativeHandle() const override { return hwnd_; }

    void moveTo(int x, int y) override {
        if (hwnd_ != nullptr) SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void adoptParent(void* handle) override {
        HWND parent = static_cast<HWND>(handle);
        if (hwnd_ == nullptr || !IsWindow(parent) || GetParent(hwnd_) == parent) return;
        SetParent(hwnd_, parent);
        moveTo(0, 0);
    }

    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_ERASEBKGND: return 1;  // every pixel is painted from the framebuffer
            case WM_PAINT: {
                PAINTSTRUCT ps;
                HDC dc = BeginPaint(hwnd_, &ps);
                if (dc != nullptr && form_ != nullptr) {
                    const RECT& r = ps.rcPaint;
                    paint(dc, form_->framebuffer(), Rect{r.left, r.top, r.right, r.bottom});
                }
                EndPaint(hwnd_, &ps);
                return 0;
            }
            case WM_LBUTTONDOWN: return press(MouseButton::Left, wParam, lParam);
            case WM_RBUTTONDOWN: return press(MouseButton::Right, wParam, lParam);
            case WM_MBUTTONDOWN: return press(MouseButton::Middle, wParam, lParam);
            case WM_LBUTTONUP: return release(MouseButton::Left, wParam, lParam);
            case WM_RBUTTONUP: return release(MouseButton::Right, wParam, lParam);
            case WM_MBUTTONUP: return release(MouseButton::Middle, wParam, lParam);
            case WM_MOUSEMOVE: deliver(PointerKind::Move, MouseButton::Left, wParam, lParam); return 0;
            case WM_CAPTURECHANGED:
                // Capture taken away mid-drag (a dialog, a task switch): the
                // form ends the drag where the pointer was last seen.
                if (pressed_ && reinterpret_cast<HWND>(lParam) != hwnd_) {
                    pressed_ = false;
                    deliverAt(PointerKind::CaptureLost, pressedButton_, 0, 0, ShiftState{});
                }
                return 0;
            case WM_TIMER:
                if (wParam == kTimerId) letTimePass();
                return 0;
            default: return DefWindowProcW(hwnd_, message, wParam, lParam);
        }
    }

    void releasePointer() override {
        // Forgotten first: the WM_CAPTURECHANGED that ReleaseCapture sends
        // then reports nothing to the form.
        if (!pressed_) return;
        pressed_ = false;
        if (hwnd_ != nullptr && GetCapture() == hwnd_) ReleaseCapture();
    }

    // The form events go to; null once the owner starts tearing down.
    Form* form() const { return form_; }

    // WM_NCCREATE to WM_NCDESTROY: the handle is valid in between.
    void attachHandle(HWND hwnd) { hwnd_ = hwnd; }
    void detachHandle() {
        hwnd_ = nullptr;
        pressed_ = false;
    }

private:
    static ShiftState shiftOf(WPARAM wParam) {
        ShiftState shift;
        shift.shift = (wParam & MK_SHIFT) != 0;
        shift.ctrl = (wParam & MK_CONTROL) != 0;
        shift.alt = GetKeyState(VK_MENU) < 0;
        return shift;
    }

    LRESULT press(MouseButton button, WPARAM wParam, LPARAM lParam) {
        // The first button pressed owns the drag; the form keeps the
        // control under it until a release.
        if (!pressed_) {
            pressed_ = true;
            pressedButton_ = button;
            SetCapture(hwnd_);
        }
        deliver(PointerKind::Press, button, wParam, lParam);
        return 0;
    }

    LRESULT release(MouseButton button, WPARAM wParam, LPARAM lParam) {
        const bool endsDrag = pressed_ && button == pressedButton_;
        if (endsDrag) pressed_ = false;
        deliver(PointerKind::Release, button, wParam, lParam);
        if (endsDrag && GetCapture() == hwnd_) ReleaseCapture();
        return 0;
    }

    // Positions are signed: while captured, the pointer may be left of or
    // above the window.
    void deliver(PointerKind kind, MouseButton button, WPARAM wParam, LPARAM lParam) {
        deliverAt(kind, button, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), shiftOf(wParam));
    }

    // Runs inside the window procedure's event scope; the form's handlers
    // may reach the host, which may close the editor meanwhile.
    void deliverAt(PointerKind kind, MouseButton button, int x, int y, ShiftState shift) {
        if (form_ == nullptr || form_->released()) return;
        PointerEvent pointer;
        pointer.kind = kind;
        pointer.x = x;
        pointer.y = y;
        pointer.button = button;
        pointer.shift = shift;
        form_->dispatchPointer(pointer);
        // What the mouse changed is drawn now, not at the next idle.
        if (!form_->released()) form_->repaintPending();
    }

    void letTimePass() {
        if (form_ == nullptr || form_->released()) return;
        const DWORD now = GetTickCount();
        const DWORD ms = now - lastTick_;  // wraps correctly after 49 days
        lastTick_ = now;
        form_->elapse(static_cast<int>(std::min<DWORD>(ms, kMaxElapseMs)));
        form_->repaintPending();
    }

    // Copies area of frame to the device: the DIB handed over starts at the
    // area's first row and is exactly as tall, so its orientation cannot
    // shift the rows.
    static void paint(HDC dc, const Surface& frame, const Rect& wanted) {
        const Rect area = wanted.intersect(frame.bounds());
        if (area.empty()) return;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = frame.stride();
        info.bmiHeader.biHeight = -area.height();  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;  // 0x00RRGGBB words are BGRX bytes
        info.bmiHeader.biCompression = BI_RGB;
        const uint32_t* rows = frame.pixels() + static_cast<size_t>(area.top) * frame.stride();
        SetDIBitsToDevice(dc, area.left, area.top, static_cast<DWORD>(area.width()), static_cast<DWORD>(area.height()),
                          area.left, 0, 0, static_cast<UINT>(area.height()), rows, &info, DIB_RGB_COLORS);
    }

    Form* form_;  // null once the owner starts tearing down
    HWND hwnd_ = nullptr;
    bool classHeld_ = false;
    bool pressed_ = false;
    MouseButton pressedButton_ = MouseButton::Left;
    DWORD lastTick_;
};

LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* window = static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
        window->attachHandle(hwnd);
    }
    auto* window = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The host may destroy its window, and ours with it, before closing
        // the editor: from here on the object knows it has no window.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        window->detachHandle();
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    Form* form = window->form();
    if (form == nullptr) return window->handle(message, wParam, lParam);
    // The host may close the editor from inside a callback this message
    // leads to: the form, and this window with it, then goes when the
    // outermost message for it returns, after the answer is taken.
    Form::EventScope scope(*form);
    return window->handle(message, wParam, lParam);
}

}  // namespace

std::unique_ptr<PlatformWindow> createWin32Window(void* parent, Form& form) {
    auto window = std::make_unique<Win32Window>(form);
    if (!window->build(static_cast<HWND>(parent))) return nullptr;
    return window;
}

}  // namespace vardelline::gui
