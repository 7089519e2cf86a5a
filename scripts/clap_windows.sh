#!/usr/bin/env bash
# The Windows CLAP edition, proven under Wine: cross-builds vardelline.clap
# and clap_render for x86-64 with mingw-w64, checks that the DLL exports
# clap_entry alone and imports only system DLLs, then renders the same
# settings (program, parameter events inside blocks, odd block sizes) with
# the Linux and the Windows library and compares output samples and saved
# state byte for byte, and embeds the editor in a Win32 window twenty times
# (on a private Xvfb). The packages come from scripts/windows.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

LINUX_BUILD=${LINUX_BUILD:-build}
OUT=build-windows-checks/clap
# shellcheck source=scripts/check_common.sh
. scripts/check_common.sh

cmake --preset win64 >/dev/null
cmake --build build-win64 -j "${JOBS:-1}" --target vardelline_clap_plugin clap_render clap_gui_check
cmake --build "$LINUX_BUILD" -j "${JOBS:-1}" --target vardelline_clap_plugin clap_render

dll=build-win64/clap/vardelline.clap
dump=$(x86_64-w64-mingw32-objdump -p "$dll")
exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\s*\[ *[0-9]*\] //p' | xargs)
[ "$exports" = "clap_entry" ] && pass "$dll exports clap_entry alone" || fail "$dll exports '$exports'"
imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | tr 'A-Z' 'a-z' | sort | xargs)
[ "$imports" = "gdi32.dll kernel32.dll msvcrt.dll user32.dll" ] && pass "$dll needs only system DLLs ($imports)" \
  || fail "$dll imports $imports"

rm -rf "$OUT"
mkdir -p "$OUT/linux" "$OUT/windows"
wine_bin_dir=$PWD/build-wine-bin
# shellcheck source=scripts/wine_path.sh
. scripts/wine_path.sh
"$LINUX_BUILD/tests/clap_render/clap_render" "$LINUX_BUILD/clap/vardelline.clap" "$OUT/linux/out.raw" \
  "$OUT/linux/state.bin" >/dev/null
cp "$dll" build-win64/tests/clap_render/clap_render.exe "$OUT/windows/"
if (cd "$OUT/windows" && WINEDEBUG=-all timeout 600 wine clap_render.exe vardelline.clap out.raw state.bin >/dev/null 2>&1); then
  cmp -s "$OUT/linux/out.raw" "$OUT/windows/out.raw" && pass "the Windows render equals the Linux one sample for sample" \
    || fail "the Windows render differs from the Linux one"
  cmp -s "$OUT/linux/state.bin" "$OUT/windows/state.bin" && pass "the saved state is the same bytes on both" \
    || fail "the saved state differs"
else
  fail "clap_render.exe did not run under Wine"
fi

# The editor in a Win32 window: Wine draws its windows on a private Xvfb. A
# Wine server still running from the render above has no display: let it end.
wineserver -w || true
cp build-win64/tests/clap_render/clap_gui_check.exe "$OUT/windows/"
if (cd "$OUT/windows" && WINEDEBUG=-all timeout 600 xvfb-run -a wine clap_gui_check.exe vardelline.clap \
    >../gui.log 2>&1); then
  pass "$(grep -m1 "^ok: " "$OUT/gui.log" | sed "s/^ok: //")"
else
  fail "the editor in a Win32 window: $(grep FAILED "$OUT/gui.log" | head -3 | xargs)"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
