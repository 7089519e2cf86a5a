#!/usr/bin/env bash
# Linux on 64-bit ARM, proven under emulation: cross-builds the VST 2 plug-in,
# the LV2 bundle, the CLAP plug-in, the command-line host and the validator with
# g++-aarch64-linux-gnu, checks what the libraries export and need, then under
# qemu-user renders every factory program and a setting with every band
# modulated (that one through the CLAP plug-in too), which must match the
# x86-64 build's renders sample for sample, and runs the validator's audio,
# extremes, hostile-input and state groups.
set -euo pipefail
cd "$(dirname "$0")/.."

LINUX_BUILD=${LINUX_BUILD:-build}
ARM_BUILD=build-arm64
OUT=build-arm64-checks
LEVEL=${ARM64_VALIDATE_LEVEL:-2}
# shellcheck source=scripts/check_common.sh
. scripts/check_common.sh

# --- Packages -------------------------------------------------------------
PACKAGES=(g++-aarch64-linux-gnu qemu-user binutils python3 cmake ninja-build pkg-config
          fonts-liberation2 libstb-dev libcli11-dev lv2-dev libsndfile1-dev)
require_packages "${PACKAGES[@]}"
# The editor's window needs ARM64's libX11 (Debian multiarch); without it the
# ARM64 plug-ins are built headless and say so here.
if [ -n "$(missing libx11-dev:arm64)" ]; then
  if ! { $SUDO dpkg --add-architecture arm64 && $SUDO apt-get update -qq && install libx11-dev:arm64; }; then
    echo "note: libx11-dev:arm64 cannot be installed here; the ARM64 plug-ins are built without the editor window"
  fi
fi

# --- Cross build ----------------------------------------------------------
cmake --preset linux-arm64 >/dev/null
cmake --build "$ARM_BUILD" -j "${JOBS:-2}" --target vardelline vardelline-host vardelline-validate vardelline_lv2_bundle vardelline_clap_plugin

# Runs an ARM64 program. The multiarch folder is named too, for libX11.
QEMU=(qemu-aarch64 -L /usr/aarch64-linux-gnu -E LD_LIBRARY_PATH=/usr/lib/aarch64-linux-gnu)
arm_host=("${QEMU[@]}" "$ARM_BUILD/tools/host/vardelline-host" --plugin "$ARM_BUILD/vardelline.so")

# --- What the libraries are, export and need ------------------------------
bundle=$ARM_BUILD/lv2-bundles/vardelline.lv2
for library in "$ARM_BUILD/vardelline.so:VSTPluginMain main" \
  "$bundle/vardelline_lv2.so:lv2_descriptor" "$bundle/vardelline_lv2_ui.so:lv2ui_descriptor" \
  "$ARM_BUILD/clap/vardelline.clap:clap_entry"; do
  file=${library%%:*}
  want=${library#*:}
  if [ ! -f "$file" ]; then
    fail "$file was not built"
    continue
  fi
  machine=$(readelf -h "$file" | sed -n 's/^ *Machine: *//p')
  [ "$machine" = "AArch64" ] && pass "$file is built for AArch64" || fail "$file is built for '$machine'"
  exports=$(readelf --dyn-syms -W "$file" | awk '$5 == "GLOBAL" && $7 != "UND" {print $8}' | sort | xargs)
  [ "$exports" = "$(xargs -n1 <<<"$want" | sort | xargs)" ] && pass "$file exports $want" \
    || fail "$file exports '$exports'"
  needed=$(readelf -d "$file" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p' | sort | xargs)
  extra=$(xargs -n1 <<<"$needed" | grep -vxE 'libc\.so\.6|libm\.so\.6|ld-linux-aarch64\.so\.1|libX11\.so\.6' | xargs || true)
  [ -z "$extra" ] && pass "$file needs only the C library and libX11 ($needed)" || fail "$file also needs $extra"
done
for ttl in manifest.ttl vardelline.ttl presets.ttl; do
  if [ -s "$bundle/$ttl" ] && grep -q "urn:quorvane:vardelline" "$bundle/$ttl"; then
    pass "the LV2 bundle holds $ttl (written by the build machine's generator)"
  else
    fail "the LV2 bundle lacks $ttl"
  fi
done

# --- x86-64 reference -----------------------------------------------------
linux_reference build-armlinux
rm -rf "$OUT"
mkdir -p "$OUT"

# Every band modulated: its own speed, width and feedback, delays spread,
# both paths mixed; odd blocks so that runs start anywhere.
MODULATED=(-p 2 -b 317 --tail 8 -s 51=0.45)
for band in 0 1 2 3 4 5 6 7; do
  MODULATED+=(-s "$((27 + band))=0.$((55 + 5 * band))" -s "$((35 + band))=0.$((30 + 8 * band))"
              -s "$((43 + band))=0.$((50 + 6 * band))" -s "$((3 + band))=0.$((10 + 9 * band))"
              -s "$((11 + band))=0.$((85 - 9 * band))")
done
render() {  # render DIR HOST-COMMAND...: the renders to compare, into DIR
  local dir=$1
  shift
  mkdir -p "$dir"
  "$@" render --all-programs --out-dir "$dir" --no-progress >/dev/null &&
    "$@" render "${MODULATED[@]}" --encoding float -o "$dir/modulated.wav" --no-progress >/dev/null &&
    "$@" render "$OUT/x86-64/modulated.wav" -p 4 --tail 2 --encoding float -o "$dir/from-file.wav" --no-progress >/dev/null
}
render "$OUT/x86-64" "$linux_host" --plugin "$linux_plugin"

# Compares the samples of two WAV files (the headers may differ).
compare_wav() {
  python3 scripts/compare_wav.py "$1" "$2"
}

# --- Under qemu-user ------------------------------------------------------
if timeout 120 "${arm_host[@]}" info >"$OUT/arm64-info.txt" 2>&1 && grep -q "Unique ID:    'vdLn'" "$OUT/arm64-info.txt"; then
  pass "arm64: the host's info reads the plug-in"
else
  fail "arm64: info"; cat "$OUT/arm64-info.txt"
fi
start=$(date +%s)
render "$OUT/arm64" timeout 900 "${arm_host[@]}" 2>"$OUT/arm64-render.txt" ||
  fail "arm64: render ($(tail -n 1 "$OUT/arm64-render.txt"))"
echo "arm64: renders took $(($(date +%s) - start)) s under emulation"
for reference in "$OUT"/x86-64/*.wav; do
  name=$(basename "$reference")
  if result=$(compare_wav "$reference" "$OUT/arm64/$name" 2>&1); then
    pass "arm64: $name matches x86-64 ($result)"
  else
    fail "arm64: $result"
  fi
done

# The CLAP plug-in through the same host: the modulated setting must match
# the x86-64 VST 2 render too.
clap_error=$OUT/arm64-clap-render.txt
result=
if timeout 900 "${QEMU[@]}" "$ARM_BUILD/tools/host/vardelline-host" --plugin "$ARM_BUILD/clap/vardelline.clap" \
  render "${MODULATED[@]}" --encoding float -o "$OUT/arm64/clap-modulated.wav" --no-progress >/dev/null 2>"$clap_error" &&
  result=$(compare_wav "$OUT/x86-64/modulated.wav" "$OUT/arm64/clap-modulated.wav" 2>&1); then
  pass "arm64: the CLAP plug-in's modulated render matches x86-64 ($result)"
else
  fail "arm64: CLAP render ($(tail -n 1 "$clap_error") $result)"
fi

start=$(date +%s)
if timeout 1800 "${QEMU[@]}" "$ARM_BUILD/tools/host/vardelline-validate" --plugin "$ARM_BUILD/vardelline.so" \
  --only audio,extremes,hostile-input,state --level "$LEVEL" >"$OUT/arm64-validate.txt" 2>&1; then
  pass "arm64: validator groups audio, extremes, hostile-input, state at level $LEVEL ($(tail -n 1 "$OUT/arm64-validate.txt"))"
else
  fail "arm64: validator"; cat "$OUT/arm64-validate.txt"
fi
echo "arm64: the validator took $(($(date +%s) - start)) s under emulation"

echo "arm64: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
