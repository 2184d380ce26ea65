# Shared by scripts/run, scripts/test and scripts/bench: installs what is
# missing from Debian's archive and configures and builds a preset.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# Packages the build, the program and its tests need.
BASE_PACKAGES=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation2 xvfb xauth xdotool x11-utils imagemagick dbus python3-dbusmock
  at-spi2-core python3-pyatspi
)

ensure_packages() {
  local missing=() p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
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
