#!/usr/bin/env bash
# Tries the installed CLAP edition in Debian's Qtractor on a private Xvfb with
# a JACK server on its dummy backend, for machines without sound hardware or
# an ALSA sequencer (the sequencer is stood in for by no_alsa_sequencer.so).
# Needs: qtractor jackd2 xvfb (apt-get install qtractor jackd2 xvfb).
# Leaves Qtractor running on display :57 until Enter is pressed; look with
# e.g. `DISPLAY=:57 import -window root shot.png`.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
cc -shared -fPIC -o "$work/no_alsa_sequencer.so" "$here/no_alsa_sequencer.c"
Xvfb :57 -screen 0 1400x900x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
sleep 1
jackd -d dummy -r 48000 -p 512 >"$work/jackd.log" 2>&1 &
jack=$!
sleep 2
DISPLAY=:57 LD_PRELOAD="$work/no_alsa_sequencer.so" qtractor "$@" >"$work/qtractor.log" 2>&1 &
qtractor=$!
echo "Qtractor on :57 (logs in $work); press Enter to stop"
read -r _
kill "$qtractor" "$jack" "$xvfb" 2>/dev/null || true
