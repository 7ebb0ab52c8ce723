#!/usr/bin/env bash
# Installs what a stock Debian 12 lacks, builds Bermrider, then plays it or runs every test.
#   scripts/setup.sh play [GAME OPTIONS...]
#   scripts/setup.sh test
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake pkg-config
  libode-dev libsdl2-dev libgl-dev libepoxy-dev libpng-dev zlib1g-dev nettle-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth libgl1-mesa-dri xdotool
  libfreetype-dev fonts-dejavu-core
  desktop-file-utils appstream man-db file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"

mode="${1:-play}"
shift || true
case "$mode" in
  play)
    # The game starts at its title and menus; --track starts a race at once.
    exec build/bin/bermrider "$@"
    ;;
  test)
    cd build
    if [ -n "${DISPLAY:-}" ]; then
      ctest --output-on-failure -j2
    else
      # No display: the window tests run on a virtual one with Mesa's software renderer.
      xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j2
    fi
    ;;
  *)
    echo "usage: $0 play [GAME OPTIONS...] | test" >&2
    exit 2
    ;;
esac
