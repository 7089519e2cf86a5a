// Interposed allocator, lock and blocking-call entry points for the realtime
// check. Each forwards to the C library's own and, inside an AudioScope,
// counts the call. The vardelline-validate executable contains this file and
// exports these names so that a plug-in loaded later binds to them; the
// everyday vardelline-host builds it with VARDELLINE_NO_INTERCEPT, so its
// renders run on the C library's own malloc.
#include "tools/host/validate_intercept.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define VALIDATE_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VALIDATE_SANITIZED 1
#endif

#if defined(__linux__) && !defined(VALIDATE_SANITIZED) && !defined(VARDELLINE_NO_INTERCEPT)
#define VALIDATE_INTERCEPT 1
#endif

#include <atomic>

#if VALIDATE_INTERCEPT
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <sys/select.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstddef>
#endif

namespace vardelline::host::validate::realtime {

namespace {

thread_local bool inAudio = false;
std::atomic<long> calls{0};
std::atomic<const char*> first{nullptr};

}  // namespace

// Called by every interposed function: counts the call when made from audio.
void note(const char* function) {
    if (!inAudio) return;
    calls.fetch_add(1, std::memory_order_relaxed);
    const char* none = nullptr;
    first.compare_exchange_strong(none, function);
}

AudioScope::AudioScope() {
    inAudio = true;
}
AudioScope::~AudioScope() {
    inAudio = false;
}

long violations() {
    return calls.load();
}
const char* firstViolation() {
    const char* name = first.load();
    return name != nullptr ? name : "";
}
void reset() {
    calls.store(0);
    first.store(nullptr);
}

#if VALIDATE_INTERCEPT
bool available() {
    return true;
}
const char* why() {
    return "";
}
#else
bool available() {
    return false;
}
const char* why() {
#if defined(VALIDATE_SANITIZED)
    return "a sanitizer build intercepts the same calls itself";
#elif defined(VARDELLINE_NO_INTERCEPT)
    return "only vardelline-validate intercepts calls";
#else
    return "no call interception on this system";
#endif
}
#endif

}  // namespace vardelline::host::validate::realtime

#if VALIDATE_INTERCEPT

using vardelline::host::validate::realtime::note;

// The C library's allocator under its internal names.
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
void* __libc_memalign(size_t, size_t);
}

namespace {

// The next definition of name after ours, looked up once.
void* next(std::atomic<void*>& cache, const char* name) {
    void* function = cache.load(std::memory_order_relaxed);
    if (function == nullptr) {
        function = dlsym(RTLD_NEXT, name);
        cache.store(function, std::memory_order_relaxed);
    }
    return function;
}

}  // namespace

// Forwards a call to the next definition of the same function.
#define VALIDATE_FORWARD(name, ...)          \
    static std::atomic<void*> real{nullptr}; \
    note(#name);                             \
    return reinterpret_cast<decltype(&::name)>(next(real, #name))(__VA_ARGS__)

// The project builds with hidden visibility; these must be seen by the plug-in.
#pragma GCC visibility push(default)

extern "C" {

void* malloc(size_t size) noexcept {
    note("malloc");
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) noexcept {
    note("calloc");
    return __libc_calloc(count, size);
}

void* realloc(void* memory, size_t size) noexcept {
    note("realloc");
    return __libc_realloc(memory, size);
}

void free(void* memory) noexcept {
    if (memory != nullptr) note("free");
    __libc_free(memory);
}

void* memalign(size_t alignment, size_t size) noexcept {
    note("memalign");
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) noexcept {
    note("aligned_alloc");
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** memory, size_t alignment, size_t size) noexcept {
    note("posix_memalign");
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
    *memory = __libc_memalign(alignment, size);
    return *memory != nullptr || size == 0 ? 0 : ENOMEM;
}

int pthread_mutex_lock(pthread_mutex_t* mutex) noexcept {
    VALIDATE_FORWARD(pthread_mutex_lock, mutex);
}
int pthread_mutex_trylock(pthread_mutex_t* mutex) noexcept {
    VALIDATE_FORWARD(pthread_mutex_trylock, mutex);
}
int pthread_rwlock_rdlock(pthread_rwlock_t* lock) noexcept {
    VALIDATE_FORWARD(pthread_rwlock_rdlock, lock);
}
int pthread_rwlock_wrlock(pthread_rwlock_t* lock) noexcept {
    VALIDATE_FORWARD(pthread_rwlock_wrlock, lock);
}
int pthread_cond_wait(pthread_cond_t* cond, pthread_mutex_t* mutex) {
    VALIDATE_FORWARD(pthread_cond_wait, cond, mutex);
}
int pthread_cond_timedwait(pthread_cond_t* cond, pthread_mutex_t* mutex, const struct timespec* until) {
    VALIDATE_FORWARD(pthread_cond_timedwait, cond, mutex, until);
}
int pthread_join(pthread_t thread, void** result) {
    VALIDATE_FORWARD(pthread_join, thread, result);
}
int sem_wait(sem_t* semaphore) {
    VALIDATE_FORWARD(sem_wait, semaphore);
}
int nanosleep(const struct timespec* duration, struct timespec* left) {
    VALIDATE_FORWARD(nanosleep, duration, left);
}
int clock_nanosleep(clockid_t clock, int flags, const struct timespec* duration, struct timespec* left) {
    VALIDATE_FORWARD(clock_nanosleep, clock, flags, duration, left);
}
int usleep(useconds_t microseconds) {
    VALIDATE_FORWARD(usleep, microseconds);
}
unsigned sleep(unsigned seconds) {
    VALIDATE_FORWARD(sleep, seconds);
}
int sched_yield() noexcept {
    VALIDATE_FORWARD(sched_yield);
}
ssize_t read(int fd, void* buffer, size_t size) {
    VALIDATE_FORWARD(read, fd, buffer, size);
}
ssize_t write(int fd, const void* buffer, size_t size) {
    VALIDATE_FORWARD(write, fd, buffer, size);
}
int close(int fd) {
    VALIDATE_FORWARD(close, fd);
}
int poll(struct pollfd* fds, nfds_t count, int timeout) {
    VALIDATE_FORWARD(poll, fds, count, timeout);
}
int select(int count, fd_set* readable, fd_set* writable, fd_set* failed, struct timeval* timeout) {
    VALIDATE_FORWARD(select, count, readable, writable, failed, timeout);
}
void* mmap(void* address, size_t size, int protection, int flags, int fd, off_t offset) noexcept {
    VALIDATE_FORWARD(mmap, address, size, protection, flags, fd, offset);
}
int munmap(void* address, size_t size) noexcept {
    VALIDATE_FORWARD(munmap, address, size);
}
int mprotect(void* address, size_t size, int protection) noexcept {
    VALIDATE_FORWARD(mprotect, address, size, protection);
}
int madvise(void* address, size_t size, int advice) noexcept {
    VALIDATE_FORWARD(madvise, address, size, advice);
}

int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? static_cast<mode_t>(va_arg(args, int)) : 0;
    va_end(args);
    VALIDATE_FORWARD(open, path, flags, mode);
}

int openat(int directory, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? static_cast<mode_t>(va_arg(args, int)) : 0;
    va_end(args);
    VALIDATE_FORWARD(openat, directory, path, flags, mode);
}

}  // extern "C"

#pragma GCC visibility pop

#endif
