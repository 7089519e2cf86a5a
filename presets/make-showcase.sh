#!/usr/bin/env bash
# Writes the showcase programs in this folder with the command-line host:
# each one starts from a factory program and sets its values in the units
# of the editor's readout. Run from anywhere after a build; the .fxp files
# are kept in the repository, so this is only needed to change them.
set -euo pipefail
cd "$(dirname "$0")"
HOST=${HOST:-../build/tools/host/vardelline-host}

# "NAME=VALUE" for bands 1 to 8 with one value each: bands PARAM V1 ... V8
bands() {
    local param=$1
    shift
    local band=1
    for value in "$@"; do
        printf -- "--param\0Band %d %s=%s\0" "$band" "$param" "$value"
        band=$((band + 1))
    done
}

save() {
    local file=$1 name=$2
    shift 2
    "$HOST" --quiet presets save -o "$file" --name "$name" "$@"
    echo "$file: $name"
}

# Every band on its own swept line, fed back into itself: a bright shimmer.
mapfile -d '' args < <(
    bands "Left Delay" 12ms 15ms 18ms 21ms 14ms 17ms 20ms 23ms
    bands "Right Delay" 16ms 13ms 22ms 19ms 24ms 15ms 26ms 17ms
    bands Speed 1.2Hz 1.7Hz 2.3Hz 3.1Hz 1.4Hz 2Hz 2.7Hz 3.6Hz
    bands Width 40% 40% 45% 45% 50% 50% 55% 55%
    bands Feedback 55% 55% 60% 60% 60% 60% 55% 55%
    bands Pan L70 R70 L70 R70 L70 R70 L70 R70)
save chorus-shimmer.fxp "Chorus Shimmer" --program Default "${args[@]}" --param "Delay / Chorus=D/C : 100%/0"

# Slow, deep sweeps on longer lines, bands thrown to alternate sides.
mapfile -d '' args < <(
    bands "Left Delay" 30ms 36ms 42ms 28ms 34ms 40ms 26ms 32ms
    bands "Right Delay" 35ms 29ms 45ms 33ms 27ms 41ms 37ms 31ms
    bands Speed 0.1Hz 0.13Hz 0.17Hz 0.21Hz 0.11Hz 0.15Hz 0.19Hz 0.24Hz
    bands Width 80% 85% 80% 85% 80% 85% 80% 85%
    bands Feedback 25% 25% 25% 25% 25% 25% 25% 25%
    bands Pan L0 R0 L0 R0 L0 R0 L0 R0)
save wide-slow-chorus.fxp "Wide Slow Chorus" --program Default "${args[@]}" --param "Delay / Chorus=D/C : 100%/50"

# Narrow bands on short, unswept lines with strong feedback: each band rings
# at its own comb pitch for seconds after a hit.
mapfile -d '' args < <(
    bands "Left Delay" 5ms 7ms 11ms 13ms 17ms 19ms 23ms 29ms
    bands "Right Delay" 6ms 8ms 10ms 14ms 16ms 20ms 22ms 28ms
    bands Width 0% 0% 0% 0% 0% 0% 0% 0%
    bands Feedback 90% 90% 90% 90% 90% 90% 90% 90%
    bands Pan L40 R40 L60 R60 L80 R80 L100 R100)
save ringing-feedback.fxp "Ringing Feedback" --program Default "${args[@]}" --param "Freq Q=20%" \
    --param "Delay / Chorus=D/C : 100%/0"

# Delays rising band by band: transients smear into a downward-to-upward sweep.
mapfile -d '' args < <(
    bands "Left Delay" 0ms 20ms 40ms 60ms 80ms 100ms 120ms 140ms
    bands "Right Delay" 10ms 30ms 50ms 70ms 90ms 110ms 130ms 150ms
    bands Speed 0.5Hz 0.5Hz 0.5Hz 0.5Hz 0.5Hz 0.5Hz 0.5Hz 0.5Hz
    bands Width 10% 10% 10% 10% 10% 10% 10% 10%
    bands Feedback 30% 30% 30% 30% 30% 30% 30% 30%)
save spectral-smear.fxp "Spectral Smear" --program Default "${args[@]}" --param "Delay / Chorus=D50"

# Plain delays only, alternate bands hard left and right with a few
# milliseconds between the sides: a mono source spreads wide.
mapfile -d '' args < <(
    bands "Left Delay" 0ms 3ms 0ms 5ms 0ms 4ms 0ms 6ms
    bands "Right Delay" 4ms 0ms 6ms 0ms 3ms 0ms 5ms 0ms
    bands Pan L0 R0 L0 R0 L0 R0 L0 R0)
save mono-widener.fxp "Mono Widener" --program Default "${args[@]}" --param "Freq Q=90%" --param "Delay / Chorus=D0"
