# Sourced by the cross-platform checks (windows.sh, clap_windows.sh,
# arm64.sh): the pass/fail tally, package installation and the Linux build
# whose output the other platforms must match.
passed=0
failed=0
pass() { passed=$((passed + 1)); echo "ok: $*"; }
fail() { failed=$((failed + 1)); echo "FAILED: $*"; }

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
# The packages among the arguments that are not installed.
missing() {
  local out=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || out+=("$package")
  done
  echo "${out[@]:-}"
}
install() {
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}
# Installs what is missing of the arguments; the check is skipped (exit 0)
# where that cannot be done.
require_packages() {
  local need
  need=$(missing "$@")
  [ -n "$need" ] || return 0
  $SUDO apt-get update -qq
  # shellcheck disable=SC2086
  install $need || { echo "skipped: cannot install $need"; exit 0; }
}

# Sets linux_host and linux_plugin from $LINUX_BUILD, building a Release of
# the two in FALLBACK_DIR when that build lacks them.
linux_reference() {  # linux_reference FALLBACK_DIR
  linux_host=$LINUX_BUILD/tools/host/vardelline-host
  linux_plugin=$LINUX_BUILD/vardelline.so
  if [ ! -x "$linux_host" ] || [ ! -f "$linux_plugin" ]; then
    LINUX_BUILD=$1
    cmake -S . -B "$LINUX_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARDELLINE_TESTS=OFF -DVARDELLINE_BENCH=OFF >/dev/null
    cmake --build "$LINUX_BUILD" -j "${JOBS:-2}" --target vardelline vardelline-host
    linux_host=$LINUX_BUILD/tools/host/vardelline-host
    linux_plugin=$LINUX_BUILD/vardelline.so
  fi
}
