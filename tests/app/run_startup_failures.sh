#!/usr/bin/env bash
# Starts the built program in each environment where the display cannot be
# used: every start must end with exit status 1 (never a crash or core dump)
# and one line on standard error that says what is wrong; when the toolkit
# was tried, that line comes first and the toolkit's own lines that name the
# cause follow. Runs inside its own virtual X display (with access control)
# for the unauthorised case.
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
broken=$(mktemp -d)
trap 'rm -rf "$XDG_CONFIG_HOME" "$runtime" "$broken"' EXIT
status=0

# expect NAME TEXT QT VAR=VALUE...: runs the program with the display
# variables unset except those given, and checks the exit status, the first
# line, and the toolkit's lines after it: none when QT is empty, else one of
# them holds QT.
expect() {
  local name=$1 text=$2 qt=$3
  shift 3
  local err rc=0
  err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE \
    -u QT_DEBUG_PLUGINS XDG_RUNTIME_DIR="$runtime" "$@" timeout 20 "$program" 2>&1 >/dev/null) ||
    rc=$?
  local first=${err%%$'\n'*}
  local rest=${err#"$first"}
  if [ "$rc" -ne 1 ]; then
    echo "FAIL $name: exit status $rc, expected 1; stderr: $err" >&2
    status=1
  elif [[ "$first" != "tessarin: "*"$text"* ]]; then
    echo "FAIL $name: '$first' does not say '$text'" >&2
    status=1
  elif [[ "$rest" != *"$qt"* ]] || { [ -z "$qt" ] && [ -n "$rest" ]; }; then
    echo "FAIL $name: the lines after ours do not say '$qt' (or are there): $err" >&2
    status=1
  else
    echo "ok $name: $first ($(printf '%s\n' "$rest" | grep -c .) lines of the toolkit)"
  fi
}

x_display=$DISPLAY
expect "no display" "no graphical display is set" "" DISPLAY=
expect "local X display without a server" ":1999 does not answer" \
  "could not connect to display :1999" DISPLAY=:1999
expect "X display over TCP that does not answer" "127.0.0.1:1999 cannot be opened" \
  "could not connect to display 127.0.0.1:1999" DISPLAY=127.0.0.1:1999
expect "X display that refuses authorisation" "refuses the connection (not authorised)" \
  "could not connect to display" DISPLAY="$x_display" XAUTHORITY=/nonexistent/Xauthority
expect "Wayland display that does not answer" "Wayland display wayland-test does not answer" \
  "Could not load the Qt platform plugin \"wayland\"" \
  WAYLAND_DISPLAY=wayland-test XDG_SESSION_TYPE=wayland
expect "a chosen platform that does not exist" "\"nosuchplatform\" chosen by QT_QPA_PLATFORM" \
  "Could not find the Qt platform plugin \"nosuchplatform\"" \
  QT_QPA_PLATFORM=nosuchplatform DISPLAY="$x_display"
# The display accepts connections, but the X plugin cannot be loaded: a broken
# copy of a library it needs (and the program does not) comes first. The
# loader's reason is named; every step with QT_DEBUG_PLUGINS.
library=libxcb-icccm.so.4
cp "$(ldconfig -p | awk -v l=$library '$1 == l {print $NF; exit}')" "$broken/$library"
printf 'XXXX' | dd of="$broken/$library" conv=notrunc status=none
expect "an X plugin that cannot be loaded" "accepts connections, but the toolkit could not start" \
  "$broken/$library: invalid ELF header" DISPLAY="$x_display" LD_LIBRARY_PATH="$broken"
expect "the same with QT_DEBUG_PLUGINS" "could not start on it; its own messages below say why" \
  "looking at \"" DISPLAY="$x_display" LD_LIBRARY_PATH="$broken" QT_DEBUG_PLUGINS=1
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
