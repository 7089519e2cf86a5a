#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing), then
# configures and builds everything into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libbenchmark-dev
  libsndfile1-dev libcli11-dev libstb-dev fonts-liberation2
  libx11-dev libxtst-dev xvfb xauth
  lv2-dev liblilv-dev lilv-utils sordi libsuil-dev
  clang libclang-rt-14-dev
)

missing=()
for package in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ "${#missing[@]}" -gt 0 ] || [ "${CI:-}" = "true" ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${PACKAGES[@]}" >/dev/null
fi

cmake --preset release >/dev/null
cmake --build --preset release -j "${JOBS:-2}"
