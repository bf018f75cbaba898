#!/usr/bin/env bash
# Runs a Windows executable under Wine on a private, disposable machine:
# a prefix inside the build folder, private HOME and XDG folders, no debug
# noise, and an Xvfb display when none is set.
set -euo pipefail

exe=$1; shift
root=${ORV_WINE_ROOT:-$(cd "$(dirname "$exe")" && pwd)/wine-test}
mkdir -p "$root/home" "$root/xdg/data" "$root/xdg/config" "$root/xdg/cache"

export WINEPREFIX="$root/prefix"
export HOME="$root/home"
export XDG_DATA_HOME="$root/xdg/data"
export XDG_CONFIG_HOME="$root/xdg/config"
export XDG_CACHE_HOME="$root/xdg/cache"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
export LANG=C.UTF-8
export LC_ALL=C.UTF-8

# Create the prefix once; unmanaged windows make dialogs close at once.
if [ ! -f "$WINEPREFIX/.orv-ready" ]; then
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.orv-ready" ]; then
      # Wine's own processes must not hold the caller's output open.
      wineboot -i </dev/null >/dev/null 2>&1 || true
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
      # The machine's first session (its server and desktop) was started
      # without the program's display; it must end before a program starts,
      # or that program's windows would join a session whose display is gone.
      # (With a display of the caller's, its session is the caller's to keep;
      # the wait is bounded in case a session was made persistent.)
      [ -n "${DISPLAY:-}" ] || timeout 60 wineserver -w </dev/null >/dev/null 2>&1 || true
      touch "$WINEPREFIX/.orv-ready"
    fi
  ) 9>"$root/.prefix.lock"
fi

# Wine starts long-lived processes of its own (the desktop, console hosts)
# that inherit the program's output. Sending it to a file keeps them from
# holding the caller's pipes open (ctest would wait for them); a tail that
# ends with the program passes the file on as it grows, so what a program
# printed before ctest killed it on timeout is still shown. The file stays
# in $root/logs after the run.
mkdir -p "$root/logs"
name=${exe##*[/\\]}  # a Windows path names the program too
log="$root/logs/$name.log"
# A new file each run: a Wine process of an earlier run may still hold the old one.
rm -f "$log"
: >"$log"
set +e
if [ -z "${DISPLAY:-}" ]; then
  # A display of the program's own: the Wine session (server, desktop) it
  # starts must end before that display goes, so the next program starts a
  # session of its own instead of joining one bound to a dead display.
  xvfb-run -a -s "-screen 0 1280x1024x24" sh -c 'wine "$@"; status=$?; timeout 60 wineserver -w; exit $status' wine-run \
    "$exe" "$@" </dev/null >"$log" 2>&1 &
else
  wine "$exe" "$@" </dev/null >"$log" 2>&1 &
fi
program=$!
# The tail ignores TERM and INT, so on a signal to the whole group it still
# prints the rest once the program has ended.
(trap '' TERM INT; exec tail -n +1 -s 0.1 -f --pid="$program" "$log") &
passer=$!

# Stopped from outside: end the program, let the tail print what it wrote.
stopped() {
  kill "$program" 2>/dev/null
  wait "$program" 2>/dev/null
  wait "$passer" 2>/dev/null
  echo "wine-run: stopped by $1; the output is in $log" >&2
  exit "$2"
}
trap 'stopped TERM 143' TERM
trap 'stopped INT 130' INT

wait "$program"
status=$?
# The tail ends once it has seen the program end and read the file to its end.
wait "$passer"
exit "$status"
