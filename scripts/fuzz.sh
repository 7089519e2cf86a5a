#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz (the plug-in's code
# with coverage, AddressSanitizer and UndefinedBehaviorSanitizer) and runs
# each for FUZZ_SECONDS (default 60) from its corpus kept in fuzz/: the VST 2
# interface (plugin_fuzzer, fuzz/corpus) and the CLAP plug-in (clap_fuzzer,
# fuzz/clap-corpus). New inputs go to build-fuzz/<target>-corpus, a crashing
# input to build-fuzz/artifacts/<target>-*.
# "scripts/fuzz.sh --merge" adds what a run found to the kept corpora.
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
cmake --build build-fuzz --target plugin_fuzzer clap_fuzzer -j "$JOBS"
mkdir -p build-fuzz/artifacts

for target in "plugin_fuzzer fuzz/corpus" "clap_fuzzer fuzz/clap-corpus"; do
    read -r name kept <<<"$target"
    fuzzer=build-fuzz/fuzz/$name
    mkdir -p "build-fuzz/$name-corpus" "$kept"
    if [ "${1:-}" = --merge ]; then
        ASAN_OPTIONS="detect_leaks=0" "$fuzzer" -merge=1 "$kept" "build-fuzz/$name-corpus"
        continue
    fi
    ASAN_OPTIONS="detect_leaks=1" "$fuzzer" -max_total_time="${FUZZ_SECONDS:-60}" -max_len=4096 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$name-" "build-fuzz/$name-corpus" "$kept"
done
