// Signal handlers that record the signal and nothing else.
#include "tools/host/interruption.h"

#include <csignal>

namespace vardelline::host {

namespace {

volatile std::sig_atomic_t pendingSignal = 0;

void noteSignal(int signal) {
    pendingSignal = signal;
}

using Handler = void (*)(int);
Handler previousInterrupt = SIG_DFL;
Handler previousTerminate = SIG_DFL;

}  // namespace

Interrupted::Interrupted(int signal)
    : HostError(signal == SIGTERM ? "terminated" : "interrupted"), signal_(signal) {}

InterruptionScope::InterruptionScope() {
    pendingSignal = 0;
    previousInterrupt = std::signal(SIGINT, noteSignal);
    previousTerminate = std::signal(SIGTERM, noteSignal);
}

InterruptionScope::~InterruptionScope() {
    std::signal(SIGINT, previousInterrupt);
    std::signal(SIGTERM, previousTerminate);
}

void throwIfInterrupted() {
    const int signal = pendingSignal;
    if (signal != 0) throw Interrupted(signal);
}

}  // namespace vardelline::host
