# Sourced by the scripts: starts an Xvfb display on the first free number in
# the range given and exports DISPLAY; XVFB_PID holds its process.
start_xvfb() {
  local first=$1 last=$2 n
  for n in $(seq "$first" "$last"); do
    { [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; } && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    sleep 1
    return 0
  done
  echo "no free X display between :$first and :$last" >&2
  return 1
}
