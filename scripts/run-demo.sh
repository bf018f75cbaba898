#!/usr/bin/env bash
# Builds Orvelin and starts it under Wine on the demo machine: a prefix in
# build/demo seeded once with sample startup entries in every source, dead
# registry references, history traces and a startup snapshot with changes
# made after it, with one of its startup programs running. Without a display
# it starts Xvfb, saves a screenshot to build/demo/screenshot.png and ends
# Orvelin.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh"
"$top/scripts/build.sh" >/dev/null

bin="$top/build/bin"
root="$top/build/demo"
export ORV_WINE_ROOT="$root"
wine_run() { "$top/cmake/wine-run.sh" "$@"; }
mkdir -p "$root"

. "$top/scripts/xvfb.sh"
headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  start_xvfb 60 89
fi
cleanup() {
  WINEPREFIX="$root/prefix" wineserver -k >/dev/null 2>&1 || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" >/dev/null 2>&1 || true
}
trap cleanup EXIT

# ORV_DEMO_DPI=144 shows the demo as on a 150% display. Wine reads the DPI
# when its session starts, so a change ends the running session first.
dpi=${ORV_DEMO_DPI:-96}
if [ "$(cat "$root/.dpi" 2>/dev/null || echo 96)" != "$dpi" ]; then
  for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    wine_run reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f </dev/null >/dev/null 2>&1 || true
  done
  WINEPREFIX="$root/prefix" wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX="$root/prefix" wineserver -w >/dev/null 2>&1 || true
  echo "$dpi" >"$root/.dpi"
fi

# One Wine session for the seeding and the program: a new session would
# consume wininit.ini again, as Windows does at boot.
mkdir -p "$root/prefix"
WINEPREFIX="$root/prefix" wineserver -p </dev/null >/dev/null 2>&1 || true
wine_run "$bin/orvhelper.exe" 1 </dev/null >/dev/null 2>&1 || true
winbin=$(WINEPREFIX="$root/prefix" HOME="$root/home" WINEDEBUG=-all winepath -w "$bin")
if [ ! -f "$root/.seeded" ]; then
  wine_run "$bin/orvdemo_seed.exe" "$winbin" && touch "$root/.seeded" "$root/.seeded-registry" "$root/.seeded-history" "$root/.seeded-addons" "$root/.seeded-applists" "$root/.seeded-snapshot"
else
  wine_run "$bin/orvdemo_seed.exe" "$winbin" --boot-files
fi
# Machines seeded before the registry scanner's sample entries existed get them once.
if [ ! -f "$root/.seeded-registry" ]; then
  wine_run "$bin/orvdemo_seed.exe" "$winbin" --registry-problems && touch "$root/.seeded-registry"
fi
# And the history traces once, likewise.
if [ ! -f "$root/.seeded-history" ]; then
  wine_run "$bin/orvdemo_seed.exe" "$winbin" --history && touch "$root/.seeded-history"
fi
# And Firefox's history and the browser add-ons once, likewise.
if [ ! -f "$root/.seeded-addons" ]; then
  wine_run "$bin/orvdemo_seed.exe" "$winbin" --browser-addons && touch "$root/.seeded-addons"
fi
# And the applications' recent lists once, likewise.
if [ ! -f "$root/.seeded-applists" ]; then
  wine_run "$bin/orvdemo_seed.exe" "$winbin" --app-lists && touch "$root/.seeded-applists"
fi
# And the startup snapshot with the changes made after it once, likewise.
if [ ! -f "$root/.seeded-snapshot" ]; then
  wine_run "$bin/orvdemo_seed.exe" "$winbin" --snapshot && touch "$root/.seeded-snapshot"
fi

# One startup program runs, so the Active column shows "Yes".
wine_run "C:\\Program Files\\Orvelin Demo\\Tray Helper.exe" 3600 >/dev/null 2>&1 &

# ORV_DEMO_PAGE=registry opens the Registry page and scans every section;
# ORV_DEMO_PAGE=history opens the History page on Internet Explorer's visited pages,
# or with ORV_DEMO_SECTION=N on the section of id N (src/history/HistorySectionIds.h;
# 12: Firefox's visited pages);
# ORV_DEMO_PAGE=backup opens the Registry page's BackUp/Restore dialog;
# ORV_DEMO_PAGE=compare opens the StartUp page's comparison dialog and loads
# the snapshot seeded before the machine was changed; ORV_DEMO_PAGE=about,
# add or info opens the About page, or the StartUp page's Add or Info dialog.
# ORV_DEMO_MAXIMISED=1 maximises the window (through the tour).
program="$bin/Orvelin.exe"
dialog=""
case "${ORV_DEMO_PAGE:-}" in
  registry) program="$bin/orvdemo_tour.exe registry" ;;
  history) program="$bin/orvdemo_tour.exe history ${ORV_DEMO_SECTION:-}" ;;
  backup) program="$bin/orvdemo_tour.exe backup"; dialog="BackUp/Restore" ;;
  compare) program="$bin/orvdemo_tour.exe compare"; dialog="Compare Info With XML" ;;
  about) program="$bin/orvdemo_tour.exe about" ;;
  add) program="$bin/orvdemo_tour.exe add"; dialog="Add New Value to StartUp" ;;
  info) program="$bin/orvdemo_tour.exe info"; dialog="File Info" ;;
esac
if [ "${ORV_DEMO_MAXIMISED:-0}" = 1 ]; then
  case "$program" in
    *orvdemo_tour.exe*) program="$program maximised" ;;
    *) program="$bin/orvdemo_tour.exe startup maximised" ;;
  esac
fi

if [ "$headless" = 1 ]; then
  wine_run $program >/dev/null 2>&1 &
  # Up to ORV_DEMO_WAIT seconds (a fresh machine is slow) for the main window
  # to be shown, and the dialog the tour opens after it, then a moment for
  # them to paint.
  wait_shown() {
    for _ in $(seq $(( ${ORV_DEMO_WAIT:-60} * 5 ))); do
      if xwininfo -name "$1" 2>/dev/null | grep -q IsViewable; then return 0; fi
      sleep 0.2
    done
    echo "\"$1\" did not show within ${ORV_DEMO_WAIT:-60} s" >&2
  }
  wait_shown "Orvelin 2.0"
  [ -z "$dialog" ] || wait_shown "$dialog"
  sleep "${ORV_DEMO_SETTLE:-1}"
  import -window root "$root/screenshot.png"
  echo "Screenshot: $root/screenshot.png"
else
  wine_run $program
fi
