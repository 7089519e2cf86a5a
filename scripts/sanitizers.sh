#!/usr/bin/env bash
# Sanitizer runs: the whole test suite and the validator under
# AddressSanitizer + UndefinedBehaviorSanitizer (build-asan), and the
# validator's threaded groups (automation stress, instances opened and closed
# beside processing threads) under ThreadSanitizer (build-tsan), for the
# VST 2 library and the CLAP plug-in.
# Usage: scripts/sanitizers.sh [asan|tsan|all]   (after scripts/setup.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS="${JOBS:-2}"
MODE="${1:-all}"

# The X11 editor joins the stress where a virtual display can be had.
with_display() {
    if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
        xvfb-run -a "$@"
    else
        "$@"
    fi
}

if [ "$MODE" = asan ] || [ "$MODE" = all ]; then
    # The preset's test environment carries the same ASAN_OPTIONS as below.
    cmake --preset asan >/dev/null
    cmake --build --preset asan -j "$JOBS"
    ctest --preset asan -j "$JOBS"
    # No leak check: the plug-in links libstdc++ statically, and its exception
    # arena (72 KiB) is reported lost each time a test unloads the library.
    export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:detect_odr_violation=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    with_display build-asan/tools/host/vardelline-host --plugin build-asan/vardelline.so \
        validate --level 2
    with_display build-asan/tools/host/vardelline-host --plugin build-asan/clap/vardelline.clap \
        validate --level 2
fi

if [ "$MODE" = tsan ] || [ "$MODE" = all ]; then
    cmake --preset tsan >/dev/null
    cmake --build build-tsan --target vardelline vardelline_clap_plugin vardelline-host -j "$JOBS"
    TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1" with_display \
        build-tsan/tools/host/vardelline-host --plugin build-tsan/vardelline.so \
        validate --level 2 --only automation,lifecycle,program-threads
    TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1" \
        build-tsan/tools/host/vardelline-host --plugin build-tsan/clap/vardelline.clap \
        validate --level 2 --only automation,lifecycle
fi
