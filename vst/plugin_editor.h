// APluginEditor: the effect's editor object. The host asks it for the
// window's size, opens the window inside a window of its own, idles and
// closes it; the effect calls update to refresh the window's copy of the
// parameter values.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "editor/editor_window.h"
#include "editor/platform_window.h"
#include "vst/aeff_editor.h"

class APlugin;

class APluginEditor : public AEffEditor, private vardelline::AutomationTarget {
public:
    explicit APluginEditor(APlugin* plugin);
    ~APluginEditor() override;

    VstInt32 getRect(ERect** rect) override;
    VstInt32 open(void* ptr) override;
    void close() override;
    void idle() override;
    // May run on any thread, the audio thread included: stores only.
    void update() override;

    // The host's scale message ('PreS', 'AeCs', factor in floatArg) and the
    // requests of editor_remote.h; any other answers 0.
    VstIntPtr vendorSpecific(VstInt32 lArg, VstIntPtr lArg2, void* ptrArg, float floatArg);

    // The factor the host asks for, made sane (1..3). Before open it sets
    // the size of the window to come; while open, the window is drawn anew
    // at that factor and the host is asked to resize its frame.
    void setHostScale(double factor);
    // The factor the editor opens at: the host's, else VARDELLINE_UI_SCALE,
    // else the desktop's, else 1; the open window's while there is one.
    double scaleFactor();

    // For tests and the remote requests: the open window, or nullptr.
    vardelline::TPluginEditorWindow* editorWindow() const { return window.get(); }
    int32_t openCalls() const { return openCount; }
    void* parentHandle() const { return parentWindow; }
    const vardelline::gui::PlatformWindow* platform() const { return window ? window->platform() : nullptr; }

private:
    APlugin* plugin() const;
    void setParameterAutomated(int index, float value) override;
    void beginEdit(int index) override;
    void endEdit(int index) override;
    void copyValuesInto(vardelline::TPluginEditorWindow& target) const;
    // Tells the effect the editor is closed and lets the window go once no
    // update can still be writing into it; if an event is being handed to
    // the window further up the stack, it is destroyed when that returns.
    void destroyWindow();
    VstIntPtr remoteMouse(const void* ptr);
    // A new window at factor in place of the open one, showing what it showed.
    void replaceWindow(double factor);
    // A window at factor inside parentWindow, filled from the effect.
    void createWindow(double factor);
    // The factor for a window inside parent, from the host, the user or the desktop.
    double chooseScale(void* parent);

    ERect rect{};
    int32_t openCount = 0;
    // Owns its platform window.
    std::unique_ptr<vardelline::TPluginEditorWindow> window;
    void* parentWindow = nullptr;
    // Shown between open and a close that leaves it existing but hidden.
    bool windowShown = false;
    // The host's factor, 0 until it sends one.
    double hostScale = 0.0;
    // The desktop's factor as last asked (asking opens a connection to the
    // window system, and hosts ask for the rectangle often); 0: unknown,
    // negative: not asked yet.
    double desktopScaleSeen = -1.0;

    // The window update may write into (null while none may), and how many
    // updates are inside it; together they let close wait for a running
    // update instead of pulling the window from under it.
    std::atomic<vardelline::TPluginEditorWindow*> updateTarget{nullptr};
    std::atomic<int> updatesRunning{0};
};
