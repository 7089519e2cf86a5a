// The gui extension (embedded only, no resizing, 731 x 278) and the timer
// and descriptor callbacks that pump the editor on the host's main thread.
#include <cstring>

#include "clap/clap_editor.h"
#include "clap/clap_effect.h"
#include "clap/extensions.h"
#include "editor/layout.h"

namespace vardelline::clapfx {

#if defined(_WIN32) || defined(VARDELLINE_CLAP_X11)

namespace {

#if defined(_WIN32)
constexpr const char* kWindowApi = CLAP_WINDOW_API_WIN32;
#else
constexpr const char* kWindowApi = CLAP_WINDOW_API_X11;
#endif
constexpr uint32_t kWidth = layout::kClientWidth;
constexpr uint32_t kHeight = layout::kClientHeight;

bool VCLAP_ABI isApiSupported(const clap_plugin* plugin, const char* api, bool floating) {
    return ClapEffect::from(plugin) != nullptr && api != nullptr && !floating && std::strcmp(api, kWindowApi) == 0;
}

bool VCLAP_ABI preferredApi(const clap_plugin* plugin, const char** api, bool* floating) {
    if (ClapEffect::from(plugin) == nullptr || api == nullptr || floating == nullptr) return false;
    *api = kWindowApi;
    *floating = false;
    return true;
}

bool VCLAP_ABI create(const clap_plugin* plugin, const char* api, bool floating) {
    ClapEffect* effect = ClapEffect::from(plugin);
    if (effect == nullptr || !isApiSupported(plugin, api, floating) || effect->editor) return false;
    try {
        effect->editor = std::make_unique<ClapEditor>(*effect);
    } catch (...) {
        return false;
    }
    return true;
}

void VCLAP_ABI destroy(const clap_plugin* plugin) {
    if (ClapEffect* effect = ClapEffect::from(plugin)) effect->editor.reset();
}

// The editor draws itself anew at the host's factor (physical pixels on
// both window systems we embed in).
bool VCLAP_ABI setScale(const clap_plugin* plugin, double factor) {
    ClapEditor* editor = ClapEditor::of(plugin);
    if (editor == nullptr || !(factor > 0.0)) return false;
    editor->setScale(factor);
    return true;
}

// Answered before create too (at the factor the user's or the desktop's
// settings give): hosts size their frame from it.
bool VCLAP_ABI getSize(const clap_plugin* plugin, uint32_t* width, uint32_t* height) {
    if (ClapEffect::from(plugin) == nullptr || width == nullptr || height == nullptr) return false;
    if (ClapEditor* editor = ClapEditor::of(plugin)) {
        *width = editor->width();
        *height = editor->height();
        return true;
    }
    const gui::Scale scale(gui::chooseScale(0.0, [] { return gui::desktopScale(nullptr); }));
    *width = static_cast<uint32_t>(scale.size(kWidth));
    *height = static_cast<uint32_t>(scale.size(kHeight));
    return true;
}

bool VCLAP_ABI canResize(const clap_plugin*) {
    return false;
}

bool VCLAP_ABI resizeHints(const clap_plugin* plugin, clap_gui_resize_hints* hints) {
    if (ClapEffect::from(plugin) == nullptr || hints == nullptr) return false;
    *hints = {false, false, true, kWidth, kHeight};
    return true;
}

bool VCLAP_ABI adjustSize(const clap_plugin* plugin, uint32_t* width, uint32_t* height) {
    return getSize(plugin, width, height);
}

bool VCLAP_ABI setSize(const clap_plugin* plugin, uint32_t width, uint32_t height) {
    uint32_t w = 0, h = 0;
    return getSize(plugin, &w, &h) && width == w && height == h;
}

bool VCLAP_ABI setParent(const clap_plugin* plugin, const clap_window* window) {
    ClapEditor* editor = ClapEditor::of(plugin);
    if (editor == nullptr || window == nullptr || window->api == nullptr || std::strcmp(window->api, kWindowApi) != 0)
        return false;
#if defined(_WIN32)
    void* handle = window->win32;
#else
    void* handle = reinterpret_cast<void*>(static_cast<uintptr_t>(window->x11));
#endif
    return editor->setParent(handle);
}

bool VCLAP_ABI setTransient(const clap_plugin*, const clap_window*) {
    return false;  // never floating
}

void VCLAP_ABI suggestTitle(const clap_plugin*, const char*) {}

bool VCLAP_ABI show(const clap_plugin* plugin) {
    ClapEditor* editor = ClapEditor::of(plugin);
    if (editor == nullptr) return false;
    editor->show();
    return true;
}

bool VCLAP_ABI hide(const clap_plugin* plugin) {
    ClapEditor* editor = ClapEditor::of(plugin);
    if (editor == nullptr) return false;
    editor->hide();
    return true;
}

void VCLAP_ABI onTimer(const clap_plugin* plugin, clap_id id) {
    if (ClapEditor* editor = ClapEditor::of(plugin)) editor->onTimer(id);
}

void VCLAP_ABI onDescriptor(const clap_plugin* plugin, int fd, uint32_t) {
    if (ClapEditor* editor = ClapEditor::of(plugin)) editor->onDescriptor(fd);
}

constexpr clap_plugin_gui kGui = {isApiSupported, preferredApi, create,    destroy,      setScale,
                                  getSize,        canResize,    resizeHints, adjustSize, setSize,
                                  setParent,      setTransient, suggestTitle, show,       hide};
constexpr clap_plugin_timer_support kTimerSupport = {onTimer};
constexpr clap_plugin_posix_fd_support kFdSupport = {onDescriptor};

}  // namespace

const clap_plugin_gui* guiExtension() {
    return &kGui;
}
const clap_plugin_timer_support* timerSupportExtension() {
    return &kTimerSupport;
}
const clap_plugin_posix_fd_support* posixFdSupportExtension() {
#if defined(_WIN32)
    return nullptr;
#else
    return &kFdSupport;
#endif
}

#else  // no window system: no editor

const clap_plugin_gui* guiExtension() {
    return nullptr;
}
const clap_plugin_timer_support* timerSupportExtension() {
    return nullptr;
}
const clap_plugin_posix_fd_support* posixFdSupportExtension() {
    return nullptr;
}

#endif

}  // namespace vardelline::clapfx
