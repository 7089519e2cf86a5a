// A window driven without an effect: a stand-in that takes automated
// parameter changes the way the effect does (clamp, store, refresh the
// window's copy) and remembers them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "editor/editor_window.h"
#include "editor/platform_window.h"

namespace vardelline::testing {

struct Automation {
    int index;
    float value;
};

class FakeEffect : public AutomationTarget {
public:
    explicit FakeEffect(TPluginEditorWindow& window) : window_(window) {}

    void setParameterAutomated(int index, float value) override {
        calls.push_back({index, value});
        if (index < 0 || index >= kNumParamSlots) return;
        params[index] = !(value >= 0.0f) ? 0.0f : std::min(value, 1.0f);
        for (int i = 0; i < kNumParamSlots; ++i) window_.values[i].store(params[i]);
    }

    void beginEdit(int index) override { gestures.push_back(index); }
    void endEdit(int index) override { gestures.push_back(~index); }

    float params[kNumParamSlots] = {};
    std::vector<Automation> calls;
    // beginEdit(i) as i, endEdit(i) as ~i, in order.
    std::vector<int> gestures;

private:
    TPluginEditorWindow& window_;
};

// A window as the adaptor leaves it after open: values in, all strips drawn.
// A varied setting, so that every column shows knobs in several places:
// each value goes to the effect's copy and to the window's.
inline void setVariedValues(FakeEffect& effect, TPluginEditorWindow& window) {
    auto set = [&](int index, float v) {
        effect.params[index] = v;
        window.values[index].store(v);
    };
    for (int band = 0; band < 8; ++band) {
        set(3 + band, band / 7.0f);
        set(11 + band, 1.0f - band / 7.0f);
        set(19 + band, 0.5f + (band % 3 - 1) * 0.3f);
        set(27 + band, band * 0.11f);
        set(35 + band, 0.1f + band * 0.05f);
        set(43 + band, band % 2 ? 0.8f : 0.2f);
    }
    set(0, 0.0f);
    set(1, 1.0f);
    set(2, 0.8f);
    set(51, 0.35f);
}

class WindowTest : public ::testing::Test {
protected:
    WindowTest() : platform(attachHeadless(window)), effect(window) {
        window.plugin = &effect;
        window.SetAll();
        window.repaintPending();
    }

    void setValue(int index, float v) {
        effect.params[index] = v;
        window.values[index].store(v);
    }
    float value(int index) const { return window.values[index].load(); }

    gui::Control& strip(const char* name) {
        gui::Control* control = window.findControl(name);
        EXPECT_NE(control, nullptr) << name;
        return *control;
    }
    void press(const char* name, int x, gui::MouseButton button = gui::MouseButton::Left, bool shift = false) {
        send(gui::PointerKind::Press, name, x, button, shift);
    }
    void move(const char* name, int x) { send(gui::PointerKind::Move, name, x, gui::MouseButton::Left, false); }
    void release(const char* name, int x, gui::MouseButton button = gui::MouseButton::Left) {
        send(gui::PointerKind::Release, name, x, button, false);
    }

    TPluginEditorWindow window;
    gui::HeadlessWindow& platform;
    FakeEffect effect;

private:
    static gui::HeadlessWindow& attachHeadless(TPluginEditorWindow& to) {
        auto headless = std::make_unique<gui::HeadlessWindow>();
        gui::HeadlessWindow& kept = *headless;
        to.attach(std::move(headless));
        return kept;
    }

    void send(gui::PointerKind kind, const char* name, int x, gui::MouseButton button, bool shift) {
        gui::PointerEvent event;
        event.kind = kind;
        event.x = x;
        event.y = 6;
        event.button = button;
        event.shift.shift = shift;
        window.dispatchPointer(event, &strip(name));
    }
};

}  // namespace vardelline::testing
