#!/usr/bin/env bash
# Installs what a stock Debian 12 lacks, builds Bermrider, then plays it or runs the tests.
#   scripts/setup.sh play [GAME OPTIONS...]
#   scripts/setup.sh test              every test, then each fuzz target for a few seconds (CI)
#   scripts/setup.sh sanitize          every test again, built with AddressSanitizer and UBSan
#   scripts/setup.sh fuzz [SECONDS]    each fuzz target for SECONDS (default 600)
# The sanitizer and fuzz builds live in build-check/, made with clang.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake pkg-config
  libode-dev libsdl2-dev libgl-dev libepoxy-dev libpng-dev zlib1g-dev nettle-dev
  libcpp-httplib-dev nlohmann-json3-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth libgl1-mesa-dri xdotool
  libfreetype-dev fonts-dejavu-core
  clang libclang-rt-14-dev
  desktop-file-utils appstream man-db file
  chromium
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

# The tests build two trees; a compiler cache, where the machine has one, spares compiling
# again what an earlier run on it already compiled.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

normal_build() {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
  cmake --build build -j"$(nproc)"
}

# With no display the window tests run on a virtual one with Mesa's software renderer.
run_ctest() {
  if [ -n "${DISPLAY:-}" ]; then
    ctest "$@"
  else
    xvfb-run -a -s "-screen 0 1280x1024x24" ctest "$@"
  fi
}

# clang with AddressSanitizer, UndefinedBehaviorSanitizer and the fuzz targets (BR_FUZZ=ON
# implies BR_SANITIZE=ON). Only the targets named are built, or everything.
check_build() {
  cmake -S . -B build-check -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DBR_FUZZ=ON
  cmake --build build-check -j"$(nproc)" ${1:+--target "$@"}
}

mode="${1:-play}"
shift || true
case "$mode" in
  play)
    normal_build
    # The game starts at its title and menus; --track starts a race at once.
    exec build/bin/bermrider "$@"
    ;;
  test)
    normal_build
    run_ctest --test-dir build --output-on-failure -j2
    # Every parser once more under the sanitizers, fed by the fuzzer for a few seconds each.
    # The whole suite under the sanitizers is `sanitize`: it would more than double CI's time.
    check_build fuzz_targets
    ctest --test-dir build-check -L fuzz --output-on-failure -j2
    ;;
  sanitize)
    check_build
    run_ctest --test-dir build-check -LE fuzz --output-on-failure -j2
    ;;
  fuzz)
    check_build fuzz_targets
    exec fuzz/run_all.sh build-check "${1:-600}"
    ;;
  *)
    echo "usage: $0 play [GAME OPTIONS...] | test | sanitize | fuzz [SECONDS]" >&2
    exit 2
    ;;
esac
