#!/usr/bin/env bash
# Runs a command on a virtual X display of its own, with access control:
# only clients that hold this run's cookie may connect.
# Usage: virtual_display.sh WIDTHxHEIGHTxDEPTH COMMAND [ARG...]
# The server picks a free display number itself (-displayfd), so runs that
# start at the same moment never share one; xvfb-run -a can pick the same
# number twice, and the second run is then refused by the first's server.
set -euo pipefail

screen=$1
shift
dir=$(mktemp -d)
server_pid=
cleanup() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$dir"
}
trap cleanup EXIT

cookie=$(mcookie)
: >"$dir/server"
: >"$dir/client"
# The server takes every entry of its file, whatever display it names.
xauth -q -f "$dir/server" add :0 MIT-MAGIC-COOKIE-1 "$cookie"
mkfifo "$dir/number"
Xvfb -displayfd 3 -screen 0 "$screen" -auth "$dir/server" -nolisten tcp \
  3>"$dir/number" >"$dir/server.log" 2>&1 &
server_pid=$!
if ! read -r number <"$dir/number" || [ -z "$number" ]; then
  echo "virtual_display.sh: Xvfb did not start:" >&2
  cat "$dir/server.log" >&2
  exit 1
fi
export DISPLAY=":$number" XAUTHORITY="$dir/client"
xauth -q -f "$XAUTHORITY" add "$DISPLAY" MIT-MAGIC-COOKIE-1 "$cookie"
status=0
"$@" || status=$?
exit "$status"
