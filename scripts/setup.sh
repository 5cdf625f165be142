#!/usr/bin/env bash
# Installs what Mirevo needs on Debian 12, builds it, and then either starts the
# client (run) or runs the whole test suite (test).
#   ./scripts/setup.sh run     install, build, start the desktop client
#   ./scripts/setup.sh test    install, build, run every test, then again under ASan/UBSan
set -euo pipefail

mode=${1:-run}
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins qt6-wayland
  libgl-dev
  fonts-ipafont-gothic fonts-noto-cjk
  iproute2 util-linux procps
  xvfb xauth x11-utils imagemagick trayer xdotool
  qt6-translations-l10n
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

case "$mode" in
  run)
    cmake --preset dev
    cmake --build --preset dev
    exec ./build/dev/app/mirevo
    ;;
  test)
    cmake --preset ci
    cmake --build --preset ci
    ctest --preset ci
    cmake --preset asan
    cmake --build --preset asan
    ctest --preset asan
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
