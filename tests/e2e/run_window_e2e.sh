#!/usr/bin/env bash
# Starts the built program on a virtual display with private, empty session
# and system buses, finds its window by title, checks its size, takes a
# screenshot into the build folder, opens "&Info" and takes a screenshot of
# the cube, closes it with Escape and ends the program through "&Beenden"
# with the keyboard. Then starts it again as the session manager restores it
# at the next login ("-session ID"), with a film whose name is not UTF-8 and
# automatic saving on, and ends it the way the end of a desktop session does
# (SIGTERM): the settings must have been saved, with the film's duration.
# Usage: run_window_e2e.sh PROGRAM OUTPUT_DIR
set -euo pipefail

if [ "${1:-}" != "--inner" ]; then
  # Both buses listen in a folder of this run and can start no service:
  # whatever the program is asked to do cannot reach the machine's buses.
  bus_dir=$(mktemp -d)
  trap 'rm -rf "$bus_dir"' EXIT
  printf '%s\n' \
    '<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"' \
    ' "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">' \
    "<busconfig><listen>unix:dir=$bus_dir</listen>" \
    '<policy context="default"><allow send_destination="*" eavesdrop="true"/>' \
    '<allow eavesdrop="true"/><allow own="*"/></policy>' \
    '</busconfig>' >"$bus_dir/bus.conf"
  status=0
  dbus-run-session --config-file="$bus_dir/bus.conf" -- \
    "$(dirname "$0")/../../scripts/lib/virtual_display.sh" 1024x768x24 "$0" --inner "$bus_dir" "$@" || status=$?
  exit "$status"
fi
bus_dir=$2
program=$3
out=$4
mkdir -p "$out"
: >"$out/e2e_program.log"

{
  read -r system_bus
  read -r system_bus_pid
} < <(dbus-daemon --config-file="$bus_dir/bus.conf" --fork --print-address=1 --print-pid=1)
export DBUS_SYSTEM_BUS_ADDRESS=$system_bus
trap 'kill "$system_bus_pid" 2>/dev/null' EXIT
for address in "$DBUS_SYSTEM_BUS_ADDRESS" "$DBUS_SESSION_BUS_ADDRESS"; do
  case "$address" in
    "unix:path=$bus_dir/"*) ;;
    *)
      echo "FAIL: the bus address '$address' is not one of this test's buses" >&2
      exit 1
      ;;
  esac
done

# Its own settings folder: the test never touches the user's settings.
export XDG_CONFIG_HOME
XDG_CONFIG_HOME=$(mktemp -d)
trap 'rm -rf "$XDG_CONFIG_HOME"; kill "$system_bus_pid" 2>/dev/null' EXIT
unset QT_QPA_PLATFORM

pid=""
fail() {
  echo "FAIL: $*" >&2
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  if [ -s "$out/e2e_program.log" ]; then
    echo "what the program printed:" >&2
    tail -n 40 "$out/e2e_program.log" >&2
  fi
  exit 1
}

# Prints the first window whose title matches $1, waiting up to ten seconds;
# fails when the program ends first or no such window appears.
window_named() {
  local found=""
  for _ in $(seq 1 100); do
    found=$(xdotool search --name "$1" 2>/dev/null | head -n 1 || true)
    [ -n "$found" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the program ended before the window '$1' appeared"
    sleep 0.1
  done
  [ -n "$found" ] || fail "no window titled '$1' appeared"
  echo "$found"
}

# Starts the program with the arguments given and sets `wid` to its window.
start_program() {
  "$program" "$@" 2>>"$out/e2e_program.log" &
  pid=$!
  wid=$(window_named '^Tessarin v1\.26$')
  sleep 0.5  # let the first frame be painted
}

# Waits up to five seconds for the program to end with status 0.
expect_ended() {
  for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && fail "the program still runs after $1"
  wait "$pid" || fail "the program ended with status $? after $1"
}

start_program

# The client area is the template's 236 x 266 dialog units (354 x 432
# pixels) plus the menu bar above it.
read -r width height < <(xwininfo -id "$wid" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w, h}')
[ "$width" -eq 354 ] || fail "window width $width, expected 354"
[ "$height" -gt 432 ] && [ "$height" -lt 480 ] || fail "window height $height, expected 432 plus a menu bar"

shot="$out/e2e_window.png"
import -window "$wid" "$shot"
colours=$(convert "$shot" -format '%k' info:)
[ "$colours" -gt 20 ] || fail "the screenshot has only $colours colours: nothing drawn"
echo "screenshot: $shot (${width}x${height}, $colours colours)"

# "&Hilfe" -> "&Info": a modal dialog with the cube over a picture of itself.
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool key --delay 200 alt+h
sleep 0.5
xdotool key i
info=$(window_named '^Info$')
read -r iwidth iheight < <(xwininfo -id "$info" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w, h}')
[ "$iwidth" -eq 399 ] && [ "$iheight" -eq 244 ] || fail "Info window ${iwidth}x${iheight}, expected 399x244"
sleep 0.5
import -window "$info" "$out/e2e_info.png"
sleep 0.3
import -window "$info" "$out/e2e_info_later.png"
moved=$(compare -metric AE "$out/e2e_info.png" "$out/e2e_info_later.png" null: 2>&1 || true)
[ "${moved%% *}" -gt 100 ] 2>/dev/null || fail "the cube does not move (${moved} pixels changed)"
echo "Info screenshot: $out/e2e_info.png (cube moved over $moved pixels)"
xdotool key Escape
for _ in $(seq 1 50); do
  xdotool search --name '^Info$' >/dev/null 2>&1 || break
  sleep 0.1
done
xdotool search --name '^Info$' >/dev/null 2>&1 && fail "Escape did not close the Info dialog"
echo "Info closed with Escape"

# "&Steuerung" -> "&Beenden" with the keyboard.
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool key --delay 200 alt+s
sleep 0.5
xdotool key b
expect_ended '"&Beenden"'
echo "ended through \"&Beenden\""
settings="$XDG_CONFIG_HOME/Orvanholt/Tessarin.reg"
[ -e "$settings" ] && fail "settings were written although automatic saving is off"

mkdir -p "$(dirname "$settings")"
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orvanholt\\Tessarin]\n"SaveSettings"=hex:01\n' >"$settings"
# "Film\xe9.mkv" in Latin-1, 2.5 s long: 3 s once rounded up.
film="$XDG_CONFIG_HOME/Film$(printf '\351').mkv"
ffmpeg -nostdin -v error -f lavfi -i testsrc=duration=2.5:size=64x48:rate=25 -c:v mpeg4 "$film"
start_program -session 1_2 "$film"
sleep 1  # the film is read meanwhile
kill -TERM "$pid"
expect_ended "SIGTERM"
grep -q '"Time_Value"=hex:03,00,00,00,00,00,00,00' "$settings" ||
  fail "the settings were not saved at the end of the session, or not with the film's duration"
echo "restored with -session, read the film named in Latin-1, saved its settings at SIGTERM"
