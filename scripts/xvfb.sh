# Sourced by the scripts: starts an Xvfb display on the first free number in
# the range given and exports DISPLAY; XVFB_PID holds its process.

# True once our server ($2) holds the display's lock and the display answers
# (or, without xdpyinfo, has its socket).
display_answers() {
  [ "$( { tr -d ' \n' <"/tmp/.X$1-lock"; } 2>/dev/null)" = "$2" ] || return 1
  if command -v xdpyinfo >/dev/null 2>&1; then
    xdpyinfo -display ":$1" >/dev/null 2>&1
  else
    [ -S "/tmp/.X11-unix/X$1" ]
  fi
}

start_xvfb() {
  local first=$1 last=$2 n
  for n in $(seq "$first" "$last"); do
    { [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; } && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    # Up to 10 seconds for it to answer; one that ended (another server took
    # the number meanwhile) makes way for the next number.
    for _ in $(seq 100); do
      display_answers "$n" "$XVFB_PID" && break
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    if display_answers "$n" "$XVFB_PID"; then
      export DISPLAY=":$n"
      return 0
    fi
    kill "$XVFB_PID" >/dev/null 2>&1 || true
    unset XVFB_PID
  done
  echo "no X display could be started between :$first and :$last" >&2
  return 1
}
