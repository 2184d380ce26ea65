#!/usr/bin/env bash
# The main window's speed against baselines measured in the same run:
#   start-up  the program to its first painted frame, against a bare Qt
#             Widgets window (hyperfine, median of the runs);
#   edit      one typed digit until the labels show the new results, against
#             the same keystroke into a bare line edit (Google Benchmark,
#             median of 15 repetitions);
#   idle      CPU ticks, wake-ups and resident memory after start-up, against
#             the bare window, and the timers still registered in the window.
# Start-up and idle run offscreen and, when Xvfb is there, under Xvfb.
#
#   bench/window/run_window_bench.sh [BUILD_DIR]     (default build/release)
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="${1:-$ROOT/build/release}"
PROGRAM="$BUILD/app/tessarin"
BARE="$BUILD/bench/window/bare_window"
EDIT_BENCH="$BUILD/bench/window/window_edit_bench"
STARTUP_RUNS="${STARTUP_RUNS:-100}"
IDLE_SETTLE_S=10  # past the caret blink timeout: 5 s after the window took the focus
IDLE_SPAN_S=3

if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR="$(mktemp -d)"
  export XDG_RUNTIME_DIR
fi

# The median time in ms of command N (1, 2, ...) of a hyperfine CSV export.
median_ms() {
  awk -F, -v n="$2" 'NR == n + 1 { printf "%.1f", $4 * 1000 }' "$1"
}
ratio() {
  awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'
}

# One table row: name, platform, program, baseline, ratio, target, verdict.
row() {
  printf '%-30s %-10s %14s %14s %8s  %-10s %s\n' "$@"
}

startup_rows() {
  local platform="$1" csv
  csv="$(mktemp)"
  TESSARIN_EXIT_AFTER_FIRST_PAINT=1 QT_QPA_PLATFORM="$platform" \
    hyperfine -N --style none --warmup 5 --runs "$STARTUP_RUNS" --export-csv "$csv" \
    "$PROGRAM" "$BARE" "$BARE --label" >/dev/null 2>&1
  local p b r bl rl
  p="$(median_ms "$csv" 1)"
  b="$(median_ms "$csv" 2)"
  bl="$(median_ms "$csv" 3)"
  r="$(ratio "$p" "$b")"
  rl="$(ratio "$p" "$bl")"
  rm -f "$csv"
  row "start-up to first frame" "$platform" "$p ms" "$b ms" "$r" "<= 1.25" \
    "$(awk -v r="$r" 'BEGIN { print (r <= 1.25 ? "met" : "MISSED") }')"
  row "  (baseline with one label)" "$platform" "$p ms" "$bl ms" "$rl" "" "information"
}

# Prints "ticks wakeups rss_kb" of a running process: CPU ticks (user +
# system), voluntary context switches summed over its threads, resident size.
sample() {
  local pid="$1" ticks wakeups rss
  ticks="$(sed 's/.*) //' "/proc/$pid/stat" | awk '{ print $12 + $13 }')"
  wakeups="$(cat /proc/"$pid"/task/*/status 2>/dev/null |
    awk '/^voluntary_ctxt_switches/ { n += $2 } END { print n + 0 }')"
  rss="$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")"
  echo "$ticks $wakeups $rss"
}

# Starts a program, lets it settle, and prints "ticks wakeups rss_kb" over
# the idle span.
idle_figures() {
  local platform="$1" pid t0 w0 t1 w1 rss
  shift
  QT_QPA_PLATFORM="$platform" "$@" >/dev/null 2>&1 &
  pid=$!
  sleep "$IDLE_SETTLE_S"
  read -r t0 w0 _ < <(sample "$pid")
  sleep "$IDLE_SPAN_S"
  read -r t1 w1 rss < <(sample "$pid")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo "$((t1 - t0)) $((w1 - w0)) $rss"
}

idle_rows() {
  local platform="$1" pt pw pr bt bw br timers
  read -r pt pw pr < <(idle_figures "$platform" "$PROGRAM")
  read -r bt bw br < <(idle_figures "$platform" "$BARE")
  local hz
  hz="$(getconf CLK_TCK)"
  row "idle CPU over ${IDLE_SPAN_S} s" "$platform" "$pt ticks" "$bt ticks" "" "0 ticks" \
    "$( [ "$pt" -eq 0 ] && echo met || echo "MISSED (1 tick = $((1000 / hz)) ms)")"
  row "idle wake-ups over ${IDLE_SPAN_S} s" "$platform" "$pw" "$bw" "" "0" \
    "$( [ "$pw" -eq 0 ] && echo met || echo MISSED)"
  local diff=$(((pr - br + 512) / 1024))
  row "resident memory (MB)" "$platform" "$(((pr + 512) / 1024))" "$(((br + 512) / 1024))" \
    "+$diff" "<= +10" "$( [ $((pr - br)) -le 10240 ] && echo met || echo MISSED)"
  timers="$(QT_QPA_PLATFORM="$platform" "$EDIT_BENCH" --count-timers 2>/dev/null)"
  local count
  count="$(awk '/^timers / { print $2 }' <<<"$timers")"
  row "timers after 7 s idle" "$platform" "$count" "" "" "0" \
    "$( [ "$count" = 0 ] && echo met || echo MISSED)"
  grep '^timer ' <<<"$timers" | sed 's/^/    /' || true
}

edit_rows() {
  local out
  out="$(QT_QPA_PLATFORM=offscreen "$EDIT_BENCH" --benchmark_format=csv \
    --benchmark_report_aggregates_only=true 2>/dev/null | tr -d '"')"
  median_us() {
    awk -F, -v n="$1" 'index($1, n "/") == 1 && $1 ~ /_median$/ { printf "%.1f", $3 }' <<<"$out"
  }
  local p b pp bp
  p="$(median_us BM_MainWindowTypeDigit)"
  b="$(median_us BM_BareLineEditTypeDigit)"
  pp="$(median_us BM_MainWindowTypeDigitPainted)"
  bp="$(median_us BM_BareLineEditTypeDigitPainted)"
  row "digit to labels updated" "offscreen" "$p us" "$b us" "$(ratio "$p" "$b")" "< 200 us" \
    "$(awk -v a="$p" 'BEGIN { print (a < 200 ? "met" : "MISSED") }')"
  row "  ... and painted" "offscreen" "$pp us" "$bp us" "$(ratio "$pp" "$bp")" "" "information"
}

# Under Xvfb the script calls itself for the parts that need a display.
if [ "${2:-}" = "--xcb-part" ]; then
  "${3}_rows" xcb
  exit 0
fi

for binary in "$PROGRAM" "$BARE" "$EDIT_BENCH"; do
  [ -x "$binary" ] || { echo "missing $binary: build the release preset first" >&2; exit 1; }
done
command -v hyperfine >/dev/null || { echo "hyperfine is missing" >&2; exit 1; }

echo "== Main window (medians; ratio = program / baseline)"
row "measure" "platform" "program" "baseline" "ratio" "target" "verdict"
startup_rows offscreen
if command -v Xvfb >/dev/null; then
  "$(dirname "$0")/../../scripts/lib/virtual_display.sh" 1280x1024x24 "$0" "$BUILD" --xcb-part startup
fi
edit_rows
idle_rows offscreen
if command -v Xvfb >/dev/null; then
  "$(dirname "$0")/../../scripts/lib/virtual_display.sh" 1280x1024x24 "$0" "$BUILD" --xcb-part idle
fi
