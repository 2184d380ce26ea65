# Shared by the scripts in scripts/: installs what is missing from Debian's
# archive and configures and builds a preset.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# Packages building and running the program need (scripts/run): the compiler,
# Qt, libxcb (to tell why an X display cannot be opened), libavformat (which
# reads a film's duration), the dialog font, the Wayland plugin for Wayland
# desktops, and the ffmpeg program, which encoding runs.
RUN_PACKAGES=(
  cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libxcb1-dev libavformat-dev
  fonts-liberation2 qt6-wayland ffmpeg
)
# Packages the program and all its tests need (scripts/test): besides the
# above (ffmpeg also makes the films the tests read), clang for the
# sanitizers, the test libraries, the virtual display and the tools that
# drive it, the validators of the install test, and a substitute font for
# the font test.
BASE_PACKAGES=(
  "${RUN_PACKAGES[@]}"
  clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils imagemagick dbus
  desktop-file-utils appstream man-db fonts-urw-base35
  python3-dbusmock at-spi2-core python3-pyatspi
)

ensure_packages() {
  local missing=() p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=() refused
  refused="These Debian packages are missing and only root can install them: ${missing[*]}; install them as root with: apt-get install ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "$refused" >&2
      exit 1
    fi
    sudo=(sudo)
  fi
  echo "Installing missing packages: ${missing[*]}"
  if ! "${sudo[@]}" apt-get update -qq ||
    ! DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null; then
    [ ${#sudo[@]} -gt 0 ] && echo "$refused" >&2
    exit 1
  fi
}

# Configures a preset once, then builds it (ninja does nothing when nothing changed).
build_preset() {
  local preset="$1"
  cd "$ROOT"
  if [ ! -f "build/$preset/build.ninja" ]; then
    cmake --preset "$preset" >/dev/null
  fi
  cmake --build --preset "$preset"
}
