// The editor's parameter gestures on their way to the host. The editor's
// thread pushes; the audio thread (or a flush) pops and hands each one to
// the host's output event list. One writer, one reader, no waiting: a full
// queue refuses the push.
#pragma once

#include <atomic>
#include <cstdint>

namespace vardelline::clapfx {

struct GuiEvent {
    uint16_t type;  // CLAP_EVENT_PARAM_VALUE, _GESTURE_BEGIN or _GESTURE_END
    uint32_t paramId;
    double value;  // for value events
};

class GuiEventQueue {
public:
    static constexpr uint32_t kCapacity = 1024;  // a power of two

    // Writer side. False, with nothing stored, when the queue is full.
    bool push(const GuiEvent& event) {
        const uint32_t tail = tail_.load(std::memory_order_relaxed);
        if (tail - head_.load(std::memory_order_acquire) >= kCapacity) return false;
        slots_[tail % kCapacity] = event;
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }

    // Reader side: the oldest event, left in place until pop.
    const GuiEvent* front() const {
        const uint32_t head = head_.load(std::memory_order_relaxed);
        if (head == tail_.load(std::memory_order_acquire)) return nullptr;
        return &slots_[head % kCapacity];
    }
    void pop() { head_.store(head_.load(std::memory_order_relaxed) + 1, std::memory_order_release); }

    // Free slots as the writer sees them.
    uint32_t space() const {
        return kCapacity - (tail_.load(std::memory_order_relaxed) - head_.load(std::memory_order_acquire));
    }

private:
    GuiEvent slots_[kCapacity] = {};
    std::atomic<uint32_t> head_{0};
    std::atomic<uint32_t> tail_{0};
};

}  // namespace vardelline::clapfx
