#!/usr/bin/env bash
# Windows builds, proven under Wine: cross-builds the 32 and 64-bit plug-in
# DLLs, the command-line host and the Windows check with mingw-w64, checks the
# DLLs' exports and imports, then under Wine (on an Xvfb display) runs the
# host's info, renders that must match the Linux build's sample for sample,
# editor snapshots that must match Linux's pixel for pixel, and the check of
# the load-time floating-point set-up and of the editor's Win32 window.
set -euo pipefail
cd "$(dirname "$0")/.."

LINUX_BUILD=${LINUX_BUILD:-build}
OUT=build-windows-checks
# shellcheck source=scripts/check_common.sh
. scripts/check_common.sh

# --- Packages -------------------------------------------------------------
PACKAGES=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
          wine wine64 xvfb xauth python3 cmake ninja-build fonts-liberation2 libstb-dev libcli11-dev)
require_packages "${PACKAGES[@]}"
# 32-bit Wine needs the i386 architecture next to amd64, and a kernel that
# runs 32-bit programs.
if [ -n "$(missing wine32:i386)" ]; then
  $SUDO dpkg --add-architecture i386 && $SUDO apt-get update -qq && install wine32:i386 || true
fi
wine_bin_dir=$PWD/build-wine-bin
# shellcheck source=scripts/wine_path.sh
. scripts/wine_path.sh
wine32=$wine32_runs
[ "$wine32" = yes ] || echo "note: 32-bit Wine cannot run here; the 32-bit DLL is built and inspected, not run"

# --- Cross builds -----------------------------------------------------------
for preset in win64 win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build "build-$preset" -j "${JOBS:-2}" --target vardelline vardelline-host vardelline_windows_check
done

# --- What the DLLs export and import ----------------------------------------
for arch in win64:x86_64 win32:i686; do
  preset=${arch%%:*}
  dll=build-$preset/vardelline.dll
  dump=$("${arch#*:}-w64-mingw32-objdump" -p "$dll")
  exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\s*\[ *[0-9]*\] //p' | sort | xargs)
  [ "$exports" = "VSTPluginMain main" ] && pass "$dll exports VSTPluginMain and main" \
    || fail "$dll exports '$exports'"
  imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | tr 'A-Z' 'a-z' | sort | xargs)
  [ "$imports" = "gdi32.dll kernel32.dll msvcrt.dll user32.dll" ] && pass "$dll needs only system DLLs ($imports)" \
    || fail "$dll imports $imports"
  # mingw's own sin, cos and exp run on the x87 unit, whose results differ
  # from glibc's (and between processor makers); the engine uses its own.
  x87=$("${arch#*:}-w64-mingw32-objdump" -d "$dll" | grep -cE $'\t(fsin|fcos|fsincos|f2xm1|fyl2x)\\s*$' || true)
  if [ "$x87" -eq 0 ]; then
    pass "$dll computes sin, cos and exp without the x87 unit"
  else
    fail "$dll holds $x87 x87 sin/cos/exp instructions (the platform's maths library is still linked)"
  fi
done
# The descriptor's 144-byte 32-bit layout is pinned by static assertions in
# vst/aeffect.h (the build above would have stopped), and read back at the
# host's offsets by the Windows check below.

# --- Linux reference --------------------------------------------------------
linux_reference build-winlinux
rm -rf "$OUT"
mkdir -p "$OUT"
# Fast oscillators, wide sweeps and feedback, so that sin and exp matter;
# the last render reads a file (written by libsndfile on Linux) back in.
SETTINGS=(-p 4 -s 27=1 -s 28=0.9 -s 29=0.75 -s 35=1 -s 36=0.8 -s 43=0.9 -s 44=0.6 -s 51=0.3 -b 317 --tail 20)
# Paths stay relative: the Windows host takes a leading / for an option.
render() {  # render DIR HOST-COMMAND...: renders and an editor snapshot into DIR
  local dir=$1
  shift
  mkdir -p "$dir"
  "$@" render --all-programs --out-dir "$dir" --no-progress >/dev/null &&
    "$@" render "${SETTINGS[@]}" --encoding float -o "$dir/settings.wav" --no-progress >/dev/null &&
    "$@" render "$OUT/linux/settings.wav" -p 2 --encoding float -o "$dir/from-file.wav" --no-progress >/dev/null &&
    "$@" snapshot -p 3 -m drag:HsPan3:20:70:shift -m drag:HWet:60:30 -o "$dir/editor.png" >/dev/null
}
render "$OUT/linux" "$linux_host" --plugin "$linux_plugin"

# Compares the samples of two WAV files (the headers may differ).
compare_wav() {
  python3 scripts/compare_wav.py "$1" "$2"
}

# --- Under Wine -------------------------------------------------------------
export WINEPREFIX=$PWD/$OUT/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine wineboot -i >/dev/null 2>&1 || true
variants=(win64)
[ "$wine32" = yes ] && variants+=(win32)
for preset in "${variants[@]}"; do
  host=build-$preset/tools/host/vardelline-host.exe
  dll=build-$preset/vardelline.dll
  if timeout 120 wine "$host" --plugin "$dll" info >"$OUT/$preset-info.txt" 2>&1 &&
    grep -q "Unique ID:    'vdLn'" "$OUT/$preset-info.txt"; then
    pass "$preset: the host's info reads the DLL"
  else
    fail "$preset: info"; cat "$OUT/$preset-info.txt"
  fi
  render "$OUT/$preset" timeout 300 wine "$host" --plugin "$dll" 2>"$OUT/$preset-render.txt" ||
    fail "$preset: render ($(tail -n 1 "$OUT/$preset-render.txt"))"
  for reference in "$OUT"/linux/*.wav; do
    name=$(basename "$reference")
    if result=$(compare_wav "$reference" "$OUT/$preset/$name" 2>&1); then
      pass "$preset: $name matches Linux ($result)"
    else
      fail "$preset: $result"
    fi
  done
  cmp -s "$OUT/linux/editor.png" "$OUT/$preset/editor.png" && pass "$preset: editor snapshot matches Linux" \
    || fail "$preset: editor snapshot differs from Linux"
  if timeout 300 xvfb-run -a wine "build-$preset/tests/windows/vardelline_windows_check.exe" "$dll" \
    >"$OUT/$preset-check.txt" 2>/dev/null; then
    pass "$preset: load-time floating point and editor window ($(tail -n 1 "$OUT/$preset-check.txt"))"
  else
    fail "$preset: Windows check"; cat "$OUT/$preset-check.txt"
  fi
done
wineserver -k 2>/dev/null || true

# --- The 32-bit DLL under emulation -------------------------------------------
# Where the kernel runs no 32-bit programs, qemu-user runs 32-bit Wine: too
# slow for the whole round above, enough to show that both of the DLL's
# engine variants give Linux's output. qemu's processor offers AVX2 (not
# AVX-512), so the DLL takes its AVX2 variant; VARDELLINE_SIMD=baseline the
# SSE2 one.
# shellcheck source=scripts/qemu_i386.sh
. scripts/qemu_i386.sh
emulated32() {  # emulated32 VARIANT SIMD
  VARDELLINE_SIMD=$2 WINEPREFIX=$PWD/$OUT/wineprefix32 timeout 900 /usr/lib/wine/wine build-win32/tools/host/vardelline-host.exe \
    --plugin build-win32/vardelline.dll render "${SETTINGS[@]}" --encoding float --no-progress \
    -o "$OUT/win32-emulated/$1.wav" >"$OUT/win32-emulated/$1.txt" 2>&1
}
if [ "$wine32" = no ]; then
  mkdir -p "$OUT/win32-emulated"
  for variant in avx2 baseline; do
    simd=$variant
    [ "$variant" = avx2 ] && simd=
    status=0
    with_qemu_i386 emulated32 "$variant" "$simd" || status=$?
    if [ "$status" -eq 125 ]; then
      echo "note: no emulation of 32-bit programs here; the 32-bit DLL was not run"
      break
    elif [ "$status" -ne 0 ]; then
      fail "win32 (emulated, $variant): render ($(tail -n 1 "$OUT/win32-emulated/$variant.txt"))"
    elif result=$(compare_wav "$OUT/linux/settings.wav" "$OUT/win32-emulated/$variant.wav" 2>&1); then
      pass "win32 (emulated, $variant variant): settings.wav matches Linux ($result)"
    else
      fail "win32 (emulated, $variant variant): $result"
    fi
  done
  WINEPREFIX=$PWD/$OUT/wineprefix32 wineserver -k 2>/dev/null || true
fi

echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
