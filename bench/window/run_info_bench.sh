#!/usr/bin/env bash
# The open Info dialog animating, painting included, under Xvfb: CPU time
# over a span against a bare widget of the dialog's size that repaints a
# rectangle of the cube's size every 10 ms, both measured in the same run.
#
#   bench/window/run_info_bench.sh [BUILD_DIR]     (default build/release)
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="${1:-$ROOT/build/release}"
PROGRAM="$BUILD/app/tessarin"
BARE="$BUILD/bench/window/bare_animation"
SPAN_S="${SPAN_S:-10}"

if [ "${2:-}" != "--inner" ]; then
  for binary in "$PROGRAM" "$BARE"; do
    [ -x "$binary" ] || { echo "missing $binary: build the release preset first" >&2; exit 1; }
  done
  # A private, empty system bus address: nothing here can reach the real one.
  export DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent/tessarin-bench-system-bus"
  exec dbus-run-session -- "$(dirname "$0")/../../scripts/lib/virtual_display.sh" 1280x1024x24 "$0" "$BUILD" --inner
fi
export XDG_CONFIG_HOME
XDG_CONFIG_HOME="$(mktemp -d)"
[ -n "${XDG_RUNTIME_DIR:-}" ] || { XDG_RUNTIME_DIR="$(mktemp -d)"; export XDG_RUNTIME_DIR; }
unset QT_QPA_PLATFORM

ticks() {
  sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}

# CPU ticks of process $1 over the span, after a second to settle.
span_ticks() {
  sleep 1
  local t0 t1
  t0="$(ticks "$1")"
  sleep "$SPAN_S"
  t1="$(ticks "$1")"
  echo $((t1 - t0))
}

wait_window() {
  local wid=""
  for _ in $(seq 1 100); do
    wid="$(xdotool search --name "$1" 2>/dev/null | head -n 1 || true)"
    [ -n "$wid" ] && break
    sleep 0.1
  done
  [ -n "$wid" ] || { echo "no window '$1'" >&2; exit 1; }
  echo "$wid"
}

"$PROGRAM" >/dev/null 2>&1 &
pid=$!
wid="$(wait_window '^Tessarin v1\.26$')"
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool key --delay 200 alt+h
sleep 0.5
xdotool key i
wait_window '^Info$' >/dev/null
program="$(span_ticks "$pid")"
kill "$pid"
wait "$pid" 2>/dev/null || true

"$BARE" >/dev/null 2>&1 &
pid=$!
wait_window '^Bare animation$' >/dev/null
bare="$(span_ticks "$pid")"
kill "$pid"
wait "$pid" 2>/dev/null || true

hz="$(getconf CLK_TCK)"
awk -v p="$program" -v b="$bare" -v hz="$hz" -v s="$SPAN_S" 'BEGIN {
  share = p / hz / s * 100
  ratio = b > 0 ? p / b : 0
  printf "== Info dialog animating under Xvfb, CPU over %d s (1 tick = %d ms)\n", s, 1000 / hz
  printf "%-34s %10s %10s %8s  %-10s %s\n", "measure", "program", "baseline", "ratio", "target", "verdict"
  printf "%-34s %10s %10s %8.2f  %-10s %s\n", "CPU time, dialog vs bare widget", p " ticks", b " ticks", ratio, "<= 1.5", (ratio <= 1.5 ? "met" : "MISSED")
  printf "%-34s %9.1f%% %10s %8s  %-10s %s\n", "share of one core", share, "", "", "<= 10 %", (share <= 10 ? "met" : "MISSED")
}'
