// Ctrl-C and SIGTERM during long work: the handlers only note the signal;
// the work loop asks between blocks and throws Interrupted, so destructors
// remove temporary files before the process exits with 128 + the signal.
#pragma once

#include "tools/host/host_error.h"

namespace vardelline::host {

class Interrupted : public HostError {
public:
    explicit Interrupted(int signal);
    int signal() const { return signal_; }
    // The conventional exit code of a process stopped by the signal.
    int exitCode() const { return 128 + signal_; }

private:
    int signal_;
};

// Catches SIGINT and SIGTERM while it lives and restores the previous handlers.
class InterruptionScope {
public:
    InterruptionScope();
    ~InterruptionScope();
    InterruptionScope(const InterruptionScope&) = delete;
    InterruptionScope& operator=(const InterruptionScope&) = delete;
};

// Throws Interrupted when a signal has arrived inside a scope.
void throwIfInterrupted();

}  // namespace vardelline::host
