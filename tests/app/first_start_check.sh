#!/usr/bin/env bash
# Starts the program again and again as the very first client of an X server
# that has just started and resets when its last client leaves (no -noreset),
# while every core is kept busy twice over, and counts the starts that did
# not show the window. A check that looks at the display before the toolkit
# connects must never make the server reset under the toolkit's connection.
# Usage: first_start_check.sh PROGRAM [STARTS]   (default 50 starts)
# Exit status 0 when every start showed its window.
set -euo pipefail

if [ "${1:-}" != "--inner" ]; then
  exec dbus-run-session -- "$0" --inner "$@"
fi
shift
program=$1
starts=${2:-50}
dir=$(mktemp -d)
busy=()
server_pid=
cleanup() {
  [ ${#busy[@]} -gt 0 ] && kill "${busy[@]}" 2>/dev/null || true
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/system_bus
export XDG_CONFIG_HOME="$dir/config" TESSARIN_EXIT_AFTER_FIRST_PAINT=1
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

for _ in $(seq $((2 * $(nproc)))); do
  (while :; do :; done) &
  busy+=($!)
done

failed=0
for i in $(seq "$starts"); do
  cookie=$(mcookie)
  rm -f "$dir/server" "$dir/client" "$dir/number"
  : >"$dir/server"
  : >"$dir/client"
  xauth -q -f "$dir/server" add :0 MIT-MAGIC-COOKIE-1 "$cookie"
  mkfifo "$dir/number"
  Xvfb -displayfd 3 -screen 0 640x480x24 -auth "$dir/server" -nolisten tcp \
    3>"$dir/number" >"$dir/server.log" 2>&1 &
  server_pid=$!
  read -r number <"$dir/number"
  xauth -q -f "$dir/client" add ":$number" MIT-MAGIC-COOKIE-1 "$cookie"
  rc=0
  err=$(DISPLAY=":$number" XAUTHORITY="$dir/client" timeout 30 "$program" 2>&1 >/dev/null) || rc=$?
  kill "$server_pid" 2>/dev/null || true
  wait "$server_pid" 2>/dev/null || true
  server_pid=
  if [ "$rc" -ne 0 ]; then
    failed=$((failed + 1))
    echo "start $i: exit status $rc: $err"
  fi
done
echo "first starts on a fresh display: $((starts - failed)) of $starts showed the window"
[ "$failed" -eq 0 ]
