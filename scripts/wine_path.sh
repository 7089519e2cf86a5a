# Sourced by the Windows checks: decides whether 32-bit Windows programs can
# run here and makes "wine" run 64-bit ones in any case. Debian's wine starts
# its 32-bit loader whenever wine32 is installed, but some kernels (virtual
# machines without 32-bit support) cannot run it, and then every program
# fails; 64-bit programs then go to wine64 itself, through a wine of ours
# first on PATH (so that timeout and xvfb-run find it too).
#   wine_bin_dir: a folder of ours for the stand-in
# Sets wine32_runs to yes or no.
wine32_runs=no
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
  wine32_runs=yes
elif [ -x /usr/lib/wine/wine64 ]; then
  mkdir -p "$wine_bin_dir"
  cat >"$wine_bin_dir/wine" <<'WINE'
#!/bin/sh
export WINELOADER=/usr/lib/wine/wine64
exec /usr/lib/wine/wine64 "$@"
WINE
  chmod +x "$wine_bin_dir/wine"
  export PATH="$wine_bin_dir:$PATH"
fi
