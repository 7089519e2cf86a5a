#!/usr/bin/env bash
# Sets up, builds, installs the plug-in for the current user and renders the
# built-in demo through every factory program and every showcase preset in
# presets/ (plus a picture of the editor).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --install build >/dev/null
dir=$(cmake -L -N build | sed -n 's/^VARDELLINE_INSTALL_DIR:PATH=//p')
echo "installed: $dir/vardelline.so"
case "$dir" in
    "$HOME/.vst") echo "found there by REAPER and Bitwig Studio; Ardour needs the folder added to its VST search path" ;;
    /usr/lib/vst | /usr/local/lib/vst | /usr/lib/lxvst | /usr/local/lib/lxvst)
        echo "found there by Ardour, REAPER and Bitwig Studio" ;;
    *) echo "add $dir to your host's VST 2 search path" ;;
esac
lv2=$(cmake -L -N build | sed -n 's/^VARDELLINE_LV2_DIR:PATH=//p')
if [ -n "$lv2" ]; then
    echo "installed: $lv2/vardelline.lv2"
    case "$lv2" in
        "$HOME/.lv2" | /usr/lib/lv2 | /usr/local/lib/lv2) echo "found there by Ardour, Qtractor, Audacity, jalv and every lilv host" ;;
        *) echo "add $lv2 to LV2_PATH" ;;
    esac
fi
mkdir -p out
host=build/tools/host/vardelline-host
$host render --all-programs --out-dir out
for preset in presets/*.fxp; do
    $host render --preset "$preset" -o "out/showcase-$(basename "$preset" .fxp).wav"
done
$host snapshot -o out/editor.png
