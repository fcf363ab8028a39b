#!/bin/sh
# Installs what building and testing Trendel needs on Debian 12, as root.
#   tools/install-dependencies.sh            the portable build and its tests
#   tools/install-dependencies.sh --windows  also the Windows tiers (Wine)
set -eu

packages="build-essential cmake pkg-config googletest libgtest-dev libbenchmark-dev
  libjpeg62-turbo-dev libfreetype-dev libfontconfig-dev fonts-liberation2
  nlohmann-json3-dev python3 python3-pil imagemagick giflib-tools libjpeg-turbo-progs
  clang libclang-rt-14-dev libpng-dev python3-venv python3-pip python3-setuptools python3-wheel
  python3-pytest python3-numpy python3-pandas"
# The chart viewer (trendel-view) and its tests on a virtual screen.
packages="$packages libsdl2-dev xvfb xauth xdotool"
# bench/draw-instructions.sh counts a drawing pass's instructions under callgrind;
# the number-text tests compile a decimal-comma locale.
packages="$packages valgrind locales"
if [ "${1:-}" = "--windows" ]; then
  # Wine loads most X libraries at run time, so with --no-install-recommends
  # they must be named: XRender, XInput, RandR and friends, and Wine's fonts.
  # dpkg-dev unpacks the libjpeg-turbo sources; python3-fonttools makes the
  # fonts that answer "Arial" in the test prefix.
  packages="$packages g++-mingw-w64-i686 wine wine32:i386 fonts-wine libxrender1:i386
    libxi6:i386 libxrandr2:i386 libxcursor1:i386 libxfixes3:i386 libxinerama1:i386
    libxcomposite1:i386 xvfb xauth xdotool x11-apps python3-fonttools dpkg-dev"
  # The 64-bit DLL: its cross compiler, and the 64-bit Wine loader with the X
  # libraries it loads, which runs on machines that cannot run 32-bit programs.
  packages="$packages g++-mingw-w64-x86-64 wine64 libxrender1:amd64 libxi6:amd64
    libxrandr2:amd64 libxcursor1:amd64 libxfixes3:amd64 libxinerama1:amd64
    libxcomposite1:amd64"
fi

missing=""
for package in $packages; do
  dpkg -s "$package" >/dev/null 2>&1 || missing="$missing $package"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-dependencies: missing packages:$missing; run as root to install them" >&2
  exit 1
fi
if [ "${1:-}" = "--windows" ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing
