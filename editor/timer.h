// Timer: a periodic tick on the window's thread. The platform window adds
// up the time that passes and the timer fires once per interval elapsed.
#pragma once

#include <functional>

namespace vardelline::gui {

class Timer {
public:
    explicit Timer(int intervalMs) : interval_(intervalMs > 0 ? intervalMs : 1) {}

    int interval() const { return interval_; }
    bool enabled = true;
    std::function<void(Timer& sender)> onTimer;

    // Runs the handler now, if the timer is enabled.
    void fire() {
        if (enabled && onTimer) onTimer(*this);
    }

    // Lets ms milliseconds pass; fires once for each full interval, but at
    // most once per call, as a message-based timer does after a stall.
    void elapse(int ms) {
        if (!enabled || ms <= 0) return;
        pending_ += ms;
        if (pending_ < interval_) return;
        pending_ %= interval_;
        fire();
    }

private:
    int interval_;
    int pending_ = 0;
};

}  // namespace vardelline::gui
