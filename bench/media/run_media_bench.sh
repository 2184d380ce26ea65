#!/usr/bin/env bash
# How fast tessarin-calc reads the duration of a two-hour film, against
# ffprobe reading the same file's duration: the whole run of each program
# (start-up included), hyperfine, medians. Then the main window's event loop
# while it reads the same films (film_stall_bench). The films are made first: ten
# seconds of 640 x 272 pictures at 25 frames per second with 48 kHz sound,
# copied 720 times one after the other into a Matroska and an MP4 file
# (180,000 pictures and 337,500 sound frames each, about 100 MB).
#
#   bench/media/run_media_bench.sh [BUILD_DIR]     (default build/release)
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="${1:-$ROOT/build/release}"
CALC="$BUILD/tools/tessarin-calc"
STALL="$BUILD/bench/window/film_stall_bench"
RUNS="${MEDIA_RUNS:-50}"
TARGET=1.0

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$work}"

ffmpeg -nostdin -v error -f lavfi -i testsrc=duration=10:size=640x272:rate=25 \
  -f lavfi -i sine=duration=10:sample_rate=48000 \
  -c:v libx264 -preset ultrafast -crf 51 -g 250 -c:a aac -b:a 16k "$work/piece.mkv"
for ext in mkv mp4; do
  ffmpeg -nostdin -v error -stream_loop 719 -i "$work/piece.mkv" -t 7200 -c copy "$work/film.$ext"
done

# The median time in ms of command N (1, 2, ...) of a hyperfine CSV export.
median_ms() {
  awk -F, -v n="$2" 'NR == n + 1 { printf "%.1f", $4 * 1000 }' "$1"
}

printf '%-10s %14s %14s %8s  %-8s %s\n' file tessarin-calc ffprobe ratio target ""
for ext in mkv mp4; do
  film="$work/film.$ext"
  # Both must read the same length: ffprobe's seconds rounded up.
  probed=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$film")
  ours=$("$CALC" --duration-of "$film" --json | sed 's/.*"source":{[^}]*"duration_seconds":\([0-9]*\).*/\1/')
  awk -v p="$probed" -v o="$ours" 'BEGIN { c = int(p); if (c < p) c++; exit !(c == o) }' ||
    { echo "tessarin-calc read $ours s, ffprobe $probed s" >&2; exit 1; }
  csv="$work/times.csv"
  hyperfine -N --style none --warmup 5 --runs "$RUNS" --export-csv "$csv" \
    "$CALC --duration-of $film" "ffprobe -v error -show_entries format=duration $film" >/dev/null 2>&1
  a=$(median_ms "$csv" 1)
  b=$(median_ms "$csv" 2)
  r=$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f", a / b }')
  printf '%-10s %11s ms %11s ms %8s  %-8s %s\n' "film.$ext" "$a" "$b" "$r" "<= $TARGET" \
    "$(awk -v r="$r" -v t="$TARGET" 'BEGIN { print (r <= t ? "met" : "MISSED") }')"
done
# What every run of the tool costs before it reads anything: loading
# libavformat and the libraries it needs.
csv="$work/times.csv"
hyperfine -N --style none --warmup 5 --runs "$RUNS" --export-csv "$csv" \
  "$CALC --version" "ffprobe -version" >/dev/null 2>&1
printf '%-10s %11s ms %11s ms\n' "start-up" "$(median_ms "$csv" 1)" "$(median_ms "$csv" 2)"

# The window reads each film 50 times; its 1 ms timer must never wait long.
for ext in mkv mp4; do
  printf 'window, film.%s: ' "$ext"
  "$STALL" "$work/film.$ext" 50
done
