#!/usr/bin/env bash
# Builds Orvelin and runs the whole test suite under Wine on a private machine
# inside the build folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh"
"$top/scripts/build.sh"

root="$top/build/wine-test"
mkdir -p "$root"
cleanup() {
  WINEPREFIX="$root/prefix" wineserver -k >/dev/null 2>&1 || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" >/dev/null 2>&1 || true
}
trap cleanup EXIT

# One display for the whole run, so each test program does not start its own.
. "$top/scripts/xvfb.sh"
[ -n "${DISPLAY:-}" ] || start_xvfb 90 140

# Start the Wine session before ctest, with no pipes of ctest's: the server
# and Wine's own long-lived processes would otherwise inherit a test's output
# and keep ctest waiting after the test ends. The session stays until cleanup.
export ORV_WINE_ROOT="$root"
mkdir -p "$root/prefix"
WINEPREFIX="$root/prefix" wineserver -p </dev/null >/dev/null 2>&1 || true
"$top/cmake/wine-run.sh" "$top/build/bin/orvhelper.exe" 1 </dev/null >/dev/null 2>&1 || true

cd "$top/build"
ctest --output-on-failure "$@"
