# Sourced by the display scripts (xvfb-alert, xvfb-dialogs, xvfb-install,
# xvfb-progress): a work folder, a private Xvfb display and the child the
# script starts, all stopped and removed when the script ends.
# The host's tools are not built with the sanitizers; only the Wine child is,
# so a script that passes the preload on saves LD_PRELOAD before sourcing.
unset LD_PRELOAD
work=$(mktemp -d)
xvfb=""
child=""
cleanup() {
  [ -n "$child" ] && kill "$child" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Starts Xvfb with a screen of SIZE (e.g. 640x300x24) on a display it picks
# itself (written to fd 3) and exports DISPLAY; exits 1 when it does not start.
start_display() {
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || { echo "Xvfb did not start"; exit 1; }
  export DISPLAY=:$(head -n1 "$work/display")
}
