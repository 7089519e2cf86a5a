// Real-time safety checks: while a thread is inside an AudioScope, every
// call it makes to the allocator, to a lock or to a blocking system call is
// counted. The interception lives in the vardelline-host executable, whose
// definitions of malloc, pthread_mutex_lock, write and the like the loaded
// plug-in's calls resolve to.
#pragma once

namespace vardelline::host::validate::realtime {

// False where nothing is intercepted (other systems, sanitizer builds, which
// intercept the same functions themselves); why() then says which.
bool available();
const char* why();

// Marks the calling thread as inside an audio callback while it lives.
class AudioScope {
public:
    AudioScope();
    ~AudioScope();
    AudioScope(const AudioScope&) = delete;
    AudioScope& operator=(const AudioScope&) = delete;
};

// Calls made inside audio scopes since the last reset, and the first one's name.
long violations();
const char* firstViolation();
void reset();

}  // namespace vardelline::host::validate::realtime
