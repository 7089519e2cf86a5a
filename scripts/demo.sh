#!/usr/bin/env bash
# Sets up, builds, installs the plug-in for the current user and renders the
# built-in demo through every factory program (plus a picture of the editor).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --install build >/dev/null
echo "installed: $(cmake -L -N build | sed -n 's/^VARDELLINE_INSTALL_DIR:PATH=//p')/vardelline.so"
mkdir -p out
build/tools/host/vardelline-host render --all-programs --out-dir out
build/tools/host/vardelline-host snapshot -o out/editor.png
