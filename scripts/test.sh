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
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT

# One display for the whole run, so each test program does not start its own.
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    break
  done
  sleep 1
fi

cd "$top/build"
ctest --output-on-failure "$@"
