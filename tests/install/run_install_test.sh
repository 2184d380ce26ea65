#!/usr/bin/env bash
# Installs the build into a temporary folder as a user or a package would,
# checks that every file is there and valid for the desktop, then starts the
# installed program on a virtual display with a private session bus and waits
# for its window.
# Usage: run_install_test.sh BUILD_DIR APP_ID
set -euo pipefail

export DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/system_bus

if [ "${1:-}" != "--inner" ]; then
  exec dbus-run-session -- "$(dirname "$0")/../../scripts/lib/virtual_display.sh" 1024x768x24 "$0" --inner "$@"
fi
shift
build=$1
id=$2
prefix=$(mktemp -d)
export XDG_CONFIG_HOME="$prefix/config"
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  rm -rf "$prefix"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null

expected=(
  bin/tessarin
  bin/tessarin-calc
  share/man/man1/tessarin-calc.1
  "share/applications/$id.desktop"
  "share/metainfo/$id.metainfo.xml"
  share/man/man1/tessarin.1
  share/doc/tessarin/README.md
  share/doc/tessarin/LICENSE
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for f in "${expected[@]}"; do
  [ -s "$prefix/$f" ] || fail "$f was not installed"
done
[ -x "$prefix/bin/tessarin" ] || fail "bin/tessarin is not executable"

# Each hicolor icon has the size of its folder.
for size in 16 22 24 32 48 64 128 256; do
  got=$(identify -format '%wx%h' "$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png")
  [ "$got" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $got"
done
# Nothing else: a stray file would be shipped by the package too.
extra=$(cd "$prefix" && find . -type f ! -path './config/*' | sed 's|^\./||' | sort |
  comm -23 - <(printf '%s\n' "${expected[@]}" | sort))
[ -z "$extra" ] || fail "unexpected files installed: $extra"

desktop-file-validate "$prefix/share/applications/$id.desktop" ||
  fail "desktop-file-validate rejects the desktop entry"
grep -qx "Icon=$id" "$prefix/share/applications/$id.desktop" ||
  fail "the desktop entry does not name the icon $id"
# A file manager may hand it a film, but it must never become their opener.
grep -qx "Exec=tessarin %f" "$prefix/share/applications/$id.desktop" &&
  ! grep -q "^MimeType=" "$prefix/share/applications/$id.desktop" ||
  fail "the desktop entry does not take one file, or registers file types"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$id.metainfo.xml" ||
  fail "appstreamcli rejects the metainfo"
for page in tessarin tessarin-calc; do
  man -l -Tutf8 "$prefix/share/man/man1/$page.1" >/dev/null 2>&1 ||
    fail "the manual page $page(1) does not format"
done
"$prefix/bin/tessarin-calc" --cds 2 --json | grep -q '"state":"checked"' ||
  fail "the installed tessarin-calc does not calculate"
mkdir -p "$prefix/config"
ffmpeg -nostdin -v error -f lavfi -i testsrc=duration=2.5:size=64x48:rate=25 -c:v mpeg4 \
  "$prefix/config/film.mkv"
"$prefix/bin/tessarin-calc" --duration-of "$prefix/config/film.mkv" --json |
  grep -q '"duration_seconds":3,' || fail "the installed tessarin-calc does not read a film"
"$prefix/bin/tessarin-calc" --duration-of "$prefix/config/film.mkv" --size 60000B --parts 2 \
  --no-audio --preset ultrafast --encode "$prefix/config/small.mkv" >/dev/null 2>&1 &&
  [ -s "$prefix/config/small.part2.mkv" ] || fail "the installed tessarin-calc does not encode"
echo "installed files: ${#expected[@]}, all valid"

unset QT_QPA_PLATFORM
# As the session manager restores it, with a film whose name is Latin-1.
latin1="$prefix/config/Film$(printf '\351').mkv"
mv "$prefix/config/film.mkv" "$latin1"
"$prefix/bin/tessarin" -session 1_2 "$latin1" 2>"$prefix/config/stderr" &
pid=$!
wid=""
for _ in $(seq 1 100); do
  wid=$(xdotool search --name '^Tessarin v1\.26$' 2>/dev/null | head -n 1 || true)
  [ -n "$wid" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the installed program ended before its window appeared"
  sleep 0.1
done
[ -n "$wid" ] || fail "the installed program showed no window titled 'Tessarin v1.26'"
echo "the installed program shows its window"
sleep 1  # the film is read meanwhile; a failure would be named on stderr
! LC_ALL=C grep -q "mkv" "$prefix/config/stderr" || fail "the installed program: $(cat "$prefix/config/stderr")"
kill -TERM "$pid"
wait "$pid" || fail "the installed program ended with status $? after SIGTERM"
pid=""
