# Shared by the scripts that run the installer's programs outside ctest (the
# acceptance gallery, the benchmarks). Source it; it defines, and does
# nothing until called:
#
#   qv_in_prefix BUILD_DIR SCRIPT [ARGS...]
#       Unless already inside, runs `bash SCRIPT ARGS...` again in a Wine
#       prefix, network, mount and pid namespace of its own
#       (tests/support/run-in-prefix, with tests/support/net-hosts as
#       /etc/hosts) and exits with its code. Inside, QV_BUILD_DIR and
#       QV_TEST_ROOT (a scratch folder removed afterwards) are set.
#       QV_GRAPHICS=null keeps Wine's null graphics driver; otherwise Wine
#       draws on X11 (see qv_start_display).
#   qv_at_exit COMMAND
#       Runs COMMAND (a shell string) when the script exits, last added first.
#   qv_start_display SIZE
#       Starts a private Xvfb screen of SIZE (e.g. 800x600x24) on a display
#       number it picks itself and exports DISPLAY; stopped at exit. Fails
#       when Xvfb does not come up within 10 s.
#   qv_start_peer KIND DIR ADDRESS PORT [ARGS...]
#       Starts a server of tests/support/net-peer (nginx serving DIR/www, the
#       update service, the proxies) in the background, waits until it
#       accepts connections on ADDRESS:PORT, and stops it at exit. Fails when
#       it does not accept within 10 s; its output is in DIR/KIND.log.
#   qv_keep_wine_session
#       Starts the prefix's Wine session (its server and the system programs
#       it starts) and keeps it until the prefix is removed, as a Windows
#       machine has its services running before any program starts. Without
#       it each program that finds no session starts one, and its start-up
#       runs beside the program for a few hundred milliseconds.
#   qv_best VALUES...
#       Prints the smallest of the numbers (the best of several timed runs).
#   qv_run PROGRAM [ARGS...]
#       Runs a built program under Wine: a Winelib one (PROGRAM.so beside it)
#       with the 64-bit loader, one of the Windows build with plain wine,
#       which prefers the 32-bit loader where that is installed.

qv_source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
qv_exit_commands=()

qv_run_exit_commands() {
  local i
  for ((i = ${#qv_exit_commands[@]} - 1; i >= 0; i--)); do
    eval "${qv_exit_commands[i]}" 2>/dev/null
  done
}

qv_at_exit() {
  [ ${#qv_exit_commands[@]} -eq 0 ] && trap qv_run_exit_commands EXIT
  qv_exit_commands+=("$1")
}

qv_in_prefix() {
  local build
  build=$(cd "$1" && pwd) || return 1
  shift
  [ -n "${QV_IN_PREFIX:-}" ] && return 0
  local template=$build/wine-template
  "$qv_source_dir/tests/support/make-wine-template" --reuse "$template" >/dev/null || return 1
  QV_IN_PREFIX=1 QV_WINE_TEMPLATE=$template QV_BUILD_DIR=$build \
    QV_HOSTS=$qv_source_dir/tests/support/net-hosts \
    "$qv_source_dir/tests/support/run-in-prefix" bash "$@"
  exit $?
}

qv_start_display() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo" || return 1
  # The host's tools are not built with the sanitizers.
  LD_PRELOAD= Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$fifo" 2>/dev/null &
  qv_at_exit "kill $! 2>/dev/null; wait $! 2>/dev/null"
  local number
  read -r -t 10 number <"$fifo"
  rm -f "$fifo"
  [ -n "$number" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=:$number
}

qv_start_peer() {
  local kind=$1 dir=$2 address=$3 port=$4
  mkdir -p "$dir"
  "$qv_source_dir/tests/support/net-peer" "$@" >"$dir/$kind.log" 2>&1 &
  qv_at_exit "kill $! 2>/dev/null; wait $! 2>/dev/null"
  local _
  for _ in $(seq 200); do
    (exec 3<>"/dev/tcp/$address/$port") 2>/dev/null && return 0
    sleep 0.05
  done
  echo "$kind did not start on $address:$port" >&2
  cat "$dir/$kind.log" >&2
  return 1
}

qv_keep_wine_session() {
  # A server that is already running stays only a few seconds after its last
  # program: it is let end first, then started to stay.
  wineserver -w 2>/dev/null || true
  wineserver -p || return 1
  wine cmd /c exit >/dev/null 2>&1
}

qv_best() {
  printf '%s\n' "$@" | sort -g | head -n1
}

qv_run() {
  local program=$1
  shift
  if [ -f "$program.so" ]; then
    WINELOADER=${WINELOADER:-/usr/lib/wine/wine64} "$program" "$@"
  else
    wine "$program" "$@"
  fi
}
