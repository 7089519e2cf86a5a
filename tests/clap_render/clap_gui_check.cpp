// Windows only: the CLAP edition's editor embedded in a real Win32 window
// through the gui extension, twenty times over: create, size, set_parent,
// show with messages pumped, hide, destroy. Each time the editor must be
// the parent's one child at 731 x 278 while it exists, and gone afterwards.
// Prints one line per failure and exits 1 if there was any.
//
//   clap_gui_check PLUGIN
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "clap/abi/extensions.h"

namespace {

int failures = 0;

void check(bool ok, const char* what, int round) {
    if (ok) return;
    std::printf("FAILED (round %d): %s\n", round, what);
    ++failures;
}

const void* VCLAP_ABI noExtension(const clap_host*, const char*) {
    return nullptr;
}
void VCLAP_ABI noRequest(const clap_host*) {}

void pump(int ms) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    while (GetTickCount() < end) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(5);
    }
}

int childCount(HWND parent) {
    int n = 0;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) ++n;
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("usage: clap_gui_check PLUGIN\n");
        return 2;
    }
    HMODULE library = LoadLibraryA(argv[1]);
    const auto* entry =
        library ? reinterpret_cast<const clap_plugin_entry*>(GetProcAddress(library, "clap_entry")) : nullptr;
    if (entry == nullptr || !entry->init(argv[1])) {
        std::printf("FAILED: %s has no usable clap_entry\n", argv[1]);
        return 1;
    }
    const auto* factory = static_cast<const clap_plugin_factory*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
    clap_host host{CLAP_VERSION_CURRENT, nullptr, "clap_gui_check", "", "", "1", noExtension, noRequest, noRequest,
                   noRequest};
    const clap_plugin* plugin = factory->create_plugin(factory, &host, factory->get_plugin_descriptor(factory, 0)->id);
    if (plugin == nullptr || !plugin->init(plugin)) return 1;
    const auto* gui = static_cast<const clap_plugin_gui*>(plugin->get_extension(plugin, CLAP_EXT_GUI));
    check(gui != nullptr, "no gui extension", 0);
    if (gui == nullptr) return 1;
    check(gui->is_api_supported(plugin, CLAP_WINDOW_API_WIN32, false), "win32 not supported", 0);
    check(!gui->is_api_supported(plugin, CLAP_WINDOW_API_X11, false), "x11 offered on Windows", 0);

    WNDCLASSEXW hostClass{};
    hostClass.cbSize = sizeof hostClass;
    hostClass.lpfnWndProc = DefWindowProcW;
    hostClass.hInstance = GetModuleHandleW(nullptr);
    hostClass.lpszClassName = L"ClapGuiCheckHost";
    RegisterClassExW(&hostClass);
    HWND parent = CreateWindowExW(0, L"ClapGuiCheckHost", L"clap_gui_check", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  800, 400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    check(parent != nullptr, "no parent window", 0);
    for (int round = 1; round <= 20 && parent != nullptr; ++round) {
        check(gui->create(plugin, CLAP_WINDOW_API_WIN32, false), "create", round);
        uint32_t width = 0, height = 0;
        check(gui->get_size(plugin, &width, &height) && width == 731 && height == 278, "get_size", round);
        clap_window window{};
        window.api = CLAP_WINDOW_API_WIN32;
        window.win32 = parent;
        check(gui->set_parent(plugin, &window), "set_parent", round);
        check(gui->show(plugin), "show", round);
        pump(60);
        check(childCount(parent) == 1, "the editor is not the parent's one child", round);
        HWND child = GetWindow(parent, GW_CHILD);
        RECT rect{};
        check(child != nullptr && GetClientRect(child, &rect) && rect.right == 731 && rect.bottom == 278,
              "the editor's window is not 731 x 278", round);
        check(child != nullptr && IsWindowVisible(child), "the editor is not visible after show", round);
        check(gui->hide(plugin), "hide", round);
        check(child != nullptr && !IsWindowVisible(child), "the editor is visible after hide", round);
        gui->destroy(plugin);
        pump(20);
        check(childCount(parent) == 0, "the editor's window outlives destroy", round);
    }
    plugin->destroy(plugin);
    entry->deinit();
    if (parent != nullptr) DestroyWindow(parent);
    std::printf("%s\n", failures == 0 ? "ok: the editor in a Win32 window, 20 times" : "failures above");
    return failures == 0 ? 0 : 1;
}
