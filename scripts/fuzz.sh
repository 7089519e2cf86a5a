#!/usr/bin/env bash
# Builds the libFuzzer target with clang into build-fuzz (the plug-in's code
# with coverage, AddressSanitizer and UndefinedBehaviorSanitizer) and runs it
# for FUZZ_SECONDS (default 60) from the corpus kept in fuzz/corpus. New
# inputs go to build-fuzz/corpus, a crashing input to build-fuzz/artifacts/.
# "scripts/fuzz.sh --merge" adds what a run found to the kept corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS="${JOBS:-2}"
if ! command -v clang++ >/dev/null; then
    echo "scripts/fuzz.sh needs clang with libFuzzer (Debian: clang libclang-rt-14-dev)" >&2
    exit 1
fi
FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
LINK="-fsanitize=address,undefined"
# The build runs generators built with these flags: no leak report from them.
export ASAN_OPTIONS="detect_leaks=0"

cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARDELLINE_FUZZ=ON -DVARDELLINE_BENCH=OFF -DVARDELLINE_TOOLS=OFF \
    -DCMAKE_C_FLAGS="$FLAGS" -DCMAKE_CXX_FLAGS="$FLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LINK" \
    -DCMAKE_SHARED_LINKER_FLAGS="$LINK" -DCMAKE_MODULE_LINKER_FLAGS="$LINK" >/dev/null
cmake --build build-fuzz --target plugin_fuzzer -j "$JOBS"
mkdir -p build-fuzz/corpus build-fuzz/artifacts

FUZZER=build-fuzz/fuzz/plugin_fuzzer
if [ "${1:-}" = --merge ]; then
    "$FUZZER" -merge=1 fuzz/corpus build-fuzz/corpus
    exit 0
fi
export ASAN_OPTIONS="detect_leaks=1"
"$FUZZER" -max_total_time="${FUZZ_SECONDS:-60}" -max_len=4096 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix=build-fuzz/artifacts/ build-fuzz/corpus fuzz/corpus
