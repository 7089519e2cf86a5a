// Loads the plug-in DLL the way a Windows host does and checks what only a
// real Windows (or Wine) shows: the exports, that loading masks the
// floating-point exceptions and changes nothing else of the thread's
// floating-point state, and the editor in real windows: a borderless child at (0, 0) of the host's window with the
// editor's size, slider drags through captured mouse messages (Shift for
// fine steps) that the host sees as begin, automation, end, also when the
// capture is taken away, a host that closes (or closes and reopens) the
// editor from inside its automation callback, the synchronisation timer
// redrawing a slider the host moved, and nothing left behind (window class,
// windows, GDI and USER objects) after many open/close cycles of several
// instances.
#include <windows.h>
#include <xmmintrin.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "editor/layout.h"
#include "vst/aeffectx.h"

namespace {

constexpr wchar_t kEditorClass[] = L"VardellineEditorWindow";
constexpr wchar_t kHostClass[] = L"VardellineCheckHost";
constexpr int kCycles = 25;

int passed = 0;
int failed = 0;

void check(bool ok, const char* what) {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        std::printf("FAILED: %s\n", what);
    }
}

int automations = 0;
// Gesture and automation requests as "b<index>", "a<index>", "e<index>".
std::string told;
// Set to close the editor from inside the next automation request, and to
// open it again in reopenIn if that is set.
bool closeOnAutomate = false;
HWND reopenIn = nullptr;

VstIntPtr VST_CALL hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float) {
    static VstTimeInfo timeInfo{};
    switch (opcode) {
        case audioMasterVersion: return 2400;
        case audioMasterGetTime: return reinterpret_cast<VstIntPtr>(&timeInfo);
        case audioMasterAutomate:
            ++automations;
            told += "a" + std::to_string(index);
            if (closeOnAutomate) {
                closeOnAutomate = false;
                effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
                if (reopenIn != nullptr) effect->dispatcher(effect, effEditOpen, 0, 0, reopenIn, 0.0f);
            }
            return 0;
        case audioMasterBeginEdit: told += "b" + std::to_string(index); return 1;
        case audioMasterEndEdit: told += "e" + std::to_string(index); return 1;
        default: return 0;
    }
}

// Runs the message loop for ms milliseconds, idling the editors as hosts do.
void pump(int ms, const std::vector<AEffect*>& effects) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        for (AEffect* effect : effects) effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.0f);
        Sleep(5);
    }
}

HWND makeHostWindow() {
    return CreateWindowExW(0, kHostClass, L"Vardelline check", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 800, 360,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

HWND editorOf(HWND host) {
    return FindWindowExW(host, nullptr, kEditorClass, nullptr);
}

LPARAM at(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}

// Where strip `index` of the band column `column` sits in the window.
POINT stripOrigin(int column, int band) {
    const vardelline::layout::Box& panel = vardelline::layout::kPanels[vardelline::layout::kBandColumns[column].panel];
    return {panel.left, panel.top + band * vardelline::layout::kBandPitch};
}

void checkPlacement(HWND host, HWND editor) {
    check(editor != nullptr, "the editor is a child window of the host's window");
    if (editor == nullptr) return;
    const LONG style = GetWindowLongW(editor, GWL_STYLE);
    check((style & WS_CHILD) != 0 && (style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME)) == 0,
          "the editor is a borderless WS_CHILD window");
    check(IsWindowVisible(editor) != 0, "the editor is shown after effEditOpen");
    RECT r;
    GetWindowRect(editor, &r);
    MapWindowPoints(HWND_DESKTOP, host, reinterpret_cast<POINT*>(&r), 2);
    check(r.left == 0 && r.top == 0, "the editor sits at (0, 0) of the host's window");
    check(r.right - r.left == vardelline::layout::kClientWidth && r.bottom - r.top == vardelline::layout::kClientHeight,
          "the editor is 731 x 278 pixels");
}

void checkMouse(AEffect* effect, HWND editor, const std::vector<AEffect*>& all) {
    // Left delay of band 1 (parameter 3): coarse drag, 10..90 px is 0..1.
    const POINT left = stripOrigin(0, 0);
    const int y = left.y + 6;
    const int before = automations;
    told.clear();
    SendMessageW(editor, WM_LBUTTONDOWN, MK_LBUTTON, at(left.x + 50, y));
    check(GetCapture() == editor, "a press captures the mouse");
    check(std::fabs(effect->getParameter(effect, 3) - 0.5f) < 1e-6f, "a press sets the slider under it");
    // While captured, positions left of the window arrive as negative numbers.
    SendMessageW(editor, WM_MOUSEMOVE, MK_LBUTTON, at(-40, y));
    check(effect->getParameter(effect, 3) == 0.0f, "a drag past the window's edge reaches 0");
    SendMessageW(editor, WM_LBUTTONUP, 0, at(-40, y));
    check(GetCapture() == nullptr, "the release frees the mouse");
    check(automations > before, "the drag reaches the host as automation");
    check(told == "b3a3a3e3", "the host sees the drag as begin, automation, end");

    // Another window takes the capture mid-drag: the gesture ends there.
    told.clear();
    SendMessageW(editor, WM_LBUTTONDOWN, MK_LBUTTON, at(left.x + 30, y));
    SetCapture(GetParent(editor));
    SendMessageW(editor, WM_MOUSEMOVE, MK_LBUTTON, at(left.x + 70, y));
    ReleaseCapture();
    SendMessageW(editor, WM_LBUTTONUP, 0, at(left.x + 70, y));
    check(told == "b3a3e3", "losing the capture mid-drag ends the gesture once");

    // Pan of band 1 (parameter 19) with Shift: 1/1000 per pixel from its value.
    const POINT pan = stripOrigin(2, 0);
    effect->setParameter(effect, 19, 0.5f);
    pump(60, all);
    SendMessageW(editor, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, at(pan.x + 50, y));
    SendMessageW(editor, WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, at(pan.x + 30, y));
    SendMessageW(editor, WM_LBUTTONUP, MK_SHIFT, at(pan.x + 30, y));
    const float fine = effect->getParameter(effect, 19);
    check(std::fabs(fine - 0.52f) < 1e-4f, "a Shift drag moves the slider in fine steps");
}

// A host that closes the editor from inside its automation callback while a
// press is being handled, and one that closes and opens it again there.
void checkCloseFromCallback(AEffect* effect, HWND host, const std::vector<AEffect*>& all) {
    const POINT pan = stripOrigin(2, 1);
    const int y = pan.y + 6;
    for (HWND reopen : {static_cast<HWND>(nullptr), host}) {
        effect->dispatcher(effect, effEditOpen, 0, 0, host, 0.0f);
        pump(30, all);
        HWND editor = editorOf(host);
        told.clear();
        closeOnAutomate = true;
        reopenIn = reopen;
        SendMessageW(editor, WM_LBUTTONDOWN, MK_LBUTTON, at(pan.x + 50, y));
        SendMessageW(editor, WM_MOUSEMOVE, MK_LBUTTON, at(pan.x + 70, y));
        SendMessageW(editor, WM_LBUTTONUP, 0, at(pan.x + 70, y));
        pump(30, all);
        const bool paired = told == "b20a20e20";
        const bool reopened = editorOf(host) != nullptr;
        if (reopen == nullptr) {
            check(paired && !IsWindow(editor) && !reopened,
                  "a close from the automation callback ends the drag and destroys the window");
        } else {
            check(paired && reopened && GetCapture() == nullptr,
                  "a close and reopen from the automation callback leaves a fresh window");
            told.clear();
            HWND fresh = editorOf(host);
            SendMessageW(fresh, WM_LBUTTONDOWN, MK_LBUTTON, at(pan.x + 90, y));
            SendMessageW(fresh, WM_LBUTTONUP, 0, at(pan.x + 90, y));
            check(told == "b20a20e20", "the reopened editor drags as before");
            effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
        }
    }
    reopenIn = nullptr;
    check(effect->getParameter(effect, 20) == 1.0f, "the parameters keep what the drags set");
}

// The descriptor's bytes at the offsets hosts read, independent of our own
// record definition: 144 bytes on 32-bit Windows, 192 on 64-bit.
void checkDescriptorBytes(const AEffect* effect) {
    constexpr bool wide = sizeof(void*) == 8;
    constexpr size_t kNumPrograms = wide ? 40 : 20, kFlags = wide ? 56 : 36, kIoRatio = wide ? 92 : 60,
                     kObject = wide ? 96 : 64, kUniqueId = wide ? 112 : 72, kProcessReplacing = wide ? 120 : 80,
                     kFuture = wide ? 128 : 84, kEnd = wide ? 188 : 144;
    const auto* bytes = reinterpret_cast<const unsigned char*>(effect);
    auto int32At = [bytes](size_t offset) {
        int32_t value;
        std::memcpy(&value, bytes + offset, sizeof value);
        return value;
    };
    auto pointerAt = [bytes](size_t offset) {
        void* value;
        std::memcpy(&value, bytes + offset, sizeof value);
        return value;
    };
    float ioRatio;
    std::memcpy(&ioRatio, bytes + kIoRatio, sizeof ioRatio);
    check(int32At(0) == 0x56737450, "the descriptor starts with 'VstP'");
    check(int32At(kNumPrograms) == 8 && int32At(kNumPrograms + 4) == 80 && int32At(kNumPrograms + 8) == 2 &&
              int32At(kNumPrograms + 12) == 2 && int32At(kFlags) == 0x19,
          "counts and flags sit at the host's offsets");
    check(ioRatio == 1.0f && pointerAt(kObject) != nullptr && pointerAt(kObject + sizeof(void*)) == nullptr,
          "ioRatio, object and user sit at the host's offsets");
    check(int32At(kUniqueId) == 0x76644C6E && int32At(kUniqueId + 4) == 1 && pointerAt(kProcessReplacing) != nullptr,
          "uniqueID, version and processReplacing sit at the host's offsets");
    bool futureZero = true;
    for (size_t i = kFuture; i < kEnd; ++i) futureZero = futureZero && bytes[i] == 0;
    check(futureZero, "the reserved bytes up to the record's end are zero");
}

// The strip's pixels as the screen shows them.
std::vector<COLORREF> stripPixels(HWND editor, POINT origin) {
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(editor);
    for (int x = 0; x < vardelline::layout::kStripWidth; ++x)
        pixels.push_back(GetPixel(dc, origin.x + x, origin.y + vardelline::layout::kKnobTop + 4));
    ReleaseDC(editor, dc);
    return pixels;
}

void checkTimer(AEffect* effect, HWND editor, const std::vector<AEffect*>& all) {
    // Feedback of band 8 (parameter 50), moved by the host: only the timer redraws it.
    const POINT feed = stripOrigin(5, 7);
    effect->setParameter(effect, 50, 0.0f);
    pump(100, all);
    const std::vector<COLORREF> before = stripPixels(editor, feed);
    effect->setParameter(effect, 50, 1.0f);
    pump(150, all);
    check(stripPixels(editor, feed) != before, "the timer redraws a slider the host moved");
}

// The floating-point state a host might run with: flush-to-zero and
// denormals-are-zero on, division by zero unmasked (so that it traps), and on
// 32-bit x86 the x87 unit at double precision, Windows' default.
constexpr unsigned kSseFlushToZero = 0x8000, kSseDenormalsAreZero = 0x0040, kSseZeroDivideMask = 0x0200;
constexpr unsigned kSseAllMasks = 0x1F80;
constexpr unsigned short kX87DoublePrecision = 0x027F, kX87ZeroDivideMask = 0x0004, kX87AllMasks = 0x003F;

unsigned short x87Control() {
    unsigned short control = 0;
#if defined(__i386__)
    __asm__ volatile("fnstcw %0" : "=m"(control));
#endif
    return control;
}

void setX87Control([[maybe_unused]] unsigned short control) {
#if defined(__i386__)
    __asm__ volatile("fldcw %0" : : "m"(control));
#endif
}

HMODULE loadWithHostFloatingPointState(const char* path) {
    const unsigned hostCsr = (_mm_getcsr() | kSseFlushToZero | kSseDenormalsAreZero) & ~kSseZeroDivideMask;
    const unsigned short hostX87 = kX87DoublePrecision & ~kX87ZeroDivideMask;
    _mm_setcsr(hostCsr);
    setX87Control(hostX87);
    HMODULE library = LoadLibraryA(path);
    const unsigned csr = _mm_getcsr();
    const unsigned short x87 = x87Control();
    check(csr == (hostCsr | kSseAllMasks), "loading masks the SSE exceptions and keeps rounding, FTZ and DAZ");
#if defined(__i386__)
    check(x87 == (hostX87 | kX87AllMasks), "loading masks the x87 exceptions and keeps precision and rounding");
#endif
    std::printf("floating point at load: SSE %04x -> %04x, x87 %04x -> %04x\n", hostCsr, csr, hostX87, x87);
    return library;
}

DWORD guiObjects(DWORD kind) {
    return GetGuiResources(GetCurrentProcess(), kind);
}

}  // namespace

// A DPI-aware host at 200 %: it tells the editor its scale before opening
// ('PreS', 'AeCs', the factor in opt), as such hosts do. The editor must be
// drawn at twice the size, and a press at the device pixel twice a layout
// pixel must set the value the same press sets at 100 %.
void checkScaled(AEffect*(VST_CALL* entry)(audioMasterCallback), HWND host) {
    typedef BOOL(WINAPI * SetContext)(HANDLE);
    if (auto set = reinterpret_cast<SetContext>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext"))))
        set(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4)));  // per-monitor aware, version 2
    AEffect* effect = entry(hostCallback);
    effect->dispatcher(effect, effVendorSpecific, fourCharCode("PreS"), fourCharCode("AeCs"), nullptr, 2.0f);
    ERect* rect = nullptr;
    effect->dispatcher(effect, effEditGetRect, 0, 0, &rect, 0.0f);
    check(rect != nullptr && rect->right - rect->left == 1462 && rect->bottom - rect->top == 556,
          "at 200 % the editor asks for 1462 x 556 before it opens");
    effect->dispatcher(effect, effEditOpen, 0, 0, host, 0.0f);
    pump(100, {effect});
    HWND editor = editorOf(host);
    RECT r{};
    if (editor != nullptr) GetClientRect(editor, &r);
    check(r.right == 1462 && r.bottom == 556, "at 200 % the editor window is 1462 x 556");
    if (editor != nullptr) {
        SendMessageW(editor, WM_LBUTTONDOWN, MK_LBUTTON, at(660, 212));
        SendMessageW(editor, WM_LBUTTONUP, 0, at(660, 212));
    }
    check(std::fabs(effect->getParameter(effect, 21) - 0.5f) < 1e-6f,
          "at 200 % a press at (660, 212) sets band 3's pan to 0.5, as (330, 106) does at 100 %");
    effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    pump(5, {});
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s vardelline.dll\n", argv[0]);
        return 2;
    }
    HMODULE library = loadWithHostFloatingPointState(argv[1]);
    if (library == nullptr) {
        std::fprintf(stderr, "cannot load %s (error %lu)\n", argv[1], GetLastError());
        return 2;
    }
    // Through void*: FARPROC has no parameters, so a direct cast warns.
    void* const newEntry = reinterpret_cast<void*>(GetProcAddress(library, "VSTPluginMain"));
    void* const oldEntry = reinterpret_cast<void*>(GetProcAddress(library, "main"));
    check(newEntry != nullptr && newEntry == oldEntry, "main and VSTPluginMain are one entry");
    auto entry = reinterpret_cast<AEffect*(VST_CALL*)(audioMasterCallback)>(newEntry);
    if (entry == nullptr) return 1;

    WNDCLASSEXW hostClass{};
    hostClass.cbSize = sizeof hostClass;
    hostClass.lpfnWndProc = DefWindowProcW;
    hostClass.hInstance = GetModuleHandleW(nullptr);
    hostClass.lpszClassName = kHostClass;
    RegisterClassExW(&hostClass);

    const DWORD gdiBefore = guiObjects(GR_GDIOBJECTS);
    const DWORD userBefore = guiObjects(GR_USEROBJECTS);
    // The host's windows stay (under Wine without a window manager, each
    // top-level window takes seconds to go); the instances come and go.
    HWND hosts[2] = {makeHostWindow(), makeHostWindow()};
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        // Two instances with editors open at once.
        std::vector<AEffect*> effects = {entry(hostCallback), entry(hostCallback)};
        for (int i = 0; i < 2; ++i) {
            ERect* rect = nullptr;
            effects[i]->dispatcher(effects[i], effEditGetRect, 0, 0, &rect, 0.0f);
            effects[i]->dispatcher(effects[i], effEditOpen, 0, 0, hosts[i], 0.0f);
        }
        pump(cycle == 0 ? 200 : 20, effects);
        if (cycle == 0) {
            checkDescriptorBytes(effects[0]);
            checkPlacement(hosts[0], editorOf(hosts[0]));
            checkPlacement(hosts[1], editorOf(hosts[1]));
            checkMouse(effects[0], editorOf(hosts[0]), effects);
            checkTimer(effects[1], editorOf(hosts[1]), effects);
            effects[0]->dispatcher(effects[0], effEditClose, 0, 0, nullptr, 0.0f);
            checkCloseFromCallback(effects[0], hosts[0], effects);
            effects[0]->dispatcher(effects[0], effEditOpen, 0, 0, hosts[0], 0.0f);
        }
        for (int i = 1; i >= 0; --i) {
            effects[i]->dispatcher(effects[i], effEditClose, 0, 0, nullptr, 0.0f);
            if (cycle == 0) check(editorOf(hosts[i]) == nullptr, "effEditClose destroys the editor window");
            effects[i]->dispatcher(effects[i], effClose, 0, 0, nullptr, 0.0f);
        }
        pump(5, {});
    }
    check(editorOf(hosts[0]) == nullptr && editorOf(hosts[1]) == nullptr, "no editor window is left behind");
    checkScaled(entry, hosts[0]);
    WNDCLASSEXW probe{};
    probe.cbSize = sizeof probe;
    check(GetClassInfoExW(library, kEditorClass, &probe) == 0, "the window class is gone after the last editor");
    const DWORD gdiAfter = guiObjects(GR_GDIOBJECTS);
    const DWORD userAfter = guiObjects(GR_USEROBJECTS);
    std::printf("GDI objects %lu -> %lu, USER objects %lu -> %lu after %d cycles of two editors%s\n", gdiBefore,
                gdiAfter, userBefore, userAfter, kCycles,
                gdiBefore == 0 && userBefore == 0 ? " (this system does not count them)" : "");
    check(gdiAfter <= gdiBefore && userAfter <= userBefore, "no GDI or USER object is left behind");
    FreeLibrary(library);

    std::printf("check: %d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
