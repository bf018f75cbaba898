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

cd "$top/build"
ctest --output-on-failure "$@"
