// A test host for the editor on a real X server: the plug-in library loaded
// by path, a top-level parent window on the host's own connection, the
// editor's idle pumped the way a host's GUI loop does, and pointer and
// keyboard input synthesised with XTest.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tools/host/plugin_instance.h"

// Xlib last: its macros (None, Bool, Status, ...) must not meet other headers.
#include <X11/Xlib.h>

namespace x11test {

// Connects to the X server the tests run against: the private one the ctest
// fixture started (its display name is in the file named by
// VARDELLINE_TEST_DISPLAY_FILE), else $DISPLAY when not run by ctest. Sets
// DISPLAY for the plug-in too. Null when there is none, or it lacks XTest.
Display* connectTestDisplay();

// XOpenDisplay, tried for a few seconds: a server that has just reported
// its display number may not take connections yet.
Display* openDisplayPatiently(const std::string& name);

// The windows the server holds inside window.
std::vector<Window> childrenOf(Display* display, Window window);

// The editor window position of pixel x on the middle row of the strip of
// band 1..8 in the column whose strips are named prefix + band ("HsPan").
struct Point {
    int x;
    int y;
};
Point bandStrip(const char* prefix, int band, int x);

// The window's pixels as 0xRRGGBB, row by row, read back from the server.
std::vector<uint32_t> readWindowPixels(Display* display, Window window, int width, int height);

class X11HostTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    vardelline::host::PluginInstance& plugin() { return *instance; }
    void* parentHandle() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(parent)); }
    VstIntPtr openEditor() { return instance->dispatch(effEditOpen, 0, 0, parentHandle()); }
    void closeEditor() { instance->dispatch(effEditClose); }
    // The windows the server holds inside the parent.
    std::vector<Window> childrenOfParent() const;
    // The editor's window: the parent's only child, or 0.
    Window editorWindow() const;

    // Calls effEditIdle every couple of milliseconds for ms milliseconds.
    void idleFor(int ms);
    // Waits until the server has handled our requests, then idles a little
    // so that the editor sees the events they caused.
    void settle();

    // Pointer and keys through XTest; x and y are editor window coordinates.
    void pointerTo(int x, int y);
    void button(unsigned number, bool down);
    void shiftKey(bool down);

    std::vector<std::pair<int, float>> automation;  // every audioMasterAutomate, in order
    // Every automation and gesture request as text ("begin 21",
    // "automate 21 0.5", "end 21"), in order, and a hook run inside the
    // host's callback right after each is logged.
    std::vector<std::string> told;
    std::function<void(const std::string&)> whenTold;
    Display* display = nullptr;
    Window parent = 0;
    std::unique_ptr<vardelline::host::PluginInstance> instance;
};

}  // namespace x11test
