#!/usr/bin/env bash
# Starts the built program in each environment where the display cannot be
# used: every start must end with exit status 1 and exactly one line on
# standard error that says what is wrong (never a crash or core dump).
# Runs inside its own virtual X display (with access control) for the
# unauthorised case.
# Usage: run_startup_failures.sh PROGRAM
set -euo pipefail

export DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/system_bus
if [ "${1:-}" != "--inner" ]; then
  exec dbus-run-session -- "$(dirname "$0")/../../scripts/lib/virtual_display.sh" 640x480x24 "$0" --inner "$@"
fi
shift
program=$1
export XDG_CONFIG_HOME
XDG_CONFIG_HOME=$(mktemp -d)
runtime=$(mktemp -d)
chmod 700 "$runtime"
trap 'rm -rf "$XDG_CONFIG_HOME" "$runtime"' EXIT
status=0

# expect NAME TEXT VAR=VALUE...: runs the program with the display variables
# unset except those given, and checks the exit status and the one line.
expect() {
  local name=$1 text=$2
  shift 2
  local err rc=0
  err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE \
    XDG_RUNTIME_DIR="$runtime" "$@" timeout 20 "$program" 2>&1 >/dev/null) || rc=$?
  local lines
  lines=$(printf '%s\n' "$err" | grep -c .) || true
  if [ "$rc" -ne 1 ]; then
    echo "FAIL $name: exit status $rc, expected 1; stderr: $err" >&2
    status=1
  elif [ "$lines" -ne 1 ]; then
    echo "FAIL $name: $lines lines on stderr, expected one: $err" >&2
    status=1
  elif [[ "$err" != "tessarin: "*"$text"* ]]; then
    echo "FAIL $name: '$err' does not say '$text'" >&2
    status=1
  else
    echo "ok $name: $err"
  fi
}

x_display=$DISPLAY
expect "no display" "no graphical display is set" DISPLAY=
expect "local X display without a server" ":1999 does not answer" DISPLAY=:1999
expect "X display over TCP that does not answer" "127.0.0.1:1999 cannot be opened" \
  DISPLAY=127.0.0.1:1999
expect "X display that refuses authorisation" "refuses the connection (not authorised)" \
  DISPLAY="$x_display" XAUTHORITY=/nonexistent/Xauthority
expect "Wayland display that does not answer" "Wayland display wayland-test does not answer" \
  WAYLAND_DISPLAY=wayland-test XDG_SESSION_TYPE=wayland
expect "a chosen platform that cannot start" "\"nosuchplatform\" chosen by QT_QPA_PLATFORM" \
  QT_QPA_PLATFORM=nosuchplatform DISPLAY="$x_display"
# Arguments it does not take: exit status 2 and one line naming them, before
# any display is looked at.
# The session manager's "-session ID" is taken, and nothing else with it.
for case in "film.mkv other.mkv|other.mkv" "--help|--help" "film.mkv -platform offscreen|-platform" \
  "-session|-session" "-session 1_2 -session 3_4|-session" "-session 1_2 -name x|-name"; do
  args=${case%|*} named=${case#*|} rc=0
  # shellcheck disable=SC2086 # each case is a list of arguments
  err=$(env -u DISPLAY timeout 20 "$program" $args 2>&1 >/dev/null) || rc=$?
  if [ "$rc" -ne 2 ] || [ "$(printf '%s\n' "$err" | grep -c .)" -ne 1 ] ||
    [[ "$err" != "tessarin: "*"'$named'"* ]]; then
    echo "FAIL arguments '$args': exit status $rc, stderr: $err" >&2
    status=1
  else
    echo "ok arguments '$args': $err"
  fi
done
exit $status
